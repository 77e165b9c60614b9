// Small text helpers of the program. Texts are Windows-1250 bytes; the Polish
// texts of the source (UTF-8) pass through Cp() once.
#pragma once

#include <string>
#include <string_view>

#include "support/strutil.h"

namespace krv::smeth {

// The library's own: blanks and control characters trimmed, ASCII
// case-insensitive equality.
using krv::SameText;
using krv::Trim;
bool AllDigits(std::string_view s);
// A UTF-8 text of the source as Windows-1250.
std::string Cp(std::string_view utf8);
// The error text for a file that could not be read, `err` being errno right
// after the failed read: `missing` when the file is not there, otherwise
// "Nie można odczytać pliku <name>: <the system's reason>" (Windows-1250).
std::string ReadFailure(const std::string& missing, const std::string& name, int err);

}  // namespace krv::smeth
