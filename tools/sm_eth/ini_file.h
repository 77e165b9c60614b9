// A reader for the small INI files that the library writes for the program:
// Windows-1250 text, CR LF or LF line ends, "[section]" and "key=value" lines.
// Section and key names compare case-insensitively; names and values are
// trimmed. Lines starting with ';' or '#' are comments.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace krv::smeth {

class IniFile {
  public:
    static IniFile Parse(std::string_view text);

    // The value of the first matching key, nullopt when the key is absent.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // Section names in file order.
    const std::vector<std::string>& Sections() const { return sections_; }

  private:
    struct Entry {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<std::string> sections_;
    std::vector<Entry> entries_;
};

}  // namespace krv::smeth
