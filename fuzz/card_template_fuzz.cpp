// Card-format templates from arbitrary bytes: validating, composing and
// parsing must either succeed with a well-formed code or throw the library's
// exception, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exportdata/karta_rab.h"
#include "support/exception.h"

using krv::TKartaRab;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // template LF card number LF code; the first bytes also pick the fields.
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[3];
    for (size_t i = 0, p = 0; i < input.size(); ++i) {
        if (input[i] == '\n' && p < 2)
            ++p;
        else
            parts[p] += input[i];
    }
    const std::string& wzorzec = parts[0];
    TKartaRab card;
    card.KodKarty = parts[1];
    const int32_t seed = size >= 4 ? static_cast<int32_t>(data[0] | data[1] << 8 | data[2] << 16 |
                                                          static_cast<uint32_t>(data[3]) << 24)
                                   : 0;
    card.Przedrostek = seed;
    card.PoziomRabatu = seed / 7;
    card.TerminWaznosci.SetValue(static_cast<double>(seed % 3000000));
    bool valid = true;
    try {
        TKartaRab::SprawdzPoprawnoscWzorca(wzorzec, nullptr);
    } catch (const krv::Exception&) {
        valid = false;
    }
    try {
        const std::string code = card.Poskladaj(wzorzec, nullptr);
        if (!valid) std::abort();  // composed by a template that failed validation
        if (wzorzec.find('x') != std::string::npos && code.size() != 13) std::abort();
        TKartaRab back;
        back.Rozparsuj(wzorzec, parts[2].empty() ? code : parts[2], nullptr);
        if (back.KodKarty.size() > wzorzec.size()) std::abort();
    } catch (const krv::Exception&) {
        if (valid) std::abort();  // a valid template must compose and parse
    }
    return 0;
}
