// Remote names between the library's Windows-1250 and the UTF-8 that FTP
// servers speak (shared by the FTP clients of every platform).
#pragma once

#include <string>

namespace krv::platform {

// The name as it goes on the wire.
std::string FtpToWire(const std::string& cp1250);
// A name or listing line from the server; text that is not UTF-8 is taken as
// Windows-1250 already.
std::string FtpFromWire(const std::string& wire);

}  // namespace krv::platform
