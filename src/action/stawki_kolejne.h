// TKSStawkiKolejne: which host VAT rate sits at which device tax position.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "support/macset.h"

namespace krv {

class TKSStawkiKolejne {
  public:
    static constexpr int32_t kPusta = -999;    // empty slot
    static constexpr int32_t kZwolniona = -1;  // exempt from VAT ("zw")
    static constexpr int32_t kSloty = 10;

    TKSStawkiKolejne();

    int32_t GetWartosci(int32_t position) const;
    void SetWartosci(int32_t position, int32_t value);
    bool GetUzywane(int32_t position) const;
    bool GetZwolnione(int32_t position) const;
    int32_t IleUstawionych() const;
    void ObetnijDoTylu(int32_t n);
    void WczytajZTekstuParametru(const std::string& text, bool times100);
    void WczytajZListyDostepnychStawek(const TMacSetOfIntegers& set);
    std::string SpiszDoTekstuParametru() const;

  private:
    std::array<int32_t, kSloty> slots_;
};

}  // namespace krv
