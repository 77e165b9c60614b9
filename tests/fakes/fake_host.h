// A fake host: registers every callback, records every call and answers what
// a test tells it to. The cookie passed to the library is the FakeHost itself;
// the translation function (which gets no cookie) reaches the host that
// registered it last. A callback that gets a cookie other than a live fake
// host, or a device other than Device(), fails the running test.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "krvdll.h"

namespace krv::test {

class FakeHost {
  public:
    struct Call {
        int32_t code;
        std::vector<std::string> texts;  // text arguments, as the host got them
        std::vector<int64_t> ints;       // integer arguments
    };
    struct Message {
        // KRV_CB_ADD_MESSAGE, or KRV_CB_CHANGE_LAST_MESSAGE (replaces the last)
        int32_t code;
        int32_t kind;      // KRV_MSG_*
        std::string text;  // Windows-1250 as sent
    };

    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // Registers every callback code (except those named) on a library handle
    // created through the exported functions or directly.
    void RegisterAll(void* lib, const std::set<int32_t>& except = {});
    void Register(void* lib, int32_t code);
    // The function pointer the fake host uses for a code.
    static void* Function(int32_t code);

    void* Device() { return &device_; }

    // --- what the host answers ---
    // KRV_CB_PARAMETER_VALUE, names matched case-insensitively.
    std::map<std::string, std::string> params;
    // KRV_CB_CHANGE_PARAMETER stores here; KRV_CB_PARAMETER_VALUE reads it first.
    std::map<std::string, std::string> stored;
    bool refuseStore = false;  // KRV_CB_CHANGE_PARAMETER answers 0
    // KRV_CB_INTERRUPT: answer 1 from the n-th call on (0 = always).
    int32_t interruptAfter = -1;
    std::vector<std::string> weightedFormats;  // KRV_CB_WEIGHTED_FORMATS
    std::vector<int32_t> vatRates;             // KRV_CB_VAT_RATES
    // KRV_CB_VAT_RATES_PREC, registered only when it holds rates.
    std::vector<int32_t> vatRatesPrec;
    // KRV_CB_STORE_EXPORT_RESULT, KRV_CB_STORE_IMPORT, KRV_CB_STORE_RECEIPT.
    int32_t storeAnswer = 1;
    int32_t resourceAnswer = 1;     // KRV_CB_TAKE_RESOURCE
    int32_t first = 7, second = 8;  // KRV_CB_DEVICE_DATA
    std::string text1 = "device", text2 = "second", exchangeDir;
    std::map<std::string, std::string> translations;  // "section/key" -> text
    std::map<std::string, std::string> goods;         // KRV_CB_READ_GOODS
    // Fill every buffer up to its end with this character and no terminator
    // (a careless host); the library must still cut the text at n.
    char overfill = '\0';

    // --- what the host saw ---
    std::vector<Call> calls;
    std::vector<Message> messages;
    int CountCalls(int32_t code) const;
    // The operation window as the host would show it: KRV_CB_ADD_MESSAGE adds
    // a line, KRV_CB_CHANGE_LAST_MESSAGE replaces the last one.
    std::vector<std::string> Window() const;
    // Every message text (added or replacing) converted to UTF-8, in order.
    std::vector<std::string> MessagesUtf8() const;
    std::string StoredValue(const std::string& name) const;

  private:
    friend struct Callbacks;
    int device_ = 0;
    int interruptCalls_ = 0;
};

// A message line with its status column, as the library sends it.
inline std::string StatusLine(const std::string& text, const std::string& status) {
    return text + KRV_STATUS_SEPARATOR + status;
}

}  // namespace krv::test
