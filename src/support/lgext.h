// TMLgExtTools: the translation lookup through the host's code-34 function.
#pragma once

#include <string>
#include <string_view>

#include "krvdll.h"

namespace krv {

class TMLgExtTools {
  public:
    explicit TMLgExtTools(KrvTranslateFn fn) : fn_(fn) {}
    // The host's function for every following lookup.
    void SetFunction(KrvTranslateFn fn) { fn_ = fn; }

    // The text for section and key, or the default when there is none. The
    // default is given as UTF-8 (the source's encoding) and returned as
    // Windows-1250, like every translated text. A null tools pointer gives the
    // default.
    static std::string GetString(const TMLgExtTools* tools, std::string_view section,
                                 std::string_view key, int unused, std::string_view defaultUtf8);

    // The host's raw answer for section and key, or an empty text.
    std::string Lookup(std::string_view section, std::string_view key) const;

  private:
    KrvTranslateFn fn_;
};

// Shorthand used everywhere: Tr(lg, "section", "key", "Polish default").
inline std::string Tr(const TMLgExtTools* lg, std::string_view section, std::string_view key,
                      std::string_view defaultUtf8) {
    return TMLgExtTools::GetString(lg, section, key, 0, defaultUtf8);
}

}  // namespace krv
