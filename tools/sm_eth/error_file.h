// The error file: one line per error, fields separated by TAB, lines separated
// by CR LF (no line end after the last line, so a reader never sees an empty
// extra line). Fields: scale name, scale address, line number in the input
// file (0 for errors of the whole transfer), PLU number, error code, text.
// An empty file means that every record reached the scale.
#pragma once

#include <string>
#include <vector>

namespace krv::smeth {

struct ErrorLine {
    std::string scale_name;  // Windows-1250, like every text here
    std::string address;
    int line = 0;
    std::string plu;
    std::string code;
    std::string text;
};

// The bytes of the file. TAB, CR, LF and other control characters inside a
// field become blanks, so that each error stays one line of six fields.
std::string FormatErrorFile(const std::vector<ErrorLine>& lines);

}  // namespace krv::smeth
