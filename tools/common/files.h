// Whole-file reading and writing by UTF-8 path.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace krv::tools {

// The bytes of a file; nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& utf8_path);

// The same for a path in the system's own encoding (the code page of the
// command line on Windows), as krvhost is given its paths.
std::optional<std::string> ReadWholeNativeFile(const std::string& native_path);

// Writes the bytes and closes the file; false when any step failed.
bool WriteWholeFile(const std::string& utf8_path, std::string_view bytes);

// Writes a temporary file beside the target and renames it over the target,
// so that a reader sees either the old or the new content, never a part.
bool WriteFileAtomically(const std::string& utf8_path, std::string_view bytes);

}  // namespace krv::tools
