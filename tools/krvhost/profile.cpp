#include "profile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "files.h"
#include "text.h"

namespace krv::host {

bool Profile::Load(std::string* error) {
    lines_.clear();
    std::error_code ec;
    if (!std::filesystem::exists(path_, ec)) return true;
    const std::optional<std::string> read = tools::ReadWholeNativeFile(path_);
    if (!read) {
        *error = "cannot read the profile " + path_;
        return false;
    }
    const std::string& text = *read;
    if (!Parse(text, error)) {
        *error = path_ + ": " + *error;
        return false;
    }
    return true;
}

bool Profile::Parse(const std::string& text, std::string* error) {
    lines_.clear();
    std::string section = kDeviceSection;  // entries before any heading
    std::istringstream in(text);
    std::string raw;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        Line line;
        line.text = raw;
        std::string t = Trim(raw);
        if (number == 1 && t.rfind("\xEF\xBB\xBF", 0) == 0) t = Trim(t.substr(3));  // UTF-8 mark
        if (t.empty() || t[0] == '#' || t[0] == ';') {
            line.section = section;
        } else if (t[0] == '[') {
            if (t.back() != ']') {
                *error = "line " + std::to_string(number) + ": a section heading must end with ]";
                return false;
            }
            section = Trim(t.substr(1, t.size() - 2));
            line.section = section;
            line.heading = true;
        } else {
            size_t eq = t.find('=');
            if (eq == std::string::npos || Trim(t.substr(0, eq)).empty()) {
                *error = "line " + std::to_string(number) + ": expected name = value";
                return false;
            }
            line.section = section;
            line.key = Trim(t.substr(0, eq));
            line.value = Trim(t.substr(eq + 1));
        }
        lines_.push_back(std::move(line));
    }
    return true;
}

std::string Profile::Text() const {
    std::string out;
    for (const Line& l : lines_) out += l.text + "\n";
    return out;
}

bool Profile::Save(std::string* error) const {
    namespace fs = std::filesystem;
    const std::string temp = path_ + ".tmp";
    {
        std::FILE* f = std::fopen(temp.c_str(), "wb");
        if (!f) {
            *error = "cannot write " + temp;
            return false;
        }
        std::string text = Text();
        bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        ok = (std::fflush(f) == 0) && ok;
        ok = (std::fclose(f) == 0) && ok;
        if (!ok) {
            *error = "cannot write " + temp;
            std::remove(temp.c_str());
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path_, ec);
    if (ec) {
        *error = "cannot replace " + path_ + ": " + ec.message();
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

std::optional<std::string> Profile::Get(const std::string& section, const std::string& key) const {
    for (const Line& l : lines_)
        if (!l.key.empty() && SameText(l.section, section) && SameText(l.key, key)) return l.value;
    return std::nullopt;
}

void Profile::Set(const std::string& section, const std::string& key, const std::string& value) {
    for (Line& l : lines_) {
        if (!l.key.empty() && SameText(l.section, section) && SameText(l.key, key)) {
            l.value = value;
            l.text = l.key + " = " + value;
            return;
        }
    }
    Line entry;
    entry.section = section;
    entry.key = key;
    entry.value = value;
    entry.text = key + " = " + value;
    // After the last entry (or the heading) of the section.
    size_t insert_at = lines_.size();
    bool found = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (SameText(lines_[i].section, section) && (lines_[i].heading || !lines_[i].key.empty())) {
            insert_at = i + 1;
            found = true;
        }
    }
    if (!found) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty())
            lines_.push_back(Line{"", section, "", "", false});
        Line heading;
        heading.text = "[" + section + "]";
        heading.section = section;
        heading.heading = true;
        lines_.push_back(heading);
        insert_at = lines_.size();
    }
    lines_.insert(lines_.begin() + static_cast<long>(insert_at), entry);
}

std::vector<std::pair<std::string, std::string>> Profile::Entries(
    const std::string& section) const {
    std::vector<std::pair<std::string, std::string>> out;
    for (const Line& l : lines_)
        if (!l.key.empty() && SameText(l.section, section)) out.emplace_back(l.key, l.value);
    return out;
}

}  // namespace krv::host
