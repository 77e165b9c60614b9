#include "host/library.h"

#include <vector>

#include "action/action_base.h"
#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {

// The translation object of the library that registered code 34 last.
const TMLgExtTools* g_currentLg = nullptr;

// The most entries the library takes from a host list (weighted formats, VAT
// rates): a host that never ends its list cannot hold the library for ever.
constexpr int32_t kMaxHostListEntries = 10000;
// How often a long host list asks whether the user wants to interrupt.
constexpr int32_t kInterruptQueryEvery = 100;

// A buffer of n characters for the host to fill: n + 1 bytes, all zero.
std::vector<char> HostBuffer(size_t n) { return std::vector<char>(n + 1, '\0'); }

// The host's text, cut at n characters whatever the host left in the buffer.
std::string FromHostBuffer(std::vector<char>& buf) {
    buf.back() = '\0';
    return std::string(buf.data());
}

}  // namespace

TKSLibrary::TKSLibrary(void* cookie) : cookie_(cookie) {}

TKSLibrary::~TKSLibrary() {
    if (lg_ && g_currentLg == lg_.get()) g_currentLg = nullptr;
}

const TMLgExtTools* TKSLibrary::CurrentLg() { return g_currentLg; }

int32_t TKSLibrary::PokazOkno(TKSActionBase&, int32_t, bool, int32_t*, char*) { return 0; }

void TKSLibrary::WeryfikujTypSesji(void* session, const std::string&) {
    if (session == nullptr) return;
    throw Exception(Tr(GetLgLink(), "kstools_KSLib", "TKSLibraWeryfikuExceptio",
                       "Niezgodny typ sesji w sterowniku"));
}

bool TKSLibrary::PodtrzymajSesje(void**, std::string&, int32_t, bool flag) { return flag; }

bool TKSLibrary::ZgodnaNazwaParametru(const std::string& a, const std::string& b) {
    std::string ta = Trim(a);
    return !ta.empty() && UpperCase(ta) == UpperCase(Trim(b));
}

std::string TKSLibrary::NazwaZTypem(const std::string& name) {
    return Trim(Wlasciwosci(2)) + "_" + Trim(name);
}

void TKSLibrary::RejestrujCallback(void* fn, int32_t code) {
    switch (code) {
        case KRV_CB_INTERRUPT: cbPrzerwij_ = reinterpret_cast<KrvInterruptFn>(fn); break;
        case KRV_CB_PARAMETER_VALUE:
            cbWartoscParametru_ = reinterpret_cast<KrvParameterValueFn>(fn);
            break;
        case KRV_CB_DEVICE_DATA: cbDaneUrzadzenia_ = reinterpret_cast<KrvDeviceDataFn>(fn); break;
        case KRV_CB_ADD_MESSAGE: cbDodajKomunikat_ = reinterpret_cast<KrvMessageFn>(fn); break;
        case KRV_CB_CHANGE_LAST_MESSAGE:
            cbZmienOstatniKomunikat_ = reinterpret_cast<KrvMessageFn>(fn);
            break;
        case KRV_CB_WEIGHTED_FORMATS:
            cbFormatyWazone_ = reinterpret_cast<KrvWeightedFormatFn>(fn);
            break;
        case KRV_CB_VAT_RATES: cbStawkiVAT_ = reinterpret_cast<KrvVatRateFn>(fn); break;
        case KRV_CB_VAT_RATES_PREC: cbStawkiVATPrec_ = reinterpret_cast<KrvVatRateFn>(fn); break;
        case KRV_CB_STORE_EXPORT_RESULT:
            cbZapiszWynikEksportu_ = reinterpret_cast<KrvStoreFn>(fn);
            break;
        case KRV_CB_STORE_IMPORT: cbZapiszImport_ = reinterpret_cast<KrvStoreFn>(fn); break;
        case KRV_CB_STORE_RECEIPT: cbZapiszParagon_ = reinterpret_cast<KrvStoreFn>(fn); break;
        case KRV_CB_READ_GOODS: cbOdczytajTowar_ = reinterpret_cast<KrvReadGoodsFn>(fn); break;
        case KRV_CB_REFRESH_PARAMETERS:
            cbOdswiezParametry_ = reinterpret_cast<KrvNotifyFn>(fn);
            break;
        case KRV_CB_CHANGE_PARAMETER:
            cbZmienParametr_ = reinterpret_cast<KrvChangeParameterFn>(fn);
            break;
        case KRV_CB_TAKE_RESOURCE: cbZajmijZasob_ = reinterpret_cast<KrvResourceFn>(fn); break;
        case KRV_CB_RELEASE_RESOURCE: cbZwolnijZasob_ = reinterpret_cast<KrvResourceFn>(fn); break;
        case KRV_CB_CLEAR_ALARM: cbKasujFlageAlarmu_ = reinterpret_cast<KrvNotifyFn>(fn); break;
        case KRV_CB_SUSPEND_OPERATION:
            cbWstrzymajOperacje_ = reinterpret_cast<KrvSuspendFn>(fn);
            break;
        case KRV_CB_STORE_COUNTERS: cbStanLicznika_ = reinterpret_cast<KrvCountersFn>(fn); break;
        case KRV_CB_STORE_COUNTERS_TIME:
            cbStanICzasLicznika_ = reinterpret_cast<KrvCountersTimeFn>(fn);
            break;
        case KRV_CB_ADD_GOODS_FROM_DEVICE:
            cbDodajTowarZKasy_ = reinterpret_cast<KrvAddGoodsFn>(fn);
            break;
        case KRV_CB_TRANSLATE: {
            // The object lives as long as the library: a host may register
            // code 34 again from inside a translation call, while a lookup
            // of this object runs and callers hold it. Only the function
            // changes, and the next text is looked up through the new one.
            if (lg_)
                lg_->SetFunction(reinterpret_cast<KrvTranslateFn>(fn));
            else
                lg_ = std::make_unique<TMLgExtTools>(reinterpret_cast<KrvTranslateFn>(fn));
            g_currentLg = lg_.get();
            break;
        }
        default: break;  // codes the library does not know are ignored
    }
}

