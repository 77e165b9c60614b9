#include "action/action_base.h"

#include "action/stawki_kolejne.h"
#include "host/library.h"
#include "platform/clock.h"
#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {
constexpr const char* kSection = "kstools_KSLib";

// The message kind that a progress state is sent with.
int32_t KindOf(int32_t state) {
    switch (state) {
        case lpvFailed: return KRV_MSG_ERROR;
        case lpvWarning: return KRV_MSG_WARNING;
        default: return KRV_MSG_ORDINARY;
    }
}
}  // namespace

TKSActionBase::TKSActionBase(TKSLibrary* library, void* device)
    : library_(library), device_(device) {
    library_->WypelnijDaneUrzadzenia(*this);
}

TKSActionBase::~TKSActionBase() = default;

bool TKSActionBase::JakSzukacParagonu(int32_t*, int32_t*, int32_t*) { return false; }

int32_t TKSActionBase::Operacja(HKRVDLLSRODOWISKO&, int32_t, int32_t) {
    throw Exception(Tr(GetLgLink(), kSection, "TKSActioOperacjaExceptio",
                       "Urządzenie nie obsługuje zleconego typu operacji"));
}

std::string TKSActionBase::WlasciwosciUrzadzenia(int32_t code) {
    return (code == 1101 || code == 1103) ? "0" : "";
}

// --- messages and progress ---

std::string TKSActionBase::StatusSuffix(int32_t state, int32_t position) const {
    // Built by appending: GCC 12 warns falsely (-Wrestrict) of "text" + string.
    std::string suffix;
    switch (state) {
        case lpvFinished: return suffix.append(1, kStatusSeparator).append("OK");
        case lpvPercent: {
            int64_t percent = static_cast<int64_t>(position) * 100 / progressMax_;
            return suffix.append(":")
                .append(1, kStatusSeparator)
                .append(IntToStr(percent))
                .append(" %");
        }
        case lpvCount:
            return suffix.append(":").append(1, kStatusSeparator).append(IntToStr(position));
        default: return {};
    }
}

void TKSActionBase::MsgAdd(const std::string& text, int32_t state, int32_t maximum) {
    std::vector<std::string> lines = SplitLines(text);
    if (lines.empty()) return;
    progressMax_ = maximum < 1 ? 1 : maximum;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (i + 1 == lines.size()) line += StatusSuffix(state, 0);
        DodajKomunikat(KindOf(state), line);
    }
    progressLine_ = lines.back();
    progressState_ = state;
    progressPosition_ = 0;
}

void TKSActionBase::MsgP(int32_t position) {
    if (position == progressPosition_) return;
    progressPosition_ = position;
    if (progressState_ == lpvCount || progressState_ == lpvPercent)
        ZmienOstatniKomunikat(KRV_MSG_ORDINARY,
                              progressLine_ + StatusSuffix(progressState_, position));
}

void TKSActionBase::MsgS(int32_t state) {
    if (state == progressState_) return;
    progressState_ = state;
    ZmienOstatniKomunikat(KindOf(state), progressLine_ + StatusSuffix(state, progressPosition_));
}

void TKSActionBase::DodajKomunikat(int32_t kind, const std::string& text) {
    library_->DodajKomunikat(*this, kind, text);
    lastMessage_ = text;
}

std::string TKSActionBase::ZmienOstatniKomunikat(int32_t kind, const std::string& text) {
    std::string previous = lastMessage_;
    library_->ZmienOstatniKomunikat(*this, kind, text);
    lastMessage_ = text;
    return previous;
}

std::string TKSActionBase::PodajOstatniKomunikat(bool cut) const {
    if (!cut) return lastMessage_;
    size_t sep = lastMessage_.find(kStatusSeparator);
    return sep == std::string::npos ? lastMessage_ : lastMessage_.substr(0, sep);
}

// --- forwarders ---

bool TKSActionBase::CzyPrzerwac() const { return library_->CzyPrzerwac(*this); }

std::string TKSActionBase::WartoscParametru(const std::string& name) const {
    return library_->WartoscParametru(*this, name);
}

bool TKSActionBase::OdczytajTowar(const std::string& key, std::string& record) const {
    return library_->OdczytajTowar(*this, key, record);
}

void TKSActionBase::OdswiezParametry() const { library_->OdswiezParametry(*this); }

void TKSActionBase::ZwolnijZasobSterownika(const std::string& name) const {
    library_->ZwolnijZasobSterownika(*this, name);
}

void TKSActionBase::KasujFlageAlarmu() const { library_->KasujFlageAlarmu(*this); }

int32_t TKSActionBase::WstrzymajOperacje(const std::string& text, int32_t value) const {
    return library_->WstrzymajOperacje(*this, text, value);
}

