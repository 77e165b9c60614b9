// The PLU file: which goods go to the scale, with which PLU number and
// barcode, and the file digism.exp written as it is built.
#include <algorithm>

#include "exportdata/expbuf.h"
#include "host/library.h"
#include "scale/tarvisco_action.h"
#include "support/line_reader.h"
#include "support/strutil.h"

namespace krv {

namespace {

constexpr std::string_view kSection = "tarvisco_dgaction";
constexpr size_t kPominieteShown = 20;

// The whole text as a non-negative decimal number; 0 when it is not one.
// Wide enough for every code of 13 digits.
int64_t Liczba(const std::string& text) {
    if (text.empty() || text.size() > 18) return 0;
    int64_t value = 0;
    size_t i = text[0] == '+' ? 1 : 0;
    if (i == text.size()) return 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// Digits of a code without its leading zeros.
int CyfryZnaczace(const std::string& kod) {
    size_t first = kod.find_first_not_of('0');
    return first == std::string::npos ? 0 : static_cast<int>(kod.size() - first);
}

}  // namespace

bool TarviscoAction::FormatujKodWazony(KSTowRec& rec, std::string& pluNumber,
                                       std::string& barcode) {
    const TMLgExtTools* lg = TKSLibrary::CurrentLg();
    if (KodyKD == 0) {
        if (rec.kod.size() > 10) return false;
        const int64_t value = Liczba(rec.kod);
        if (value < KodPocz || value > KodKonc) return false;
        TKodWazony composer(nullptr);
        composer.Przedrostek = PrzedrWagowy;
        composer.CzescS = rec.kod;
        composer.Poskladaj(WagaDigiFormat(), lg);
        barcode = composer.Kod;
    } else {
        if (!rec.czy_wazony) return false;
        barcode = rec.kod;
        for (char& c : barcode)
            if (c == '?') c = '0';
        if (barcode.size() != 13) return false;
    }

    // The group digits are read whenever the subgroup filter needs them, not
    // only when the PLU number comes from the code.
    const bool filtr = SubgroupOnly && KodyKD == 1;
    const bool parse = KodyKD != 0 && (SkadPlu != 0 || filtr);
    if (parse && !KodWazony.Rozparsuj(rec.kod, lg, &GetFormatyWazone())) return false;

    int64_t plu;
    if (SkadPlu == 0)
        plu = rec.plu;
    else if (KodyKD == 0)
        plu = Liczba(rec.kod);
    else
        plu = Liczba(KodWazony.NumerTowaru);
    if (plu >= 0 && plu <= 99999999) {
        pluNumber.assign(8, '0');
        for (size_t i = 8; plu > 0; plu /= 10) pluNumber[--i] = static_cast<char>('0' + plu % 10);
    } else {
        pluNumber = Format("%08lld", static_cast<long long>(plu));
    }

    if (filtr && (KodWazony.Grupa.empty() || Liczba(KodWazony.Grupa) != Subgroup)) return false;
    return true;
}

void TarviscoAction::MakePluRecs() {
    const TMLgExtTools* lg = TKSLibrary::CurrentLg();
    const int total = expBuf->GetGoodsCount();
    MsgAdd(Tr(lg, kSection, "TarviscoMakePluRMsgAdd", "Przygotowanie pliku eksportowego"),
           lpvPercent, total);
    const PluLayout layout = Layout();
    const int32_t maximum = ProgressMax();
    // Records go out in large chunks as they are built: the file is never
    // held whole, and an export that sends nothing leaves it untouched.
    ChunkedWriter plik(FNameEXP());

    const std::string wzorzec = WagaDigiFormat();
    const auto cyfryKodu = static_cast<int>(std::count(wzorzec.begin(), wzorzec.end(), 'S'));
    KSTowRec rec;
    std::string plu, barcode;
    int32_t shownPercent = 0;
    for (int row = 0; row < total; ++row) {
        expBuf->CzytajRecDoUrzadzenia(row, &rec);
        int32_t operation;
        if (rec.status == kStatusAdd || rec.status == kStatusUpdate ||
            rec.status == kStatusPriceChange)
            operation = 0;
        else if (rec.status == kStatusDelete)
            operation = 1;
        else
            continue;
        if (!FormatujKodWazony(rec, plu, barcode)) continue;

        // A value wider than its field would shift every field after it, and
        // a code wider than the barcode's goods digits would be cut into
        // another goods item's barcode.
        std::string price = PoleCeny(rec, PoziomCen);
        if (KodyKD == 0 && CyfryZnaczace(rec.kod) > cyfryKodu) {
            pominiete_.push_back(row);
            pominieteOpis_.push_back(Format(
                TrFormat(lg, kSection, "TarviscoMakePluRPominKod",
                         "Towar %d \"%s\" (kod %s) pominięty: kod nie mieści się w %d cyfrach "
                         "formatu kodu kreskowego")
                    .c_str(),
                rec.plu, rec.nazwa.c_str(), rec.kod.c_str(), cyfryKodu));
            continue;
        }
        if (plu.size() != 8 || plu[0] == '-') {
            pominiete_.push_back(row);
            pominieteOpis_.push_back(Format(
                TrFormat(
                    lg, kSection, "TarviscoMakePluRPominPlu",
                    "Towar %d \"%s\" (kod %s) pominięty: numer PLU %s nie mieści się w 8 cyfrach")
                    .c_str(),
                rec.plu, rec.nazwa.c_str(), rec.kod.c_str(), plu.c_str()));
            continue;
        }
        if (price.empty() && operation == 1) {
            // A delete needs only the PLU number: a price that cannot be
            // printed must not keep the goods on the scale for ever.
            price.assign(8, '0');
        } else if (price.empty()) {
            pominiete_.push_back(row);
            pominieteOpis_.push_back(Format(
                TrFormat(lg, kSection, "TarviscoMakePluRPominCena",
                         "Towar %d \"%s\" (kod %s) pominięty: cena %.0f nie mieści się w 8 cyfrach")
                    .c_str(),
                rec.plu, rec.nazwa.c_str(), rec.kod.c_str(), rec.CenaAkt(PoziomCen)));
            continue;
        }

        DopiszRekordPlu(plik.Buffer(), rec, operation, plu, price, barcode, layout);
        plik.Written();
        ++LiczbaRekordow;
        // The host's line changes only when the percentage does.
        const int32_t percent =
            static_cast<int32_t>(static_cast<int64_t>(LiczbaRekordow) * 100 / maximum);
        if (percent != shownPercent) {
            shownPercent = percent;
            MsgP(LiczbaRekordow);
        }
    }
    MsgP(LiczbaRekordow);

    if (LiczbaRekordow > 0) plik.Close();

    MsgS(lpvFinished);
    PokazPominiete();
    MsgAdd(Tr(lg, kSection, "TarviscoMakePluRMsgAdd_00001", " - do wysłania"), lpvCount, 100);
    MsgP(LiczbaRekordow);
}

void TarviscoAction::PokazPominiete() {
    if (pominieteOpis_.empty()) return;
    const TMLgExtTools* lg = TKSLibrary::CurrentLg();
    MsgAdd(Tr(lg, kSection, "TarviscoMakePluRPominMsgAdd",
              " - pominięte (wartość nie mieści się w rekordzie)"),
           lpvCount, 100);
    MsgP(static_cast<int32_t>(pominieteOpis_.size()));
    for (size_t i = 0; i < pominieteOpis_.size() && i < kPominieteShown; ++i)
        DodajKomunikat(KRV_MSG_WARNING, pominieteOpis_[i]);
    if (pominieteOpis_.size() > kPominieteShown)
        DodajKomunikat(KRV_MSG_WARNING,
                       Tr(lg, kSection, "TarviscoMakePluRPominDalej", "i tak dalej..."));
}

}  // namespace krv
