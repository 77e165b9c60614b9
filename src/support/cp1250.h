// The one place where text changes encoding. Every std::string of the library
// holds Windows-1250 bytes; source files are UTF-8, so the Polish default texts
// pass through here once.
#pragma once

#include <string>
#include <string_view>

namespace krv {

// UTF-8 to Windows-1250. Characters that Windows-1250 lacks become '?'.
std::string Utf8ToCp1250(std::string_view utf8);

// Windows-1250 to UTF-8. Undefined bytes become U+FFFD.
std::string Cp1250ToUtf8(std::string_view cp1250);

}  // namespace krv
