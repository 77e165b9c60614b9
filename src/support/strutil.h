// Small text helpers over Windows-1250 strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krv {

// Leading and trailing blanks and control characters (bytes <= ' ') removed.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII letters upper- and lower-cased; other bytes unchanged.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

std::string IntToStr(int64_t value);

// A whole decimal number with an optional sign and nothing else (no blanks).
std::optional<int32_t> TryStrToInt(std::string_view s);
// As TryStrToInt; throws EConvertError ("'x' is not a valid integer value").
int32_t StrToInt(std::string_view s);
int32_t StrToIntDef(std::string_view s, int32_t def);
// The C rule: optional blanks and sign, then leading digits; anything else 0.
int32_t AtoI(std::string_view s);
// The C rule for a decimal number with '.' as the point: the leading numeric
// part, 0 when there is none. Whatever the process locale is.
double AtoF(std::string_view s);
// The decimal number at the start of s (sign, digits, '.', exponent, "inf",
// "nan", or "0x" and a hexadecimal number; no blanks before it): its value and, in *used, the
// characters it took; none when s starts with no number. Too large is infinite, too small 0. The
// point is '.' whatever the process locale is.
std::optional<double> ParseLeadingDecimal(std::string_view s, size_t* used = nullptr);
// Fixed notation with the given number of decimals (correctly rounded), '.'
// as the point whatever the process locale is.
std::string DecimalToString(double value, int decimals);

// printf into a std::string, with '.' as the decimal point whatever the
// process locale is.
std::string Format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Splits at line breaks (CR LF, LF or CR); a final line break adds no line.
std::vector<std::string> SplitLines(std::string_view text);

// Copies at most n characters of src into dest and stores a zero at index n
// (and after the copied text). Does nothing when dest is null.
void CopyToBuffer(char* dest, size_t n, std::string_view src);

bool StartsWith(std::string_view s, std::string_view prefix);

}  // namespace krv
