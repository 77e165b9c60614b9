#include "ini_file.h"

#include "text.h"

namespace krv::smeth {

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    std::string section;
    while (!text.empty()) {
        size_t lf = text.find('\n');
        std::string line = Trim(text.substr(0, lf));
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            section = Trim(std::string_view(line).substr(
                1, close == std::string::npos ? line.size() - 1 : close - 1));
            ini.sections_.push_back(section);
            continue;
        }
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string_view view(line);
        ini.entries_.push_back({section, Trim(view.substr(0, eq)), Trim(view.substr(eq + 1))});
    }
    return ini;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    for (const Entry& e : entries_)
        if (SameText(e.section, section) && SameText(e.key, key)) return e.value;
    return std::nullopt;
}

bool IniFile::HasSection(std::string_view section) const {
    for (const std::string& s : sections_)
        if (SameText(s, section)) return true;
    return false;
}

}  // namespace krv::smeth
