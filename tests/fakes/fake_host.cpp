#include "fakes/fake_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "support/cp1250.h"
#include "support/strutil.h"

namespace krv::test {

namespace {
FakeHost* g_translator = nullptr;
std::set<const void*> g_liveHosts;

// The cookie must be a live fake host and the device the one it hands out,
// as the real host expects its own handles back; anything else fails the test
// (and a foreign cookie is never dereferenced).
FakeHost* Checked(void* cookie, void* dev, int32_t code) {
    if (!g_liveHosts.count(cookie)) {
        ADD_FAILURE() << "callback " << code << " got cookie " << cookie
                      << ", which is no host's handle";
        return nullptr;
    }
    FakeHost* h = static_cast<FakeHost*>(cookie);
    if (dev != h->Device())
        ADD_FAILURE() << "callback " << code << " got device " << dev << ", the host's is "
                      << h->Device();
    return h;
}

// Writes a text for the library into a buffer of n (n + 1 bytes).
void Answer(const FakeHost& h, char* buf, size_t n, const std::string& text) {
    if (h.overfill) {
        std::memset(buf, h.overfill, n + 1);  // no terminator anywhere
        std::memcpy(buf, text.data(), std::min(text.size(), n + 1));
        return;
    }
    CopyToBuffer(buf, n, text);
}

std::string Key(const std::string& name) { return UpperCase(Trim(name)); }
}  // namespace

// Every callback but the translation first checks the handles it is given;
// with foreign ones it records nothing and answers 0.
struct Callbacks {
    static int32_t KRV_CALL Interrupt(void* c, void* d) {
        FakeHost* hp = Checked(c, d, KRV_CB_INTERRUPT);
        if (!hp) return 0;
        FakeHost& h = *hp;
        h.calls.push_back({KRV_CB_INTERRUPT, {}, {}});
        int n = h.interruptCalls_++;
        return h.interruptAfter >= 0 && n >= h.interruptAfter ? 1 : 0;
    }
    static int32_t KRV_CALL Param(void* c, void* d, const char* name, char* value) {
        FakeHost* hp = Checked(c, d, KRV_CB_PARAMETER_VALUE);
        if (!hp) return 0;
        FakeHost& h = *hp;
        h.calls.push_back({KRV_CB_PARAMETER_VALUE, {name}, {}});
        std::string v;
        for (auto* m : {&h.stored, &h.params})
            for (auto& [k, val] : *m)
                if (v.empty() && Key(k) == Key(name)) v = val;
        Answer(h, value, 300, v);
        return 1;
    }
    static int32_t KRV_CALL DeviceData(void* c, void* d, int32_t* a, int32_t* b, char* t1, char* t2,
                                       char* dir) {
        FakeHost* hp = Checked(c, d, KRV_CB_DEVICE_DATA);
        if (!hp) return 0;
        FakeHost& h = *hp;
        h.calls.push_back({KRV_CB_DEVICE_DATA, {}, {}});
        *a = h.first;
        *b = h.second;
        Answer(h, t1, 300, h.text1);
        Answer(h, t2, 300, h.text2);
        Answer(h, dir, 260, h.exchangeDir);
        return 1;
    }
    static int32_t Message(void* c, void* d, int32_t code, int32_t kind, const char* text) {
        FakeHost* hp = Checked(c, d, code);
        if (!hp) return 0;
        hp->calls.push_back({code, {text}, {kind}});
        hp->messages.push_back({code, kind, text});
        return 1;
    }
    static int32_t KRV_CALL Add(void* c, void* d, int32_t kind, const char* text) {
        return Message(c, d, KRV_CB_ADD_MESSAGE, kind, text);
    }
    static int32_t KRV_CALL Change(void* c, void* d, int32_t kind, const char* text) {
        return Message(c, d, KRV_CB_CHANGE_LAST_MESSAGE, kind, text);
    }
    static int32_t KRV_CALL Formats(void* c, void* d, int32_t i, char* out) {
        FakeHost* hp = Checked(c, d, KRV_CB_WEIGHTED_FORMATS);
        if (!hp) return 0;
        FakeHost& h = *hp;
        h.calls.push_back({KRV_CB_WEIGHTED_FORMATS, {}, {i}});
        if (i < 0 || static_cast<size_t>(i) >= h.weightedFormats.size()) return 0;
        Answer(h, out, 300, h.weightedFormats[static_cast<size_t>(i)]);
        return 1;
    }
    static int32_t Rate(void* c, void* d, int32_t code, int32_t i, int32_t* out) {
        FakeHost* hp = Checked(c, d, code);
        if (!hp) return 0;
        const std::vector<int32_t>& rates =
            code == KRV_CB_VAT_RATES ? hp->vatRates : hp->vatRatesPrec;
        hp->calls.push_back({code, {}, {i}});
        if (i < 0 || static_cast<size_t>(i) >= rates.size()) return 0;
        *out = rates[static_cast<size_t>(i)];
        return 1;
    }
    static int32_t KRV_CALL Vat(void* c, void* d, int32_t i, int32_t* out) {
        return Rate(c, d, KRV_CB_VAT_RATES, i, out);
    }
    static int32_t KRV_CALL VatPrec(void* c, void* d, int32_t i, int32_t* out) {
        return Rate(c, d, KRV_CB_VAT_RATES_PREC, i, out);
    }
    // The callbacks without arguments of their own: recorded, then the
    // host's answer.
    static int32_t Store(void* c, void* d, int32_t code) {
        FakeHost* hp = Checked(c, d, code);
        if (!hp) return 0;
        hp->calls.push_back({code, {}, {}});
        return hp->storeAnswer;
    }
    static int32_t KRV_CALL StoreResult(void* c, void* d) {
        return Store(c, d, KRV_CB_STORE_EXPORT_RESULT);
    }
    static int32_t KRV_CALL StoreImport(void* c, void* d) {
        return Store(c, d, KRV_CB_STORE_IMPORT);
    }
    static int32_t KRV_CALL StoreReceipt(void* c, void* d) {
        return Store(c, d, KRV_CB_STORE_RECEIPT);
    }
    static int32_t KRV_CALL Goods(void* c, void* d, char* rec, const char* key) {
        FakeHost* hp = Checked(c, d, KRV_CB_READ_GOODS);
        if (!hp) return 0;
        FakeHost& h = *hp;
        h.calls.push_back({KRV_CB_READ_GOODS, {key}, {}});
        auto it = h.goods.find(key);
        Answer(h, rec, 2048, it == h.goods.end() ? "" : it->second);
        return it != h.goods.end();
    }
    static int32_t KRV_CALL Refresh(void* c, void* d) {
        return Store(c, d, KRV_CB_REFRESH_PARAMETERS);
    }
    static int32_t KRV_CALL ChangeParam(void* c, void* d, const char* name, const char* value) {
        FakeHost* hp = Checked(c, d, KRV_CB_CHANGE_PARAMETER);
        if (!hp) return 0;
        FakeHost& h = *hp;
        h.calls.push_back({KRV_CB_CHANGE_PARAMETER, {name, value}, {}});
        if (h.refuseStore) return 0;
        h.stored[name] = value;
        return 1;
    }
    static int32_t KRV_CALL Take(void* c, void* d, const char* r) {
        FakeHost* hp = Checked(c, d, KRV_CB_TAKE_RESOURCE);
        if (!hp) return 0;
        hp->calls.push_back({KRV_CB_TAKE_RESOURCE, {r}, {}});
        return hp->resourceAnswer;
    }
    static int32_t KRV_CALL Release(void* c, void* d, const char* r) {
        FakeHost* hp = Checked(c, d, KRV_CB_RELEASE_RESOURCE);
        if (!hp) return 0;
        hp->calls.push_back({KRV_CB_RELEASE_RESOURCE, {r}, {}});
        return 1;
    }
    static int32_t KRV_CALL Alarm(void* c, void* d) { return Store(c, d, KRV_CB_CLEAR_ALARM); }
    static int32_t KRV_CALL Suspend(void* c, void* d, const char* t, int32_t v) {
        FakeHost* hp = Checked(c, d, KRV_CB_SUSPEND_OPERATION);
        if (!hp) return 0;
        hp->calls.push_back({KRV_CB_SUSPEND_OPERATION, {t}, {v}});
        return v;
    }
    static int32_t KRV_CALL Counters(void* c, void* d, int32_t* v, int32_t n) {
        FakeHost* hp = Checked(c, d, KRV_CB_STORE_COUNTERS);
        if (!hp) return 0;
        hp->calls.push_back({KRV_CB_STORE_COUNTERS, {}, {n, n > 0 && v ? v[0] : 0}});
        return 1;
    }
    static int32_t KRV_CALL CountersTime(void* c, void* d, int32_t* v, int32_t n, const char* t) {
        FakeHost* hp = Checked(c, d, KRV_CB_STORE_COUNTERS_TIME);
        if (!hp) return 0;
        hp->calls.push_back({KRV_CB_STORE_COUNTERS_TIME, {t}, {n, n > 0 && v ? v[0] : 0}});
        return 1;
    }
    static int32_t KRV_CALL AddGoods(void* c, void* d, const char* t1, int32_t i1, const char* t2,
                                     int32_t i2, const char* t3, const char* t4, int32_t i3, double,
                                     double, double, double, int32_t i4, int32_t i5,
                                     const char* t5) {
        FakeHost* hp = Checked(c, d, KRV_CB_ADD_GOODS_FROM_DEVICE);
        if (!hp) return 0;
        hp->calls.push_back(
            {KRV_CB_ADD_GOODS_FROM_DEVICE, {t1, t2, t3, t4, t5}, {i1, i2, i3, i4, i5}});
        return i1;
    }
    static int32_t KRV_CALL Translate(char* out, int32_t size, const char* section,
                                      const char* key) {
        if (!g_translator) return 0;
        FakeHost& h = *g_translator;
        h.calls.push_back({KRV_CB_TRANSLATE, {section, key}, {size}});
        auto it = h.translations.find(std::string(section) + "/" + key);
        if (it == h.translations.end()) return 0;
        Answer(h, out, static_cast<size_t>(size), it->second);
        return 1;
    }
};

FakeHost::FakeHost() { g_liveHosts.insert(this); }

FakeHost::~FakeHost() {
    g_liveHosts.erase(this);
    if (g_translator == this) g_translator = nullptr;
}

void* FakeHost::Function(int32_t code) {
    switch (code) {
        case KRV_CB_INTERRUPT: return reinterpret_cast<void*>(&Callbacks::Interrupt);
        case KRV_CB_PARAMETER_VALUE: return reinterpret_cast<void*>(&Callbacks::Param);
        case KRV_CB_DEVICE_DATA: return reinterpret_cast<void*>(&Callbacks::DeviceData);
        case KRV_CB_ADD_MESSAGE: return reinterpret_cast<void*>(&Callbacks::Add);
        case KRV_CB_CHANGE_LAST_MESSAGE: return reinterpret_cast<void*>(&Callbacks::Change);
        case KRV_CB_WEIGHTED_FORMATS: return reinterpret_cast<void*>(&Callbacks::Formats);
        case KRV_CB_VAT_RATES: return reinterpret_cast<void*>(&Callbacks::Vat);
        case KRV_CB_VAT_RATES_PREC: return reinterpret_cast<void*>(&Callbacks::VatPrec);
        case KRV_CB_STORE_EXPORT_RESULT: return reinterpret_cast<void*>(&Callbacks::StoreResult);
        case KRV_CB_STORE_IMPORT: return reinterpret_cast<void*>(&Callbacks::StoreImport);
        case KRV_CB_STORE_RECEIPT: return reinterpret_cast<void*>(&Callbacks::StoreReceipt);
        case KRV_CB_READ_GOODS: return reinterpret_cast<void*>(&Callbacks::Goods);
        case KRV_CB_REFRESH_PARAMETERS: return reinterpret_cast<void*>(&Callbacks::Refresh);
        case KRV_CB_CHANGE_PARAMETER: return reinterpret_cast<void*>(&Callbacks::ChangeParam);
        case KRV_CB_TAKE_RESOURCE: return reinterpret_cast<void*>(&Callbacks::Take);
        case KRV_CB_RELEASE_RESOURCE: return reinterpret_cast<void*>(&Callbacks::Release);
        case KRV_CB_CLEAR_ALARM: return reinterpret_cast<void*>(&Callbacks::Alarm);
        case KRV_CB_SUSPEND_OPERATION: return reinterpret_cast<void*>(&Callbacks::Suspend);
        case KRV_CB_STORE_COUNTERS: return reinterpret_cast<void*>(&Callbacks::Counters);
        case KRV_CB_STORE_COUNTERS_TIME: return reinterpret_cast<void*>(&Callbacks::CountersTime);
        case KRV_CB_ADD_GOODS_FROM_DEVICE: return reinterpret_cast<void*>(&Callbacks::AddGoods);
        case KRV_CB_TRANSLATE: return reinterpret_cast<void*>(&Callbacks::Translate);
        default: return nullptr;
    }
}

void FakeHost::Register(void* lib, int32_t code) {
    if (code == KRV_CB_TRANSLATE) g_translator = this;
    KRVDLLRejestrujCallback(lib, Function(code), code);
}

void FakeHost::RegisterAll(void* lib, const std::set<int32_t>& except) {
    // KRV_CB_VAT_RATES_PREC is registered only when the test gave hundredths
    // of its own.
    for (int32_t code : {KRV_CB_INTERRUPT,
                         KRV_CB_PARAMETER_VALUE,
                         KRV_CB_DEVICE_DATA,
                         KRV_CB_ADD_MESSAGE,
                         KRV_CB_CHANGE_LAST_MESSAGE,
                         KRV_CB_WEIGHTED_FORMATS,
                         KRV_CB_VAT_RATES,
                         KRV_CB_STORE_EXPORT_RESULT,
                         KRV_CB_STORE_IMPORT,
                         KRV_CB_STORE_RECEIPT,
                         KRV_CB_READ_GOODS,
                         KRV_CB_REFRESH_PARAMETERS,
                         KRV_CB_CHANGE_PARAMETER,
                         KRV_CB_TAKE_RESOURCE,
                         KRV_CB_RELEASE_RESOURCE,
                         KRV_CB_CLEAR_ALARM,
                         KRV_CB_SUSPEND_OPERATION,
                         KRV_CB_STORE_COUNTERS,
                         KRV_CB_STORE_COUNTERS_TIME,
                         KRV_CB_ADD_GOODS_FROM_DEVICE,
                         KRV_CB_TRANSLATE}) {
        if (!except.count(code)) Register(lib, code);
    }
    if (!vatRatesPrec.empty() && !except.count(KRV_CB_VAT_RATES_PREC))
        Register(lib, KRV_CB_VAT_RATES_PREC);
}

int FakeHost::CountCalls(int32_t code) const {
    return static_cast<int>(
        std::count_if(calls.begin(), calls.end(), [&](const Call& c) { return c.code == code; }));
}

std::vector<std::string> FakeHost::Window() const {
    std::vector<std::string> lines;
    for (const Message& m : messages) {
        std::string t = Cp1250ToUtf8(m.text);
        if (m.code == KRV_CB_CHANGE_LAST_MESSAGE && !lines.empty())
            lines.back() = t;
        else
            lines.push_back(t);
    }
    return lines;
}

std::vector<std::string> FakeHost::MessagesUtf8() const {
    std::vector<std::string> out;
    for (const Message& m : messages) out.push_back(Cp1250ToUtf8(m.text));
    return out;
}

std::string FakeHost::StoredValue(const std::string& name) const {
    for (auto& [k, v] : stored)
        if (Key(k) == Key(name)) return v;
    return {};
}

}  // namespace krv::test
