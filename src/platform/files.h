// File-system services, behind one narrow interface per operating system.
// Every path is Windows-1250 text, like every string of the library; the
// Windows implementation converts it for the wide system calls, the POSIX one
// passes the bytes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
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
    // Closes the file. False when the system reports a failure: on a network
    // share that is where a write that never reached the server shows, so a
    // writer must treat it as a failed write. The handle is gone either way.
    bool Close(std::string* error = nullptr);

    // Reads up to n bytes at the current position; the number read (0 at the
    // end of the file), or -1 on failure.
    int64_t Read(void* buffer, size_t n, std::string* error);
    // Writes all n bytes at the current position.
    bool Write(const void* buffer, size_t n, std::string* error);
    bool Seek(uint64_t position, std::string* error);
    bool Size(uint64_t* size, std::string* error);
    // Makes the file exactly `size` bytes long (the position is not moved).
    bool Truncate(uint64_t size, std::string* error);
    // Hands everything written so far to the disk itself (fsync,
    // FlushFileBuffers), so that it survives a power cut.
    bool Sync(std::string* error);

  private:
    static constexpr intptr_t kClosed = -1;
    intptr_t handle_ = kClosed;
};

// True when the path names an existing ordinary file (not a directory).
bool FileExists(const std::string& path);
// What a file test found: an ordinary file; no ordinary file (nothing there,
// or a directory, where FileExists says false); or nothing certain, because
// the system could not examine the path (an I/O error, no right to look).
enum class FileProbe { kFile, kAbsent, kUnknown };
// FileExists for callers that must not take a failed test for a missing
// file: kUnknown puts the system's reason into *reason.
FileProbe ProbeFile(const std::string& path, std::string* reason);
// True when the path names an existing directory.
bool DirectoryExists(const std::string& path);
// Deletes a file; false when it could not be deleted (a missing file included).
bool RemoveFile(const std::string& path);
// Renames a file, replacing an existing target file; false on failure.
bool RenameFile(const std::string& from, const std::string& to);
// Creates the directory and any missing parents; true when it exists afterwards.
bool CreateDirectories(const std::string& path);

// Whole files or none. A file that another program reads is written under
// TemporaryPathFor(path), in the same folder, and moved into place by
// CommitReplacement once it is complete, so that no reader ever sees a part
// of it. A failed write removes the temporary file.
std::string TemporaryPathFor(const std::string& path);
// Renames the complete temporary file over the target in one step (POSIX
// rename; MoveFileExW with MOVEFILE_REPLACE_EXISTING). With `durable` the new
// name itself survives a power cut too (the folder is flushed on POSIX, the
// move written through on Windows); the caller has synced the file's data.
// When that last step fails, the file has already replaced the old one: it
// is removed again (the error says so), so that a failure never leaves a
// file a reader would take for committed, and the caller, which still holds
// the data, can simply write it again.
bool CommitReplacement(const std::string& temp, const std::string& path, bool durable,
                       std::string* error);

// A whole file written through its temporary name: Open, Write, then Commit.
// Destroyed (or Discarded) before Commit, it leaves the target as it was and
// removes the temporary file.
class ReplacementFile {
  public:
    explicit ReplacementFile(std::string path) : path_(std::move(path)) {}
    ~ReplacementFile() { Discard(); }
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates (or empties) the temporary file.
    bool Open(std::string* error);
    bool IsOpen() const { return raw_.IsOpen(); }
    bool Write(const void* buffer, size_t n, std::string* error) {
        return raw_.Write(buffer, n, error);
    }
    // Closes the temporary file (its errors checked) and moves it into place;
    // with `durable` its data reaches the disk first. On failure the
    // temporary file is removed and the target left as it was.
    bool Commit(bool durable, std::string* error);
    void Discard();

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    RawFile raw_;
    bool pending_ = false;  // a temporary file exists that is not yet in place
};

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
