#include "platform/locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>

namespace krv::platform {

ClassicNumbers::ClassicNumbers() {
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
    if (saved_) {
        std::setlocale(LC_NUMERIC, static_cast<const char*>(saved_));
        std::free(saved_);
    }
    if (mode_ == _DISABLE_PER_THREAD_LOCALE) _configthreadlocale(_DISABLE_PER_THREAD_LOCALE);
}

}  // namespace krv::platform
