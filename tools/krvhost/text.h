// Small text helpers of krvhost. The library speaks Windows-1250; the
// terminal, the profile and the translation file are UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace krv::host {

std::string ToUtf8(std::string_view cp1250);
std::string ToCp1250(std::string_view utf8);

std::string Trim(std::string_view s);
// Case-insensitive comparison of ASCII letters (parameter names are ASCII).
bool SameName(std::string_view a, std::string_view b);
// Number of characters (code points) of a UTF-8 text.
size_t Utf8Length(std::string_view s);
std::vector<std::string> Split(std::string_view s, char delimiter);
// A whole decimal integer (optional sign, blanks around allowed); false otherwise.
bool ParseInt(std::string_view s, long long* out);
// Copies at most n bytes and a terminating zero into a buffer of n + 1.
void CopyOut(char* buf, size_t n, std::string_view text);
// The whole content of a file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* text);

}  // namespace krv::host
