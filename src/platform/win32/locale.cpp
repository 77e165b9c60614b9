#include "platform/locale.h"

#include <locale.h>
#include <clocale>
#include <cstdlib>
#include <cstring>

namespace krv::platform {

namespace {
constexpr int kNotSwitched = -2;
}

ClassicNumbers::ClassicNumbers() {
    mode_ = kNotSwitched;
    // Switching costs a locale load: only when the host chose another point.
    const lconv* conv = localeconv();
    if (!conv || !conv->decimal_point || std::strcmp(conv->decimal_point, ".") == 0) return;
    const char* current = std::setlocale(LC_NUMERIC, nullptr);
    if (!current) return;
    size_t n = std::strlen(current) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (!copy) return;
    std::memcpy(copy, current, n);
    saved_ = copy;
    // The C runtime keeps one locale per process unless a thread asks for its
    // own; with its own, setlocale changes the calling thread only. (A runtime
    // without thread locales answers -1: the change is then process-wide for
    // the moment of the call, and undone just the same.)
    mode_ = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    std::setlocale(LC_NUMERIC, "C");
}

ClassicNumbers::~ClassicNumbers() {
    if (mode_ == kNotSwitched) return;
    std::setlocale(LC_NUMERIC, static_cast<const char*>(saved_));
    std::free(saved_);
    if (mode_ == _DISABLE_PER_THREAD_LOCALE) _configthreadlocale(_DISABLE_PER_THREAD_LOCALE);
}

}  // namespace krv::platform
