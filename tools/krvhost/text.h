// Small text helpers of krvhost. The library speaks Windows-1250; the
// terminal, the profile and the translation file are UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/strutil.h"

namespace krv::host {

// The library's own: blanks and control characters trimmed, ASCII
// case-insensitive equality (parameter names are ASCII).
using krv::SameText;
using krv::Trim;

std::string ToUtf8(std::string_view cp1250);
std::string ToCp1250(std::string_view utf8);

// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view s);
std::vector<std::string> Split(std::string_view s, char delimiter);
// A whole decimal integer (optional sign, blanks around allowed); false otherwise.
bool ParseInt(std::string_view s, long long* out);
// Copies at most n bytes and a terminating zero into a buffer of n + 1.
void CopyOut(char* buf, size_t n, std::string_view text);

}  // namespace krv::host
