#include "support/strutil.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/locale.h"
#include "support/exception.h"

namespace krv {

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// The blanks that the C conversions skip before a number.
bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether a number that does not fit a double is too large (true) or too
// small (false): the count of its integer digits plus its exponent.
bool TooLarge(std::string_view number) {
    size_t i = 0;
    while (i < number.size() && (number[i] == '0')) ++i;
    int64_t magnitude = 0;
    while (i < number.size() && IsDigit(number[i])) ++i, ++magnitude;
    if (i < number.size() && number[i] == '.') {
        ++i;
        if (magnitude == 0)
            while (i < number.size() && number[i] == '0') ++i, --magnitude;
        while (i < number.size() && IsDigit(number[i])) ++i;
    }
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        ++i;
        bool negative = i < number.size() && number[i] == '-';
        if (i < number.size() && (number[i] == '-' || number[i] == '+')) ++i;
        int64_t exponent = 0;
        for (; i < number.size() && IsDigit(number[i]); ++i)
            if (exponent < 100000) exponent = exponent * 10 + (number[i] - '0');
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0;
}

}  // namespace

std::optional<double> ParseLeadingDecimal(std::string_view s, size_t* used) {
    size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    // from_chars reads a '-' of its own: a second sign is no number.
    if (i >= s.size() || s[i] == '-' || s[i] == '+') return std::nullopt;
    double value = 0;
    const char* begin = s.data() + i;
    // A hexadecimal number as the C library reads it ("0x1A", "0x1p4").
    if (s.size() - i > 2 && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        auto hex = std::from_chars(begin + 2, s.data() + s.size(), value, std::chars_format::hex);
        if (hex.ec != std::errc::invalid_argument && (begin[2] != '-' && begin[2] != '+')) {
            if (hex.ec == std::errc::result_out_of_range) value = HUGE_VAL;
            if (used) *used = static_cast<size_t>(hex.ptr - s.data());
            return negative ? -value : value;
        }
    }
    auto r = std::from_chars(begin, s.data() + s.size(), value, std::chars_format::general);
    if (r.ec == std::errc::invalid_argument) return std::nullopt;
    if (r.ec == std::errc::result_out_of_range)
        value =
            TooLarge(std::string_view(begin, static_cast<size_t>(r.ptr - begin))) ? HUGE_VAL : 0.0;
    if (used) *used = static_cast<size_t>(r.ptr - s.data());
    return negative ? -value : value;
}

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return std::string(s.substr(0, n));
}

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string LowerCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool SameText(std::string_view a, std::string_view b) { return UpperCase(a) == UpperCase(b); }

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::optional<int32_t> TryStrToInt(std::string_view s) {
    if (s.empty()) return std::nullopt;
    size_t i = 0;
    bool neg = false;
    if (s[0] == '+' || s[0] == '-') {
        neg = s[0] == '-';
        i = 1;
    }
    if (i >= s.size()) return std::nullopt;
    int64_t v = 0;
    for (; i < s.size(); ++i) {
        if (s[i] < '0' || s[i] > '9') return std::nullopt;
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) return std::nullopt;
    }
    if (neg) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(v);
}

int32_t StrToInt(std::string_view s) {
    if (auto v = TryStrToInt(s)) return *v;
    throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

int32_t StrToIntDef(std::string_view s, int32_t def) {
    auto v = TryStrToInt(s);
    return v ? *v : def;
}

int32_t AtoI(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsCSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size() || !IsDigit(s[i])) return 0;
    int64_t v = 0;
    auto r = std::from_chars(s.data() + i, s.data() + s.size(), v);
    if (r.ec != std::errc()) return 0;
    if (negative) v = -v;
    if (v > INT32_MAX || v < INT32_MIN) return 0;
    return static_cast<int32_t>(v);
}

double AtoF(std::string_view s) {
    // Read without the C library: the host may have switched the process to
    // a locale whose decimal point is ','.
    size_t i = 0;
    while (i < s.size() && IsCSpace(s[i])) ++i;
    return ParseLeadingDecimal(s.substr(i)).value_or(0.0);
}

std::string DecimalToString(double value, int decimals) {
    if (decimals < 0) decimals = 0;
    // The longest fixed form of a double has 309 integer digits.
    std::string out(330 + static_cast<size_t>(decimals), '\0');
    auto r = std::to_chars(out.data(), out.data() + out.size(), value, std::chars_format::fixed,
                           decimals);
    if (r.ec != std::errc()) return {};
    out.resize(static_cast<size_t>(r.ptr - out.data()));
    return out;
}

std::string Format(const char* fmt, ...) {
    // Decimals in messages (%f) with '.' whatever locale the host chose.
    platform::ClassicNumbers classic;
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        out.resize(static_cast<size_t>(n));
        std::vsnprintf(out.data(), out.size() + 1, fmt, ap2);
    }
    va_end(ap2);
    return out;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

void CopyToBuffer(char* dest, size_t n, std::string_view src) {
    if (!dest) return;
    size_t len = src.size() < n ? src.size() : n;
    std::memcpy(dest, src.data(), len);
    dest[len] = '\0';
    dest[n] = '\0';
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

}  // namespace krv
