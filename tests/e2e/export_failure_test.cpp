// Exports that fail, end to end. Every failure must reach the user with its
// own message, leave no result behind, not hand a result to the host, keep
// the goods file in the archive, leave no program running, and let the next
// export succeed.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "harness.h"

namespace krv::test {
namespace {

class ExportFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::string why; !LibraryExports(&why)) FAIL() << why;
        ASSERT_TRUE(scale.Start(device.Root() / "scale"));
        device.WriteGoods(Goods());
        device.WriteProfile(EthernetParams(scale.Address()));
    }

    // What every failed export must leave behind (and not).
    void ExpectFailed(const Outcome& run, const std::string& message, bool goods_readable = true) {
        EXPECT_NE(run.exit_code, 0) << run.output;
        EXPECT_NE(run.exit_code, -1) << "krvhost did not end in time:\n" << run.output;
        EXPECT_TRUE(run.Has(message)) << "expected: " << message << "\n" << run.output;
        EXPECT_TRUE(run.Has("ERROR: krvhost: export failed")) << run.output;
        EXPECT_FALSE(run.Has("[krvhost] callback 16:")) << "the result must not be handed over\n"
                                                        << run.output;
        EXPECT_FALSE(std::filesystem::exists(device.File("wynik.exp")));
        EXPECT_FALSE(device.ProgramRunning()) << "a program was left running";
        if (goods_readable) {
            std::string archive = ReadFile(device.File("ARCH2.EXP"));
            std::string goods = Goods();
            EXPECT_NE(archive.find(goods.substr(goods.find("PLU;"))), std::string::npos)
                << "ARCH2.EXP must hold the goods file";
        }
    }

    // After a failure, a sound set-up exports again.
    void ExpectNextExportSucceeds() {
        device.InstallStandIn();
        device.WriteGoods(Goods());
        device.WriteProfile(EthernetParams(scale.Address()));
        Outcome run = device.Krvhost({"export"});
        EXPECT_EQ(run.exit_code, 0) << run.output;
        EXPECT_TRUE(run.Has("krvhost: export result stored: 8 goods confirmed")) << run.output;
        EXPECT_EQ(scale.Held().size(), GoodsOnScale().size());
    }

    // The error lines of the operation window, in order.
    static std::vector<std::string> Errors(const Outcome& run) {
        std::vector<std::string> errors;
        for (const std::string& line : run.Lines())
            if (line.rfind("ERROR: ", 0) == 0) errors.push_back(line.substr(7));
        return errors;
    }

    ScaleSim scale;
    Device device;
};

