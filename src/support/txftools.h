// TxfTools: decimal numbers (the host's "extended") read, written and rounded.
// The decimal separator is '.'.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace krv {

class TxfTools {
  public:
    // Reads a whole decimal number (optional blanks around, sign, digits, an
    // optional '.' and digits). Throws EConvertError for anything else; an
    // empty text is 0 when emptyIsZero is set.
    static double FromString(std::string_view text, int radix = 10, bool emptyIsZero = false);
    static std::optional<double> TryFromString(std::string_view text);
    // Fixed notation with the given number of decimals.
    static std::string ToString(double value, int decimals);
    // Rounds half away from zero to the given number of decimals.
    static double Round(double value, int digits);
};

}  // namespace krv
