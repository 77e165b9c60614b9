#include "notes.h"

#include <algorithm>
#include <sstream>

namespace krv::docgen {

namespace {

std::string TrimEnd(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\r')) s.pop_back();
    return s;
}

std::string TrimStart(std::string s) {
    size_t i = s.find_first_not_of(" \n");
    return i == std::string::npos ? std::string() : s.substr(i);
}

}  // namespace

bool Notes::Parse(const std::string& file, const std::string& text, std::string* error) {
    std::istringstream in(text);
    std::string line, *target = &intro;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string where = file + ":" + std::to_string(number) + ": ";
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            NoteBlock b;
            b.line = number;
            std::istringstream names(line.substr(1, line.size() - 2));
            for (std::string n; names >> n;) b.names.push_back(n);
            if (b.names.empty()) {
                *error = where + "a block without a name";
                return false;
            }
            blocks.push_back(std::move(b));
            target = nullptr;
            continue;
        }
        if (!line.empty() && line.front() == '@') {
            size_t colon = line.find(':');
            if (blocks.empty() || colon == std::string::npos || colon == 1) {
                *error = where + "a field is written \"@name: text\" inside a block";
                return false;
            }
            std::string name = line.substr(1, colon - 1);
            auto [it, added] = blocks.back().fields.try_emplace(name, line.substr(colon + 1));
            if (!added) {
                *error = where + "the field " + name + " twice in one block";
                return false;
            }
            target = &it->second;
            continue;
        }
        if (!target) {
            if (line.find_first_not_of(' ') == std::string::npos) continue;
            *error = where + "text outside a field (a field starts with \"@name:\")";
            return false;
        }
        *target += "\n" + line;
    }
    intro = TrimStart(TrimEnd(intro));
    for (NoteBlock& b : blocks)
        for (auto& [name, value] : b.fields) value = TrimStart(TrimEnd(value));
    return true;
}

const NoteBlock* Notes::Find(const std::string& name) const {
    for (const NoteBlock& b : blocks)
        if (std::find(b.names.begin(), b.names.end(), name) != b.names.end()) return &b;
    return nullptr;
}

std::string Field(const NoteBlock& block, const std::string& name) {
    auto it = block.fields.find(name);
    return it == block.fields.end() ? std::string() : it->second;
}

}  // namespace krv::docgen
