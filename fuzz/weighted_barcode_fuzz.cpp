// Weighted barcodes: a template list and a code are parsed, normalised and
// composed again. Input: lines; the first is the code, the next are the
// templates, and the last two give the prefix, the goods number and the
// group to compose with.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "scale/kod_wazony.h"

namespace {

std::vector<std::string> Lines(const uint8_t* data, size_t size) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == '\n')
            lines.emplace_back();
        else
            lines.back() += static_cast<char>(data[i]);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> lines = Lines(data, size);
    const std::string code = lines[0];
    krv::TKodWazony::FormatList formats(lines.begin() + 1, lines.end());
    krv::TKodWazony k(&formats);
    try {
        if (k.Rozparsuj(code, nullptr)) k.NormalizujPelny(code, nullptr);
    } catch (const std::exception&) {
    }
    try {
        k.NormalizujNiepelny(code, nullptr);
    } catch (const std::exception&) {
    }
    try {
        k.ZnajdzFormat(code, nullptr);
    } catch (const std::exception&) {
    }
    // Compose after every template with parts taken from the code.
    for (const std::string& wzorzec : formats) {
        krv::TKodWazony c(&formats);
        c.Przedrostek = code.substr(0, 2);
        c.CzescS = code.size() > 2 ? code.substr(2, 6) : "";
        c.Grupa = code.size() > 8 ? code.substr(8, 3) : "";
        try {
            c.Poskladaj(wzorzec, nullptr);
        } catch (const std::exception&) {
        }
    }
    return 0;
}
