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
        int32_t code;  // 12 add, 13 replace the last
        int32_t kind;
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
    std::map<std::string, std::string> params;  // code 6, names matched case-insensitively
    std::map<std::string, std::string> stored;  // code 21 stores here (also read by code 6)
    bool refuseStore = false;                   // code 21 answers 0
    int32_t interruptAfter = -1;                // code 5: answer 1 from the n-th call on (0 = always)
    std::vector<std::string> weightedFormats;   // code 14
    std::vector<int32_t> vatRates;              // code 15
    std::vector<int32_t> vatRatesPrec;          // code 32 (registered only when wanted)
    int32_t storeAnswer = 1;                    // codes 16, 17, 18
    int32_t resourceAnswer = 1;                 // code 22
    int32_t first = 7, second = 8;              // code 11
    std::string text1 = "device", text2 = "second", exchangeDir;
    std::map<std::string, std::string> translations;  // "section/key" -> text
    std::map<std::string, std::string> goods;         // code 19
    // Fill every buffer up to its end with this character and no terminator
    // (a careless host); the library must still cut the text at n.
    char overfill = '\0';

    // --- what the host saw ---
    std::vector<Call> calls;
    std::vector<Message> messages;
    int CountCalls(int32_t code) const;
    // The operation window as the host would show it: code 12 adds a line,
    // code 13 replaces the last one.
    std::vector<std::string> Window() const;
    // Every message text (12 and 13) converted to UTF-8, in order.
    std::vector<std::string> MessagesUtf8() const;
    std::string StoredValue(const std::string& name) const;

private:
    friend struct Callbacks;
    int device_ = 0;
    int interruptCalls_ = 0;
};

}  // namespace krv::test
