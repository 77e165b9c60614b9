// TKodWazony: in-store weighted barcodes. A 13-character template per prefix
// tells which positions hold the goods number (S), the group (G), the
// variable part (?), check digits (K), the prefix (x when composing) and
// literal digits. The object composes a code from a prefix and a goods number
// and reads the goods number and group out of a full code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/lgext.h"

namespace krv {

class TKodWazony {
  public:
    using FormatList = std::vector<std::string>;

    // The list of templates (first two characters: the prefix they serve) is
    // not owned and may be null.
    explicit TKodWazony(const FormatList* formaty = nullptr);

    void Czysc();

    // Parses a full code against the format list (a non-null list replaces the
    // stored one first). False when the code is not 13 characters long or no
    // template serves its prefix. Throws when there is no list at all.
    bool Rozparsuj(const std::string& code, const TMLgExtTools* lg,
                   const FormatList* list = nullptr);
    // The template that serves a full code; throws when there is none.
    std::string ZnajdzFormat(const std::string& code, const TMLgExtTools* lg,
                             const FormatList* list = nullptr);
    // Composes a code from Przedrostek, CzescS and Grupa after a template. The
    // result keeps "?" in the variable positions; Kod gets the same code with
    // every "?" as "0".
    std::string Poskladaj(const std::string& wzorzec, const TMLgExtTools* lg);
    // Completes a code that stops before its variable part.
    std::string NormalizujNiepelny(const std::string& code, const TMLgExtTools* lg) const;
    // A full code in its stored form (variable part as "?").
    std::string NormalizujPelny(const std::string& code, const TMLgExtTools* lg) const;

    const FormatList* Formaty = nullptr;
    std::string Kod;          // the whole code (composed, or normalised after a parse)
    std::string CzescStala;   // a parsed code's text before its first "?"
    std::string Przedrostek;  // the prefix
    std::string CzescS;       // the goods-number digits
    std::string NumerTowaru;  // CzescS without leading zeros
    int32_t DlugoscS = 0;     // goods-number positions read by the last parse
    std::string Grupa;        // the group digits

  private:
    // The first template of the list whose first two characters are the code's.
    const std::string* FindTemplate(const std::string& code) const;
};

}  // namespace krv
