#include "action/ks_action.h"

#include <algorithm>

#include "action/stawki_kolejne.h"
#include "exportdata/expbuf.h"
#include "host/library.h"
#include "platform/clock.h"
#include "platform/dir_watch.h"
#include "platform/files.h"
#include "support/errorlog.h"
#include "support/exception.h"
#include "support/ltools.h"
#include "support/mfile.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv {

namespace {

constexpr std::string_view kSection = "kstools_KSAction";

// How often the file is looked at between the once-a-second passes.
constexpr int32_t kPollMs = 25;
// One pass of the wait; the countdown unit is 0.0000115 of a day.
constexpr int64_t kPassMs = 1000;
constexpr double kCountdownUnitMs = 0.0000115 * 86400000.0;  // 993.6 ms

// The conversion specifications of a printf format, in order ("%%" left out).
std::string Conversions(std::string_view format) {
    std::string out;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') continue;
        // Flags, width and precision change no argument; length and
        // conversion letters do.
        size_t j = i + 1;
        std::string lengths;
        for (; j < format.size(); ++j) {
            char c = format[j];
            if (std::string_view("-+ #0123456789.").find(c) != std::string_view::npos) continue;
            if (std::string_view("hlLqjzt").find(c) != std::string_view::npos) {
                lengths += c;
                continue;
            }
            break;
        }
        if (j >= format.size()) return out + "%!";  // a dangling '%'
        if (format[j] != '%') out += lengths + format[j] + '|';
        i = j;
    }
    return out;
}

}  // namespace

std::string KSAction::TrFormat(const TMLgExtTools* lg, std::string_view section,
                               std::string_view key, std::string_view defaultUtf8) {
    std::string text = Tr(lg, section, key, defaultUtf8);
    std::string fallback = Tr(nullptr, section, key, defaultUtf8);
    return Conversions(text) == Conversions(fallback) ? text : fallback;
}

KSAction::KSAction(TKSLibrary* library, void* device)
    : TKSActionBase(library, device), tools_(std::make_unique<TLTools>()) {}

KSAction::~KSAction() = default;

// --- exchange file names ---

std::string KSAction::FNameIMP() const { return katalogWymiany + "null.imp"; }
std::string KSAction::FNameEXP() const { return katalogWymiany + "null.exp"; }
std::string KSAction::FNameKEXP() const { return katalogWymiany + "kasa.exp"; }
std::string KSAction::FNameWEXP() const { return katalogWymiany + "wynik.exp"; }
std::string KSAction::FNameKIMP() const { return katalogWymiany + "kasa.imp"; }
std::string KSAction::FNameKTMP() const { return katalogWymiany + "kasa.tmp"; }
std::string KSAction::FNamePAR() const { return katalogWymiany + "paragon.imp"; }
std::string KSAction::FNamePARC() const { return katalogWymiany + "archpar.imp"; }
std::string KSAction::FNameKARC() const { return katalogWymiany + "arch1.imp"; }
std::string KSAction::FNameKEARC() const { return katalogWymiany + "arch1.exp"; }
std::string KSAction::FNameLOG() const { return katalogWymiany + "kasa.log"; }

// --- waiting for a file ---

int32_t KSAction::WaitForFileState(const std::string& path, bool absence, int32_t timeout,
                                   const std::function<bool()>& giveUp) {
    auto reached = [&] { return platform::FileExists(path) != absence; };
    if (reached()) return kWaitDone;
    // The directory's change notification ends a sleep as soon as the file
    // appears (or goes); the file is still looked at between the passes, so
    // where the system cannot notify (some network shares) this is polling.
    platform::DirectoryWatch watch;
    watch.Start(platform::DirectoryOf(path));
    platform::Clock& clock = platform::CurrentClock();
    const int64_t start = clock.MonotonicMs();
    int32_t pass = 1;
    for (;;) {
        const int64_t passStart = clock.MonotonicMs();
        if (reached()) return kWaitDone;
        if (CzyPrzerwac()) return kWaitAborted;
        int32_t shown;
        if (timeout != 0) {
            const auto units =
                static_cast<int64_t>(static_cast<double>(passStart - start) / kCountdownUnitMs);
            const int64_t remaining = timeout - units;
            if (remaining < 1) return kWaitTimeOut;
            shown = static_cast<int32_t>(remaining);
        } else {
            shown = pass++;
        }
        ZmienOstatniKomunikat(KRV_MSG_ORDINARY,
                              PodajOstatniKomunikat(true) + kStatusSeparator + IntToStr(shown));

        // Until the next pass: look at the file often, so that the wait ends
        // soon after the file is there rather than up to a second later.
        const int64_t next = passStart + kPassMs;
        for (int64_t now = clock.MonotonicMs(); now < next; now = clock.MonotonicMs()) {
            clock.WaitForChange(watch,
                                static_cast<int32_t>(std::min<int64_t>(kPollMs, next - now)));
            if (reached()) return kWaitDone;
            if (giveUp && giveUp()) return reached() ? kWaitDone : kWaitGivenUp;
        }
    }
}

// --- progress and counts ---

void KSAction::Progress(int32_t& counter) {
    ++counter;
    if (counter <= 30 || (counter <= 200 ? counter % 10 == 0 : counter % 25 == 0)) MsgP(counter);
}

void KSAction::ShowTowInfo(bool all) {
    if (!expBuf) return;
    static constexpr std::string_view kKeys[4] = {
        "KSActionShowTowIMsgAdd", "KSActionShowTowIMsgAdd_00001", "KSActionShowTowIMsgAdd_00002",
        "KSActionShowTowIMsgAdd_00003"};
    static constexpr std::string_view kTexts[4] = {" - do dodania", " - do zmiany nazwy/stawki",
                                                   " - do zmiany ceny", " - do usunięcia"};
    for (int status = 0; status < 4; ++status) {
        const int count = expBuf->GetStatusCount(status);
        if (!all && count == 0) continue;
        MsgAdd(Tr(GetLgLink(), kSection, kKeys[status], kTexts[status]), lpvCount, 100);
        MsgP(count);
    }
}

