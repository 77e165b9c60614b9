// The code page in which a scale prints its texts. Goods texts arrive in
// Windows-1250; a scale may expect another single-byte page (Polish scales
// are met with Windows-1250, cp852 or ISO-8859-2, Russian ones with cp866).
// The conversion is a table of 256 bytes built once from the system's own
// code page knowledge (iconv, or the Windows code pages).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace krv::tools {

class CodePage {
  public:
    // "windows-1250" (also "cp1250", "1250"), "cp852" ("852", "ibm852"),
    // "iso-8859-2" ("latin2", "28592"), "cp866" ("866", "ibm866"), case-
    // insensitive. nullopt for another name or a page the system lacks.
    static std::optional<CodePage> Named(std::string_view name);
    // The names Named() accepts, for messages.
    static const char* KnownNames();

    // The canonical name ("cp852").
    const std::string& Name() const { return name_; }

    // Windows-1250 text in this page. A character the page lacks becomes '?'
    // and is counted in *lacking.
    std::string FromCp1250(std::string_view cp1250, int* lacking = nullptr) const;
    // Text of this page as UTF-8 (for listings); undefined bytes become U+FFFD.
    std::string ToUtf8(std::string_view bytes) const;

  private:
    std::string name_;
    std::array<char, 256> from_cp1250_{};
    std::array<bool, 256> lacking_{};
    std::array<std::string, 256> utf8_;
};

}  // namespace krv::tools
