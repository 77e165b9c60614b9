#include "text.h"

#include "support/cp1250.h"

namespace krv::smeth {

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::string Cp(std::string_view utf8) { return Utf8ToCp1250(utf8); }

}  // namespace krv::smeth
