// TMFile: the support package's buffered text and byte file. One object opens
// one file at a time; every failure is an EFileError whose message names the
// file and the system's reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"

namespace krv {

class TMFile {
  public:
    TMFile() = default;
    ~TMFile();
    TMFile(const TMFile&) = delete;
    TMFile& operator=(const TMFile&) = delete;

    void SetPath(const std::string& path) { path_ = path; }
    const std::string& GetPath() const { return path_; }
    // True opens for reading only; false (the default) for reading and writing.
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }

    // Opens the file at the path; a missing writable file is created. The
    // pointer starts at 0.
    void Open();
    bool IsOpen() const { return raw_.IsOpen(); }
    // Writes what is pending and closes (a failure of the close is a failed
    // write); does nothing when not open. A file opened with OpenReplacement
    // and not committed is abandoned: its temporary file is removed and the
    // file itself left as it was.
    void Close();

    // A file that another program reads, written whole or not at all: opens
    // an empty file under the temporary name beside the path; Commit moves
    // it into place once everything is written.
    void OpenReplacement();
    // Writes what is pending, closes and renames the temporary file over the
    // file; with `durable` its content reaches the disk first, so that it
    // survives a power cut. On failure the file stays as it was.
    void Commit(bool durable = false);

    void SetPointer(uint64_t position);
    uint64_t GetPointer() const { return pos_; }
    uint64_t GetSize();
    // Cuts the file at the pointer.
    void SetEof();

    void Write(const void* bytes, size_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }
    // Writes the text followed by the terminator.
    void WriteLine(std::string_view text, std::string_view terminator = "\r\n");

    // Reads the next line without its end into `line`; false (and an empty
    // line) at the end of the file. With a terminator made of CR and LF
    // characters (callers pass "\r\n") a line may end with CR LF, LF or CR;
    // any other terminator must match exactly.
    bool ReadLine(std::string& line, std::string_view terminator = "\r\n");

    // Replaces `list` with the lines of the text file at `path` (CR LF, LF or
    // CR ends). `bufferSize` is the least read granularity.
    static void ReadStringsFromFile(const std::string& path, std::vector<std::string>& list,
                                    size_t bufferSize = 4096);
    // The same lines without a copy each: `text` receives the whole file and
    // `lines` views into it (valid while `text` is neither changed nor freed).
    static void ReadLinesFromFile(const std::string& path, std::string& text,
                                  std::vector<std::string_view>& lines, size_t bufferSize = 4096);

  private:
    [[noreturn]] void Fail(const char* what, const std::string& reason) const;
    void RequireOpen(const char* what) const;
    void FlushWrites();
    void ResetBuffers();
    // Closes without a word and removes the temporary file of a replacement.
    void Abandon();
    void DropReadBuffer();
    // Makes sure the read buffer holds the byte at pos_; false at the end.
    bool FillReadBuffer();

    std::string path_;
    bool readOnly_ = false;
    bool replacing_ = false;  // open under the temporary name (OpenReplacement)
    platform::RawFile raw_;
    uint64_t pos_ = 0;  // the logical pointer

    // Bytes read ahead: buffer_[0..readLen_) are the bytes at readStart_.
    std::vector<char> readBuf_;
    uint64_t readStart_ = 0;
    size_t readLen_ = 0;

    // Bytes written but not yet handed to the system, starting at writeStart_.
    std::string writeBuf_;
    uint64_t writeStart_ = 0;
};

}  // namespace krv
