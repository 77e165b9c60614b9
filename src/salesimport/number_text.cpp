#include "salesimport/number_text.h"

#include <charconv>
#include <cmath>

namespace krv {

namespace {
std::string Fixed(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    char buf[400];  // the largest double has 309 digits
    auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}
}  // namespace

std::string WholeText(double value) { return Fixed(value, 0); }
std::string TwoDecimalsText(double value) { return Fixed(value, 2); }

}  // namespace krv
