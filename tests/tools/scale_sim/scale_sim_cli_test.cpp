// The simulator's start-up as a program: every way it refuses to start, and
// what it lists, each row run as a real process (its state file given, its
// output and exit code checked).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "os.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int exit_code = -1;
    std::string output;
};

Outcome RunScaleSim(const fs::path& dir, const std::vector<std::string>& args) {
    tools::ChildProcess p;
    std::string error;
    fs::path out = dir / "out.txt";
    EXPECT_TRUE(
        p.Start({SCALE_SIM_PROGRAM, args, dir.string(), {}, out.string(), out.string()}, &error))
        << error;
    Outcome r;
    std::optional<int> code = p.Wait(10000);
    EXPECT_TRUE(code) << "still running after 10 s";
    if (!code) p.Stop(1000);
    r.exit_code = code.value_or(-1);
    std::ifstream in(out, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    r.output = text.str();
    return r;
}

TEST(ScaleSimProgram, RefusesToStartForEveryBadSettingAndListsWhatItHolds) {
    fs::path dir = fs::temp_directory_path() / ("scale_sim_cli_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "two.txt") << "00000001\trecord one\n00000002\trecord two\n";
    std::ofstream(dir / "one.txt") << "00000001\trecord one\n";
    std::ofstream(dir / "bad.txt") << "not a PLU line\n";
    // A port in use: the first simulator's, held while the table runs.
    tools::NetStartup();
    std::string error;
    tools::Socket busy = tools::Listen("127.0.0.1", 0, &error);
    ASSERT_TRUE(busy.Valid()) << error;
    const std::string busy_port = std::to_string(tools::LocalPort(busy));

    const struct {
        std::vector<std::string> args;
        int exit_code;
        const char* text;
    } rows[] = {
        {{"--help"}, 0, "--port"},
        {{"--bogus"}, 2, "scale_sim: "},
        {{"--list"}, 2, "--list needs --state FILE"},
        {{"--state", "bad.txt", "--list"}, 2, "bad.txt: line 1 is not <8-digit PLU>"},
        {{"--digi", "--state", "bad.txt", "--list"}, 2, "bad.txt: line 1: not <8-digit PLU>"},
        {{"--digi", "--codepage", "nosuch", "--state", "one.txt", "--list"},
         2,
         "unknown code page nosuch (known: "},
        {{"--state", "two.txt", "--list"}, 0, "2 PLUs\n"},
        {{"--state", "one.txt", "--list"}, 0, "1 PLU\n"},
        {{"--state", "none.txt", "--list"}, 0, "0 PLUs\n"},
        {{"--digi", "--state", "none.txt", "--list"}, 0, ""},
        {{"--port", busy_port, "--quiet"}, 1, "cannot listen on 127.0.0.1:"},
        {{"--port-file", "no/such/dir/port", "--quiet"}, 1, "cannot write no/such/dir/port"},
    };
    for (const auto& row : rows) {
        std::string call;
        for (const std::string& a : row.args) call += " " + a;
        Outcome r = RunScaleSim(dir, row.args);
        EXPECT_EQ(r.exit_code, row.exit_code) << "scale_sim" << call << "\n" << r.output;
        EXPECT_NE(r.output.find(row.text), std::string::npos)
            << "scale_sim" << call << ": no '" << row.text << "' in\n"
            << r.output;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace krv::test
