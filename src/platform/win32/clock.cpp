#include "platform/clock.h"

#include <windows.h>

#include "platform/dir_watch.h"

namespace krv::platform {

namespace {

class Win32Clock final : public Clock {
  public:
    int64_t MonotonicMs() override { return static_cast<int64_t>(::GetTickCount64()); }

    void SleepMs(int32_t ms) override {
        if (ms > 0) ::Sleep(static_cast<DWORD>(ms));
    }

    double NowDateTime() override {
        SYSTEMTIME st;
        ::GetLocalTime(&st);
        FILETIME ft;
        ::SystemTimeToFileTime(&st, &ft);
        ULARGE_INTEGER u;
        u.LowPart = ft.dwLowDateTime;
        u.HighPart = ft.dwHighDateTime;
        // FILETIME counts 100 ns from 1601-01-01, which is day -109205 of the
        // host's calendar.
        return static_cast<double>(u.QuadPart) / 864000000000.0 - 109205.0;
    }

    bool WaitForChange(DirectoryWatch& watch, int32_t ms) override { return watch.Wait(ms); }
};

}  // namespace

Clock& SystemClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace krv::platform
