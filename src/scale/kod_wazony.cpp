#include "scale/kod_wazony.h"

#include <algorithm>

#include "support/exception.h"

namespace krv {

namespace {

constexpr const char* kSection = "kstools_Wazony";
constexpr size_t kCodeLength = 13;

bool SamePrefix(const std::string& a, const std::string& b) {
    return a.size() >= 2 && b.size() >= 2 && a.compare(0, 2, b, 0, 2) == 0;
}

std::string StripLeadingZeros(const std::string& s) {
    size_t first = s.find_first_not_of('0');
    return first == std::string::npos ? std::string() : s.substr(first);
}

// Length of the run of `letter` that starts at its first occurrence.
size_t RunLength(const std::string& s, char letter) {
    size_t start = s.find(letter);
    if (start == std::string::npos) return 0;
    size_t end = s.find_first_not_of(letter, start);
    return (end == std::string::npos ? s.size() : end) - start;
}

// Cut to the first `width` characters, or "0" characters in front.
std::string Fit(const std::string& s, size_t width) {
    if (s.size() >= width) return s.substr(0, width);
    return std::string(width - s.size(), '0') + s;
}

bool IsFixedCodeTemplate(const std::string& wzorzec) {
    for (size_t i = 0; i < wzorzec.size(); ++i) {
        char c = wzorzec[i];
        bool prefixDigit = i < 2 && c >= '0' && c <= '9';
        if (!prefixDigit && c != 'x' && c != 'S' && c != 'G' && c != 'K') return false;
    }
    return true;
}

std::string NotInitialised(const TMLgExtTools* lg, const char* key) {
    return Tr(lg, kSection, key, "TKodWazony: formaty ważone nie zainicjowane!");
}

}  // namespace

TKodWazony::TKodWazony(const FormatList* formaty) : Formaty(formaty) { Czysc(); }

void TKodWazony::Czysc() {
    Kod.clear();
    CzescStala.clear();
    Przedrostek.clear();
    CzescS.clear();
    NumerTowaru.clear();
    DlugoscS = 0;
    Grupa.clear();
}

const std::string* TKodWazony::FindTemplate(const std::string& code) const {
    for (const std::string& t : *Formaty)
        if (SamePrefix(t, code)) return &t;
    return nullptr;
}

bool TKodWazony::Rozparsuj(const std::string& code, const TMLgExtTools* lg,
                           const FormatList* list) {
    if (list) Formaty = list;
    if (!Formaty) throw Exception(NotInitialised(lg, "TKodWazoRozparsuExceptio"));
    Czysc();
    if (code.size() != kCodeLength) return false;
    const std::string* wzorzec = FindTemplate(code);
    if (!wzorzec) return false;

    // A template shorter than the code simply has fewer positions to read.
    for (size_t i = 2; i < kCodeLength && i < wzorzec->size(); ++i) {
        if ((*wzorzec)[i] == 'G') {
            Grupa += code[i];
        } else if ((*wzorzec)[i] == 'S') {
            CzescS += code[i];
            ++DlugoscS;
        }
    }
    Przedrostek = code.substr(0, 2);
    size_t variable = code.find('?');
    CzescStala = variable == std::string::npos ? std::string() : code.substr(0, variable);
    Kod = CzescStala + std::string(kCodeLength - CzescStala.size(), '0');
    NumerTowaru = StripLeadingZeros(CzescS);
    return true;
}

std::string TKodWazony::ZnajdzFormat(const std::string& code, const TMLgExtTools* lg,
                                     const FormatList* list) {
    if (list) Formaty = list;
    if (!Formaty) throw Exception(NotInitialised(lg, "TKodWazoZnajdzFoExceptio"));
    Czysc();
    if (code.size() != kCodeLength)
        throw Exception(Tr(lg, kSection, "TKodWazoZnajdzFoExceptio_00001",
                           "TKodWazony: Podany kod niby ważony, a nie ma odpowiedniej długości: ") +
                        code);
    const std::string* wzorzec = FindTemplate(code);
    if (!wzorzec)
        throw Exception(Tr(lg, kSection, "TKodWazoZnajdzFoExceptio_00002",
                           "TKodWazony: Nie znaleziono pasującego formatu dla kodu: ") +
                        code);
    return *wzorzec;
}

std::string TKodWazony::Poskladaj(const std::string& wzorzec, const TMLgExtTools* lg) {
    std::string prefix = Przedrostek;
    std::string goods = StripLeadingZeros(CzescS);
    if (wzorzec.size() != kCodeLength)
        throw Exception(Tr(lg, kSection, "TKodWazoPoskladaExceptio",
                           "TKodWazony: nieprawidłowy format wcorca kodu"));
    size_t xCount = RunLength(wzorzec, 'x');
    if (wzorzec.find('S') == std::string::npos)
        throw Exception(Tr(lg, kSection, "TKodWazoPoskladaExceptio_00001",
                           "TKodWazony: brak cześci stałej \"S\" w formacie"));
    size_t sCount = RunLength(wzorzec, 'S');
    // A code without a variable part (a fixed code: prefix, goods number and
    // check digits only, like "xxSSSSSSSSSSK") is composed as it is; a
    // template that fills the variable place with anything else lacks it.
    if (wzorzec.find('?') == std::string::npos && !IsFixedCodeTemplate(wzorzec))
        throw Exception(Tr(lg, kSection, "TKodWazoPoskladaExceptio_00002",
                           "TKodWazony: brak cześci zmiennej \"?\" w formacie"));
    size_t qCount = RunLength(wzorzec, '?');
    size_t gCount = RunLength(wzorzec, 'G');

    prefix = Fit(prefix, xCount);
    goods = Fit(goods, sCount);
    // The group run is filled with the group digits, fitted like the goods
    // part, so that a template with a G run composes like any other.
    std::string group = Fit(Grupa, gCount);

    std::string result;
    size_t pos = 0;  // index into the template
    while (pos < wzorzec.size()) {
        char c = wzorzec[pos];
        if (c == 'x' || c == 'S' || c == '?' || c == 'G') {
            if (c == 'x')
                result += prefix;
            else if (c == 'S')
                result += goods;
            else if (c == 'G')
                result += group;
            else
                result += std::string(qCount, '?');
            // The walk goes on after what the result already holds.
            pos = result.size();
        } else if (c == 'K') {
            result += !result.empty() && result.back() == '?' ? '?' : '0';
            ++pos;
        } else {
            if (c >= '0' && c <= '9') result += c;
            ++pos;
        }
    }
    Kod = result;
    for (char& ch : Kod)
        if (ch == '?') ch = '0';
    return result;
}

std::string TKodWazony::NormalizujNiepelny(const std::string& code, const TMLgExtTools* lg) const {
    if (!Formaty) throw Exception(NotInitialised(lg, "TKodWazoNormalizExceptio"));
    if (code.size() < 3) return code;
    for (const std::string& t : *Formaty) {
        if (!SamePrefix(t, code)) continue;
        std::string wzorzec = t;
        for (char& ch : wzorzec)
            if (ch == 'K') ch = '?';
        size_t n = std::min(wzorzec.find('?'), wzorzec.size());
        if (n >= 3 && code.size() == n)
            return code + std::string(kCodeLength > n ? kCodeLength - n : 0, '?');
    }
    return code;
}

std::string TKodWazony::NormalizujPelny(const std::string& code, const TMLgExtTools* lg) const {
    if (!Formaty) throw Exception(NotInitialised(lg, "TKodWazoNormalizExceptio_00001"));
    for (const std::string& t : *Formaty) {
        if (t.size() != code.size() || !SamePrefix(t, code)) continue;
        size_t n = 0;
        for (char ch : t)
            if (ch != '?' && ch != 'K') ++n;
        return code.substr(0, n) + std::string(t.size() - n, '?');
    }
    return code;
}

}  // namespace krv
