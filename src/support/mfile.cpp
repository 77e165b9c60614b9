#include "support/mfile.h"

#include <algorithm>
#include <cstring>

#include "support/exception.h"

namespace krv {

namespace {
constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kWriteChunk = 64 * 1024;

bool IsLineBreakTerminator(std::string_view t) {
    return !t.empty() && t.find_first_not_of("\r\n") == std::string_view::npos;
}
}  // namespace

TMFile::~TMFile() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; callers that care call Close themselves.
    }
}

void TMFile::Fail(const char* what, const std::string& reason) const {
    throw EFileError(std::string(what) + " '" + path_ + "': " + reason);
}

void TMFile::RequireOpen(const char* what) const {
    if (!raw_.IsOpen()) Fail(what, "the file is not open");
}

void TMFile::Open() {
    Close();
    std::string reason;
    auto mode = readOnly_ ? platform::RawFile::Mode::kRead : platform::RawFile::Mode::kReadWrite;
    if (path_.empty()) Fail("Cannot open file", "no file name given");
    if (!raw_.Open(path_, mode, &reason)) Fail("Cannot open file", reason);
    ResetBuffers();
}

void TMFile::OpenReplacement() {
    Close();
    std::string reason;
    if (path_.empty()) Fail("Cannot open file", "no file name given");
    if (readOnly_) Fail("Cannot write file", "the file is open for reading only");
    const std::string temp = platform::TemporaryPathFor(path_);
    replacing_ = true;
    if (!raw_.Open(temp, platform::RawFile::Mode::kReadWrite, &reason) ||
        !raw_.Truncate(0, &reason)) {
        Abandon();
        Fail("Cannot open file", reason);
    }
    ResetBuffers();
}

void TMFile::Commit(bool durable) {
    RequireOpen("Cannot write file");
    if (!replacing_) Fail("Cannot write file", "the file was not opened for replacement");
    std::string reason;
    try {
        FlushWrites();
    } catch (...) {
        Abandon();
        throw;
    }
    bool ok = !durable || raw_.Sync(&reason);
    ok = raw_.Close(ok ? &reason : nullptr) && ok;
    ok = ok &&
         platform::CommitReplacement(platform::TemporaryPathFor(path_), path_, durable, &reason);
    if (!ok) {
        Abandon();
        Fail("Cannot write file", reason);
    }
    replacing_ = false;
    readLen_ = 0;
}

void TMFile::Abandon() {
    raw_.Close();
    if (replacing_) platform::RemoveFile(platform::TemporaryPathFor(path_));
    replacing_ = false;
    readLen_ = 0;
    writeBuf_.clear();
}

void TMFile::ResetBuffers() {
    pos_ = 0;
    readStart_ = 0;
    readLen_ = 0;
    writeBuf_.clear();
    writeStart_ = 0;
}

void TMFile::Close() {
    if (!raw_.IsOpen()) return;
    if (replacing_) {
        Abandon();
        return;
    }
    try {
        FlushWrites();
    } catch (...) {
        raw_.Close();
        throw;
    }
    std::string reason;
    readLen_ = 0;
    // A read-only file has nothing to lose at its close.
    if (!raw_.Close(&reason) && !readOnly_) Fail("Cannot write file", reason);
}

void TMFile::FlushWrites() {
    if (writeBuf_.empty()) return;
    std::string reason;
    if (!raw_.Seek(writeStart_, &reason) ||
        !raw_.Write(writeBuf_.data(), writeBuf_.size(), &reason)) {
        writeBuf_.clear();
        Fail("Cannot write file", reason);
    }
    writeBuf_.clear();
}

void TMFile::DropReadBuffer() { readLen_ = 0; }

void TMFile::SetPointer(uint64_t position) {
    RequireOpen("Cannot position in file");
    pos_ = position;
}

uint64_t TMFile::GetSize() {
    RequireOpen("Cannot get the size of file");
    FlushWrites();
    uint64_t size = 0;
    std::string reason;
    if (!raw_.Size(&size, &reason)) Fail("Cannot get the size of file", reason);
    return size;
}

