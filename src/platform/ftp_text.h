// Remote names between the library's Windows-1250 and the UTF-8 that FTP
// servers speak (shared by the FTP clients of every platform).
#pragma once

#include <string>
#include <string_view>

#include "platform/ftp.h"

namespace krv::platform {

// The name as it goes on the wire.
std::string FtpToWire(const std::string& cp1250);
// A name or listing line from the server; text that is not UTF-8 is taken as
// Windows-1250 already.
std::string FtpFromWire(const std::string& wire);

// Where the text holds a byte that no FTP command can carry: CR or LF would
// end the command there and start another, NUL would cut it short. npos when
// there is none.
size_t FtpUnsafeAt(std::string_view text);
// The byte by name: "CR (0x0D)", "LF (0x0A)", "NUL (0x00)".
std::string FtpByteName(char c);
// Ok, or the refusal of the call because of such a byte in `what` (e.g.
// "the folder name"): nothing is sent then.
FtpResult FtpRefuseUnsafe(const char* call, const char* what, std::string_view text);

}  // namespace krv::platform
