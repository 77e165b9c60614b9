// The directory change notification, run against whichever implementation
// the build chose: a change ends a wait early, and a directory that cannot be
// watched leaves plain sleeping.
#include "platform/dir_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "exportdata/test_files.h"
#include "platform/clock.h"

namespace krv::test {
namespace {

TEST(PlatformDirWatchTest, AFileCreatedEndsTheWait) {
    TempDir d;
    platform::DirectoryWatch watch;
    ASSERT_TRUE(watch.Start(platform::DirectoryOf(d / "sem")));
    EXPECT_TRUE(watch.Active());
    EXPECT_FALSE(watch.Wait(0));  // nothing has changed yet

    std::thread writer([&] {
        platform::SleepMs(100);
        WriteAll(d / "sem", "");
    });
    // Far longer than the writer needs: a wait that misses the change runs
    // into this and fails; no tight timing on a loaded machine.
    const int64_t start = platform::MonotonicMs();
    bool woke = false;
    while (!woke && platform::MonotonicMs() - start < 20000) woke = watch.Wait(20000);
    writer.join();
    EXPECT_TRUE(woke);
    EXPECT_LT(platform::MonotonicMs() - start, 19000);
    // Creating, writing and closing the file may each notify; once they are
    // taken, and nothing changes, a wait blocks again.
    for (int i = 0; i < 100 && watch.Wait(50);) ++i;
    EXPECT_FALSE(watch.Wait(0));
    watch.Stop();
    EXPECT_FALSE(watch.Active());
}

TEST(PlatformDirWatchTest, WithoutAWatchTheWaitSleeps) {
    TempDir d;
    platform::DirectoryWatch watch;
    EXPECT_FALSE(watch.Start(d / "missing"));
    EXPECT_FALSE(watch.Active());
    // A fine clock: the platform's millisecond clock may tick in 15 ms steps.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(watch.Wait(30));
    const auto slept = std::chrono::steady_clock::now() - start;
    EXPECT_GE(slept, std::chrono::milliseconds(20));  // slept, did not spin
}

TEST(PlatformDirWatchTest, DirectoryOfAPath) {
    EXPECT_EQ(platform::DirectoryOf("/tmp/x/semafor.imp"), "/tmp/x");
    EXPECT_EQ(platform::DirectoryOf("C:\\Wymiana\\semafor.imp"), "C:\\Wymiana");
    EXPECT_EQ(platform::DirectoryOf("C:\\semafor.imp"), "C:\\");
    EXPECT_EQ(platform::DirectoryOf("/semafor.imp"), "/");
    EXPECT_EQ(platform::DirectoryOf("semafor.imp"), ".");
}

}  // namespace
}  // namespace krv::test
