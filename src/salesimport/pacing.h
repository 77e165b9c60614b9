// The pauses of the sales writers: a register driver writes while the host's
// window and the disk need a breath now and then. The clock and the sleep are
// replaceable so that tests see the pauses without waiting for them.
#pragma once

#include <cstdint>
#include <functional>

namespace krv {

struct SalesPacing {
    // Milliseconds of a monotonic clock.
    std::function<int64_t()> nowMs;
    // Blocks for the given number of milliseconds.
    std::function<void(int32_t)> sleepMs;

    // The platform's clock and sleep.
    static SalesPacing System();
};

}  // namespace krv
