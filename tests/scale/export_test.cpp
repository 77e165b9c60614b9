// Whole exports through KRVDLLSerKasOperacja with the fake host and a fake
// SM_eth.exe: the files, the program run and every way it can fail.
#include <chrono>

#include "fakes/manual_clock.h"
#include "scale/scale_fixture.h"

namespace krv::test {
namespace {

using Clock = std::chrono::steady_clock;

int64_t MsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t).count();
}

// One goods line of the host's file: tag and the 19 mandatory fields, then
// descriptions and the shelf-life term.
std::string Goods(int plu, const std::string& kod, const std::string& nazwa, double cena,
                  const std::string& status = "DOD", bool wazony = true, int precyzja = 3) {
    char price[64];
    std::snprintf(price, sizeof price, "%.2f", cena);
    return "PLU;" + std::to_string(plu) + ";0;" + kod + ";" + nazwa + ";" + price + ";0;0;0;23;1;" +
           (wazony ? "T" : "F") + ";" + std::to_string(precyzja) + ";F;F;F;0;;0;" + status +
           ";;;;;0\r\n";
}

class ExportRun : public ScaleTest {
  protected:
    void WriteGoods(const std::string& lines) { WriteFile(File("kasa.exp"), lines); }
    void ThreeGoods() {
        WriteGoods(Goods(1, "101", "Schab", 1999) + Goods(2, "102", "Boczek", 2500, "AKT") +
                   Goods(3, "103", "Kaszanka", 800, "USU"));
    }
    // What a failed export must leave: no result, nothing stored, the goods
    // file archived, no program running.
    void ExpectCleanFailure() {
        EXPECT_FALSE(Exists("wynik.exp"));
        EXPECT_EQ(StoreCalls(), 0);
        EXPECT_NE(ReadFile(File("ARCH2.EXP")).find("PLU;1;0;101;Schab"), std::string::npos);
        if (Exists("fake.pid")) {
            EXPECT_FALSE(ProcessAlive(FakePid()));
        }
    }
    // Blocks, on the real clock, until the fake program has written its
    // process id and ended. As an action of a manual clock it puts the real
    // program's end at a known moment of the manual time.
    void UntilTheFakeHasEnded() {
        for (int i = 0; i < 1500; ++i) {
            if (Exists("fake.pid") && FakePid() != 0 && !ProcessAlive(FakePid())) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ADD_FAILURE() << "the fake program did not end within 30 s";
    }
    void LaunchersWorkerEnded(bool abort) {
        ThreeGoods();
        Param("DigiSM_Timeout", "2");
        InstallFake("launcher:60000");
        if (abort) lib.host.interruptAfter = 1;
        int worker = 0;
        auto untilTheWorkerRuns = [&] {
            // Alive, and still the same process a little later (the launcher
            // wrote its own number first and is gone by then).
            for (int i = 0; i < 500; ++i) {
                int pid = FakePid();
                if (pid && ProcessAlive(pid)) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(300));
                    if (FakePid() == pid && ProcessAlive(pid)) {
                        worker = pid;
                        return;
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        };
        {
            ManualClock clock;
            clock.At(500, untilTheWorkerRuns);
            platform::ScopedClock use(clock);
            Export();
        }
        ASSERT_NE(worker, 0);
        EXPECT_TRUE(Said(abort ? "Eksport przerwany przez użytkownika"
                               : "Sterownik nie odpowiedział w zadanym czasie"))
            << AllMessages();
        for (int i = 0; i < 500 && ProcessAlive(worker); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_FALSE(ProcessAlive(worker));
        ExpectCleanFailure();
        lib.host.interruptAfter = -1;
        ExpectNextSucceeds();
    }
    // A following export with a working program succeeds.
    void ExpectNextSucceeds() {
        InstallFake("ok");
        fs::remove(File("wynik.exp"));
        Export();
        EXPECT_TRUE(Errors().empty()) << AllMessages();
        EXPECT_EQ(ReadFile(File("wynik.exp")),
                  "PLU;1;0;101;DOD\r\nPLU;2;0;102;AKT\r\nPLU;3;0;103;USU\r\n");
        EXPECT_EQ(StoreCalls(), 1);
    }
};

TEST_F(ExportRun, FileOnly) {
    Param("DigiSM_Zlacze", "0");
    ThreeGoods();
    EXPECT_EQ(Export(), 0);
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_EQ(fs::file_size(File("digism.exp")), 3u * 1002u);
    EXPECT_EQ(ReadFile(File("wynik.exp")),
              "PLU;1;0;101;DOD\r\nPLU;2;0;102;AKT\r\nPLU;3;0;103;USU\r\n");
    EXPECT_EQ(StoreCalls(), 1);
    EXPECT_FALSE(Exists("wagi.ini"));
    EXPECT_FALSE(Exists("sm_eth.ini"));
    bool warned = false;
    for (const auto& m : lib.host.messages)
        warned |= m.kind == KRV_MSG_WARNING &&
                  Cp1250ToUtf8(m.text) == "Eksport tylko do Pliku (digism.exp)";
    EXPECT_TRUE(warned) << AllMessages();
    EXPECT_TRUE(Said("Przygotowanie pliku eksportowego"));
    EXPECT_TRUE(Said(StatusLine("- do wysłania:", "3")));
}

TEST_F(ExportRun, NoRecordToSendSucceedsWithoutTheProgram) {
    WriteFile(File("digism.exp"), "old");
    WriteGoods(Goods(1, "100001", "Poza zakresem", 100));
    Export();
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_TRUE(Said("Brak rekordów do wysłania... przerywam..."));
    EXPECT_EQ(ReadFile(File("digism.exp")), "old");  // no record: the file is not touched
    EXPECT_EQ(ReadFile(File("wynik.exp")), "PLU;1;0;100001;DOD\r\n");
    EXPECT_EQ(StoreCalls(), 1);
}

TEST_F(ExportRun, SuccessfulRun) {
    ThreeGoods();
    // Left by an earlier run: must be gone before the program starts.
    WriteFile(File("semafor.imp"), "");
    WriteFile(File("digism.err"), "stale\tline\r\n");
    InstallFake("ok");
    Export(-5);  // started automatically: the same export
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_EQ(ReadFile(File("wagi.ini")), "[1]\r\nNazwa=Waga1\r\nAdres=127.0.0.1:5001");
    std::string d = lib.host.exchangeDir;
    EXPECT_EQ(ReadFile(File("sm_eth.ini")),
              "[Zbiory]\r\nDaneWej=" + d + "digism.exp\r\nDaneWyj=" + d +
                  "digism.err\r\nSemaforWyj=" + d +
                  "semafor.imp\r\n\r\n[Opcje]\r\nWejscieStronaKodowa=windows-1250");
    std::string args = ReadFile(File("fake_args.txt"));
    EXPECT_EQ(args.substr(0, args.find('\n')), "W=1|I=1|T=4");
    EXPECT_EQ(
        fs::canonical(args.substr(args.find('\n') + 1, args.rfind('\n') - args.find('\n') - 1)),
        fs::canonical(dir_));
    EXPECT_EQ(ReadFile(File("fake_input_size.txt")), "3006");
    EXPECT_EQ(ReadFile(File("wynik.exp")),
              "PLU;1;0;101;DOD\r\nPLU;2;0;102;AKT\r\nPLU;3;0;103;USU\r\n");
    EXPECT_EQ(StoreCalls(), 1);
    EXPECT_FALSE(ProcessAlive(FakePid()));
    std::string window;
    for (const std::string& l : lib.host.Window()) window += l + "\n";
    EXPECT_NE(window.find(StatusLine("Trwa eksport towarów na wagę. Czekaj...", "OK") + "\n" +
                          StatusLine("Weryfikacja transmisji", "OK") + "\n"),
              std::string::npos)
        << window;
}

TEST_F(ExportRun, HiddenProgramAndStaleFiles) {
    ThreeGoods();
    Param("DigiSM_HideDrv", "1");
    WriteFile(File("digism.err"), "");  // an old, clean error file
    InstallFake("noerr");               // this run writes none
    Export();
    std::string args = ReadFile(File("fake_args.txt"));
    EXPECT_EQ(args.substr(0, args.find('\n')), "W=1|I=0|T=4");
    EXPECT_TRUE(Said("Sterownik nie utworzył pliku z błędami")) << AllMessages();
    ExpectCleanFailure();
}

TEST_F(ExportRun, ProgramMissing) {
    ThreeGoods();
    Export();
    EXPECT_TRUE(Said("Brak programu SM_eth.exe w katalogu " + dir_.string())) << AllMessages();
    EXPECT_TRUE(Exists("digism.exp"));
    EXPECT_FALSE(Exists("wagi.ini"));
    ExpectCleanFailure();
    ExpectNextSucceeds();
}

TEST_F(ExportRun, ProgramThatCannotStart) {
    ThreeGoods();
    WriteFile(File("SM_eth.exe"), "not a program");
    Export();
    EXPECT_TRUE(Said("Nie powiodło się uruchomienie SM_Eth.exe!")) << AllMessages();
    ExpectCleanFailure();
}

TEST_F(ExportRun, CrashFailsFastWithTheExitStatus) {
    ThreeGoods();
    InstallFake("crash");
    {
        ManualClock clock;
        clock.At(500, [&] { UntilTheFakeHasEnded(); });
        platform::ScopedClock use(clock);
        Export();
        // The program ended within the first 0.5 s; its semaphore gets the
        // two seconds of grace of a slow share, not the 20 s of the time-out.
        EXPECT_GE(clock.Elapsed(), 2000);
        EXPECT_LT(clock.Elapsed(), 2600);
    }
    EXPECT_TRUE(Said("Sterownik zakończył działanie bez utworzenia pliku semafora (kod wyjścia 3)"))
        << AllMessages();
    ExpectCleanFailure();
    ExpectNextSucceeds();
}

TEST_F(ExportRun, HangEndsInTimeOutAndTheProgramIsEnded) {
    ThreeGoods();
    Param("DigiSM_Timeout", "2");
    InstallFake("hang");
    {
        // The program hangs for real; the two seconds pass on a manual clock.
        ManualClock clock;
        platform::ScopedClock use(clock);
        Export();
        EXPECT_EQ(clock.Elapsed(), 2000);
    }
    EXPECT_TRUE(Said("Sterownik nie odpowiedział w zadanym czasie")) << AllMessages();
    EXPECT_TRUE(Said("Program SM_eth.exe został zatrzymany."));
    ExpectCleanFailure();
    // The countdown showed 2 and 1 in the waiting line's status column.
    EXPECT_TRUE(Said(StatusLine("Trwa eksport towarów na wagę. Czekaj...", "2")));
    EXPECT_TRUE(Said(StatusLine("Trwa eksport towarów na wagę. Czekaj...", "1")));
    ExpectNextSucceeds();
}

TEST_F(ExportRun, AbortEndsTheProgram) {
    ThreeGoods();
    InstallFake("hang");
    lib.host.interruptAfter = 1;  // the first question goes on, the second aborts
    {
        ManualClock clock;
        platform::ScopedClock use(clock);
        Export();
        EXPECT_EQ(clock.Elapsed(), 1000);  // the question is asked once a second
    }
    EXPECT_TRUE(Said("Eksport przerwany przez użytkownika")) << AllMessages();
    EXPECT_TRUE(Said("Program SM_eth.exe został zatrzymany."));
    ExpectCleanFailure();
    lib.host.interruptAfter = -1;
    ExpectNextSucceeds();
}

// The launcher ends with 0 at once and leaves a worker that would write the
// semaphore a minute later, into whatever export runs then: a time-out and
// an abort end it too.
TEST_F(ExportRun, ALaunchersWorkerIsEndedAtAbort) { LaunchersWorkerEnded(true); }
TEST_F(ExportRun, ALaunchersWorkerIsEndedAtTimeOut) { LaunchersWorkerEnded(false); }

TEST_F(ExportRun, ErrorLinesBecomeTwoMessagesEach) {
    ThreeGoods();
    InstallFake(
        std::string("errors:0\t127.0.0.1\t1\t101\tE7\tZ\xB3"
                    "a cena\r\n"
                    "\r\n"  // a blank line reports nothing
                    "x\t127.0.0.2\t2"));
    Export();
    std::vector<std::string> errors = Errors();
    ASSERT_EQ(errors.size(), 6u) << AllMessages();  // 2 x 2, then the failure in two lines
    EXPECT_EQ(errors[0], "Zła cena");
    EXPECT_EQ(errors[1], "IP: 127.0.0.1, Nr linii: 1, Nr PLU: 101, Kod błędu: E7");
    EXPECT_EQ(errors[2], "");
    EXPECT_EQ(errors[3], "IP: 127.0.0.2, Nr linii: 2, Nr PLU: , Kod błędu:");  // trimmed
    EXPECT_TRUE(Said("Sterownik zakończył działanie z błędami"));
    // Every error line is still in the host's window afterwards.
    std::string window;
    for (const std::string& l : lib.host.Window()) window += l + "\n";
    EXPECT_NE(window.find("IP: 127.0.0.2, Nr linii: 2"), std::string::npos) << window;
    ExpectCleanFailure();
    ExpectNextSucceeds();
}

TEST_F(ExportRun, ASlowProgramIsWaitedFor) {
    // A real program that takes its time: the wait sees its semaphore come
    // (how soon is measured in bench/, not here).
    ThreeGoods();
    InstallFake("slow:300");
    Export();
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_EQ(ReadFile(File("wynik.exp")),
              "PLU;1;0;101;DOD\r\nPLU;2;0;102;AKT\r\nPLU;3;0;103;USU\r\n");
}

TEST_F(ExportRun, SettingsOutsideTheirFieldStopBeforeAnyFile) {
    ThreeGoods();
    const std::pair<const char*, const char*> bad[] = {
        {"DigiSM_RozmiarCzcionki", "10"}, {"DigiSM_RozmiarCzcionkiOpis", "-1"},
        {"DigiSM_FormatEtyk", "25"},      {"DigiSM_FormatKodu", "21"},
        {"DigiSM_FormatKodu", "-1"},
    };
    for (auto [name, value] : bad) {
        SCOPED_TRACE(name);
        ScaleTest::Param(name, value);
        Param("DigiSM_KodyKD", "1");  // no composing: only the field check stops it
        Export();
        EXPECT_TRUE(Said(std::string("Niedozwolona wartość ") + value)) << AllMessages();
        EXPECT_TRUE(Said(name));
        EXPECT_FALSE(Exists("ARCH2.EXP"));
        EXPECT_FALSE(Exists("digism.exp"));
        EXPECT_FALSE(Exists("wynik.exp"));
        Param(name, name == std::string("DigiSM_FormatEtyk")   ? "17"
                    : name == std::string("DigiSM_FormatKodu") ? "0"
                                                               : "3");
    }
}

TEST_F(ExportRun, BarcodeFormatThatCannotBeComposed) {
    ThreeGoods();
    Param("DigiSM_Zlacze", "0");
    Param("DigiSM_FormatKodu", "1");  // format 2, not allowed
    Export();
    EXPECT_TRUE(
        Said("Niedozwolony format kodu ustawiony w konfiguracji (par. \"Format kodu "
             "kreskowego na etykiecie\")"))
        << AllMessages();
    EXPECT_FALSE(Exists("ARCH2.EXP"));
    // With full codes nothing is composed, so the setting is accepted.
    Param("DigiSM_KodyKD", "1");
    Export();
    EXPECT_TRUE(Errors().empty()) << AllMessages();
}

TEST_F(ExportRun, GoodsWhoseValuesDoNotFitAreLeftOut) {
    Param("DigiSM_Zlacze", "0");
    WriteGoods(Goods(1, "101", "Dobry", 100) + Goods(123456789, "102", W("Za duży numer"), 100) +
               Goods(3, "103", "Ujemna", -5) + Goods(4, "104", "Za droga", 123456789) +
               Goods(5, "105", "Też dobry", 99999999));
    Export();
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_TRUE(Said("Towar 123456789 \"Za duży numer\" (kod 102) pominięty: numer PLU 123456789"))
        << AllMessages();
    EXPECT_TRUE(Said("Towar 3 \"Ujemna\" (kod 103) pominięty: cena -5 "));
    EXPECT_TRUE(Said("Towar 4 \"Za droga\" (kod 104) pominięty: cena 123456789 "));
    std::string plu = ReadFile(File("digism.exp"));
    ASSERT_EQ(plu.size(), 2u * 1002u);
    EXPECT_EQ(plu.substr(1, 8), "00000001");
    EXPECT_EQ(plu.substr(1002 + 1, 8), "00000005");
    EXPECT_EQ(plu.substr(1002 + 129, 8), "99999999");
    EXPECT_EQ(ReadFile(File("wynik.exp")), "PLU;1;0;101;DOD\r\nPLU;5;0;105;DOD\r\n");

    // A code wider than the goods digits of the barcode would turn into
    // another goods item's barcode.
    Param("DigiSM_FormatKodu", "17");  // format 18: two goods digits
    WriteGoods(Goods(1, "42", W("Mieści się"), 100) + Goods(2, "101", W("Za długi kod"), 100));
    Export();
    EXPECT_TRUE(
        Said("Towar 2 \"Za długi kod\" (kod 101) pominięty: kod nie mieści się w 2 cyfrach"))
        << AllMessages();
    plu = ReadFile(File("digism.exp"));
    ASSERT_EQ(plu.size(), 1002u);
    EXPECT_EQ(plu.substr(142, 13), "2742000000000");
    EXPECT_EQ(ReadFile(File("wynik.exp")), "PLU;1;0;42;DOD\r\n");
}

TEST_F(ExportRun, DeleteWhosePriceDoesNotFitIsStillSent) {
    Param("DigiSM_Zlacze", "0");
    // Only the PLU number matters to a delete: one left out would stay on
    // the scale for ever. A goods item to add with such a price stays out.
    WriteGoods(Goods(1, "101", "Za droga", 123456789, "USU") +
               Goods(2, "102", "Ujemna", -5, "USU") +
               Goods(3, "103", "Za droga", 123456789, "AKT"));
    Export();
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_FALSE(Said("Towar 1 ")) << AllMessages();
    EXPECT_FALSE(Said("Towar 2 "));
    EXPECT_TRUE(Said("Towar 3 \"Za droga\" (kod 103) pominięty: cena 123456789 "));
    std::string plu = ReadFile(File("digism.exp"));
    ASSERT_EQ(plu.size(), 2u * 1002u);
    for (size_t at : {size_t{0}, size_t{1002}}) {
        EXPECT_EQ(plu[at], '1');                         // delete
        EXPECT_EQ(plu.substr(at + 129, 8), "00000000");  // the price field
    }
    EXPECT_EQ(plu.substr(1, 8), "00000001");
    EXPECT_EQ(plu.substr(1002 + 1, 8), "00000002");
    EXPECT_EQ(ReadFile(File("wynik.exp")), "PLU;1;0;101;USU\r\nPLU;2;0;102;USU\r\n");
}

TEST_F(ExportRun, ProgramEndingWithZeroBeforeItsSemaphore) {
    ThreeGoods();
    // A launcher hands the work to another process and ends with 0; the
    // semaphore comes later than a failed program's grace period.
    InstallFake("launcher:2600");
    auto start = Clock::now();
    Export();
    EXPECT_TRUE(Errors().empty()) << AllMessages();
    EXPECT_GE(MsSince(start), 2500);
    EXPECT_EQ(ReadFile(File("wynik.exp")),
              "PLU;1;0;101;DOD\r\nPLU;2;0;102;AKT\r\nPLU;3;0;103;USU\r\n");

    // One that ends with 0 and never writes it meets the time-out, which
    // says that the program had already ended.
    // The launcher's worker ends just after its semaphore; a running program
    // could not be replaced on Windows.
    UntilTheFakeHasEnded();
    fs::remove(File("wynik.exp"));
    fs::remove(File("fake.pid"));
    Param("DigiSM_Timeout", "2");
    InstallFake("quit0");
    {
        ManualClock clock;
        clock.At(500, [&] { UntilTheFakeHasEnded(); });
        platform::ScopedClock use(clock);
        Export();
        EXPECT_EQ(clock.Elapsed(), 2000);
    }
    EXPECT_TRUE(Said("Sterownik nie odpowiedział w zadanym czasie")) << AllMessages();
    EXPECT_TRUE(Said("Program SM_eth.exe zakończył już wcześniej działanie (kod wyjścia 0)"))
        << AllMessages();
    EXPECT_TRUE(Said(StatusLine("Trwa eksport towarów na wagę. Czekaj...", "1")));
    EXPECT_FALSE(Exists("wynik.exp"));
    EXPECT_EQ(StoreCalls(), 1);  // the first export's only
}

TEST_F(ExportRun, OtherOperations) {
    ThreeGoods();
    char buf[301] = "";
    void* session = nullptr;
    // An additional function only reloads the settings.
    EXPECT_EQ(KRVDLLSerKasOperacja(lib.handle, lib.host.Device(), &session, buf,
                                   KRV_OP_DEVICE_FUNCTION, 5),
              0);
    EXPECT_TRUE(lib.host.messages.empty());
    EXPECT_FALSE(Exists("ARCH2.EXP"));
    KRVDLLSerKasOperacja(lib.handle, lib.host.Device(), &session, buf, KRV_OP_SALES_IMPORT, 0);
    EXPECT_TRUE(Said("Urządzenie nie obsługuje zleconego typu operacji")) << AllMessages();
    EXPECT_FALSE(Exists("ARCH2.EXP"));
}

// Lines of the goods file that the scale does not use: a value no reader
// could take there gives a warning naming the line, and the goods are
// exported all the same. A bad value the export uses still fails it.
TEST_F(ExportRun, WhatTheScaleDoesNotUseNeverSinksTheExport) {
    const std::string huge(320, '9');
    const struct {
        std::string line;
        bool exported;
    } cases[] = {
        {"EURO;" + huge, true},
        {"EUR;abc", true},
        {"ASS;" + huge + ";Pieczywo", true},
        {"KON;" + huge + ";A;a;u;k;m;t;n;c;2025-01-01;T;1;0", true},
        // goods fields the scale never reads: VAT number, unit, package, assortment
        {"PLU;3;0;103;Kaszanka;8.00;0;0;0;" + huge + ";x;T;3;F;F;F;0;" + huge + ";" + huge +
             ";DOD;;;;;0",
         true},
        // the goods number is the scale's own
        {"PLU;" + huge + ";0;103;Kaszanka;8.00;0;0;0;23;1;T;3;F;F;F;0;;0;DOD;;;;;0", false},
    };
    Param("DigiSM_Zlacze", "0");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        fs::remove(File("wynik.exp"));
        WriteGoods(Goods(1, "101", "Schab", 1999) + c.line + "\r\n" +
                   Goods(2, "102", "Boczek", 2500));
        Export();
        if (!c.exported) {
            EXPECT_FALSE(Errors().empty()) << AllMessages();
            EXPECT_FALSE(Exists("wynik.exp"));
            continue;
        }
        EXPECT_TRUE(Errors().empty()) << AllMessages();
        const std::string result = ReadFile(File("wynik.exp"));
        EXPECT_NE(result.find("PLU;1;0;101;DOD\r\n"), std::string::npos) << result;
        EXPECT_NE(result.find("PLU;2;0;102;DOD\r\n"), std::string::npos) << result;
        int warnings = 0;
        for (const auto& m : lib.host.messages)
            warnings +=
                m.kind == KRV_MSG_WARNING &&
                Cp1250ToUtf8(m.text).rfind("Pominięto w wierszu pliku towarów nr 2: ", 0) == 0;
        EXPECT_EQ(warnings, 1) << AllMessages();
    }
}

}  // namespace
}  // namespace krv::test
