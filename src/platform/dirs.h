// Directories and the small file operations of the directory write test,
// behind one narrow interface per operating system. Paths are Windows-1250.
#pragma once

#include <string>
#include <string_view>

namespace krv::platform {

// The separator that this system puts between path elements.
char PathSeparator();
// True for every character that separates path elements here ('/' on POSIX;
// '\' and '/' on Windows).
bool IsPathSeparator(char c);

// True when a directory exists at the path.
bool DirectoryExists(const std::string& path);

// Creates the directory together with every missing parent. True when the
// directory exists afterwards.
bool ForceDirectories(const std::string& path);

enum class CreateNewResult {
    kCreated,  // created and the whole content written
    kExists,   // a file or directory of that name already exists; nothing touched
    kFailed,   // could not be created or written (a partly written file is removed)
};

// Creates the file as a new file (never opening an existing one), for writing
// and without sharing, writes the content and closes it.
CreateNewResult CreateNewFile(const std::string& path, std::string_view content);

// Deletes a file. True when it was deleted.
bool RemoveFile(const std::string& path);

}  // namespace krv::platform
