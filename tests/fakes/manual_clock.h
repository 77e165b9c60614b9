// A clock for tests. Its time stands still until something sleeps or waits,
// and then jumps by exactly the time asked for, so that a two-minute time-out
// passes in microseconds and a countdown is the same on every run. Actions
// can be set for moments of its time (a file that appears after 2.5 s), and
// every sleep is recorded.
//
//     ManualClock clock;
//     platform::ScopedClock use(clock);
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace krv::test {

class ManualClock : public platform::Clock {
  public:
    // 2026-12-08 12:00:00 in the host's date value.
    static constexpr double kDefaultStart = 46364.5;

    explicit ManualClock(double start = kDefaultStart) : startDate_(start) {}

    int64_t MonotonicMs() override;
    // Records the sleep and moves the time on by it.
    void SleepMs(int32_t ms) override;
    // The start date plus the time that has passed.
    double NowDateTime() override;
    // Moves the time on by `ms` without touching the watch; true when an
    // action ran meanwhile (it may have changed the watched directory).
    bool WaitForChange(platform::DirectoryWatch& watch, int32_t ms) override;

    // Moves the time on, running every action that falls due, in order.
    void Advance(int64_t ms);
    // Runs `action` once the time since the start reaches `atMs`.
    void At(int64_t atMs, std::function<void()> action);
    // Every read of the monotonic time moves it on by `ms` as well: work
    // that takes time, for code that measures itself.
    void AdvanceOnRead(int64_t ms);
    // More than this much time in all fails the test and throws, rather than
    // letting a wait that never ends spin forever (one virtual hour unless set).
    void SetLimit(int64_t ms);

    // Milliseconds since the start.
    int64_t Elapsed() const;
    // The sleeps asked for, in order (waits for a change are not sleeps).
    std::vector<int32_t> Sleeps() const;

  private:
    // Moves the time on and runs what fell due; true when something ran.
    bool Pass(int64_t ms);

    mutable std::mutex mutex_;
    double startDate_;
    int64_t now_ = 0;
    int64_t onRead_ = 0;
    int64_t limit_ = 3600 * 1000;
    std::vector<int32_t> sleeps_;
    std::multimap<int64_t, std::function<void()>> actions_;
};

}  // namespace krv::test
