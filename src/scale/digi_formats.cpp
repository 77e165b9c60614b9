#include "scale/digi_formats.h"

#include <iterator>

namespace krv {

namespace {

// Composing templates of the scale's barcode formats; formats without one
// cannot be composed.
constexpr const char* kTemplates[] = {
    "xxSSSSSK????K",  // 1  F1F2 CCCCC S XXXX S
    nullptr,          // 2  F2 CCCCCC S XXXX S
    "xxSSSSS0????K",  // 3  F1F2 CCCCC 0 XXXX SD
    "xxSSSSSS????K",  // 4  F1F2 CCCCCC XXXX S
    "xxSSSSS?????K",  // 5  F1F2 CCCCC XXXXX S
    nullptr,          // 6  F2 CCCCCC XXXXX S
    nullptr,          // 7  F2 CCCCC XXXXXX S
    "xxSSSSSSSSSSK",  // 8  F1F2 CCCCCCCCCC S
    "xxSSSS??????K",  // 9  F1F2 CCCC XXXXXX S
    nullptr,          // 10 F1F2 CCCCC S
    nullptr,          // 11 F2 CC XXXX S
    nullptr,          // 12 no barcode
    "xxSSSSSK????K",  // 13 F1X1 CCCCC S XXXX S
    "xxSSSSSS????K",  // 14 F1X2 CCCCCC XXXX S
    "xxSSSSK?????K",  // 15 F1F2 CCCC S XXXXX S
    nullptr,          // 16 F2 CCCCC S XXXXX S
    "xxSSS???????K",  // 17 F1F2 CCC XXXXXXX S
    "xxSS????????K",  // 18 F1F2 CC XXXXXXXX S
    nullptr,          // 19 CCC WWWW PPPPP S
    nullptr,          // 20 no barcode
    "xxSSSSSK????K",  // 21 F1F2 CCCCC S XXXX S
};
static_assert(std::size(kTemplates) == kDigiFormatCount);

}  // namespace

std::string DigiTemplate(int32_t formatKodu) {
    if (formatKodu < 1 || formatKodu > kDigiFormatCount) return {};
    const char* t = kTemplates[formatKodu - 1];
    return t ? t : "";
}

}  // namespace krv
