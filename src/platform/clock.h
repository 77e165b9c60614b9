// Time and sleeping. Every wait, countdown, retry and pause of the library
// reads the current clock, so that a test can put a clock of its own in its
// place and see a two-minute time-out pass in microseconds. The operating
// system's clock (one implementation per OS) is the default.
#pragma once

#include <cstdint>

namespace krv::platform {

class DirectoryWatch;

class Clock {
  public:
    virtual ~Clock() = default;

    // Milliseconds of a monotonic clock (for intervals and time-outs).
    virtual int64_t MonotonicMs() = 0;
    // Blocks the calling thread for the given number of milliseconds.
    virtual void SleepMs(int32_t ms) = 0;
    // The current local date and time as days since 1899-12-30 (the host's
    // date value: whole days plus the fraction of the day).
    virtual double NowDateTime() = 0;
    // Blocks at most `ms` milliseconds, less when `watch` reports a change in
    // its directory; true when one came. A wait for a file goes through here
    // rather than to the watch, so that a test's clock decides how long it
    // lasts.
    virtual bool WaitForChange(DirectoryWatch& watch, int32_t ms) = 0;
};

// The operating system's clock. The platform layer's own waits on the system
// (a program's end, an FTP transfer) always read this one.
Clock& SystemClock();

// The clock in use: the system's, unless a ScopedClock put another in place.
Clock& CurrentClock();

// Puts `clock` in place of the current clock for its lifetime and restores
// the previous one at the end. For tests: it is not meant to change while an
// operation is waiting on another thread.
class ScopedClock {
  public:
    explicit ScopedClock(Clock& clock);
    ~ScopedClock();
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

  private:
    Clock* previous_;
};

}  // namespace krv::platform
