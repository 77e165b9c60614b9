// The clock: the system's own implementation (monotonic time never goes
// back, a sleep lasts at least about as long as asked, the date and time
// agree with the system's calendar; only generous bounds, the machine may be
// loaded) and the seam that puts another clock in its place.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <ctime>

#include "fakes/manual_clock.h"
#include "support/tdttools.h"

namespace krv::test {
namespace {

using std::chrono::milliseconds;
using Steady = std::chrono::steady_clock;

TEST(SystemClockTest, MonotonicTimeNeverGoesBackAndSleepsLastAtLeastTheirTime) {
    platform::Clock& clock = platform::SystemClock();
    int64_t last = clock.MonotonicMs();
    for (int i = 0; i < 100000; ++i) {
        const int64_t now = clock.MonotonicMs();
        ASSERT_GE(now, last);
        last = now;
    }

    const int64_t before = clock.MonotonicMs();
    const auto start = Steady::now();
    clock.SleepMs(200);
    const auto slept = Steady::now() - start;
    const int64_t counted = clock.MonotonicMs() - before;
    EXPECT_GE(slept, milliseconds(190));
    EXPECT_LT(slept, milliseconds(30000));
    // The clock's own count agrees, to the ticks of a coarse system timer.
    EXPECT_GE(counted, 150);
    EXPECT_LT(counted, 30000);

    // Nothing to sleep: back at once.
    const auto zero = Steady::now();
    clock.SleepMs(0);
    clock.SleepMs(-5);
    EXPECT_LT(Steady::now() - zero, milliseconds(5000));
}

TEST(SystemClockTest, DateAndTimeAgreeWithTheSystemCalendar) {
    const std::time_t t = std::time(nullptr);
    const std::tm local = *std::localtime(&t);
    const double expected =
        TdtTools::EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
        TdtTools::EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
    const double now = platform::SystemClock().NowDateTime();
    // Seconds apart at most (the two reads straddle a little time).
    EXPECT_LT(std::fabs(now - expected) * 86400.0, 60.0) << now << " vs " << expected;
    // The fraction of the day is there, not only the date.
    EXPECT_NEAR(now - std::floor(now), expected - std::floor(expected), 60.0 / 86400.0);
}

TEST(ClockSeamTest, AScopedClockStandsInAndTheSystemsComesBack) {
    EXPECT_EQ(&platform::CurrentClock(), &platform::SystemClock());
    ManualClock outer;
    {
        platform::ScopedClock useOuter(outer);
        EXPECT_EQ(&platform::CurrentClock(), &outer);
        ManualClock inner;
        {
            platform::ScopedClock useInner(inner);
            EXPECT_EQ(&platform::CurrentClock(), &inner);
            platform::CurrentClock().SleepMs(5);
        }
        EXPECT_EQ(&platform::CurrentClock(), &outer);
        EXPECT_EQ(inner.Elapsed(), 5);
        EXPECT_EQ(outer.Elapsed(), 0);
        // The library's date reads the current clock as well.
        EXPECT_EQ(TdtTools::Now(), ManualClock::kDefaultStart);
    }
    EXPECT_EQ(&platform::CurrentClock(), &platform::SystemClock());
}

}  // namespace
}  // namespace krv::test
