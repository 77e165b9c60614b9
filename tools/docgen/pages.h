// The two generated pages of the manual. Each lists what the library says
// with the explanations of the notes; a parameter, choice or text without
// its explanation, or an explanation of something the library no longer has,
// is added to `errors`.
#pragma once

#include <string>
#include <vector>

#include "catalogue.h"
#include "notes.h"
#include "source_scan.h"
#include "translations.h"

namespace krv::docgen {

// The catalogue read without translations (Polish) and with the English
// texts; entries in the same order.
std::string ParametersPage(const std::vector<host::CatalogueEntry>& polish,
                           const std::vector<host::CatalogueEntry>& english, const Notes& notes,
                           std::vector<std::string>& errors);

std::string MessagesPage(const std::vector<TextKey>& keys, const host::Translations& english,
                         const Notes& notes, std::vector<std::string>& errors);

// A text as one line of Markdown: line breaks become " / ", '|' is escaped.
std::string Inline(const std::string& utf8);

}  // namespace krv::docgen
