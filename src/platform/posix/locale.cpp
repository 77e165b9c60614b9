#include "platform/locale.h"

#include <locale.h>
#include <clocale>

namespace krv::platform {

namespace {

// Made once, kept for the life of the process.
locale_t ClassicLocale() {
    static locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return classic;
}

}  // namespace

ClassicNumbers::ClassicNumbers() {
    if (locale_t classic = ClassicLocale()) saved_ = uselocale(classic);
}

ClassicNumbers::~ClassicNumbers() {
    if (saved_) uselocale(static_cast<locale_t>(saved_));
}

}  // namespace krv::platform
