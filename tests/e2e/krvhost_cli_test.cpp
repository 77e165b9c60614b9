// krvhost's command line with the real library: every command and every way
// to get it wrong, as one table run in order on one device (later rows read
// what earlier rows stored). Each row: the arguments after --library,
// --profile and --trace, the exit code, and texts the output must hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"

namespace krv::test {
namespace {

struct Row {
    std::vector<std::string> args;
    int exit_code;
    std::vector<std::string> texts;
};

void RunTable(Device& device, const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        std::string call;
        for (const std::string& a : row.args) call += " " + a;
        Outcome run = device.Krvhost(row.args);
        EXPECT_EQ(run.exit_code, row.exit_code) << "krvhost" << call << "\n" << run.output;
        for (const std::string& text : row.texts)
            EXPECT_TRUE(run.Has(text)) << "krvhost" << call << ": no '" << text << "' in\n"
                                       << run.output;
    }
}

TEST(KrvhostCommandLine, CommandsAndMistakesAnswerWithTheirExitCodes) {
    Device device;
    device.WriteProfile({});
    RunTable(
        device,
        {
            // Asking about krvhost itself.
            {{"--help"}, 0, {"usage: krvhost [options] COMMAND", "exit codes:"}},
            {{"--version"}, 0, {"krvhost 1."}},
            // Mistakes on the command line: usage, exit code 2.
            {{}, 2, {"krvhost: no command given", "usage:"}},
            {{"frobnicate"}, 2, {"unknown command frobnicate"}},
            {{"--bogus", "info"}, 2, {"unknown option --bogus"}},
            {{"--lang"}, 2, {"--lang needs a value"}},
            {{"--auto", "info"}, 2, {"--auto belongs to export"}},
            {{"--keep", "export"}, 2, {"--keep and --digi to demo"}},
            {{"set", "DigiSM_Timeout"}, 2, {"usage: krvhost [--profile FILE] set NAME VALUE"}},
            {{"get", "a", "b"}, 2, {"usage: krvhost [--profile FILE] get [NAME]"}},
            {{"export", "now"}, 2, {"usage: krvhost [--profile FILE] export"}},
            {{"sales"}, 2, {"usage: krvhost sales FILE"}},
            {{"--lang=/nonexistent/en.lang", "info"}, 2, {"krvhost: "}},
            // A library that cannot be loaded, or is not a driver library: 3.
            {{"--library=/nonexistent/libtarvisco.so", "info"}, 3, {"krvhost: "}},
            {{"--library", "libm.so.6", "info"}, 3, {"is not a driver library: it lacks KRVDLL"}},
            // The library found without --library: the build tree's.
            {{"--library=", "info"}, 0, {"kind           2"}},
            // What the library says about itself and its parameters.
            {{"info"}, 0, {"library        ", "kind           2", "tested with"}},
            {{"params"}, 0, {"Group 101", "DigiSM_Timeout", "default ", "limits ", "0 = "}},
            // Device settings, hidden values and parameters stored and read back.
            {{"set", "vat", "23,8,x"}, 2, {"a VAT rate list is whole numbers"}},
            {{"set", "vat", "23,8,5"}, 0, {}},
            {{"set", "format.1", "2CCCCCWWWWW"}, 0, {}},
            {{"set", "hidden.LastRun", "7"}, 0, {}},
            {{"set", "DigiSM_Timeout", "abc"}, 2, {"DigiSM_Timeout takes a whole number"}},
            {{"set", "digism_timeout", "45"}, 0, {}},
            {{"set", "NoSuchName", "1"}, 2, {"unknown name 'NoSuchName'"}},
            {{"get", "vat"}, 0, {"23,8,5\n"}},
            {{"get", "format.1"}, 0, {"2CCCCCWWWWW\n"}},
            {{"get", "format.2"}, 1, {"'format.2' is not set"}},
            {{"get", "hidden.LastRun"}, 0, {"7\n"}},
            {{"get", "LastRun"}, 0, {"7\n"}},
            {{"get", "DigiSM_Timeout"}, 0, {"45\n"}},
            {{"get", "exchange_dir"}, 0, {device.Exchange().string()}},
            {{"get"},
             0,
             {"[device]", "exchange_dir", "vat                         23,8,5", "[parameters]",
              "DigiSM_Timeout              45\n", "(default)", "  = ", "[hidden]", "LastRun"}},
        });
}

TEST(KrvhostCommandLine, AnUnreadableProfileStopsEveryCommandThatNeedsIt) {
    Device device;
    WriteFile(device.Profile(), "[device\n");
    RunTable(device, {
                         {{"info"}, 2, {"a section heading must end with ]"}},
                         {{"get"}, 2, {"line 1"}},
                         {{"set", "vat", "23"}, 2, {"line 1"}},
                         {{"export"}, 2, {"line 1"}},
                         {{"--version"}, 0, {"krvhost 1."}},
                     });
}

}  // namespace
}  // namespace krv::test
