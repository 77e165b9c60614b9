// The child process of the tools and tests, run with the system shell.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "child_process.h"
#include "files.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

class ChildProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("krv-child-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    tools::ChildProcess::Setup Shell(const std::string& script) {
        tools::ChildProcess::Setup setup;
        setup.program = "/bin/sh";
        setup.args = {"-c", script};
        return setup;
    }
    std::string Read(const char* name) {
        return tools::ReadWholeFile((dir_ / name).string()).value_or("<missing>");
    }

    fs::path dir_;
};

TEST_F(ChildProcessTest, ExitCodeFolderEnvironmentAndOutputFiles) {
    tools::ChildProcess::Setup setup = Shell("pwd; echo \"$KRV_A $KRV_B\"; echo oops >&2; exit 7");
    setup.work_dir = dir_.string();
    setup.env = {{"KRV_A", "one"}, {"KRV_B", "two words"}};
    setup.stdout_file = (dir_ / "out.txt").string();
    setup.stderr_file = (dir_ / "err.txt").string();
    tools::ChildProcess p;
    std::string error;
    ASSERT_TRUE(p.Start(setup, &error)) << error;
    EXPECT_EQ(p.Wait(10000), std::optional<int>(7));
    EXPECT_FALSE(p.Running());
    EXPECT_EQ(Read("out.txt"), fs::canonical(dir_).string() + "\none two words\n");
    EXPECT_EQ(Read("err.txt"), "oops\n");
}

TEST_F(ChildProcessTest, SharedOutputIsAppendedOrEmptied) {
    const std::string log = (dir_ / "log.txt").string();
    ASSERT_TRUE(tools::WriteWholeFile(log, "before\n"));
    for (bool append : {true, false}) {
        tools::ChildProcess::Setup setup = Shell("echo out; echo err >&2");
        setup.stdout_file = setup.stderr_file = log;
        setup.append = append;
        tools::ChildProcess p;
        ASSERT_TRUE(p.Start(setup, nullptr));
        EXPECT_EQ(p.Wait(10000), std::optional<int>(0));
        EXPECT_EQ(Read("log.txt"), append ? "before\nout\nerr\n" : "out\nerr\n")
            << "append " << append;
    }
}

TEST_F(ChildProcessTest, StopsSignalsAndReportsFailureToStart) {
    tools::ChildProcess slow;
    ASSERT_TRUE(slow.Start(Shell("exec sleep 30"), nullptr));
    EXPECT_EQ(slow.Wait(50), std::nullopt);
    EXPECT_TRUE(slow.Running());
    EXPECT_EQ(slow.Stop(5000), 128 + SIGTERM);
    EXPECT_EQ(slow.Stop(5000), 128 + SIGTERM);  // once ended, it stays ended

    // A program that ignores the polite request is killed after the grace
    // (an ignored signal stays ignored across exec).
    tools::ChildProcess stubborn;
    tools::ChildProcess::Setup ignoring = Shell("trap '' TERM; : > ready; exec sleep 30");
    ignoring.work_dir = dir_.string();
    ASSERT_TRUE(stubborn.Start(ignoring, nullptr));
    for (int i = 0; i < 1000 && !fs::exists(dir_ / "ready"); ++i) stubborn.Wait(10);
    EXPECT_TRUE(stubborn.Signal(0));  // signal 0 only asks whether it is there
    EXPECT_EQ(stubborn.Stop(200), 128 + SIGKILL);
    EXPECT_FALSE(stubborn.Signal(SIGTERM));

    tools::ChildProcess missing;
    std::string error;
    tools::ChildProcess::Setup none;
    none.program = (dir_ / "none").string();
    EXPECT_FALSE(missing.Start(none, &error));
    EXPECT_NE(error.find("cannot start"), std::string::npos) << error;
    EXPECT_FALSE(missing.Started());
    EXPECT_EQ(missing.Wait(0), std::optional<int>(-1));
}

TEST_F(ChildProcessTest, DestructorStopsARunningProgram) {
    long pid = -1;
    {
        tools::ChildProcess p;
        ASSERT_TRUE(p.Start(Shell("exec sleep 30"), nullptr));
        pid = p.Pid();
    }
    // Reaped, so no such process is left (not even a zombie).
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0);
}

}  // namespace
}  // namespace krv::test
