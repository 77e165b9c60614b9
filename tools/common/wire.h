// The line protocol between the scale-communication program and the scale
// simulator (see tools/scale_sim/README.md). Every text on the wire is
// Windows-1250; every line ends with LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace krv::tools::wire {

// The scale's first line after it accepted a connection.
inline constexpr std::string_view kGreeting = "HELLO DIGISIM/1";
// Client commands.
inline constexpr std::string_view kPluCommand = "PLU ";
inline constexpr std::string_view kQuitCommand = "QUIT";
// Scale answers.
inline constexpr std::string_view kOkAnswer = "OK ";
inline constexpr std::string_view kErrAnswer = "ERR ";
inline constexpr std::string_view kByeAnswer = "BYE";

// "PLU <record>\n"
std::string PluCommand(std::string_view record);
// "OK <plu>\n" and "ERR <plu> <code> <text>\n". The code must not hold a blank;
// line breaks in the text become blanks so that an answer stays one line.
std::string OkAnswer(std::string_view plu);
std::string ErrAnswer(std::string_view plu, std::string_view code, std::string_view text);

struct Answer {
    bool ok = false;
    std::string plu;
    std::string code;  // ERR only
    std::string text;  // ERR only, may be empty
};

// Parses one answer line (without its LF); nullopt when it is neither OK nor ERR.
std::optional<Answer> ParseAnswer(std::string_view line);

}  // namespace krv::tools::wire
