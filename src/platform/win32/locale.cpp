#include "platform/locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace krv::platform {

ClassicNumbers::ClassicNumbers() {
    // Switching costs a locale load: only when the host chose another point.
    const lconv* conv = localeconv();
    if (!conv || !conv->decimal_point || std::strcmp(conv->decimal_point, ".") == 0) {
        mode_ = -1;
        return;
    }
    // The C runtime keeps one locale per process unless a thread asks for its
    // own; with its own, setlocale changes the calling thread only.
    mode_ = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (current) {
        size_t n = std::strlen(current) + 1;
        char* copy = static_cast<char*>(std::malloc(n));
        if (copy) std::memcpy(copy, current, n);
        saved_ = copy;
    }
    std::setlocale(LC_NUMERIC, "C");
}

ClassicNumbers::~ClassicNumbers() {
    if (mode_ == -1) return;
    if (saved_) {
        std::setlocale(LC_NUMERIC, static_cast<const char*>(saved_));
        std::free(saved_);
    }
    if (mode_ == _DISABLE_PER_THREAD_LOCALE) _configthreadlocale(_DISABLE_PER_THREAD_LOCALE);
}

}  // namespace krv::platform
