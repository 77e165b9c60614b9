#include "salesimport/pacing.h"

#include "platform/clock.h"

namespace krv {

SalesPacing SalesPacing::System() {
    return {[] { return platform::MonotonicMs(); }, [](int32_t ms) { platform::SleepMs(ms); }};
}

}  // namespace krv
