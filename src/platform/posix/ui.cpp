#include "platform/ui.h"

#include <cstdio>

#include "support/cp1250.h"

namespace krv::platform {

namespace {
void* g_window = nullptr;
}

void SetApplicationWindow(void* window) { g_window = window; }
void* GetApplicationWindow() { return g_window; }

int32_t ShowMessageBox(const std::string& text, const std::string& title, int32_t) {
    std::fprintf(stderr, "%s: %s\n", Cp1250ToUtf8(title).c_str(), Cp1250ToUtf8(text).c_str());
    return 1;
}

}  // namespace krv::platform
