#include "host.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>

#include "host_os.h"
#include "text.h"

namespace krv::host {

namespace {

// The translation function gets no cookie; there is one translation file per run.
const Translations* g_translations = nullptr;

Host* H(void* cookie) { return static_cast<Host*>(cookie); }
std::string Str(const char* s) { return s ? std::string(s) : std::string(); }

// --- the callbacks, in the C types of the public header ---

int32_t KRV_CALL CbInterrupt(void* c, void*) { return H(c)->Interrupt(); }
int32_t KRV_CALL CbParameterValue(void* c, void*, const char* name, char* value) {
    H(c)->ParameterValue(name, value);
    return 1;
}
int32_t KRV_CALL CbDeviceData(void* c, void*, int32_t* a, int32_t* b, char* t1, char* t2,
                              char* dir) {
    H(c)->DeviceData(a, b, t1, t2, dir);
    return 1;
}
int32_t KRV_CALL CbAddMessage(void* c, void*, int32_t kind, const char* text) {
    H(c)->Message(false, kind, text);
    return 1;
}
int32_t KRV_CALL CbChangeLastMessage(void* c, void*, int32_t kind, const char* text) {
    H(c)->Message(true, kind, text);
    return 1;
}
int32_t KRV_CALL CbWeightedFormat(void* c, void*, int32_t index, char* format) {
    return H(c)->WeightedFormat(index, format);
}
int32_t KRV_CALL CbVatRates(void* c, void*, int32_t index, int32_t* rate) {
    return H(c)->VatRate(index, rate, false);
}
int32_t KRV_CALL CbVatRatesPrec(void* c, void*, int32_t index, int32_t* rate) {
    return H(c)->VatRate(index, rate, true);
}
int32_t KRV_CALL CbStoreExportResult(void* c, void*) { return H(c)->StoreExportResult(); }
int32_t KRV_CALL CbStoreImport(void* c, void*) { return H(c)->StoreOther(KRV_CB_STORE_IMPORT); }
int32_t KRV_CALL CbStoreReceipt(void* c, void*) { return H(c)->StoreOther(KRV_CB_STORE_RECEIPT); }
int32_t KRV_CALL CbReadGoods(void* c, void*, char* record, const char* key) {
    // krvhost keeps no goods database: the library hears "no such goods".
    H(c)->Trace(KRV_CB_READ_GOODS, "read goods " + ToUtf8(Str(key)));
    CopyOut(record, 2048, "");
    return 0;
}
int32_t KRV_CALL CbRefreshParameters(void* c, void*) {
    H(c)->RefreshParameters();
    return 1;
}
int32_t KRV_CALL CbChangeParameter(void* c, void*, const char* name, const char* value) {
    return H(c)->ChangeParameter(name, value);
}
int32_t KRV_CALL CbTakeResource(void* c, void*, const char* r) { return H(c)->TakeResource(r); }
int32_t KRV_CALL CbReleaseResource(void* c, void*, const char* r) {
    H(c)->ReleaseResource(r);
    return 1;
}
int32_t KRV_CALL CbClearAlarm(void* c, void*) {
    H(c)->Trace(KRV_CB_CLEAR_ALARM, "clear alarm");
    return 1;
}
int32_t KRV_CALL CbSuspend(void* c, void*, const char* text, int32_t value) {
    H(c)->Trace(KRV_CB_SUSPEND_OPERATION, "suspend: " + ToUtf8(Str(text)));
    return value;
}
int32_t KRV_CALL CbCounters(void* c, void*, int32_t*, int32_t count) {
    H(c)->Trace(KRV_CB_STORE_COUNTERS, "counters: " + std::to_string(count));
    return 1;
}
int32_t KRV_CALL CbCountersTime(void* c, void*, int32_t*, int32_t count, const char* time) {
    H(c)->Trace(KRV_CB_STORE_COUNTERS_TIME,
                "counters: " + std::to_string(count) + " at " + ToUtf8(Str(time)));
    return 1;
}
int32_t KRV_CALL CbAddGoods(void* c, void*, const char* t1, int32_t, const char*, int32_t,
                            const char*, const char*, int32_t, double, double, double, double,
                            int32_t, int32_t, const char*) {
    H(c)->Trace(KRV_CB_ADD_GOODS_FROM_DEVICE, "goods from the device: " + ToUtf8(Str(t1)));
    return 0;
}
int32_t KRV_CALL CbTranslate(char* out, int32_t size, const char* section, const char* key) {
    if (!g_translations || !out || size <= 0) return 0;
    auto text = g_translations->Find(Str(section), Str(key));
    if (!text || text->empty()) return 0;
    CopyOut(out, static_cast<size_t>(size), *text);
    return 1;
}

struct Registration {
    int32_t code;
    void* fn;
};

const Registration kCallbacks[] = {
    {KRV_CB_INTERRUPT, reinterpret_cast<void*>(&CbInterrupt)},
    {KRV_CB_PARAMETER_VALUE, reinterpret_cast<void*>(&CbParameterValue)},
    {KRV_CB_DEVICE_DATA, reinterpret_cast<void*>(&CbDeviceData)},
    {KRV_CB_ADD_MESSAGE, reinterpret_cast<void*>(&CbAddMessage)},
    {KRV_CB_CHANGE_LAST_MESSAGE, reinterpret_cast<void*>(&CbChangeLastMessage)},
    {KRV_CB_WEIGHTED_FORMATS, reinterpret_cast<void*>(&CbWeightedFormat)},
    {KRV_CB_VAT_RATES, reinterpret_cast<void*>(&CbVatRates)},
    {KRV_CB_VAT_RATES_PREC, reinterpret_cast<void*>(&CbVatRatesPrec)},
    {KRV_CB_STORE_EXPORT_RESULT, reinterpret_cast<void*>(&CbStoreExportResult)},
    {KRV_CB_STORE_IMPORT, reinterpret_cast<void*>(&CbStoreImport)},
    {KRV_CB_STORE_RECEIPT, reinterpret_cast<void*>(&CbStoreReceipt)},
    {KRV_CB_READ_GOODS, reinterpret_cast<void*>(&CbReadGoods)},
    {KRV_CB_REFRESH_PARAMETERS, reinterpret_cast<void*>(&CbRefreshParameters)},
    {KRV_CB_CHANGE_PARAMETER, reinterpret_cast<void*>(&CbChangeParameter)},
    {KRV_CB_TAKE_RESOURCE, reinterpret_cast<void*>(&CbTakeResource)},
    {KRV_CB_RELEASE_RESOURCE, reinterpret_cast<void*>(&CbReleaseResource)},
    {KRV_CB_CLEAR_ALARM, reinterpret_cast<void*>(&CbClearAlarm)},
    {KRV_CB_SUSPEND_OPERATION, reinterpret_cast<void*>(&CbSuspend)},
    {KRV_CB_STORE_COUNTERS, reinterpret_cast<void*>(&CbCounters)},
    {KRV_CB_STORE_COUNTERS_TIME, reinterpret_cast<void*>(&CbCountersTime)},
    {KRV_CB_ADD_GOODS_FROM_DEVICE, reinterpret_cast<void*>(&CbAddGoods)},
};

}  // namespace

Host::Host(const LibraryApi& api, Profile& profile, OperationWindow& window,
           const Translations* translations)
    : api_(api), profile_(profile), window_(window), translations_(translations) {}

Host::~Host() { Stop(); }

bool Host::Start(std::string* error) {
    handle_ = api_.RejestrujBiblioteke(this, nullptr, nullptr, MainWindowHandle());
    if (!handle_) {
        *error = "the library refused to register (null handle)";
        return false;
    }
    for (const Registration& r : kCallbacks) api_.RejestrujCallback(handle_, r.fn, r.code);
    if (translations_) {
        g_translations = translations_;
        api_.RejestrujCallback(handle_, reinterpret_cast<void*>(&CbTranslate), KRV_CB_TRANSLATE);
    }
    catalogue_ = Catalogue::Read(api_);
    return true;
}

void Host::Stop() {
    if (handle_) api_.ZwolnijBiblioteke(handle_);
    handle_ = nullptr;
}

void Host::Trace(int code, const std::string& what) const {
    if (trace) std::fprintf(stderr, "[krvhost] callback %d: %s\n", code, what.c_str());
}

std::string Host::ExchangeDir() const {
    namespace fs = std::filesystem;
    // Relative to the profile's folder, so that a profile and its exchange
    // directory can move together; the library and SM_eth.exe get it whole,
    // since the program runs in that directory and reads full paths.
    std::error_code ec;
    fs::path folder = fs::absolute(fs::path(profile_.Path()), ec).parent_path();
    std::string dir = profile_.Get(kDeviceSection, "exchange_dir").value_or("");
    fs::path p = dir.empty() ? folder : fs::path(dir);
    if (p.is_relative()) p = folder / p;
    dir = ToCp1250(p.lexically_normal().string());
    if (!dir.empty() && dir.back() != '/' && dir.back() != '\\') dir += PathSeparator();
    return dir;
}

std::string Host::Value(const std::string& name) const {
    if (auto v = profile_.Get(kParameterSection, name)) return *v;
    if (auto v = profile_.Get(kHiddenSection, name)) return *v;
    // A parameter the user never set has the catalogue's default, as in a
    // host that stores the defaults when a device is configured.
    if (const CatalogueEntry* e = catalogue_.Find(ToCp1250(name))) return ToUtf8(e->default_value);
    return "";
}

int32_t Host::Interrupt() {
    bool yes = InterruptRequested();
    Trace(KRV_CB_INTERRUPT, yes ? "interrupt? yes" : "interrupt? no");
    return yes ? 1 : 0;
}

void Host::ParameterValue(const char* name, char* value300) {
    std::string n = Trim(ToUtf8(Str(name)));
    read_.insert(n);
    std::string v = ToCp1250(Value(n));
    Trace(KRV_CB_PARAMETER_VALUE, n + " = " + ToUtf8(v));
    CopyOut(value300, KRV_TEXT_MAX, v);
}

void Host::DeviceData(int32_t* first, int32_t* second, char* a300, char* b300, char* dir260) {
    Trace(KRV_CB_DEVICE_DATA, "device data, exchange directory " + ToUtf8(ExchangeDir()));
    if (first) *first = 1;
    if (second) *second = 0;
    CopyOut(a300, KRV_TEXT_MAX, ToCp1250(profile_.Get(kDeviceSection, "name").value_or("Waga1")));
    CopyOut(b300, KRV_TEXT_MAX, "");
    CopyOut(dir260, 260, ExchangeDir());
}

void Host::Message(bool replace, int32_t kind, const char* text) {
    std::string t = ToUtf8(Str(text));
    Trace(replace ? KRV_CB_CHANGE_LAST_MESSAGE : KRV_CB_ADD_MESSAGE,
          "kind " + std::to_string(kind));
    if (replace)
        window_.Replace(kind, t);
    else
        window_.Add(kind, t);
}

int32_t Host::WeightedFormat(int32_t index, char* format300) {
    // format.N entries in the order of N.
    std::map<long long, std::string> formats;
    for (const auto& [key, value] : profile_.Entries(kDeviceSection)) {
        long long n = 0;
        if (key.size() > 7 && SameText(key.substr(0, 7), "format.") && ParseInt(key.substr(7), &n))
            formats[n] = value;
    }
    Trace(KRV_CB_WEIGHTED_FORMATS, "weighted format " + std::to_string(index));
    if (index < 0 || static_cast<size_t>(index) >= formats.size()) return 0;
    auto it = formats.begin();
    std::advance(it, index);
    CopyOut(format300, KRV_TEXT_MAX, ToCp1250(it->second));
    return 1;
}

std::vector<int> Host::Rates(bool hundredths) const {
    std::vector<int> out;
    std::optional<std::string> prec = profile_.Get(kDeviceSection, "vat_prec");
    bool from_prec = hundredths && prec && !Trim(*prec).empty();
    std::string list =
        from_prec ? *prec : profile_.Get(kDeviceSection, "vat").value_or("23,8,5,0,-1");
    for (const std::string& item : Split(list, ',')) {
        long long n = 0;
        if (!ParseInt(item, &n)) continue;
        int rate = static_cast<int>(n);
        if (hundredths && !from_prec && rate > 0) rate *= 100;
        out.push_back(rate);
    }
    return out;
}

int32_t Host::VatRate(int32_t index, int32_t* rate, bool hundredths) {
    std::vector<int> rates = Rates(hundredths);
    Trace(hundredths ? KRV_CB_VAT_RATES_PREC : KRV_CB_VAT_RATES,
          "VAT rate " + std::to_string(index));
    if (index < 0 || static_cast<size_t>(index) >= rates.size()) return 0;
    if (rate) *rate = rates[static_cast<size_t>(index)];
    return 1;
}

int32_t Host::StoreExportResult() {
    Trace(KRV_CB_STORE_EXPORT_RESULT, "store export result");
    std::string path = ExchangeDir() + "wynik.exp";
    std::string error;
    ExportResult r;
    if (!ReadExportResult(path, &r, &error)) {
        window_.Note("ERROR: krvhost: " + error + "; the export result is not stored");
        return 0;
    }
    if (!r.malformed.empty()) {
        std::string lines;
        for (int n : r.malformed) lines += (lines.empty() ? "" : ", ") + std::to_string(n);
        window_.Note("WARN: krvhost: wynik.exp lines not understood and skipped: " + lines);
    }
    result_ = r;
    stored_ = true;
    window_.Note("krvhost: export result stored: " + std::to_string(r.lines.size()) +
                 " goods confirmed (DOD " + std::to_string(r.Count("DOD")) + ", AKT " +
                 std::to_string(r.Count("AKT")) + ", CEN " + std::to_string(r.Count("CEN")) +
                 ", USU " + std::to_string(r.Count("USU")) + ")");
    return 1;
}

void Host::RefreshParameters() {
    // Read from disk again, as a host reloads a device's settings.
    Trace(KRV_CB_REFRESH_PARAMETERS, "refresh parameters");
    Profile fresh(profile_.Path());
    std::string error;
    if (fresh.Load(&error))
        profile_ = fresh;
    else
        window_.Note("WARN: krvhost: " + error);
}

int32_t Host::StoreOther(int32_t code) {
    // krvhost has no sales database: refusing is the honest answer.
    Trace(code, "store sales data: refused, krvhost keeps no sales");
    return 0;
}

int32_t Host::ChangeParameter(const char* name, const char* value) {
    std::string n = Trim(ToUtf8(Str(name)));
    std::string v = Trim(ToUtf8(Str(value)));
    Trace(KRV_CB_CHANGE_PARAMETER, n + " := " + v);
    if (n.empty()) return 0;
    const char* section = catalogue_.Find(ToCp1250(n)) ? kParameterSection : kHiddenSection;
    profile_.Set(section, n, v);
    std::string error;
    if (!profile_.Save(&error)) {
        window_.Note("ERROR: krvhost: " + error);
        return 0;
    }
    return 1;
}

int32_t Host::TakeResource(const char* resource) {
    std::string r = Str(resource);
    bool granted = resources_.insert(r).second;
    Trace(KRV_CB_TAKE_RESOURCE, "take " + ToUtf8(r) + (granted ? ": granted" : ": busy"));
    return granted ? 1 : 0;
}

void Host::ReleaseResource(const char* resource) {
    Trace(KRV_CB_RELEASE_RESOURCE, "release " + ToUtf8(Str(resource)));
    resources_.erase(Str(resource));
}

bool Host::Export(bool automatic) {
    stored_ = false;
    result_ = ExportResult();
    char text[KRV_TEXT_BUFFER] = "";
    void* session = nullptr;
    api_.SerKasOperacja(handle_, Device(), &session, text,
                        automatic ? KRV_OP_AUTO_EXPORT : KRV_OP_EXPORT, 0);
    window_.Finish();
    return stored_;
}

void Host::DeviceFunction() {
    char text[KRV_TEXT_BUFFER] = "";
    void* session = nullptr;
    read_.clear();
    api_.SerKasOperacja(handle_, Device(), &session, text, KRV_OP_DEVICE_FUNCTION, 0);
    window_.Finish();
}

}  // namespace krv::host
