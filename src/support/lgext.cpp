#include "support/lgext.h"

#include <vector>

#include "support/cp1250.h"

namespace krv {

std::string TMLgExtTools::Lookup(std::string_view section, std::string_view key) const {
    if (!fn_) return {};
    constexpr int32_t kSize = 1024;
    std::vector<char> buf(kSize + 1, '\0');
    std::string sec(section), k(key);
    int32_t ok = fn_(buf.data(), kSize, sec.c_str(), k.c_str());
    buf[kSize] = '\0';  // whatever the host left there
    if (!ok) return {};
    return std::string(buf.data());
}

std::string TMLgExtTools::GetString(const TMLgExtTools* tools, std::string_view section,
                                    std::string_view key, int, std::string_view defaultUtf8) {
    if (tools) {
        std::string text = tools->Lookup(section, key);
        if (!text.empty()) return text;
    }
    return Utf8ToCp1250(defaultUtf8);
}

}  // namespace krv
