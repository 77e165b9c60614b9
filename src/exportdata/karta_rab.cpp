#include "exportdata/karta_rab.h"

#include <string_view>

#include "support/exception.h"
#include "support/ltools.h"
#include "support/strutil.h"

namespace krv {

namespace {

constexpr std::string_view kSection = "kstools_KartaRab";
constexpr size_t kCheckDigitPosition = 12;  // the 13th character

[[noreturn]] void Fault(const TMLgExtTools* lg, const char* key, const char* text) {
    throw Exception(Tr(lg, kSection, key, text));
}

bool Has(const std::string& s, char c) { return s.find(c) != std::string::npos; }

// The length of the run of `letter` (or of `other`, the same field's other
// case) that starts at the first `letter`; 0 when there is none.
size_t RunLength(const std::string& t, char letter, char other = '\0') {
    size_t at = t.find(letter);
    if (at == std::string::npos) {
        if (other == '\0') return 0;
        letter = other;
        at = t.find(letter);
        if (at == std::string::npos) return 0;
    }
    size_t end = at;
    while (end < t.size() && (t[end] == letter || (other != '\0' && t[end] == other))) ++end;
    return end - at;
}

std::string Fit(std::string text, size_t width, e_just cutting) {
    return TLTools::StrSize(text, static_cast<int>(width), '0', just_right, cutting);
}

}  // namespace

void TKartaRab::Czysc() {
    Przedrostek = 0;
    PoziomRabatu = 0;
    KodKarty.clear();
}

void TKartaRab::SprawdzPoprawnoscWzorca(const std::string& t, const TMLgExtTools* lg) {
    if (t.empty())
        Fault(lg, "TKartaRaSprawdzPExceptio",
              "TKartaRab: jak mam przetwarzać karty klienta, jeśli format nie wprowadzony?");
    if (Has(t, 'y') && Has(t, 'Y'))
        Fault(lg, "TKartaRaSprawdzPExceptio_00001",
              "TKartaRab: w formacie nie mogą występować równocześnie y i Y");
    if (Has(t, 'm') && Has(t, 'M'))
        Fault(lg, "TKartaRaSprawdzPExceptio_00002",
              "TKartaRab: w formacie nie mogą występować równocześnie m i M");
    if (Has(t, 'd') && Has(t, 'D'))
        Fault(lg, "TKartaRaSprawdzPExceptio_00003",
              "TKartaRab: w formacie nie mogą występować równocześnie d i D");
    for (size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if ((c >= '0' && c <= '9') ||
            std::string_view("DMYdkmrsy").find(c) != std::string_view::npos)
            continue;
        if (c == 'x') {
            if (i == kCheckDigitPosition) continue;
            Fault(lg, "TKartaRaSprawdzPExceptio_00004",
                  "TKartaRab: cyfra kontrolna EAN13 (literka 'x' w formacie karty) może być "
                  "tylko na 13 miejscu, albo wcale");
        }
        Fault(lg, "TKartaRaSprawdzPExceptio_00005",
              "TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko 0-9 oraz "
              "skymdYMDrx");
    }
    if (!Has(t, 'k'))
        Fault(lg, "TKartaRaSprawdzPExceptio_00006",
              "TKartaRab: format karty musi zawierać sekcję z kodem klienta (\"kkk...\")");
}

std::string TKartaRab::Poskladaj(const std::string& t, const TMLgExtTools* lg) const {
    SprawdzPoprawnoscWzorca(t, lg);
    int year, month, day;
    TdtTools::DecodeDate(TerminWaznosci.Value(), year, month, day);

    // Lower-case date letters keep the last digits, upper-case the first.
    auto dateCut = [&t](char lower) { return Has(t, lower) ? just_right : just_left; };
    const std::string prefix = Fit(IntToStr(Przedrostek), RunLength(t, 's'), just_left);
    const std::string card = Fit(KodKarty, RunLength(t, 'k'), just_left);
    const std::string level = Fit(IntToStr(PoziomRabatu), RunLength(t, 'r'), just_left);
    const std::string y = Fit(IntToStr(year), RunLength(t, 'y', 'Y'), dateCut('y'));
    const std::string m = Fit(IntToStr(month), RunLength(t, 'm', 'M'), dateCut('m'));
    const std::string d = Fit(IntToStr(day), RunLength(t, 'd', 'D'), dateCut('d'));

    std::string code;
    for (size_t i = 0; i < t.size();) {
        const std::string* field = nullptr;
        switch (t[i]) {
            case 's': field = &prefix; break;
            case 'k': field = &card; break;
            case 'r': field = &level; break;
            case 'y':
            case 'Y': field = &y; break;
            case 'm':
            case 'M': field = &m; break;
            case 'd':
            case 'D': field = &d; break;
            default: break;
        }
        if (field) {
            code += *field;
            i = code.size();  // the template is read on where the code now ends
        } else {
            if (t[i] >= '0' && t[i] <= '9') code += t[i];
            ++i;
        }
    }
    if (Has(t, 'x')) TLTools::KorygujCyfreKontrolnaEAN13(code);
    return code;
}

void TKartaRab::Rozparsuj(const std::string& t, const std::string& kod, const TMLgExtTools* lg) {
    Czysc();
    SprawdzPoprawnoscWzorca(t, lg);
    const size_t at = t.find('k');
    const size_t length = RunLength(t, 'k');
    if (at < kod.size()) KodKarty = kod.substr(at, length);
}

}  // namespace krv
