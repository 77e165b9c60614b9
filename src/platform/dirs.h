// Directories and the small file operations of the directory write test,
// behind one narrow interface per operating system. Paths are Windows-1250.
#pragma once

#include <string>
#include <string_view>

#include "platform/files.h"

namespace krv::platform {

// True for every character that separates path elements here ('/' on POSIX;
// '\' and '/' on Windows).
bool IsPathSeparator(char c);

// Creates the directory together with every missing parent. True when the
// directory exists afterwards.
bool ForceDirectories(const std::string& path);

// Creates the file as a new file (never opening an existing one), for writing
// and without sharing, writes the content and closes it. kFailed also when
// the content could not be written whole (a partly written file is removed).
CreateNewResult CreateNewFile(const std::string& path, std::string_view content);

}  // namespace krv::platform
