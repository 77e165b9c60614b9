#include "text.h"

#include <charconv>
#include <cstring>

#include "support/cp1250.h"

namespace krv::host {

std::string ToUtf8(std::string_view cp1250) { return krv::Cp1250ToUtf8(cp1250); }

std::string ToCp1250(std::string_view utf8) { return krv::Utf8ToCp1250(utf8); }

size_t Utf8Length(std::string_view s) {
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

std::vector<std::string> Split(std::string_view s, char delimiter) {
    std::vector<std::string> out;
    size_t start = 0;
    while (true) {
        size_t at = s.find(delimiter, start);
        out.emplace_back(
            s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return out;
        start = at + 1;
    }
}

bool ParseInt(std::string_view s, long long* out) {
    std::string t = Trim(s);
    if (t.empty()) return false;
    const char* b = t.data();
    const char* e = b + t.size();
    if (*b == '+') ++b;
    auto [ptr, ec] = std::from_chars(b, e, *out);
    return ec == std::errc() && ptr == e;
}

void CopyOut(char* buf, size_t n, std::string_view text) {
    if (!buf) return;
    size_t len = text.size() < n ? text.size() : n;
    std::memcpy(buf, text.data(), len);
    buf[len] = '\0';
}

}  // namespace krv::host
