#include "platform/ui.h"

#include <windows.h>

namespace krv::platform {

namespace {
void* g_window = nullptr;
}

void SetApplicationWindow(void* window) { g_window = window; }
void* GetApplicationWindow() { return g_window; }

int32_t ShowMessageBox(const std::string& text, const std::string& title, int32_t flags) {
    return ::MessageBoxA(static_cast<HWND>(g_window), text.c_str(), title.c_str(),
                         static_cast<UINT>(flags));
}

}  // namespace krv::platform
