// The program start of the platform layer against the system's own
// implementation, with this test program as the started program (it plays
// the scale-communication program, see scale_fixture.h): exit status,
// arguments, working directory, waiting, ending, and programs that cannot
// start.
#include "platform/process.h"

#include "scale/scale_fixture.h"

namespace krv::test {
namespace {

using platform::ExitStatus;
using platform::Process;

class ProcessTest : public ScaleTest {
  protected:
    std::string Program() {
        fs::path target = File("prog.exe");
        if (!fs::exists(target)) fs::copy_file(SelfPath(), target);
        return target.string();
    }
};

TEST(SplitParameters, SpacesSeparate) {
    using V = std::vector<std::string>;
    EXPECT_EQ(platform::SplitParameters("W=1 I=1 T=4"), (V{"W=1", "I=1", "T=4"}));
    EXPECT_EQ(platform::SplitParameters("  a   b "), (V{"a", "b"}));
    EXPECT_EQ(platform::SplitParameters(""), V{});
}

TEST_F(ProcessTest, ExitStatusArgumentsAndDirectory) {
    SetEnv("KRV_FAKE_SM_ETH", "crash");
    Process p;
    std::string error;
    ASSERT_TRUE(p.Start(Program(), "W=1  I=0 T=4", lib.host.exchangeDir, &error)) << error;
    EXPECT_TRUE(p.Held());
    ASSERT_TRUE(p.WaitFor(10000));
    EXPECT_EQ(p.Status().kind, ExitStatus::Kind::kExited);
    EXPECT_EQ(p.Status().code, 3u);
    std::string args = ReadFile(File("fake_args.txt"));
    EXPECT_EQ(args.substr(0, args.find('\n')), "W=1|I=0|T=4");
    std::string cwd = args.substr(args.find('\n') + 1);
    cwd = cwd.substr(0, cwd.find('\n'));
    EXPECT_TRUE(fs::equivalent(cwd, dir_)) << cwd;  // started in the directory given
    EXPECT_TRUE(p.Kill(100));                       // already ended: nothing to do
    p.Close();
    EXPECT_FALSE(p.Held());
    EXPECT_FALSE(p.HasEnded());
}

TEST_F(ProcessTest, KillEndsAHangingProgram) {
    SetEnv("KRV_FAKE_SM_ETH", "hang");
    Process p;
    ASSERT_TRUE(p.Start(Program(), "", lib.host.exchangeDir, nullptr));
    // A wait for a program that goes on lasts its time, then says so; only
    // a lower bound: a loaded machine makes any wait longer.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(p.WaitFor(300));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_FALSE(p.HasEnded());
    EXPECT_EQ(p.Status().kind, ExitStatus::Kind::kRunning);
    int pid = 0;
    for (int i = 0; i < 100 && !(pid = FakePid()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(p.Kill(5000));
    EXPECT_NE(p.Status().kind, ExitStatus::Kind::kRunning);
    EXPECT_FALSE(ProcessAlive(pid));
}

TEST_F(ProcessTest, KillEndsALaunchersWorkerAfterTheLauncherHasEnded) {
    // The launcher ends with 0 at once; its worker would sleep 60 s.
    SetEnv("KRV_FAKE_SM_ETH", "launcher:60000");
    Process p;
    ASSERT_TRUE(p.Start(Program(), "", lib.host.exchangeDir, nullptr));
    ASSERT_TRUE(p.WaitFor(10000));
    int worker = 0;  // the worker writes its own number over the launcher's
    for (int i = 0; i < 500 && !(worker && ProcessAlive(worker)); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        worker = FakePid();
    }
    ASSERT_TRUE(worker && ProcessAlive(worker));
    EXPECT_TRUE(p.Kill(5000));
    for (int i = 0; i < 500 && ProcessAlive(worker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(ProcessAlive(worker));
}

TEST_F(ProcessTest, ReleasingTheHandleLeavesTheProgramAloneAndItIsReapedLater) {
    SetEnv("KRV_FAKE_SM_ETH", "slow:300");
    int pid = 0;
    std::chrono::steady_clock::time_point released;
    {
        Process p;
        ASSERT_TRUE(p.Start(Program(), "", lib.host.exchangeDir, nullptr));
        for (int i = 0; i < 500 && !(pid = FakePid()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        released = std::chrono::steady_clock::now();
    }
    ASSERT_NE(pid, 0);
    // Not ended with its handle: it sleeps its 300 ms and ends by itself.
    for (int i = 0; i < 1500 && ProcessAlive(pid); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(ProcessAlive(pid));
    EXPECT_GE(std::chrono::steady_clock::now() - released, std::chrono::milliseconds(200));
    // The next start reaps it: no zombie is left in the host's process.
    SetEnv("KRV_FAKE_SM_ETH", "crash");
    Process next;
    ASSERT_TRUE(next.Start(Program(), "", lib.host.exchangeDir, nullptr));
    next.WaitFor(10000);
#ifndef _WIN32
    EXPECT_FALSE(fs::exists("/proc/" + std::to_string(pid)));
#endif
}

TEST_F(ProcessTest, StartFailures) {
    Process p;
    std::string error;
    EXPECT_FALSE(p.Start(File("missing.exe").string(), "", lib.host.exchangeDir, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(p.Held());
    EXPECT_FALSE(p.WaitFor(10));
    EXPECT_FALSE(p.Kill(10));
#ifndef _WIN32
    // The shell of wine starts a program even in a directory that is not there.
    error.clear();
    EXPECT_FALSE(p.Start(Program(), "", File("no such dir").string(), &error));
    EXPECT_FALSE(error.empty());
#endif
}

}  // namespace
}  // namespace krv::test
