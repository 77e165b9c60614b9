#include "text.h"

#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>

#include "support/cp1250.h"

namespace krv::host {

std::string ToUtf8(std::string_view cp1250) { return krv::Cp1250ToUtf8(cp1250); }

std::string ToCp1250(std::string_view utf8) { return krv::Utf8ToCp1250(utf8); }

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return std::string(s.substr(b, e - b));
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

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
        out.emplace_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
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

bool ReadWholeFile(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace krv::host
