// TLTools: the framework's toolbox of file and text utilities, and the
// switchable debug trace of device communication. Apart from the trace, no
// operation depends on the object's state; the stateless ones are static so
// that callers may use them with or without an object.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "support/lgext.h"

namespace krv {

// Alignment of fixed-width texts. Any value other than just_right acts as
// just_left.
enum e_just { just_right = 0, just_left = 1 };

class TLTools {
  public:
    TLTools() = default;

    // --- files (ltools.cpp) ---

    // Appends a header, the extra line (when not empty) and every line of the
    // source to the archive file. A missing source leaves the archive as it is.
    // `eachLine`, when given, sees every line of the source on the way, so
    // that a caller learns about the file without reading it once more.
    static void ArchiveFile(const std::string& source, const std::string& archive,
                            const TMLgExtTools* lg, bool isExport, int exportKind, bool writeHeader,
                            const std::string& extraLine,
                            const std::function<void(std::string_view)>& eachLine = {});
    // Renumbers the numbered copies base_NNNN.ext of the file upward by one.
    // Never fails.
    static void ArchiveFileUpdateFileNames(const std::string& path);
    // The bytes of buffer as the whole content of the file.
    static void BufToFile(std::string_view buffer, const std::string& path);
    // The bytes of buffer appended to the file.
    static void BufToAppendFile(std::string_view buffer, const std::string& path);
    // Writes through the temporary path, so that the file itself only ever
    // changes by a rename.
    static void BufToFileEx(std::string_view buffer, const std::string& path,
                            const std::string& tempPath, const TMLgExtTools* lg, bool append);
    // Renames, replacing an existing target; throws a translated message.
    static void RenFile(const std::string& oldPath, const std::string& newPath,
                        const TMLgExtTools* lg);
    // True when the path or wildcard pattern finds an ordinary file (not a
    // directory, not hidden, not a system file).
    static bool IsFile(const std::string& pattern);
    // Every line followed by CR LF, into a fresh file. A null list does nothing.
    static void SaveListToFile(const std::vector<std::string>* list, const std::string& path);
    // The short (8.3) form of the path; "0" when the system has none.
    static std::string GetDirShortPath(const std::string& path);
    // The host's binaries directory from the registry, ending with a
    // backslash; "" when not recorded (always on POSIX).
    static std::string WczytajSciezkeDoBinariow();

    // --- text (ltools_text.cpp); positions count from 1 ---

    // "zw" (VAT-exempt) is -1; any other text must be a whole number.
    static int Str2Vat(const std::string& text);
    // A decimal text as an integer scaled by 10^decimals, rounded.
    static int Str2Int(const std::string& text, unsigned decimals);
    // `out` becomes the characters from `start` up to the first delimiter.
    static std::string CopyTill(const std::string& text, std::string& out,
                                const std::string& delimiters, int start);
    // The text cut to `maximum`; with the ellipsis a cut text ends in "...".
    static std::string StrMax(const std::string& text, int maximum, bool ellipsis);
    // Brings `text` to exactly `size` characters, padded with `fill` or cut,
    // on the sides given; returns a copy of the result.
    static std::string StrSize(std::string& text, int size, char fill, e_just padding,
                               e_just cutting);
    // Twelve digits of the code (cut or zero-filled on the right) and their
    // EAN-13 check digit.
    static void KorygujCyfreKontrolnaEAN13(std::string& code);

    // --- debug trace (ltools_debug.cpp) ---

    // Writes the header to the debug file and switches the trace on.
    void InitDebug(const std::string& path, const TMLgExtTools* lg);
    // One time-stamped line; nothing while the trace is off.
    void DebugIt(const std::string& first, const std::string& second);
    // A hexadecimal dump in rows of 16 bytes; nothing while the trace is off.
    void DebugItHex(const void* bytes, int count);

    bool IsDebugOn() const { return debug_; }
    const std::string& DebugPath() const { return debugPath_; }

  private:
    bool debug_ = false;
    std::string debugPath_;
};

}  // namespace krv
