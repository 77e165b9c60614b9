// Time and sleeping, behind one narrow interface per operating system.
#pragma once

#include <cstdint>

namespace krv::platform {

// Blocks the calling thread for the given number of milliseconds.
void SleepMs(int32_t ms);

// Milliseconds of a monotonic clock (for intervals and time-outs).
int64_t MonotonicMs();

// The current local date and time as days since 1899-12-30 (the host's date
// value: whole days plus the fraction of the day).
double NowDateTime();

}  // namespace krv::platform