void TKSLibrary::DetachHost() {
    for (int32_t code = 0; code <= KRV_CB_TRANSLATE; ++code)
        if (code != KRV_CB_TRANSLATE) RejestrujCallback(nullptr, code);
    if (lg_) lg_->SetFunction(nullptr);
    if (lg_ && g_currentLg == lg_.get()) g_currentLg = nullptr;
}

bool TKSLibrary::CzyPrzerwac(const TKSActionBase& a) const {
    if (!cbPrzerwij_) return true;
    return cbPrzerwij_(cookie_, a.GetDevice()) != 0;
}

std::string TKSLibrary::WartoscParametru(const TKSActionBase& a, const std::string& name) const {
    if (!cbWartoscParametru_) return {};
    auto buf = HostBuffer(300);
    cbWartoscParametru_(cookie_, a.GetDevice(), Trim(name).c_str(), buf.data());
    return FromHostBuffer(buf);
}

void TKSLibrary::WypelnijDaneUrzadzenia(TKSActionBase& a) const {
    a.daneInt1 = -1;
    a.daneInt2 = 0;
    a.daneTekst1.clear();
    a.daneTekst2.clear();
    a.katalogWymiany.clear();
    if (!cbDaneUrzadzenia_) return;
    auto t1 = HostBuffer(300), t2 = HostBuffer(300), dir = HostBuffer(260);
    cbDaneUrzadzenia_(cookie_, a.GetDevice(), &a.daneInt1, &a.daneInt2, t1.data(), t2.data(),
                      dir.data());
    a.daneTekst1 = FromHostBuffer(t1);
    a.daneTekst2 = FromHostBuffer(t2);
    a.katalogWymiany = FromHostBuffer(dir);
}

void TKSLibrary::DodajKomunikat(const TKSActionBase& a, int32_t kind,
                                const std::string& text) const {
    if (cbDodajKomunikat_) cbDodajKomunikat_(cookie_, a.GetDevice(), kind, Trim(text).c_str());
}

void TKSLibrary::ZmienOstatniKomunikat(const TKSActionBase& a, int32_t kind,
                                       const std::string& text) const {
    if (cbZmienOstatniKomunikat_)
        cbZmienOstatniKomunikat_(cookie_, a.GetDevice(), kind, Trim(text).c_str());
}

void TKSLibrary::WypelnijFormatyWazone(TKSActionBase& a) const {
    auto& list = a.FormatyWazoneList();
    list.clear();
    if (!cbFormatyWazone_) return;
    for (int32_t i = 0; i < kMaxHostListEntries; ++i) {
        // A long list still lets the user interrupt (only a host that has
        // the question can be asked it).
        if (i > 0 && i % kInterruptQueryEvery == 0 && cbPrzerwij_ &&
            cbPrzerwij_(cookie_, a.GetDevice()) != 0)
            throw EAbort();
        auto buf = HostBuffer(300);
        if (cbFormatyWazone_(cookie_, a.GetDevice(), i, buf.data()) == 0) break;
        std::string text = Trim(FromHostBuffer(buf));
        if (text.empty()) break;
        list.push_back(text);
    }
}

void TKSLibrary::WypelnijStawkiVAT(TKSActionBase& a) const {
    auto& set = a.StawkiDostepneSet();
    set.Clear();
    if (!cbStawkiVAT_) return;
    // The set holds at most its capacity; a host that never ends the list
    // cannot keep the library here.
    for (int32_t i = 0; i < kMaxHostListEntries; ++i) {
        int32_t rate = 0;
        if (cbStawkiVAT_(cookie_, a.GetDevice(), i, &rate) == 0) break;
        set.Add(rate);
    }
}

