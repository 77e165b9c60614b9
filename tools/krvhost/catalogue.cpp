#include "catalogue.h"

#include "text.h"

namespace krv::host {

Catalogue Catalogue::Read(const LibraryApi& api) {
    Catalogue c;
    for (int group : kGroups) {
        // The library answers kind 0 past the last index of a group; the
        // bound only guards against a library that never does.
        for (int index = 0; index < 1000; ++index) {
            char name[KRV_TEXT_BUFFER] = "", desc[KRV_TEXT_BUFFER] = "", def[KRV_TEXT_BUFFER] = "";
            char lower[KRV_TEXT_BUFFER] = "", upper[KRV_TEXT_BUFFER] = "";
            int32_t flags = 0;
            int32_t kind = api.Parametr(group, index, name, desc, def, lower, upper, &flags);
            if (kind == KRV_PARAM_NONE) break;
            CatalogueEntry e;
            e.group = group;
            e.index = index;
            e.kind = kind;
            e.flags = flags;
            e.name = name;
            e.description = desc;
            e.default_value = def;
            e.lower = lower;
            e.upper = upper;
            for (int i = 0; i < 1000; ++i) {
                char text[KRV_TEXT_BUFFER] = "";
                if (!api.TekstListyParametru(name, i, text)) break;
                e.choices.emplace_back(text);
            }
            c.entries_.push_back(std::move(e));
        }
    }
    return c;
}

const CatalogueEntry* Catalogue::Find(const std::string& name) const {
    std::string n = Trim(name);
    for (const CatalogueEntry& e : entries_)
        if (!n.empty() && SameText(Trim(e.name), n)) return &e;
    return nullptr;
}

bool Catalogue::Normalise(const CatalogueEntry& e, const std::string& value, std::string* stored,
                          std::string* error) {
    long long n = 0;
    switch (e.kind) {
        case KRV_PARAM_INTEGER: {
            long long lo = 0, hi = 0;
            if (!ParseInt(value, &n)) {
                *error = e.name + " takes a whole number";
                return false;
            }
            if ((ParseInt(e.lower, &lo) && n < lo) || (ParseInt(e.upper, &hi) && n > hi)) {
                *error = e.name + " takes a number from " + e.lower + " to " + e.upper;
                return false;
            }
            *stored = std::to_string(n);
            return true;
        }
        case KRV_PARAM_CHOICE: {
            if (ParseInt(value, &n) && n >= 0 && n < static_cast<long long>(e.choices.size())) {
                *stored = std::to_string(n);
                return true;
            }
            for (size_t i = 0; i < e.choices.size(); ++i) {
                if (Trim(ToUtf8(e.choices[i])) == Trim(value)) {
                    *stored = std::to_string(i);
                    return true;
                }
            }
            std::string list;
            for (size_t i = 0; i < e.choices.size(); ++i)
                list += "\n  " + std::to_string(i) + "  " + ToUtf8(e.choices[i]);
            *error = e.name + " takes one of:" + list;
            return false;
        }
        default:
            if (ToCp1250(value).size() > KRV_TEXT_MAX) {
                *error = e.name + " takes at most 300 characters";
                return false;
            }
            *stored = value;
            return true;
    }
}

const char* KindName(int kind) {
    switch (kind) {
        case KRV_PARAM_TEXT: return "text";
        case KRV_PARAM_INTEGER: return "integer";
        case KRV_PARAM_CHOICE: return "choice";
        default: return "unknown";
    }
}

}  // namespace krv::host
