// File-system services, behind one narrow interface per operating system.
// Every path is Windows-1250 text, like every string of the library; the
// Windows implementation converts it for the wide system calls, the POSIX one
// passes the bytes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace krv::platform {

// Unbuffered access to one open file. Every operation reports failure with
// false (or -1) and, when `error` is given, a short system reason.
class RawFile {
  public:
    enum class Mode {
        kRead,       // existing file, reading only
        kReadWrite,  // reading and writing; a missing file is created
    };

    RawFile() = default;
    ~RawFile() { Close(); }
    RawFile(const RawFile&) = delete;
    RawFile& operator=(const RawFile&) = delete;

    bool Open(const std::string& path, Mode mode, std::string* error);
    bool IsOpen() const { return handle_ != kClosed; }
    void Close();

    // Reads up to n bytes at the current position; the number read (0 at the
    // end of the file), or -1 on failure.
    int64_t Read(void* buffer, size_t n, std::string* error);
    // Writes all n bytes at the current position.
    bool Write(const void* buffer, size_t n, std::string* error);
    bool Seek(uint64_t position, std::string* error);
    bool Size(uint64_t* size, std::string* error);
    // Makes the file exactly `size` bytes long (the position is not moved).
    bool Truncate(uint64_t size, std::string* error);

  private:
    static constexpr intptr_t kClosed = -1;
    intptr_t handle_ = kClosed;
};

// True when the path names an existing ordinary file (not a directory).
bool FileExists(const std::string& path);
// True when the path names an existing directory.
bool DirectoryExists(const std::string& path);
// Deletes a file; false when it could not be deleted (a missing file included).
bool RemoveFile(const std::string& path);
// Renames a file, replacing an existing target file; false on failure.
bool RenameFile(const std::string& from, const std::string& to);
// Creates the directory and any missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& path);

enum class CreateNewResult { kCreated, kExists, kFailed };
// Creates an empty file only if nothing exists at the path yet, atomically
// (the basis of lock and semaphore files).
CreateNewResult CreateNewFile(const std::string& path);

// One entry found by FindEntries.
struct FoundEntry {
    std::string name;  // the entry's name, without its directory
    bool directory = false;
    bool hidden = false;  // hidden attribute; on POSIX a name starting with '.'
    bool system = false;  // system attribute; on POSIX anything but a file or directory
};

// The entries of one directory whose names match the wildcard pattern of the
// last path component ('*' any run of characters, '?' one character), "." and
// ".." left out, in the order the system lists them. Empty when the directory
// cannot be read.
std::vector<FoundEntry> FindEntries(const std::string& pattern);

// The system's short (8.3) form of an existing path; on POSIX the path itself.
// Empty when the system has none (for example, the path does not exist).
std::string ShortPathName(const std::string& path);

// The platform's path separator ('\\' on Windows, '/' elsewhere).
char PathSeparator();

}  // namespace krv::platform
