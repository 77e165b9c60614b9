// The sales import file: every line ends with CR LF, so a section head that
// starts with CR LF stands after an empty line; the receipts and other
// operations after [FLAGI] add their own LF-only lines.
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"
#include "salesimport/impbuf.h"
#include "salesimport/number_text.h"
#include "support/cp1250.h"
#include "support/exception.h"
#include "support/mfile.h"
#include "support/strutil.h"

namespace krv {

namespace {

// The first time writing the goods takes longer than this part of a day
// (about 0.1 s), the rows written so far become the pace of the pauses.
constexpr double kPaceAfterDays = 1.16e-06;
constexpr double kMsPerDay = 86400000.0;
constexpr int32_t kGoodsPauseMs = 20;

char Flag(bool value) { return value ? 'T' : 'N'; }

}  // namespace

void KSImpBuf::WriteGoods(TMFile& file, bool strip) {
    file.WriteLine("[TOWAROWE]");
    platform::Clock& clock = platform::CurrentClock();
    const int64_t start = clock.MonotonicMs();
    int64_t pace = 0;
    int64_t visited = 0;
    for (size_t r = 0, n = static_cast<size_t>(goods_.GetCount()); r < n; ++r) {
        const double quantity = quantity_->GetAsExtendedAt(r);
        if (save_->GetAsIntegerAt(r) != 0 && quantity != 0) {
            std::string number, barcode;
            switch (Resolve(static_cast<e_identifier>(identifier_->GetAsIntegerAt(r)))) {
                case id_number: number = plu_->GetAsStringAt(r); break;
                case id_barcode: {
                    std::string_view code = plu_->StringViewAt(r);
                    if (strip)
                        while (code.size() >= 2 && code.front() == '0') code.remove_prefix(1);
                    barcode = code;
                    break;
                }
                default:
                    throw Exception(Utf8ToCp1250("KSExpBuf::WriteToFile() - nieprawidłowy ident"));
            }
            file.WriteLine("PLU;" + number + ';' + barcode + ';' + WholeText(quantity) + ';' +
                           WholeText(value_->GetAsExtendedAt(r)));
        }
        ++visited;
        if (pace == 0) {
            if (static_cast<double>(clock.MonotonicMs() - start) / kMsPerDay > kPaceAfterDays)
                pace = visited;
        } else if (visited % pace == 0) {
            clock.SleepMs(kGoodsPauseMs);
        }
    }
}

void KSImpBuf::WriteReceipts(TMFile& file) {
    if (!flags.zapisujParagony) return;
    for (auto& receipt : receipts_) receipt->WriteTo(file);
    for (auto& other : others_) other->WriteTo(file);
}

void KSImpBuf::DropReceipts() {
    receipts_.clear();
    others_.clear();
}

void KSImpBuf::WriteToFile(TMFile* file, bool strip) {
    WriteAll(*file, strip);
    DropReceipts();
}

void KSImpBuf::WriteAll(TMFile& f, bool strip) {
    WriteGoods(f, strip);

    f.WriteLine("\r\n[OPERACJE]");
    for (const auto& [name, value] : parameters_) f.WriteLine("KASPAR;" + name + ';' + value);

    f.WriteLine("\r\n[RAPORT_GODZINOWY]");
    for (size_t h = 0; h < hours_.size(); ++h) {
        if (hours_[h].wartosc == 0) continue;
        f.WriteLine("GODZ;" + IntToStr(static_cast<int64_t>(h)) + ';' +
                    WholeText(hours_[h].wartosc) + ';' + IntToStr(hours_[h].koszyki) + ';' +
                    IntToStr(hours_[h].linie));
    }

    f.WriteLine("\r\n[RAPORT_WALUTOWY]");
    for (int i = 0; i < wymiany_.GetCount(); ++i) f.WriteLine("WALUTA;" + wymiany_.GetTexts(i));

    f.WriteLine("\r\n[FINANSOWE]");
    if (!flags.fiskZPlu) {
        for (size_t r = 0, n = static_cast<size_t>(vatTable_.GetCount()); r < n; ++r)
            f.WriteLine("VAT;" + IntToStr(taxno_->GetAsIntegerAt(r)) + ';' +
                        WholeText(netto_->GetAsExtendedAt(r)) + ';' +
                        WholeText(vat_->GetAsExtendedAt(r)) + ';' +
                        WholeText(brutto_->GetAsExtendedAt(r)));
    }
    f.WriteLine("WPLATY;" + WholeText(totals.wplaty));
    f.WriteLine("WYPLATY;" + WholeText(totals.wyplaty));
    f.WriteLine("RABATY;" + WholeText(totals.rabaty));
    f.WriteLine("ZWROT_OPAKOWAN;" + WholeText(totals.zwrotOpakowan));
    f.WriteLine("SPRZEDAZ_OPAKOWAN;" + WholeText(totals.sprzedazOpakowan));
    f.WriteLine("FPLATN_BON;" + WholeText(totals.bony));
    f.WriteLine("FPLATN_CZEK;" + WholeText(totals.czeki));
    f.WriteLine("FPLATN_KARTA;" + WholeText(totals.karty));
    f.WriteLine("FPLATN_INNE;" + WholeText(totals.inne));
    f.WriteLine("IL_KOSZYKOW;" + IntToStr(totals.koszyki));
    f.WriteLine("IL_LINII_PAR;" + IntToStr(totals.liniePar));

    if (kasa.zbuduj) MakeStanKasyStr();
    if (!stanKasyText_.empty()) {
        std::string_view text = stanKasyText_;
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
        f.WriteLine("\r\n[STAN_KASY]");
        f.WriteLine(text);
    }

    f.WriteLine("\r\n[FLAGI]");
    f.WriteLine("DATA_SPRZEDAZY;" + dataSprzedazy_.ToString(TdtTools::kStorage));
    f.WriteLine(std::string("FISK_Z_PLU;") + Flag(flags.fiskZPlu));
    f.WriteLine(std::string("NADPISZ_FISK;") + Flag(flags.nadpiszFisk));
    f.WriteLine(std::string("NADPISZ_OPAK;") + Flag(flags.nadpiszOpak));
    f.WriteLine(std::string("PODSUMUJ_OPAK;") + Flag(flags.podsumujOpak));
    f.WriteLine(std::string("NADPISZ_PLU;") + Flag(flags.nadpiszPlu));
    f.WriteLine(std::string("DOKLEJ_PLU;") + Flag(flags.doklejPlu));

    WriteReceipts(f);
}

void KSImpBuf::Save(const std::string& path, bool strip) {
    // Whole or not at all, and kept through a power cut: the receipts are
    // dropped once the file is in place.
    TMFile file;
    file.SetPath(path);
    file.OpenReplacement();
    WriteAll(file, strip);
    file.Commit(true);
    // Only a file in place consumes the receipts: after a failure the driver
    // can save them again. A folder that cannot be flushed after the rename
    // takes the new file away again rather than leave it: a file the host
    // could import while the receipts stay here would count them twice.
    DropReceipts();
}

}  // namespace krv
