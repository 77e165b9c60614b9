// KSTowRec: one goods record of the host's goods file ("PLU" lines). Its
// field names are the column names of the export buffer's goods table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/lgext.h"

namespace krv {

class FieldViews;
class TLJWords;

// The change a goods line asks for.
enum KSTowStatus : int32_t {
    kStatusAdd = 0,          // "DOD"
    kStatusUpdate = 1,       // "AKT"
    kStatusPriceChange = 2,  // "CEN"
    kStatusDelete = 3,       // "USU"
    kStatusNone = 4,         // no change pending
};

// The word of a status 0 to 3 in the host's files; "" for any other value.
const char* StatusWord(int32_t status);

class KSTowRec {
  public:
    KSTowRec() { Clear(); }

    // The defaults of an empty record. PKWiU, SWW, TerminW, poziom_cen,
    // ile_w_kodzie and fd_nr_src_buf are left alone: FromLine always sets the
    // first five, and the last is only ever copied.
    void Clear();

    // Fills the record from a line split at ";" (field 0 is the tag). Throws
    // the translated format error, or EConvertError for a bad number. Numbers
    // are read with "." as the point whatever the process locale; a field is
    // copied only into the member that keeps it.
    void FromLine(FieldViews& fields, const TMLgExtTools* lg);
    void FromLine(TLJWords& words, const TMLgExtTools* lg);
    void FromLine(std::string_view line, const TMLgExtTools* lg);

    // "T"/"t" true, "F"/"f" false, anything else the format error.
    static bool Bool(char c, const TMLgExtTools* lg);

    // 1 wholesale, 2 night, 3 additional, anything else the retail price.
    double CenaAkt(int type) const;

    int32_t plu = 0;
    int32_t koldod = 0;
    std::string kod;
    std::string nazwa;
    double cena = 0;
    double cena_hurt = 0;
    double cena_noc = 0;
    double cena_dod = 0;
    int32_t stawka = 0;       // whole percent; negative: a rate without a percentage
    int32_t stawka_prec = 0;  // hundredths of a percent; -1: without a percentage
    int32_t jedn = 0;
    bool czy_wazony = false;
    int32_t precyzja = 0;
    bool wagowo_ilosciowy = false;
    bool opakowanie = false;
    bool cena_otwarta = true;
    std::string kod_opakowania;
    int32_t plu_opakowania = 0;
    int32_t nr_asort = 0;
    int32_t status = kStatusNone;
    std::string opis1, opis2, opis3, opis4;
    std::string PKWiU, SWW;
    int32_t TerminW = 0;
    int32_t poziom_cen = 0;    // -1 none, 1..3 an alternative price
    int32_t ile_w_kodzie = 0;  // price scale in thousandths; 1000 unscaled
    double fd_dod_rabat_tow = 0;
    std::string nazwa_pelna;
    int32_t ile_jedn = 0;
    int32_t nr_buf = -1;               // row in the export buffer
    std::string plu_rec;               // the device's record text
    bool tr_ok = false;                // transferred to the device
    bool flag = false;                 // marker of the comparisons
    bool add_rec = false;              // added by a comparison
    std::string org_barcode;           // kod as read from the file
    int32_t org_status = kStatusNone;  // status as read from the file
    int32_t fd_nr_src_buf = 0;
    bool fd_from_ecr = false;
    bool fd_tow_z_kontr = false;
};

}  // namespace krv
