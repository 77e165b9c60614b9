// The goods record's fields, one line each, in the order of the export
// buffer's goods table: each field is a member of KSTowRec and the column of
// the same name. The record's members, its Clear(), text and comparison, and
// the buffer's columns, row write, row read and device read are all made from
// this list, so a field is added or changed here and nowhere else.
//
//   kind     Int, Flag (a 0/1 column), Num, Text (record_field.h)
//   default  the value of a new record
//   clear    Reset: Clear() restores the default; Keep: Clear() leaves the
//            field alone (FromLine always sets it; fd_nr_src_buf is only
//            ever copied between records and the buffer)
//   device   Dev: the buffer's device read (CzytajRecDoUrzadzenia) takes it
#pragma once

// clang-format off
#define KRV_TOWREC_FIELDS(X)                                                                     \
    /* member           kind  default      clear  device */                                      \
    X(plu,              Int,  0,           Reset, Dev)                                           \
    X(koldod,           Int,  0,           Reset, No)                                            \
    X(kod,              Text, "",          Reset, Dev)  /* barcode, the key of sort and search */\
    X(cena,             Num,  0,           Reset, Dev)  /* retail price */                       \
    X(cena_hurt,        Num,  0,           Reset, Dev)  /* alternative price 1, wholesale */     \
    X(cena_noc,         Num,  0,           Reset, Dev)  /* alternative price 2, night */         \
    X(cena_dod,         Num,  0,           Reset, Dev)  /* alternative price 3, additional */    \
    X(nazwa,            Text, "",          Reset, Dev)                                           \
    X(stawka,           Int,  0,           Reset, No)   /* whole percent; <0 no percentage */    \
    X(stawka_prec,      Int,  0,           Reset, No)   /* hundredths; -1 no percentage */       \
    X(jedn,             Int,  0,           Reset, No)                                            \
    X(czy_wazony,       Flag, false,       Reset, Dev)                                           \
    X(precyzja,         Int,  0,           Reset, Dev)                                           \
    X(wagowo_ilosciowy, Flag, false,       Reset, Dev)                                           \
    X(opakowanie,       Flag, false,       Reset, No)                                            \
    X(cena_otwarta,     Flag, true,        Reset, No)                                            \
    X(kod_opakowania,   Text, "0",         Reset, No)                                            \
    X(plu_opakowania,   Int,  0,           Reset, No)                                            \
    X(nr_asort,         Int,  0,           Reset, No)                                            \
    X(status,           Int,  kStatusNone, Reset, Dev)                                           \
    X(nr_buf,           Int,  -1,          Reset, No)   /* row in the export buffer */           \
    X(plu_rec,          Text, "",          Reset, No)   /* the device's record text */           \
    X(tr_ok,            Flag, false,       Reset, No)   /* transferred to the device */          \
    X(flag,             Flag, false,       Reset, No)   /* marker of the comparisons */          \
    X(add_rec,          Flag, false,       Reset, No)   /* added by a comparison */              \
    X(org_barcode,      Text, "",          Reset, No)   /* kod as read from the file */          \
    X(org_status,       Int,  kStatusNone, Reset, No)   /* status as read from the file */       \
    X(opis1,            Text, "",          Reset, Dev)                                           \
    X(opis2,            Text, "",          Reset, Dev)                                           \
    X(PKWiU,            Text, "",          Keep,  No)                                            \
    X(SWW,              Text, "",          Keep,  No)                                            \
    X(TerminW,          Int,  0,           Keep,  Dev)                                           \
    X(fd_nr_src_buf,    Int,  0,           Keep,  No)                                            \
    X(fd_from_ecr,      Flag, false,       Reset, No)                                            \
    X(fd_tow_z_kontr,   Flag, false,       Reset, No)                                            \
    X(opis3,            Text, "",          Reset, Dev)                                           \
    X(opis4,            Text, "",          Reset, Dev)                                           \
    X(poziom_cen,       Int,  0,           Keep,  No)   /* -1 none, 1..3 an alternative price */ \
    X(ile_w_kodzie,     Int,  0,           Keep,  No)   /* price scale in 1/1000; 1000 none */   \
    X(fd_dod_rabat_tow, Num,  0,           Reset, No)                                            \
    X(nazwa_pelna,      Text, "",          Reset, No)                                            \
    X(ile_jedn,         Int,  0,           Reset, No)
// clang-format on
