#include "plu_record.h"

#include <cstdio>
#include <stdexcept>

namespace krv::test {
namespace {

// GCC cannot see that the buffer is sized by the first call and warns of
// truncation in the second.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wformat-truncation"
#endif

std::string Printf(const char* fmt, auto... args) {
    int n = std::snprintf(nullptr, 0, fmt, args...);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(s.data(), s.size(), fmt, args...);
    s.resize(static_cast<size_t>(n));
    return s;
}

std::string FontLine(int font, const std::string& text, int width) {
    if (text.empty()) return std::string(static_cast<size_t>(width), ' ');
    return Printf("%1d%-*s", font, width - 1,
                  text.substr(0, static_cast<size_t>(width - 1)).c_str());
}

}  // namespace

std::string BuildRecord(const PluFields& s) {
    std::string n[3], g[15];
    for (int i = 0; i < 3; ++i)
        n[i] = FontLine(s.line_font < 0 ? s.font : s.line_font,
                        s.name_lines[static_cast<size_t>(i)], 30);
    for (int i = 0; i < 15; ++i)
        g[i] = FontLine(s.description_font, s.ingredients[static_cast<size_t>(i)], 50);
    std::string plu = Printf("%08d", s.plu);
    std::string price = Printf("%08.0Lf", static_cast<long double>(s.price));
    std::string code =
        Printf("%s%s", s.barcode.c_str(), (!s.by_piece && s.weighed_by_quantity) ? "1" : "0");
    int use_by = (s.use_by && s.use_by_days != 0) ? 1 : 0;
    std::string tail = "000 " + std::string(61, '0');
    // The field order and widths of the record format, in one format string.
    std::string r = Printf(
        "%1d%8s%1d%-29s%30s%30s%30s%8s%1d%02d%02d%14s%4s%1d%03d%4s%1d%03d%1d%3s%4s%4s%1s"
        "%50s%50s%50s%50s%50s%50s%50s%50s%50s%50s%50s%50s%50s%50s%50s%s",
        s.operation, plu.c_str(), s.font, s.name.substr(0, 29).c_str(), n[0].c_str(), n[1].c_str(),
        n[2].c_str(), price.c_str(), s.by_piece ? 1 : 0, s.label_format, s.barcode_format,
        code.c_str(), "0001", s.sell_by ? 1 : 0, s.sell_by ? s.sell_by_days : 0, "0000", use_by,
        use_by ? s.use_by_days : 0, s.pack_date ? 1 : 0, "000", s.pack_time ? "1000" : "0000",
        "0000", s.by_piece ? "1" : "3", g[0].c_str(), g[1].c_str(), g[2].c_str(), g[3].c_str(),
        g[4].c_str(), g[5].c_str(), g[6].c_str(), g[7].c_str(), g[8].c_str(), g[9].c_str(),
        g[10].c_str(), g[11].c_str(), g[12].c_str(), g[13].c_str(), g[14].c_str(), tail.c_str());
    if (r.size() != 1000)
        throw std::logic_error("test record of " + std::to_string(r.size()) + " characters");
    return r;
}

std::string SimpleRecord(int plu, int operation, const std::string& name, double price) {
    PluFields s;
    s.plu = plu;
    s.operation = operation;
    s.name = name;
    s.price = price;
    return BuildRecord(s);
}

}  // namespace krv::test
