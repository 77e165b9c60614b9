// Scratch directories and whole-file reads and writes for the tests of the
// file-handling classes.
#pragma once

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/files.h"

namespace krv::test {

// A fresh directory, removed with everything in it at the end of the test.
class TempDir {
  public:
    TempDir() {
        static std::atomic<int> counter{0};
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            path_ = base / ("tarvisco_test_" + std::to_string(::time(nullptr)) + "_" +
                            std::to_string(counter++) + "_" + std::to_string(rand()));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory with a trailing separator, as the host gives it.
    std::string Dir() const { return path_.string() + platform::PathSeparator(); }
    std::string operator/(const std::string& name) const { return Dir() + name; }

  private:
    std::filesystem::path path_;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline bool Exists(const std::string& path) { return std::filesystem::exists(path); }

}  // namespace krv::test
