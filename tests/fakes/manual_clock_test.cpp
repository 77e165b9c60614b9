// The manual clock that the tests of waits and time-outs rely on: its time
// moves only when something sleeps or waits, and actions run at their moment.
#include "fakes/manual_clock.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/dir_watch.h"
#include "support/tdttools.h"

namespace krv::test {
namespace {

TEST(ManualClockTest, TimeMovesOnlyWhenSomethingWaitsAndActionsRunOnTime) {
    ManualClock clock(TdtTools::EncodeDate(2026, 12, 8));
    EXPECT_EQ(clock.MonotonicMs(), clock.MonotonicMs());
    std::vector<int64_t> ran;
    clock.At(700, [&] { ran.push_back(clock.Elapsed()); });
    clock.At(300, [&] { ran.push_back(clock.Elapsed()); });
    clock.At(300, [&] { ran.push_back(-clock.Elapsed()); });  // same moment: in order set

    platform::DirectoryWatch none;
    EXPECT_FALSE(clock.WaitForChange(none, 250));  // nothing due yet
    EXPECT_TRUE(clock.WaitForChange(none, 250));
    EXPECT_EQ(ran, (std::vector<int64_t>{300, -300}));
    clock.SleepMs(1000);
    EXPECT_EQ(ran, (std::vector<int64_t>{300, -300, 700}));
    EXPECT_EQ(clock.Elapsed(), 1500);
    EXPECT_EQ(clock.Sleeps(), std::vector<int32_t>{1000});
    EXPECT_DOUBLE_EQ(clock.NowDateTime(),
                     TdtTools::EncodeDate(2026, 12, 8) + TdtTools::EncodeTime(0, 0, 1, 500));

    clock.AdvanceOnRead(10);
    EXPECT_EQ(clock.MonotonicMs(), 1500);
    EXPECT_EQ(clock.MonotonicMs(), 1510);
}

TEST(ManualClockTest, AWaitThatNeverEndsFailsInsteadOfSpinning) {
    ManualClock clock;
    clock.SetLimit(5000);
    clock.SleepMs(5000);
    EXPECT_NONFATAL_FAILURE(EXPECT_THROW(clock.SleepMs(1), std::runtime_error), "ran past 5000 ms");
}

}  // namespace
}  // namespace krv::test
