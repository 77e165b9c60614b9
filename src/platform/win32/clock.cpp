#include "platform/clock.h"

#include <windows.h>

namespace krv::platform {

void SleepMs(int32_t ms) {
    if (ms > 0) ::Sleep(static_cast<DWORD>(ms));
}

int64_t MonotonicMs() { return static_cast<int64_t>(::GetTickCount64()); }

double NowDateTime() {
    SYSTEMTIME st;
    ::GetLocalTime(&st);
    FILETIME ft;
    ::SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    // FILETIME counts 100 ns from 1601-01-01, which is day -109205 of the host's calendar.
    return static_cast<double>(u.QuadPart) / 864000000000.0 - 109205.0;
}

}  // namespace krv::platform
