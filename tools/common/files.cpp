#include "files.h"

#include <cerrno>
#include <cstdio>

#include "os.h"

namespace krv::tools {

namespace {

std::optional<std::string> ReadAndClose(std::FILE* f) {
    if (!f) return std::nullopt;
    std::string data;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
    bool failed = std::ferror(f) != 0;
    int err = errno;  // the read's reason, not the close's
    std::fclose(f);
    if (failed) {
        errno = err;
        return std::nullopt;
    }
    return data;
}

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& utf8_path) {
    return ReadAndClose(OpenFile(utf8_path, "rb"));
}

std::optional<std::string> ReadWholeNativeFile(const std::string& native_path) {
    return ReadAndClose(std::fopen(native_path.c_str(), "rb"));
}

bool WriteWholeFile(const std::string& utf8_path, std::string_view bytes) {
    std::FILE* f = OpenFile(utf8_path, "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fflush(f) == 0 && ok;
    return std::fclose(f) == 0 && ok;
}

bool WriteFileAtomically(const std::string& utf8_path, std::string_view bytes) {
    std::string temp = utf8_path + ".tmp";
    if (!WriteWholeFile(temp, bytes)) {
        RemoveFile(temp);
        return false;
    }
    if (!RenameReplacing(temp, utf8_path)) {
        RemoveFile(temp);
        return false;
    }
    return true;
}

}  // namespace krv::tools
