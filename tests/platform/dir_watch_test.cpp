// Waiting for a file against the system's own implementation: the directory
// change notification ends the system clock's wait as soon as a file appears
// or goes, the wait lasts its time when nothing happens, and a directory that
// cannot be watched leaves plain sleeping. Only generous bounds: the machine
// may be loaded.
#include "platform/dir_watch.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "exportdata/test_files.h"
#include "platform/clock.h"

namespace krv::test {
namespace {

using std::chrono::milliseconds;
using Steady = std::chrono::steady_clock;

// Waits on the system clock until the watch reports a change, for far longer
// than `change` needs (run on another thread after 100 ms): a wait that
// misses the change runs into the limit and fails.
void ExpectChangeEndsTheWait(platform::DirectoryWatch& watch, std::function<void()> change) {
    platform::Clock& clock = platform::SystemClock();
    std::thread other([&] {
        std::this_thread::sleep_for(milliseconds(100));
        change();
    });
    const auto start = Steady::now();
    bool woke = false;
    while (!woke && Steady::now() - start < milliseconds(20000))
        woke = clock.WaitForChange(watch, 20000);
    other.join();
    EXPECT_TRUE(woke);
    EXPECT_LT(Steady::now() - start, milliseconds(19000));
    // Creating, writing and closing a file may each notify; once they are
    // taken, and nothing changes, a wait blocks again.
    for (int i = 0; i < 100 && clock.WaitForChange(watch, 50);) ++i;
    EXPECT_FALSE(clock.WaitForChange(watch, 0));
}

TEST(PlatformDirWatchTest, AFileThatAppearsOrGoesEndsTheWait) {
    TempDir d;
    platform::DirectoryWatch watch;
    ASSERT_TRUE(watch.Start(platform::DirectoryOf(d / "sem")));
    EXPECT_TRUE(watch.Active());
    EXPECT_FALSE(watch.Wait(0));  // nothing has changed yet

    ExpectChangeEndsTheWait(watch, [&] { WriteAll(d / "sem", ""); });
    EXPECT_TRUE(Exists(d / "sem"));
    ExpectChangeEndsTheWait(watch, [&] { std::filesystem::remove(d / "sem"); });
    EXPECT_FALSE(Exists(d / "sem"));

    watch.Stop();
    EXPECT_FALSE(watch.Active());
}

TEST(PlatformDirWatchTest, WithNothingHappeningTheWaitLastsItsTime) {
    TempDir d;
    WriteAll(d / "other", "");
    platform::DirectoryWatch watch;
    ASSERT_TRUE(watch.Start(platform::DirectoryOf(d / "other")));
    // A fine clock: the platform's millisecond clock may tick in 15 ms steps.
    const auto start = Steady::now();
    EXPECT_FALSE(platform::SystemClock().WaitForChange(watch, 200));
    const auto waited = Steady::now() - start;
    EXPECT_GE(waited, milliseconds(150));  // waited, did not return early
    EXPECT_LT(waited, milliseconds(20000));
}

TEST(PlatformDirWatchTest, WithoutAWatchTheWaitSleeps) {
    TempDir d;
    platform::DirectoryWatch watch;
    EXPECT_FALSE(watch.Start(d / "missing"));
    EXPECT_FALSE(watch.Active());
    const auto start = Steady::now();
    EXPECT_FALSE(platform::SystemClock().WaitForChange(watch, 30));
    EXPECT_GE(Steady::now() - start, milliseconds(20));  // slept, did not spin
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