std::string KSAction::ShortenPathName(const std::string& path) const {
    std::string shortPath = platform::ShortPathName(path);
    if (shortPath.size() > 260) shortPath.resize(260);
    return shortPath;
}

// --- rejected goods and warnings ---

void KSAction::SetErrorLog(const std::string& line) { rejected_.push_back(line); }

int32_t KSAction::MessageBoxA(const std::string& text, const std::string& caption, int32_t flags) {
    rejected_.push_back(caption + " (" + text + ")");
    switch (flags & 0xF) {
        case 0:        // OK
        case 1:        // OK / Cancel
            return 1;  // OK
        case 2:        // Abort / Retry / Ignore
            return 5;  // Ignore
        case 4:        // Yes / No
            return 7;  // No
        default:       // Yes/No/Cancel, Retry/Cancel, Cancel/Try/Continue and the rest
            return 2;  // Cancel
    }
}

void KSAction::AddWarning(const std::string& text, TErrorLog* log) {
    if (log)
        log->Add(text);
    else
        MsgAdd(text, lpvWarning, 100);
}

void KSAction::LogWarnings(TErrorLog* log, const std::string& prefix, const std::string& suffix,
                           int32_t state) {
    if (!log || log->GetCount() == 0) return;
    MsgAdd(prefix + IntToStr(log->GetCount()) + suffix, state, 100);
    log->GotoFirst();
    std::string line;
    for (int shown = 0; shown < 20; ++shown) {
        if (log->GetNext(line)) break;
        if (!line.empty()) MsgAdd(line, state, 100);
    }
    if (log->GetCount() > 20)
        MsgAdd(Tr(GetLgLink(), kSection, "KSActionLogWarniMsgAdd", "i tak dalej..."), state, 100);
}

void KSAction::LogujOdrzuconePrzyEksporcie() {
    if (raportZrobiony || !raportWlaczony || (rejected_.empty() && warnings_.empty())) {
        raportZrobiony = true;
        return;
    }
    const TMLgExtTools* lg = GetLgLink();
    auto report = [&](const std::vector<std::string>& list, std::string_view headKey,
                      std::string_view headText, int32_t kind, std::string_view moreKey) {
        if (list.empty()) return;
        MsgAdd(Tr(lg, kSection, headKey, headText), lpvCount, 100);
        MsgP(static_cast<int32_t>(list.size()));
        for (size_t i = 0; i < list.size() && i < 10; ++i) DodajKomunikat(kind, "..." + list[i]);
        if (list.size() > 10) DodajKomunikat(kind, Tr(lg, kSection, moreKey, "i tak dalej..."));
    };
    report(rejected_, "KSActionLogujOdrMsgAdd", " - towary odrzucone", 2,
           "LogujOdrDodajKomAnsiStri");
    report(warnings_, "KSActionLogujOdrMsgAdd_00001", " - ostrzeżenia", 1,
           "LogujOdrDodajKomAnsiStri_00001");
    std::string header =
        Tr(lg, kSection, "KSActionLogujOdrheader", "Eksport danych z dnia ") +
        TdtTools(TdtTools::Now()).ToString(TdtTools::kDateTime) +
        Tr(lg, kSection, "LogujOdrheaderdtDateTime", "\n\rTowary odrzucone i ostrzeżenia:");
    FlushErrorLog(header);
    raportZrobiony = true;
}

void KSAction::FlushErrorLog(const std::string& header) {
    TMFile file;
    file.SetPath(FNameLOG());
    file.Open();
    file.SetPointer(file.GetSize());
    file.WriteLine(std::string(80, '-'));
    file.WriteLine(header);
    std::string list;
    for (size_t i = 0; i < rejected_.size(); ++i) {
        if (i > 0) list += "\r\n";
        list += rejected_[i];
    }
    file.WriteLine(list);
    file.WriteLine("");
    file.Close();
    rejected_.clear();
}

// --- VAT numbers ---

int32_t KSAction::NumerStawki(int32_t rate) {
    if (rate == lastRate_) return lastNumber_;
    lastRate_ = rate;
    lastNumber_ = -2;
    TKSStawkiKolejne& ordering = GetStawkiKolejne();
    for (int32_t i = 0; i < ordering.IleUstawionych(); ++i) {
        if (ordering.GetUzywane(i) && ordering.GetWartosci(i) == rate) {
            lastNumber_ = i;
            break;
        }
    }
    return lastNumber_;
}

int32_t KSAction::NumerStawkiPrec(int32_t rate) {
    if (rate == lastRatePrec_) return lastNumberPrec_;
    lastRatePrec_ = rate;
    TKSStawkiKolejne& ordering = GetStawkiKolejnePrec();
    for (int32_t i = 0; i < ordering.IleUstawionych(); ++i) {
        if (ordering.GetUzywane(i) && ordering.GetWartosci(i) == rate) {
            lastNumberPrec_ = i;
            return lastNumberPrec_;
        }
    }
    lastRatePrec_ = 9999;
    lastNumberPrec_ = -2;
    throw Exception(Format(
        TrFormat(GetLgLink(), kSection, "KSActionNumerStadesc", "Niezdefiniowana stawka %.02f%%")
            .c_str(),
        static_cast<double>(static_cast<float>(rate) / 100.0f)));
}

}  // namespace krv
