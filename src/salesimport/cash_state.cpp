#include "salesimport/cash_state.h"

#include <cmath>

#include "salesimport/number_text.h"
#include "salesimport/receipt_items.h"
#include "support/strutil.h"

namespace krv {

namespace {

// A value as the text of the file holds it: summing a currency again starts
// from what was written, not from hidden fractions.
double AsWritten(double v) { return std::nearbyint(v); }

void Line(std::string& out, const char* key, const std::string& value) {
    out += key;
    out += ';';
    out += value;
    out += "\r\n";
}

template <typename T>
void IntLine(std::string& out, const char* key, const std::optional<T>& v) {
    if (v) Line(out, key, IntToStr(*v));
}

void AmountLine(std::string& out, const char* key, const std::optional<double>& v) {
    if (v) Line(out, key, WholeText(*v));
}

void DateLine(std::string& out, const char* key, const std::optional<double>& v) {
    if (v) Line(out, key, SalesDateText(*v));
}

}  // namespace

void KSStanKasy::AddWaluta(const std::string& nazwa, double kurs, double stan, double bilans) {
    for (Waluta& w : waluty) {
        if (w.nazwa != nazwa) continue;
        if (kurs > 0) w.kurs = AsWritten(kurs);
        w.stan = AsWritten(w.stan + stan);
        w.bilans = AsWritten(w.bilans + bilans);
        return;
    }
    waluty.push_back({nazwa, AsWritten(kurs), AsWritten(stan), AsWritten(bilans)});
}

std::string KSStanKasy::ToText() const {
    std::string out;
    Line(out, "KAS_NUMER", IntToStr(numer));
    if (numer == 0) return out;
    IntLine(out, "KAS_NR_KASJERA", nrKasjera);
    if (nazwisko) Line(out, "KAS_NAZWISKO", *nazwisko);
    IntLine(out, "KAS_UPRAWN", uprawnienia);
    DateLine(out, "KAS_ZMSTART", startZmiany);
    DateLine(out, "KAS_BIEZ", czasKasy);
    AmountLine(out, "KAS_STANKASY", stanKasy);
    AmountLine(out, "KAS_KARTY", karty);
    AmountLine(out, "KAS_BONY", bony);
    AmountLine(out, "KAS_CZEKI", czeki);
    AmountLine(out, "KAS_PRZELEWY", przelewy);
    AmountLine(out, "KAS_DODFPLAT", dodatkoweFormy);
    AmountLine(out, "KAS_INNEFPLAT", inneFormy);
    IntLine(out, "KAS_PARAGONOW", paragonow);
    IntLine(out, "KAS_IL_PAR_ANULOWANYCH", anulowanychParagonow);
    AmountLine(out, "KAS_WART_PAR_ANULOWANYCH", wartoscAnulowanych);
    IntLine(out, "KAS_IL_STORNO", storn);
    AmountLine(out, "KAS_WART_STORNO", wartoscStorn);
    for (size_t i = 0; i < waluty.size(); ++i) {
        const std::string n = "KAS_WAL" + IntToStr(static_cast<int64_t>(i) + 1);
        Line(out, (n + "_NAZWA").c_str(), waluty[i].nazwa);
        Line(out, (n + "_KURS").c_str(), WholeText(waluty[i].kurs));
        Line(out, (n + "_STAN").c_str(), WholeText(waluty[i].stan));
        Line(out, (n + "_BILANS").c_str(), WholeText(waluty[i].bilans));
    }
    return out;
}

}  // namespace krv
