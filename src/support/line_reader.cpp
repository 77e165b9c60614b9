#include "support/line_reader.h"

#include <cstring>

#include "support/exception.h"

namespace krv {

namespace {

[[noreturn]] void FileFail(const char* what, const std::string& path, const std::string& reason) {
    throw EFileError(std::string(what) + " '" + path + "': " + reason);
}

// The first CR or LF in [p, end), or end. Two vectorised searches beat a
// byte loop: most files end their lines with LF or CR LF, so the CR search
// covers one line only.
const char* LineEnd(const char* p, const char* end) {
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    const char* stop = lf ? static_cast<const char*>(lf) : end;
    const void* cr = std::memchr(p, '\r', static_cast<size_t>(stop - p));
    return cr ? static_cast<const char*>(cr) : stop;
}

}  // namespace

// --- LineReader --------------------------------------------------------------

void LineReader::Open(const std::string& path) {
    Close();
    path_ = path;
    std::string reason;
    if (path.empty()) FileFail("Cannot open file", path, "no file name given");
    if (!raw_.Open(path, platform::RawFile::Mode::kRead, &reason))
        FileFail("Cannot open file", path, reason);
    buffer_.resize(chunk_);
    begin_ = end_ = 0;
    eof_ = false;
    skipLf_ = false;
    consumed_ = 0;
}

void LineReader::Close() {
    raw_.Close();
    std::string().swap(buffer_);
    begin_ = end_ = 0;
}

bool LineReader::Refill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    // A line longer than the chunk: room for more of it.
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    std::string reason;
    const int64_t got = raw_.Read(buffer_.data() + end_, buffer_.size() - end_, &reason);
    if (got < 0) FileFail("Cannot read file", path_, reason);
    if (got == 0) {
        eof_ = true;
        return false;
    }
    end_ += static_cast<size_t>(got);
    return true;
}

bool LineReader::Next(std::string_view& line) {
    if (!raw_.IsOpen()) FileFail("Cannot read file", path_, "the file is not open");
    size_t scanned = 0;  // bytes after begin_ already known to hold no line end
    for (;;) {
        if (skipLf_ && begin_ < end_) {
            skipLf_ = false;
            if (buffer_[begin_] == '\n') {
                ++begin_;
                ++consumed_;
            }
        }
        const char* base = buffer_.data();
        const char* p = LineEnd(base + begin_ + scanned, base + end_);
        if (p < base + end_) {
            line = std::string_view(base + begin_, static_cast<size_t>(p - (base + begin_)));
            size_t next = static_cast<size_t>(p - base) + 1;
            if (*p == '\r') {
                if (next < end_) {
                    if (buffer_[next] == '\n') ++next;
                } else {
                    skipLf_ = true;  // the LF, if any, comes with the next chunk
                }
            }
            consumed_ += next - begin_;
            begin_ = next;
            return true;
        }
        scanned = end_ - begin_;
        if (!Refill()) {
            if (begin_ == end_) return false;
            line = std::string_view(buffer_.data() + begin_, end_ - begin_);
            consumed_ += end_ - begin_;
            begin_ = end_;
            return true;
        }
    }
}

// --- ChunkedWriter -----------------------------------------------------------

ChunkedWriter::ChunkedWriter(std::string path, bool append, size_t chunk)
    : path_(std::move(path)), append_(append), chunk_(chunk ? chunk : 1), whole_(path_) {
    buffer_.reserve(chunk_ + chunk_ / 4);
}

ChunkedWriter::~ChunkedWriter() {
    // A writer abandoned by an exception drops its buffer: the caller has
    // already failed and says so.
    Abandon();
}

void ChunkedWriter::Abandon() {
    if (append_ && raw_.IsOpen()) raw_.Truncate(startSize_, nullptr);
    raw_.Close();
    whole_.Discard();
}

void ChunkedWriter::Fail(const std::string& reason) {
    buffer_.clear();
    Abandon();
    FileFail(opened_ ? "Cannot write file" : "Cannot open file", path_, reason);
}

void ChunkedWriter::OpenFile() {
    std::string reason;
    if (!append_) {
        if (!whole_.Open(&reason)) Fail(reason);
        opened_ = true;
        return;
    }
    if (!raw_.Open(path_, platform::RawFile::Mode::kReadWrite, &reason)) Fail(reason);
    opened_ = true;
    if (!raw_.Size(&startSize_, &reason)) Fail(reason);
    // A run cut short (the process killed, the power gone) may have left a
    // last line without its end: the new bytes must not extend it.
    std::string seal;
    if (freshLine_ && startSize_ > 0) {
        char last = '\n';
        if (!raw_.Seek(startSize_ - 1, &reason) || raw_.Read(&last, 1, &reason) != 1)
            Fail(reason.empty() ? "the end of the file cannot be read" : reason);
        if (last == '\r')
            seal = "\n";
        else if (last != '\n')
            seal = "\r\n";
    }
    if (!raw_.Seek(startSize_, &reason)) Fail(reason);
    if (!seal.empty() && !raw_.Write(seal.data(), seal.size(), &reason)) Fail(reason);
}

void ChunkedWriter::Flush() {
    std::string reason;
    if (!opened_) OpenFile();
    if (buffer_.empty()) return;
    bool ok = append_ ? raw_.Write(buffer_.data(), buffer_.size(), &reason)
                      : whole_.Write(buffer_.data(), buffer_.size(), &reason);
    if (!ok) Fail(reason);
    written_ += buffer_.size();
    buffer_.clear();
}

void ChunkedWriter::Close(bool touch) {
    if (opened_ || touch || !buffer_.empty()) Flush();
    std::string().swap(buffer_);
    if (!opened_) return;
    std::string reason;
    if (append_) {
        if (!raw_.IsOpen()) return;  // closed before
        bool ok = !durable_ || raw_.Sync(&reason);
        if (!ok) Fail(reason);
        // The bytes are in the file: a failed close cannot be undone by a cut.
        if (!raw_.Close(&reason)) FileFail("Cannot write file", path_, reason);
    } else if (whole_.IsOpen()) {
        if (!whole_.Commit(durable_, &reason)) FileFail("Cannot write file", path_, reason);
    }
}

}  // namespace krv
