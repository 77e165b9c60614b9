#include "translations.h"

#include <sstream>

#include "files.h"
#include "text.h"

namespace krv::host {

namespace {

std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char next = s[++i];
        if (next == 'n')
            out += "\r\n";
        else if (next == 't')
            out += '\t';
        else if (next == '\\')
            out += '\\';
        else
            out += std::string("\\") + next;
    }
    return out;
}

}  // namespace

bool Translations::Load(const std::string& path, std::string* error) {
    const std::optional<std::string> read = tools::ReadWholeNativeFile(path);
    if (!read) {
        *error = "cannot read the translation file " + path;
        return false;
    }
    const std::string& text = *read;
    if (!Parse(text, error)) {
        *error = path + ": " + *error;
        return false;
    }
    return true;
}

bool Translations::Parse(const std::string& text, std::string* error) {
    texts_.clear();
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (number == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw = raw.substr(3);
        std::string t = Trim(raw);
        if (t.empty() || t[0] == '#') continue;
        size_t eq = t.find('=');
        size_t slash = t.find('/');
        if (eq == std::string::npos || slash == std::string::npos || slash > eq) {
            *error = "line " + std::to_string(number) + ": expected section/key=text";
            return false;
        }
        std::string section = Trim(t.substr(0, slash));
        std::string key = Trim(t.substr(slash + 1, eq - slash - 1));
        if (section.empty() || key.empty()) {
            *error = "line " + std::to_string(number) + ": expected section/key=text";
            return false;
        }
        // The text is taken as written after "=": some texts start or end with blanks.
        texts_[section + "/" + key] = ToCp1250(Unescape(raw.substr(raw.find('=') + 1)));
    }
    return true;
}

std::optional<std::string> Translations::Find(const std::string& section,
                                              const std::string& key) const {
    auto it = texts_.find(section + "/" + key);
    if (it == texts_.end()) return std::nullopt;
    return it->second;
}

}  // namespace krv::host