TEST_F(ExportFailure, ProgramMissing) {
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run,
                 "ERROR: Brak programu SM_eth.exe w katalogu " + device.Exchange().string() + "/");
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, ProgramNotStartable) {
    // Not executable at all.
    device.InstallFile("#!/bin/sh\nexit 0\n", 0644);
    ExpectFailed(device.Krvhost({"export"}), "ERROR: Nie powiodło się uruchomienie SM_Eth.exe!");
    // Executable, but not a program.
    device.InstallFile(std::string("\x7f\x01\x02 not a program\n", 18), 0755);
    ExpectFailed(device.Krvhost({"export"}), "ERROR: Nie powiodło się uruchomienie SM_Eth.exe!");
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, ProgramCrashesWithoutSemaphore) {
    // The library notices the program's end instead of waiting out the time-out.
    std::map<std::string, std::string> params = EthernetParams(scale.Address());
    params["DigiSM_Timeout"] = "60";
    device.WriteProfile(params);
    device.InstallScript("exit 3");
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(
        run, "ERROR: Sterownik zakończył działanie bez utworzenia pliku semafora (kod wyjścia 3)");
    EXPECT_LT(run.seconds, 30.0);
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, ProgramHangsUntilTheTimeOut) {
    std::map<std::string, std::string> params = EthernetParams(scale.Address());
    params["DigiSM_Timeout"] = "3";
    device.WriteProfile(params);
    device.InstallScript("while :; do sleep 1; done");
    Outcome run = device.Krvhost({"export"});
    // The countdown is shown in the waiting line's status column.
    EXPECT_TRUE(run.Has("Trwa eksport towarów na wagę. Czekaj...")) << run.output;
    ExpectFailed(run, "ERROR: Sterownik nie odpowiedział w zadanym czasie");
    EXPECT_GT(run.seconds, 2.0);
    EXPECT_LT(run.seconds, 15.0);
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, UserInterruptsTheWait) {
    // The stand-in waits a minute for a scale that never answers.
    ScaleSim mute;
    ASSERT_TRUE(mute.Start(device.Root() / "mute", {"--mute"}));
    device.WriteProfile(EthernetParams(mute.Address()));
    device.InstallStandIn();
    Process krvhost;
    std::filesystem::path output = device.Root() / "interrupted.out";
    auto start = std::chrono::steady_clock::now();
    device.StartKrvhost(&krvhost, {"export"}, output, {{"SM_ETH_TIMEOUT_MS", "60000"}});
    bool waiting = false;
    for (int i = 0; i < 500 && !waiting; ++i) {
        waiting = ReadFile(output).find("Trwa eksport") != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(waiting) << ReadFile(output);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    krvhost.Signal(SIGINT);
    Outcome run;
    run.exit_code = krvhost.Wait(20000).value_or(-1);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.output = ReadFile(output);
    ExpectFailed(run, "ERROR: Eksport przerwany przez użytkownika");
    EXPECT_TRUE(run.Has("(interrupted by the user)")) << run.output;
    EXPECT_LT(run.seconds, 15.0);
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, SemaphoreWithoutErrorFile) {
    device.InstallScript(": > semafor.imp");
    ExpectFailed(device.Krvhost({"export"}), "ERROR: Sterownik nie utworzył pliku z błędami");
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, ErrorLinesBecomeTwoMessagesEachInFileOrder) {
    // Two error lines (fields separated by TAB, Windows-1250 text), then the semaphore.
    device.InstallScript(
        "printf 'Waga1\\t127.0.0.1\\t2\\t00000002\\t17\\tPLU odrzucony przez wag\\352\\r\\n"
        "Waga1\\t127.0.0.1\\t5\\t00000013\\t18\\tZa d\\263uga nazwa' > digism.err\n"
        ": > semafor.imp");
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run, "ERROR: Sterownik zakończył działanie z błędami");
    std::vector<std::string> errors = Errors(run);
    std::vector<std::string> expected = {
        "PLU odrzucony przez wagę",
        "IP: 127.0.0.1, Nr linii: 2, Nr PLU: 00000002, Kod błędu: 17",
        "Za długa nazwa",
        "IP: 127.0.0.1, Nr linii: 5, Nr PLU: 00000013, Kod błędu: 18",
    };
    auto first = std::find(errors.begin(), errors.end(), expected[0]);
    ASSERT_NE(first, errors.end()) << run.output;
    ASSERT_GE(errors.end() - first, 4) << run.output;
    EXPECT_EQ(std::vector<std::string>(first, first + 4), expected) << run.output;
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, ScaleUnreachable) {
    device.InstallStandIn();
    // A scale that hangs up at once.
    ScaleSim refusing;
    ASSERT_TRUE(refusing.Start(device.Root() / "refusing", {"--refuse"}));
    device.WriteProfile(EthernetParams(refusing.Address()));
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run, "ERROR: Sterownik zakończył działanie z błędami");
    EXPECT_TRUE(run.Has("ERROR: IP: " + refusing.Address() + ", Nr linii: 0")) << run.output;
    EXPECT_TRUE(refusing.Held().empty());

    // A port where nothing listens any more.
    std::string closed = refusing.Address();
    refusing.Stop();
    device.WriteProfile(EthernetParams(closed));
    run = device.Krvhost({"export"});
    ExpectFailed(run, "ERROR: Sterownik zakończył działanie z błędami");
    EXPECT_TRUE(run.Has("ERROR: IP: " + closed + ", Nr linii: 0")) << run.output;
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, ScaleRejectsOnePlu) {
    device.InstallStandIn();
    ScaleSim picky;
    ASSERT_TRUE(picky.Start(device.Root() / "picky", {"--reject", "2:E07:Brak miejsca w pamięci"}));
    device.WriteProfile(EthernetParams(picky.Address()));
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run, "ERROR: Sterownik zakończył działanie z błędami");
    EXPECT_TRUE(run.Has("ERROR: Brak miejsca w pamięci")) << run.output;
    EXPECT_TRUE(run.Has("Nr linii: 2, Nr PLU: 00000002, Kod błędu: E07")) << run.output;
    // Every other PLU reached the scale.
    std::map<std::string, std::string> held = picky.Held();
    EXPECT_EQ(held.size(), GoodsOnScale().size() - 1);
    EXPECT_FALSE(held.count("00000002"));
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, ExchangeDirectoryCannotBeCreated) {
    // Below a regular file no directory can exist (also for root).
    WriteFile(device.Root() / "blocker", "a file\n");
    device.WriteProfile(EthernetParams(scale.Address()),
                        (device.Root() / "blocker" / "exchange").string());
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run, "ERROR: Podczas wykonywania operacji 'eksport' wystąpił błąd:", false);
    EXPECT_FALSE(std::filesystem::exists(device.Root() / "blocker" / "exchange"));
    ExpectNextExportSucceeds();
}

TEST_F(ExportFailure, GoodsFileWithABadLine) {
    device.InstallStandIn();
    std::string goods = Goods();
    goods.replace(goods.find(";CEN;"), 5, ";XYZ;");
    device.WriteGoods(goods);
    Outcome run = device.Krvhost({"export"});
    EXPECT_TRUE(run.Has("ERROR: Nieprawidłowy format pliku eksportowego")) << run.output;
    ExpectFailed(run, "ERROR: Podczas wykonywania operacji 'eksport' wystąpił błąd:", false);
    EXPECT_NE(ReadFile(device.File("ARCH2.EXP"))
                  .find("Gouda;2899;2899;2899;2899;5;2;T;3;F;F;F;0;;1;XYZ;"),
              std::string::npos)
        << "the archive holds the goods file as read";
    EXPECT_TRUE(scale.Held().empty()) << "nothing was sent";
    ExpectNextExportSucceeds();
}

}  // namespace
}  // namespace krv::test
