#include "platform/clock.h"

#include <atomic>

namespace krv::platform {

namespace {

// Null stands for the system's clock: constant-initialised, so a clock read
// during another file's static initialisation still finds it.
std::atomic<Clock*> current{nullptr};

}  // namespace

Clock& CurrentClock() {
    Clock* clock = current.load(std::memory_order_acquire);
    return clock ? *clock : SystemClock();
}

ScopedClock::ScopedClock(Clock& clock)
    : previous_(current.exchange(&clock, std::memory_order_acq_rel)) {}

ScopedClock::~ScopedClock() { current.store(previous_, std::memory_order_release); }

}  // namespace krv::platform
