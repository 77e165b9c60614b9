// TKartaRab: a loyalty card's code, composed from a card-format template.
// A template is read position by position:
//   0-9  a literal digit             s  prefix digits
//   k    card-number digits (the "kkk..." section is mandatory)
//   r    discount-level digits
//   y/Y  year of the expiry date, m/M month, d/D day: the lower-case letter
//        keeps the last digits, the upper-case one the first
//   x    the EAN-13 check digit, only as the 13th character
// Each field takes one run of its letter; the run's length is its width.
#pragma once

#include <cstdint>
#include <string>

#include "support/lgext.h"
#include "support/tdttools.h"

namespace krv {

class TKartaRab {
  public:
    TKartaRab() { Czysc(); }

    // Prefix, discount level and card number back to 0 and empty (the
    // expiry date stays).
    void Czysc();

    // Throws the translated fault of the first thing wrong with the template.
    static void SprawdzPoprawnoscWzorca(const std::string& wzorzec, const TMLgExtTools* lg);
    // The card's code by the template (validated first).
    std::string Poskladaj(const std::string& wzorzec, const TMLgExtTools* lg) const;
    // Clears the card and takes the card number out of a code read by the
    // template (validated first): the characters under its "k" run, fewer
    // when the code is shorter.
    void Rozparsuj(const std::string& wzorzec, const std::string& kod, const TMLgExtTools* lg);

    int32_t Przedrostek = 0;
    TdtTools TerminWaznosci;
    int32_t PoziomRabatu = 0;
    std::string KodKarty;
};

}  // namespace krv
