// The translation file given with --lang: lines "section/key=text" in UTF-8,
// "#" starts a comment line. In the text, \n stands for a line break (CR LF
// for the library), \t for a TAB and \\ for a backslash. krvhost answers the
// library's translation callback (KRV_CB_TRANSLATE) from it.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace krv::host {

class Translations {
  public:
    bool Load(const std::string& path, std::string* error);
    bool Parse(const std::string& text, std::string* error);
    // The Windows-1250 text for a section and key, if the file has one.
    std::optional<std::string> Find(const std::string& section, const std::string& key) const;
    size_t Size() const { return texts_.size(); }

  private:
    std::map<std::string, std::string> texts_;  // "section/key" -> Windows-1250
};

}  // namespace krv::host
