#include "platform/dir_watch.h"

#include <windows.h>

#include "platform/clock.h"
#include "platform/win32/widepath.h"

namespace krv::platform {

namespace {
HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }
}  // namespace

bool DirectoryWatch::Start(const std::string& directory) {
    Stop();
    // Names created, renamed or deleted, and files written (size or time).
    HANDLE h = ::FindFirstChangeNotificationW(
        win32::Widen(directory).c_str(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) return false;
    handle_ = reinterpret_cast<intptr_t>(h);
    return true;
}

bool DirectoryWatch::Wait(int32_t ms) {
    if (!Active()) {
        SystemClock().SleepMs(ms);
        return false;
    }
    const DWORD r = ::WaitForSingleObject(H(handle_), ms < 0 ? 0 : static_cast<DWORD>(ms));
    if (r != WAIT_OBJECT_0) {
        // A broken handle: poll instead of spinning.
        if (r == WAIT_FAILED) SystemClock().SleepMs(ms);
        return false;
    }
    // Re-arm for the next change.
    if (!::FindNextChangeNotification(H(handle_))) Stop();
    return true;
}

void DirectoryWatch::Stop() {
    if (handle_ != kNone) ::FindCloseChangeNotification(H(handle_));
    handle_ = kNone;
}

}  // namespace krv::platform
