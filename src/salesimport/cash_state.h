// The register's cash state as a driver fills it: each value is written only
// when the register gave it (an empty optional is left out), and the
// currencies held come as one entry each. Its text is the [STAN_KASY] section
// of the sales import file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace krv {

struct KSStanKasy {
    // Turn the record into the cash-state text when the file is written
    // (replacing lines added one by one with AddLinieStanuKasy).
    bool zbuduj = false;

    int32_t numer = 0;  // register number; 0 writes the number line alone
    std::optional<int32_t> nrKasjera;
    std::optional<std::string> nazwisko;  // cashier's name
    std::optional<int32_t> uprawnienia;   // cashier's rights
    std::optional<double> startZmiany;    // date value
    std::optional<double> czasKasy;       // the register's clock, date value
    std::optional<double> stanKasy;       // cash in the drawer
    std::optional<double> karty;
    std::optional<double> bony;
    std::optional<double> czeki;
    std::optional<double> przelewy;
    std::optional<double> dodatkoweFormy;
    std::optional<double> inneFormy;
    std::optional<int32_t> paragonow;
    std::optional<int32_t> anulowanychParagonow;
    std::optional<double> wartoscAnulowanych;
    std::optional<int32_t> storn;
    std::optional<double> wartoscStorn;

    struct Waluta {
        std::string nazwa;
        double kurs = 0;
        double stan = 0;
        double bilans = 0;
    };
    std::vector<Waluta> waluty;

    // Everything back to "not given", the number to 0, no currencies.
    void Clear() { *this = KSStanKasy(); }
    // Adds amount and balance to the currency of that name (the rate only
    // replaces the old one when it is above 0), or appends a new currency.
    void AddWaluta(const std::string& nazwa, double kurs, double stan, double bilans);
    // The cash-state lines, each ending with CR LF.
    std::string ToText() const;
};

}  // namespace krv