void TKSLibrary::WypelnijStawkiVATPrec(TKSActionBase& a) const {
    auto& set = a.StawkiDostepnePrecSet();
    set.Clear();
    KrvVatRateFn fn = cbStawkiVATPrec_ ? cbStawkiVATPrec_ : cbStawkiVAT_;
    if (!fn) return;
    bool scale = cbStawkiVATPrec_ == nullptr;
    for (int32_t i = 0; i < kMaxHostListEntries; ++i) {
        int32_t rate = 0;
        if (fn(cookie_, a.GetDevice(), i, &rate) == 0) break;
        // A rate this large in whole percent is no rate (as in a stored
        // list): it is left out rather than wrapped round.
        if (scale && rate > 0) {
            if (rate > INT32_MAX / 100) continue;
            rate *= 100;
        }
        set.Add(rate);
    }
}

bool TKSLibrary::ZapiszWynikEksportu(const TKSActionBase& a) const {
    return cbZapiszWynikEksportu_ && cbZapiszWynikEksportu_(cookie_, a.GetDevice()) != 0;
}

bool TKSLibrary::ZapiszImport(const TKSActionBase& a) const {
    return cbZapiszImport_ && cbZapiszImport_(cookie_, a.GetDevice()) != 0;
}

bool TKSLibrary::ZapiszParagon(const TKSActionBase& a) const {
    return cbZapiszParagon_ && cbZapiszParagon_(cookie_, a.GetDevice()) != 0;
}

bool TKSLibrary::OdczytajTowar(const TKSActionBase& a, const std::string& key,
                               std::string& record) const {
    record.clear();
    if (!cbOdczytajTowar_) return false;
    auto buf = HostBuffer(2048);
    int32_t found = cbOdczytajTowar_(cookie_, a.GetDevice(), buf.data(), Trim(key).c_str());
    record = FromHostBuffer(buf);
    return found != 0;
}

void TKSLibrary::OdswiezParametry(const TKSActionBase& a) const {
    if (cbOdswiezParametry_) cbOdswiezParametry_(cookie_, a.GetDevice());
}

bool TKSLibrary::ZmienParametr(const TKSActionBase& a, const std::string& name,
                               const std::string& value) const {
    if (!cbZmienParametr_) return false;
    return cbZmienParametr_(cookie_, a.GetDevice(), Trim(name).c_str(), Trim(value).c_str()) != 0;
}

bool TKSLibrary::ZajmijZasobSterownika(const TKSActionBase& a, const std::string& resource) const {
    // A resource that could never be released is never taken.
    if (!cbZajmijZasob_ || !cbZwolnijZasob_) return false;
    return cbZajmijZasob_(cookie_, a.GetDevice(), Trim(resource).c_str()) != 0;
}

void TKSLibrary::ZwolnijZasobSterownika(const TKSActionBase& a, const std::string& resource) const {
    if (cbZwolnijZasob_) cbZwolnijZasob_(cookie_, a.GetDevice(), Trim(resource).c_str());
}

void TKSLibrary::KasujFlageAlarmu(const TKSActionBase& a) const {
    if (cbKasujFlageAlarmu_) cbKasujFlageAlarmu_(cookie_, a.GetDevice());
}

int32_t TKSLibrary::WstrzymajOperacje(const TKSActionBase& a, const std::string& text,
                                      int32_t value) const {
    if (!cbWstrzymajOperacje_) return -1;
    return cbWstrzymajOperacje_(cookie_, a.GetDevice(), text.c_str(), value);
}

void TKSLibrary::ZapiszStanLicznika(const TKSActionBase& a, int32_t* counters,
                                    int32_t count) const {
    if (cbStanLicznika_) cbStanLicznika_(cookie_, a.GetDevice(), counters, count);
}

void TKSLibrary::ZapiszStanICzasLicznika(const TKSActionBase& a, int32_t* counters, int32_t count,
                                         const std::string& time) const {
    if (cbStanICzasLicznika_)
        cbStanICzasLicznika_(cookie_, a.GetDevice(), counters, count, time.c_str());
}

int32_t TKSLibrary::DodajTowarZKasy(const TKSActionBase& a, const std::string& t1, int32_t i1,
                                    const std::string& t2, int32_t i2, const std::string& t3,
                                    const std::string& t4, int32_t i3, double f1, double f2,
                                    double f3, double f4, int32_t i4, int32_t i5,
                                    const std::string& t5) const {
    if (!cbDodajTowarZKasy_) return -1;
    return cbDodajTowarZKasy_(cookie_, a.GetDevice(), t1.c_str(), i1, t2.c_str(), i2, t3.c_str(),
                              t4.c_str(), i3, f1, f2, f3, f4, i4, i5, t5.c_str());
}

}  // namespace krv
