#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "platform/dir_watch.h"

namespace krv::platform {

namespace {

class PosixClock final : public Clock {
  public:
    int64_t MonotonicMs() override {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void SleepMs(int32_t ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    double NowDateTime() override {
        using namespace std::chrono;
        auto now = system_clock::now();
        std::time_t t = system_clock::to_time_t(now);
        std::tm local{};
        localtime_r(&t, &local);
        // Unix epoch 1970-01-01 is day 25569 of the host's calendar.
        double seconds = static_cast<double>(t) + static_cast<double>(local.tm_gmtoff);
        double ms =
            static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
        return 25569.0 + (seconds + ms / 1000.0) / 86400.0;
    }

    bool WaitForChange(DirectoryWatch& watch, int32_t ms) override { return watch.Wait(ms); }
};

}  // namespace

Clock& SystemClock() {
    static PosixClock clock;
    return clock;
}

}  // namespace krv::platform
