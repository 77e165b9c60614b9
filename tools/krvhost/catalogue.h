// The library's parameter catalogue as the host reads it: groups 101 and 102
// through KRVDLLParametr, choice lists through KRVDLLTekstListyParametru.
// Texts stay in Windows-1250, as the library gives them.
#pragma once

#include <string>
#include <vector>

#include "library.h"

namespace krv::host {

struct CatalogueEntry {
    int group = 0;
    int index = 0;
    int kind = 0;  // KRV_PARAM_TEXT, KRV_PARAM_INTEGER or KRV_PARAM_CHOICE
    int flags = 0;
    std::string name, description, default_value, lower, upper;
    std::vector<std::string> choices;  // for KRV_PARAM_CHOICE
};

class Catalogue {
  public:
    static constexpr int kGroups[] = {101, 102};

    static Catalogue Read(const LibraryApi& api);

    const std::vector<CatalogueEntry>& Entries() const { return entries_; }
    // By name, trimmed and case-insensitive, as the library matches names.
    const CatalogueEntry* Find(const std::string& name) const;

    // Checks a value (UTF-8) for an entry and gives the text to store: an
    // integer within the limits, a choice by its number or by its text.
    // False with *error set when the value does not fit.
    static bool Normalise(const CatalogueEntry& entry, const std::string& value_utf8,
                          std::string* stored_utf8, std::string* error);

  private:
    std::vector<CatalogueEntry> entries_;
};

const char* KindName(int kind);

}  // namespace krv::host
