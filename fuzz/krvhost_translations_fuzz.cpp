// krvhost's translation file (--lang).
#include <cstddef>
#include <cstdint>
#include <string>

#include "translations.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    krv::host::Translations t;
    std::string error;
    if (t.Parse(text, &error)) t.Find("tarvisco_dgaction", "TKSLibraParametrAOpis_00001");
    return 0;
}
