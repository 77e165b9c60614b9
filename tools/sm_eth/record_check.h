// Checks of the PLU file: its split into lines and the fixed-width format of
// each 1000-character record.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace krv::smeth {

inline constexpr size_t kRecordSize = 1000;

struct InputLine {
    int number = 0;         // 1-based line number in the file
    std::string_view text;  // without its line end
    bool crlf = false;      // the line ended with CR LF
};

// Splits at LF. A final segment without a line end is a line too (without
// CR LF); a file ending with a line end has no empty last line.
std::vector<InputLine> SplitInput(std::string_view data);

struct RecordFault {
    int code = 0;
    std::string text;  // Windows-1250
};

// The first fault of a line, nullopt for a record that may be sent.
std::optional<RecordFault> CheckLine(const InputLine& line);
// The format checks of one record (the line without its CR LF).
std::optional<RecordFault> CheckRecord(std::string_view record);

// Positions 2-9 when they are digits, else empty (the error file must not
// carry whatever a broken record holds there).
std::string PluNumberOf(std::string_view record);

}  // namespace krv::smeth
