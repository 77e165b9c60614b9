// krvhost's device profile: parsed, changed and written back.
#include <cstddef>
#include <cstdint>
#include <string>

#include "profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    krv::host::Profile profile;
    std::string error;
    if (!profile.Parse(text, &error)) return 0;
    profile.Get("device", "exchange_dir");
    profile.Entries("parameters");
    profile.Set("parameters", "DigiSM_Timeout", "20");
    profile.Set("hidden", "new", "value");
    // What is written must read back, with the values just set. (Lines are
    // kept as written, so the text itself need not be identical: a stray CR
    // at a line's end goes with each rewrite.)
    krv::host::Profile again;
    if (!again.Parse(profile.Text(), &error)) __builtin_trap();
    if (again.Get("parameters", "DigiSM_Timeout") != "20" || again.Get("hidden", "new") != "value")
        __builtin_trap();
    return 0;
}
