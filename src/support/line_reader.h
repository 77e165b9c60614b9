// LineReader: the lines of a text file read in large chunks, each handed out
// as a view into the chunk, so that a file of any size is read in little
// memory and without a copy per line. Lines end with CR LF, LF or CR; a last
// line without an end counts, a final line end adds no empty line (the rules
// of TMFile::ReadLine).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace krv {

class LineReader {
  public:
    static constexpr size_t kDefaultChunk = 1 << 20;

    explicit LineReader(size_t chunk = kDefaultChunk) : chunk_(chunk ? chunk : 1) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Opens the file for reading; EFileError naming the file and the
    // system's reason when it cannot be opened.
    void Open(const std::string& path);
    // The next line without its end, valid until the next call; false at
    // the end of the file. EFileError when reading fails.
    bool Next(std::string_view& line);
    // Bytes of the file consumed so far (lines and their ends).
    uint64_t Consumed() const { return consumed_; }
    void Close();

  private:
    // Moves the unread bytes to the front and reads more behind them; false
    // when the file has no more.
    bool Refill();

    size_t chunk_;
    std::string path_;
    platform::RawFile raw_;
    std::string buffer_;
    size_t begin_ = 0;  // the unread bytes are buffer_[begin_, end_)
    size_t end_ = 0;
    bool eof_ = false;
    bool skipLf_ = false;  // the last line ended with a CR at the chunk's end
    uint64_t consumed_ = 0;
};

// Writes a file through a buffer written out in large chunks.
//
// A new file (`append` false) is written whole or not at all: the bytes go
// to its temporary name, which Close moves into place. A run that writes
// nothing (and no `touch`) leaves an old file as it was, and so does a writer
// that fails or is abandoned before Close.
//
// Appending keeps what the file holds whole: a writer that fails or is
// abandoned before Close cuts the file back to the size it had, and with
// SetFreshLine the new bytes start on a line of their own (a last line left
// without its end, by a run that was cut short, is ended with CR LF first).
class ChunkedWriter {
  public:
    static constexpr size_t kDefaultChunk = 1 << 20;

    // `append` keeps the file's bytes and writes after them.
    explicit ChunkedWriter(std::string path, bool append = false, size_t chunk = kDefaultChunk);
    ~ChunkedWriter();
    ChunkedWriter(const ChunkedWriter&) = delete;
    ChunkedWriter& operator=(const ChunkedWriter&) = delete;

    // Close then hands the content to the disk itself, so that it survives
    // a power cut.
    void SetDurable(bool durable) { durable_ = durable; }
    // Appending: the new bytes never extend an unfinished last line.
    void SetFreshLine(bool fresh) { freshLine_ = fresh; }

    // The buffer to append to; call Written() after each record.
    std::string& Buffer() { return buffer_; }
    // Writes out the buffer once it holds a chunk.
    void Written() {
        if (buffer_.size() >= chunk_) Flush();
    }
    void Append(std::string_view bytes) {
        buffer_.append(bytes);
        Written();
    }
    // Writes out what is buffered (opening the file if not yet open).
    void Flush();
    // Flushes and closes (a new file moves into place); EFileError when
    // writing or closing fails. Nothing was ever written: the file is left
    // alone unless `touch`.
    void Close(bool touch = false);
    uint64_t BytesWritten() const { return written_ + buffer_.size(); }

  private:
    [[noreturn]] void Fail(const std::string& reason);
    void OpenFile();
    // Undoes an unfinished run: the temporary file removed, an appended
    // file cut back to its old size.
    void Abandon();

    std::string path_;
    bool append_;
    bool durable_ = false;
    bool freshLine_ = false;
    size_t chunk_;
    std::string buffer_;
    platform::RawFile raw_;            // appending
    platform::ReplacementFile whole_;  // a new file
    bool opened_ = false;
    uint64_t startSize_ = 0;  // the appended file's size before this run
    uint64_t written_ = 0;
};

}  // namespace krv