void TMFile::SetEof() {
    RequireOpen("Cannot cut file");
    FlushWrites();
    DropReadBuffer();
    std::string reason;
    if (!raw_.Truncate(pos_, &reason)) Fail("Cannot cut file", reason);
}

void TMFile::Write(const void* bytes, size_t count) {
    RequireOpen("Cannot write file");
    if (readOnly_) Fail("Cannot write file", "the file is open for reading only");
    DropReadBuffer();
    if (!writeBuf_.empty() && writeStart_ + writeBuf_.size() != pos_) FlushWrites();
    if (writeBuf_.empty()) writeStart_ = pos_;
    writeBuf_.append(static_cast<const char*>(bytes), count);
    pos_ += count;
    if (writeBuf_.size() >= kWriteChunk) FlushWrites();
}

void TMFile::WriteLine(std::string_view text, std::string_view terminator) {
    Write(text.data(), text.size());
    Write(terminator.data(), terminator.size());
}

bool TMFile::FillReadBuffer() {
    if (pos_ >= readStart_ && pos_ < readStart_ + readLen_) return true;
    FlushWrites();
    if (readBuf_.size() < kReadChunk) readBuf_.resize(kReadChunk);
    std::string reason;
    if (!raw_.Seek(pos_, &reason)) Fail("Cannot read file", reason);
    int64_t got = raw_.Read(readBuf_.data(), readBuf_.size(), &reason);
    if (got < 0) Fail("Cannot read file", reason);
    readStart_ = pos_;
    readLen_ = static_cast<size_t>(got);
    return readLen_ > 0;
}

bool TMFile::ReadLine(std::string& line, std::string_view terminator) {
    RequireOpen("Cannot read file");
    line.clear();
    bool any = false;
    const bool lineBreaks = IsLineBreakTerminator(terminator);
    while (FillReadBuffer()) {
        any = true;
        const char* begin = readBuf_.data() + (pos_ - readStart_);
        const char* end = readBuf_.data() + readLen_;
        if (lineBreaks) {
            const char* p = begin;
            while (p < end && *p != '\r' && *p != '\n') ++p;
            line.append(begin, p);
            pos_ += static_cast<uint64_t>(p - begin);
            if (p == end) continue;
            ++pos_;
            if (*p == '\r' && FillReadBuffer() && readBuf_[pos_ - readStart_] == '\n') ++pos_;
            return true;
        }
        // Any other terminator: byte by byte until the line ends with it.
        line.push_back(*begin);
        ++pos_;
        if (line.size() >= terminator.size() &&
            std::string_view(line).substr(line.size() - terminator.size()) == terminator) {
            line.resize(line.size() - terminator.size());
            return true;
        }
    }
    return any;
}

void TMFile::ReadLinesFromFile(const std::string& path, std::string& text,
                               std::vector<std::string_view>& lines, size_t bufferSize) {
    lines.clear();
    text.clear();
    TMFile file;
    file.SetPath(path);
    file.SetReadOnly(true);
    file.Open();
    // Read straight into the text: the file's size is known, so one pass
    // and no copy. A file that grows meanwhile is read to its new end.
    uint64_t size = file.GetSize();
    if (size >= text.max_size()) file.Fail("Cannot read file", "the file is too large");
    text.resize(std::max<size_t>(static_cast<size_t>(size), bufferSize));
    size_t filled = 0;
    std::string reason;
    for (;;) {
        if (filled == text.size()) text.resize(text.size() + std::max(bufferSize, kReadChunk));
        int64_t got = file.raw_.Read(text.data() + filled, text.size() - filled, &reason);
        if (got < 0) file.Fail("Cannot read file", reason);
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    text.resize(filled);
    file.Close();

    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n') ++q;
        lines.emplace_back(p, static_cast<size_t>(q - p));
        if (q < end && *q == '\r' && q + 1 < end && q[1] == '\n') ++q;
        p = q + 1;
    }
}

void TMFile::ReadStringsFromFile(const std::string& path, std::vector<std::string>& list,
                                 size_t bufferSize) {
    std::string text;
    std::vector<std::string_view> lines;
    ReadLinesFromFile(path, text, lines, bufferSize);
    list.assign(lines.begin(), lines.end());
}

}  // namespace krv
