// The few user-interface services the library needs outside its dialog.
#pragma once

#include <cstdint>
#include <string>

namespace krv::platform {

// The host's main window, owner of the library's dialogs and message boxes.
void SetApplicationWindow(void* window);
void* GetApplicationWindow();

// Shows a message box (Windows-1250 texts; flags as the Windows message box
// flags) and returns the button pressed. Without a window system the text goes
// to standard error and the answer is 1 (OK).
int32_t ShowMessageBox(const std::string& text, const std::string& title, int32_t flags);

}  // namespace krv::platform
