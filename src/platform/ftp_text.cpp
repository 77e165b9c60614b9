#include "platform/ftp_text.h"

#include <cstdio>

#include "support/cp1250.h"

namespace krv::platform {

namespace {

bool IsUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = c < 0x80             ? 0
                   : (c & 0xE0) == 0xC0 ? 1
                   : (c & 0xF0) == 0xE0 ? 2
                   : (c & 0xF8) == 0xF0 ? 3
                                        : 4;
        if (n == 4 || s.size() - i <= n) return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n + 1;
    }
    return true;
}

}  // namespace

std::string FtpToWire(const std::string& cp1250) { return Cp1250ToUtf8(cp1250); }

std::string FtpFromWire(const std::string& wire) {
    return IsUtf8(wire) ? Utf8ToCp1250(wire) : wire;
}

size_t FtpUnsafeAt(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3));
}

std::string FtpByteName(char c) {
    const char* name = c == '\r' ? "CR" : c == '\n' ? "LF" : c == 0 ? "NUL" : "byte";
    char text[24];
    std::snprintf(text, sizeof text, "%s (0x%02X)", name, static_cast<unsigned char>(c));
    return text;
}

FtpResult FtpRefuseUnsafe(const char* call, const char* what, std::string_view text) {
    size_t at = FtpUnsafeAt(text);
    if (at == std::string_view::npos) return FtpResult::Ok();
    return FtpResult::Fail(std::string(call) + ": " + what + " contains " + FtpByteName(text[at]) +
                           ", which no FTP command can carry; nothing was sent");
}

}  // namespace krv::platform
