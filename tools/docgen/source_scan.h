// Finds every text the library looks up for the host's translation function:
// each call of Tr, TrFormat or GetString in a source file, with its section,
// key and Polish default. Keys passed through a small helper (a function or
// lambda of the same file whose parameter goes on to the lookup) are followed
// to the helper's calls, and a key taken from a constant array by index gives
// one text per element. A lookup that cannot be followed is an error, so that
// no text the library can show escapes the manual.
#pragma once

#include <string>
#include <vector>

namespace krv::docgen {

struct TextKey {
    std::string section;
    std::string key;
    std::string polish;  // UTF-8, as in the source
    std::string file;    // where it is looked up (the first place)
};

struct ScanResult {
    std::vector<TextKey> keys;        // in the order of the files and lines
    std::vector<std::string> errors;  // "file:line: what"
};

// One source file's text; `file` names it in the results.
void ScanSource(const std::string& file, const std::string& text, ScanResult& out);

// Sorted by section and key, one entry per section and key; a key looked up
// with two different defaults is an error.
void MergeKeys(ScanResult& result);

}  // namespace krv::docgen
