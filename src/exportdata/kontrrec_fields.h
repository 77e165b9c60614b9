// The partner record's fields, one line each, in the order of the export
// buffer's partner table: each field is a member of KSKontrRec and the column
// of the same name. The record's members, its Clear(), text and comparison,
// and the buffer's columns, row write and row read are all made from this
// list.
//
//   kind     Int, Flag (a 0/1 column), Num, Text, Date (record_field.h)
//   default  the value of a new record, which Clear() restores
#pragma once

// clang-format off
#define KRV_KONTRREC_FIELDS(X)                                                  \
    /* member        kind  default */                                           \
    X(KontrId,       Int,  0)                                                   \
    X(Nazwa,         Text, "")                                                  \
    X(Skrot,         Text, "")                                                  \
    X(Ulica,         Text, "")                                                  \
    X(Kod,           Text, "")     /* postal code */                            \
    X(Miasto,        Text, "")                                                  \
    X(Telefon,       Text, "")                                                  \
    X(NIP,           Text, "")                                                  \
    X(KodKarty,      Text, "")                                                  \
    X(TermWaznKarty, Date, 0)      /* the card's expiry */                      \
    X(KartaAktywna,  Flag, false)                                               \
    X(PoziomRabatu,  Int,  0)                                                   \
    X(RabatOdbiorcy, Num,  0)      /* the partner's discount */                 \
    X(NrBuf,         Int,  -1)     /* row in the buffer's partner table */      \
    X(IloscPunktow,  Int,  0)      /* loyalty points */
// clang-format on
