// KSKasjer (a cashier, "OPER" lines) and KSWaluta (a currency, "WAL" lines):
// each keeps its whole line and converts a field only when it is asked for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "exportdata/ljwords.h"
#include "support/lgext.h"

namespace krv {

class KSKasjer {
  public:
    // The line: number;surname;authorisation level;identifier;card code.
    KSKasjer(std::string_view line, const TMLgExtTools* lg);
    KSKasjer(int32_t numer, std::string_view nazwisko, int32_t poziom,
             std::string_view identyfikator, std::string_view kodKarty, const TMLgExtTools* lg);

    // Each getter reports a field that cannot be read with its own text.
    int32_t GetNumer() const;
    std::string GetNazwisko() const;
    int32_t GetPoziomUprawnien() const;
    std::string GetIdentyfikator() const;
    std::string GetKodKarty() const;

  private:
    mutable TLJWords words_;
    const TMLgExtTools* lg_;
};

class KSWaluta {
  public:
    // The line: code;name;rate;default flag;change flag.
    KSWaluta(std::string_view line, const TMLgExtTools* lg);

    std::string GetKod() const;
    std::string GetNazwa() const;
    int32_t GetKurs() const;
    // Only an upper-case "T" is true.
    bool GetCzyDomyslna() const;
    bool GetCzyMoznaWydawacReszte() const;

  private:
    mutable TLJWords words_;
    const TMLgExtTools* lg_;
};

}  // namespace krv
