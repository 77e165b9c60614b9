// The barcode formats of the scale (1-21) and the template from which a
// weighted barcode is composed for each. Plain data with no dependency on the
// rest of the library, so that a host-side tool can ask the same question the
// export asks before it starts.
#pragma once

#include <cstdint>
#include <string>

namespace krv {

inline constexpr int32_t kDigiFormatCount = 21;

// The composing template of a barcode format number (1-21) of the scale, or
// "" for a format that cannot be composed.
std::string DigiTemplate(int32_t formatKodu);

}  // namespace krv
