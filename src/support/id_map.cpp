#include "support/id_map.h"

#include <algorithm>
#include <charconv>
#include <set>

#include "support/exception.h"
#include "support/strutil.h"

namespace krv {

namespace {

int64_t Decimal(const std::string& text, const char* what) {
    std::string t = Trim(text);
    int64_t value = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size())
        throw EConvertError("IdMap: '" + text + "' is not a valid " + what +
                            " (a decimal integer is expected)");
    return value;
}

struct Entry {
    int64_t name;
    int64_t id;
};

}  // namespace

void IdMap::Initialize(std::vector<std::string>& entries, const std::string& namesText) {
    std::vector<Entry> list;
    for (const std::string& line : entries) {
        if (Trim(line).empty()) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos)
            throw EConvertError("IdMap: the entry '" + line + "' has no '=' (name=id expected)");
        list.push_back({Decimal(line.substr(0, eq), "name"), Decimal(line.substr(eq + 1), "id")});
    }
    std::set<int64_t> names;  // sorted numerically, each once
    for (const std::string& line : SplitLines(namesText))
        if (!Trim(line).empty()) names.insert(Decimal(line, "name"));

    std::stable_sort(list.begin(), list.end(),
                     [](const Entry& a, const Entry& b) { return a.name < b.name; });
    // The highest id counts the dropped entries too: their numbers are free
    // again, but numbers above them are never handed out before them.
    int64_t highest = -1;
    std::vector<Entry> kept;
    std::set<int64_t> mapped;
    for (const Entry& e : list) {
        highest = std::max(highest, e.id);
        if (names.count(e.name)) {
            kept.push_back(e);
            mapped.insert(e.name);
        }
    }

    std::vector<int64_t> used;
    for (const Entry& e : kept) used.push_back(e.id);
    std::sort(used.begin(), used.end());
    // Only as many free ids as there are new names: a stray huge id must not
    // make the walk below it endless.
    size_t wanted = 0;
    for (int64_t name : names) wanted += mapped.count(name) ? 0 : 1;
    std::vector<int64_t> freeIds;
    if (!used.empty()) {
        size_t u = 0;
        for (int64_t id = 0; id < used.back() && freeIds.size() < wanted; ++id) {
            while (u < used.size() && used[u] < id) ++u;
            if (u >= used.size() || used[u] != id) freeIds.push_back(id);
        }
    }

    size_t nextFree = 0;
    for (int64_t name : names) {
        if (mapped.count(name)) continue;
        int64_t id = nextFree < freeIds.size() ? freeIds[nextFree++] : ++highest;
        kept.push_back({name, id});
    }
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Entry& a, const Entry& b) { return a.id < b.id; });
    entries.clear();
    for (const Entry& e : kept) entries.push_back(IntToStr(e.name) + "=" + IntToStr(e.id));
}

void IdMap::Initialize(std::string& entriesText, const std::string& namesText) {
    std::vector<std::string> entries = SplitLines(entriesText);
    Initialize(entries, namesText);
    entriesText.clear();
    for (const std::string& e : entries) entriesText += e + "\r\n";
}

}  // namespace krv
