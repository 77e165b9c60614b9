#include "text.h"

#include <cerrno>
#include <cstring>

#include "support/cp1250.h"

namespace krv::smeth {

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Cp(std::string_view utf8) { return Utf8ToCp1250(utf8); }

std::string ReadFailure(const std::string& missing, const std::string& name, int err) {
    if (err == ENOENT || err == 0) return missing;
    return Cp("Nie można odczytać pliku ") + name + ": " + std::strerror(err);
}

}  // namespace krv::smeth
