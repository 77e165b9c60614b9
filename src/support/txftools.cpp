#include "support/txftools.h"

#include <cmath>

#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

std::optional<double> TxfTools::TryFromString(std::string_view text) {
    std::string t = Trim(text);
    size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t digits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
    }
    if (digits == 0 || i != t.size()) return std::nullopt;
    // The grammar is checked above; the value is read without the C library,
    // whose point follows the process locale.
    std::optional<double> value = ParseLeadingDecimal(t);
    // A number beyond the range of a double is not a value a caller can use.
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

double TxfTools::FromString(std::string_view text, int, bool emptyIsZero) {
    if (emptyIsZero && Trim(text).empty()) return 0.0;
    if (auto v = TryFromString(text)) return *v;
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::string TxfTools::ToString(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    return DecimalToString(Round(value, decimals), decimals);
}

double TxfTools::Round(double value, int digits) {
    double scale = std::pow(10.0, digits);
    double scaled = value * scale;
    // A nudge of a few units in the last place keeps 2.675 from rounding to
    // 2.67 because of its binary form.
    double nudged = scaled + std::copysign(std::fabs(scaled) * 1e-12, scaled);
    return std::round(nudged) / scale;
}

}  // namespace krv
