// KSKontrRec: a partner of the host's goods file ("KON" and "KONA" lines);
// KSAsort: an assortment ("ASS" lines).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "support/lgext.h"

namespace krv {

class KSKontrRec {
  public:
    KSKontrRec() { Clear(); }
    void Clear();
    // Fills the record from a line; throws the translated format error or
    // EConvertError for a bad number or date.
    void FromLine(std::string_view line, const TMLgExtTools* lg);
    // "T"/"t" true, "F"/"f" false, anything else the format error.
    static bool Bool(char c, const TMLgExtTools* lg);

    int32_t KontrId = 0;
    std::string Nazwa, Skrot, Ulica, Kod, Miasto, Telefon, NIP, KodKarty;
    double TermWaznKarty = 0;  // the card's expiry date
    bool KartaAktywna = false;
    int32_t PoziomRabatu = 0;
    double RabatOdbiorcy = 0;
    int32_t IloscPunktow = 0;
    int32_t NrBuf = -1;  // row in the buffer's partner table
};

class KSAsort {
  public:
    KSAsort() { Clear(); }
    void Clear();
    // Word 1 is the number (EConvertError when it is none), word 2 the name.
    void FromLine(std::string_view line);

    int32_t as_asno = 0;
    std::string as_name;
};

}  // namespace krv
