#include "support/ltools.h"
#include "support/mfile.h"
#include "support/tdttools.h"

namespace krv {

namespace {

// Opens the debug file for appending at its end.
void OpenForAppend(TMFile& file, const std::string& path) {
    file.SetPath(path);
    file.Open();
    file.SetPointer(file.GetSize());
}

std::string TimeStamp() { return TdtTools(TdtTools::Now()).ToString(TdtTools::kTime); }

}  // namespace

void TLTools::InitDebug(const std::string& path, const TMLgExtTools* lg) {
    debugPath_ = path;
    TMFile file;
    OpenForAppend(file, path);
    file.WriteLine(
        Tr(lg, "kstools_LTools", "oolsInitDebulineAnsiStri", "\r\n--- [KOMUNIKACJA Z DNIA: ") +
        TdtTools(TdtTools::Now()).ToString(TdtTools::kDateTime) + "] ---");
    file.Close();
    debug_ = true;
}

void TLTools::DebugIt(const std::string& first, const std::string& second) {
    if (!debug_) return;
    TMFile file;
    OpenForAppend(file, debugPath_);
    file.WriteLine(TimeStamp() + " " + first + " " + second);
    file.Close();
}

void TLTools::DebugItHex(const void* bytes, int count) {
    if (!debug_) return;
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    size_t n = count > 0 && p ? static_cast<size_t>(count) : 0;
    std::string dump;
    size_t row = 0;
    do {
        std::string hex, chars;
        for (size_t i = row; i < n && i < row + 16; ++i) {
            hex += kHex[p[i] >> 4];
            hex += kHex[p[i] & 15];
            hex += ' ';
            chars += p[i] < 32 ? '.' : static_cast<char>(p[i]);
        }
        hex.resize(48, ' ');
        chars.resize(16, ' ');
        dump +=
            (row == 0 ? TimeStamp() : std::string(12, ' ')) + "   " + hex + "  " + chars + "\r\n";
        row += 16;
    } while (row < n);
    TMFile file;
    OpenForAppend(file, debugPath_);
    file.Write(dump);
    file.Close();
}

}  // namespace krv
