// Small text helpers of the program. Texts are Windows-1250 bytes; the Polish
// texts of the source (UTF-8) pass through Cp() once.
#pragma once

#include <string>
#include <string_view>

namespace krv::smeth {

// Blanks and control characters (bytes <= ' ') removed at both ends.
std::string Trim(std::string_view s);
// ASCII case-insensitive equality.
bool SameText(std::string_view a, std::string_view b);
bool AllDigits(std::string_view s);
// A UTF-8 text of the source as Windows-1250.
std::string Cp(std::string_view utf8);

}  // namespace krv::smeth
