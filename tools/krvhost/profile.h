// The device profile: what the host keeps for one configured device, in a
// small INI-like UTF-8 file (documented in README.md):
//
//   [device]      name, exchange_dir, vat, vat_prec, format.N
//   [parameters]  the catalogue parameters' values
//   [hidden]      the library's own values, written by it through KRV_CB_CHANGE_PARAMETER
//
// Lines are kept as they are, so comments and order survive a rewrite; a
// changed value replaces its line, a new one goes to the end of its section.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace krv::host {

inline constexpr const char* kDeviceSection = "device";
inline constexpr const char* kParameterSection = "parameters";
inline constexpr const char* kHiddenSection = "hidden";

class Profile {
  public:
    Profile() = default;
    explicit Profile(std::string path) : path_(std::move(path)) {}

    // Reads the file; a missing file is an empty profile. False with *error
    // set when the file exists but cannot be read or has a malformed line.
    bool Load(std::string* error);
    // Writes the whole file through a temporary file and a rename, so that a
    // crash never leaves a half-written profile behind.
    bool Save(std::string* error) const;

    // Parses profile text (for Load and the tests).
    bool Parse(const std::string& text, std::string* error);
    std::string Text() const;

    // Section and key names are matched case-insensitively.
    std::optional<std::string> Get(const std::string& section, const std::string& key) const;
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // The entries of a section in file order: key as written, value.
    std::vector<std::pair<std::string, std::string>> Entries(const std::string& section) const;

    const std::string& Path() const { return path_; }

  private:
    struct Line {
        std::string text;     // the line as written (without line end)
        std::string section;  // the section it belongs to
        std::string key;      // empty for headings, comments and blank lines
        std::string value;
        bool heading = false;
    };
    std::string path_;
    std::vector<Line> lines_;
};

}  // namespace krv::host
