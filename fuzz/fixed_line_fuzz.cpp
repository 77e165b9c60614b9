// Fixed-layout text lines: the first bytes choose the field layout and the
// skip-short-lines flag, the rest is the file, read with every target kind
// until the end.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "support/const_field_len_file.h"
#include "support/exception.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t fields = data[0] % 8 + 1;
    bool skipShort = data[1] & 1;
    size_t at = 2;
    krv::ConstFieldLenFile file;
    for (size_t i = 0; i < fields && at + 1 < size; ++i, at += 2)
        file.AddField(data[at] % 64, data[at + 1] % 32);
    file.SetSkipShortLines(skipShort);
    std::stringbuf content(std::string(reinterpret_cast<const char*>(data) + at, size - at));
    static_cast<std::ios&>(file).rdbuf(&content);
    file.clear();
    for (int round = 0; round < 10000 && file; ++round) {
        int i;
        long double d;
        char c;
        bool b;
        krv::TxfNumber n;
        std::string s;
        file >> i >> d >> c >> b >> s;
        try {
            file >> n;
        } catch (const krv::Exception&) {
            // A field that is no number.
        }
    }
    return 0;
}