void TKSActionBase::ZapiszStanLicznika(int32_t* counters, int32_t count) const {
    library_->ZapiszStanLicznika(*this, counters, count);
}

void TKSActionBase::ZapiszStanICzasLicznika(int32_t* counters, int32_t count,
                                            const std::string& time) const {
    library_->ZapiszStanICzasLicznika(*this, counters, count, time);
}

int32_t TKSActionBase::DodajTowarZKasy(const std::string& t1, int32_t i1, const std::string& t2,
                                       int32_t i2, const std::string& t3, const std::string& t4,
                                       int32_t i3, double f1, double f2, double f3, double f4,
                                       int32_t i4, int32_t i5, const std::string& t5) const {
    return library_->DodajTowarZKasy(*this, t1, i1, t2, i2, t3, t4, i3, f1, f2, f3, f4, i4, i5, t5);
}

const TMLgExtTools* TKSActionBase::GetLgLink() const { return library_->GetLgLink(); }

// --- operations with behaviour of their own ---

void TKSActionBase::SprawdzCzyPrzerwac() const {
    if (CzyPrzerwac()) throw EAbort();
}

void TKSActionBase::ZajmijZasobSterownika(const std::string& name) const {
    while (!library_->ZajmijZasobSterownika(*this, name)) {
        SprawdzCzyPrzerwac();
        platform::CurrentClock().SleepMs(100);
    }
}

void TKSActionBase::ZapiszWynikEksportu() const {
    if (!library_->ZapiszWynikEksportu(*this))
        throw Exception(Tr(GetLgLink(), kSection, "TKSActioZapiszWyExceptio",
                           "Błąd zapisu wyniku eksportu do bazy danych"));
}

void TKSActionBase::ZapiszKasaImp() const {
    if (!library_->ZapiszImport(*this))
        throw Exception(Tr(GetLgLink(), kSection, "TKSActioZapiszKaExceptio",
                           "Błąd zapisu importu sprzedaży do bazy danych"));
}

void TKSActionBase::ZapiszParagonImp() const {
    if (!library_->ZapiszParagon(*this))
        throw Exception(Tr(GetLgLink(), kSection, "TKSActioZapiszPaExceptio",
                           "Błąd zapisu pojedynczego paragonu do bazy danych"));
}

std::vector<std::string>& TKSActionBase::GetFormatyWazone() {
    if (!formatyWazoneLoaded_) {
        formatyWazoneLoaded_ = true;
        library_->WypelnijFormatyWazone(*this);
    }
    return formatyWazone_;
}

TMacSetOfIntegers& TKSActionBase::StawkiDostepneSet() {
    if (!stawkiDostepne_) stawkiDostepne_ = std::make_unique<TMacSetOfIntegers>(100);
    return *stawkiDostepne_;
}

TMacSetOfIntegers& TKSActionBase::StawkiDostepnePrecSet() {
    if (!stawkiDostepnePrec_) stawkiDostepnePrec_ = std::make_unique<TMacSetOfIntegers>(100);
    return *stawkiDostepnePrec_;
}

// --- final catcher ---

void TKSActionBase::OstatecznePrzechwycenieBledu(const std::string& operationName,
                                                 const std::exception* e) noexcept {
    try {
        const TMLgExtTools* lg = GetLgLink();
        std::string text;
        if (e == nullptr) {
            text =
                Tr(lg, kSection, "TKSActioOstateczstr", "Podczas wykonywania operacji '") +
                operationName +
                Tr(lg, kSection, "TKSActioOstateczstr_00001", "' wystąpił nierozpoznawalny błąd");
        } else if (dynamic_cast<const EAbort*>(e)) {
            text = Tr(lg, kSection, "TKSActioOstateczstr_00002", "Operacja '") + operationName +
                   Tr(lg, kSection, "TKSActioOstateczstr_00003", "' została przerwana");
        } else {
            text = Tr(lg, kSection, "TKSActioOstateczstr_00004", "Podczas wykonywania operacji '") +
                   operationName +
                   Tr(lg, kSection, "TKSActioOstateczstr_00005", "' wystąpił błąd:\r\n");
            if (auto* em = dynamic_cast<const EMException*>(e)) {
                for (int i = 0; i < em->GetTopicCount(); ++i) {
                    const auto& t = em->GetTopics(i);
                    text += "[" + IntToStr(t.GetCode()) + "] " + t.GetTitle() + "\r\n" +
                            t.GetDescription() + "\r\n";
                }
            } else {
                text += e->what();
            }
        }
        MsgAdd(text, lpvFailed, 100);
    } catch (...) {
        // The catcher is the last stop: nothing may leave it.
    }
}

}  // namespace krv
