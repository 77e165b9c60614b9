// The file-exchange action: waiting for a file (on a manual clock: the
// countdowns and time-outs take no real time), progress, the unattended
// message box, the rejected-goods report and its log, VAT numbers.
#include "action/ks_action.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "exportdata/expbuf.h"
#include "fakes/manual_clock.h"
#include "fakes/test_library.h"
#include "support/errorlog.h"
#include "support/exception.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

class KSActionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // A random name: object addresses repeat across processes, and test
        // programs run side by side.
        std::random_device random;
        dir = fs::temp_directory_path() /
              ("tarvisco_ksaction_" + std::to_string(random()) + "_" + std::to_string(random()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        lib.host.exchangeDir = dir.string() + static_cast<char>(fs::path::preferred_separator);
        action = lib.Action();
        a = dynamic_cast<KSAction*>(action.get());
        ASSERT_NE(a, nullptr);
    }
    void TearDown() override {
        action.reset();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string Path(const char* name) const { return (dir / name).string(); }
    // The numbers shown in the status column of the waiting line, in order.
    std::vector<std::string> Shown() const {
        const std::string waiting = StatusLine("Czekaj", "");
        std::vector<std::string> out;
        for (const auto& m : lib.host.messages)
            if (m.code == KRV_CB_CHANGE_LAST_MESSAGE && m.text.rfind(waiting, 0) == 0)
                out.push_back(m.text.substr(waiting.size()));
        return out;
    }

    ManualClock clock;
    platform::ScopedClock useClock{clock};
    TestLibrary lib;
    fs::path dir;
    std::unique_ptr<TKSActionBase> action;
    KSAction* a = nullptr;
};

TEST_F(KSActionTest, ExchangeFileNames) {
    const std::string d = lib.host.exchangeDir;
    EXPECT_EQ(a->FNameKEXP(), d + "kasa.exp");
    EXPECT_EQ(a->FNameWEXP(), d + "wynik.exp");
    EXPECT_EQ(a->FNameLOG(), d + "kasa.log");
    EXPECT_EQ(a->FNameIMP(), d + "null.imp");
    EXPECT_EQ(a->FNameEXP(), d + "null.exp");
    EXPECT_EQ(a->FNameKIMP(), d + "kasa.imp");
    EXPECT_EQ(a->FNameKTMP(), d + "kasa.tmp");
    EXPECT_EQ(a->FNamePAR(), d + "paragon.imp");
    EXPECT_EQ(a->FNamePARC(), d + "archpar.imp");
    EXPECT_EQ(a->FNameKARC(), d + "arch1.imp");
    EXPECT_EQ(a->FNameKEARC(), d + "arch1.exp");
}

TEST_F(KSActionTest, FileAlreadyInPlaceReturnsAtOnceWithoutAMessage) {
    std::ofstream(Path("sem")) << "";
    EXPECT_EQ(a->WaitForFileState(Path("sem"), false, 5), KSAction::kWaitDone);
    EXPECT_EQ(a->WaitForFileState(Path("none"), true, 5), KSAction::kWaitDone);
    EXPECT_EQ(clock.Elapsed(), 0);
    EXPECT_TRUE(lib.host.messages.empty());
    EXPECT_EQ(lib.host.CountCalls(KRV_CB_INTERRUPT), 0);
}

TEST_F(KSActionTest, CountdownThenTimeOut) {
    a->DodajKomunikat(KRV_MSG_ORDINARY, "Czekaj");
    EXPECT_EQ(a->WaitForFileState(Path("never"), false, 3), KSAction::kWaitTimeOut);
    EXPECT_EQ(clock.Elapsed(), 3000);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(lib.host.CountCalls(KRV_CB_INTERRUPT), 4);  // once a second, not at every look
    EXPECT_TRUE(clock.Sleeps().empty());  // it waits on the directory, never blindly

    // The catalogue's two minutes: every second shown once, from 120 down,
    // and the time-out after two minutes, not a pass later or earlier.
    lib.host.messages.clear();
    const int64_t before = clock.Elapsed();
    EXPECT_EQ(a->WaitForFileState(Path("never"), false, 120), KSAction::kWaitTimeOut);
    EXPECT_EQ(clock.Elapsed() - before, 120000);
    const std::vector<std::string> shown = Shown();
    ASSERT_EQ(shown.size(), 120u);
    for (size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i], std::to_string(120 - i));
}

TEST_F(KSActionTest, NoTimeOutCountsUpUntilAbort) {
    a->DodajKomunikat(KRV_MSG_ORDINARY, "Czekaj");
    lib.host.interruptAfter = 2;
    EXPECT_EQ(a->WaitForFileState(Path("never"), false, 0), KSAction::kWaitAborted);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"1", "2"}));

    lib.host.messages.clear();
    lib.host.interruptAfter = 0;  // every answer is "interrupt"
    EXPECT_EQ(a->WaitForFileState(Path("never"), false, 10), KSAction::kWaitAborted);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(KSActionTest, FileIsNoticedWellWithinTheSecond) {
    a->DodajKomunikat(KRV_MSG_ORDINARY, "Czekaj");
    // Between the once-a-second passes the file is looked at often: the wait
    // ends within a poll of the file's arrival, not at the next pass.
    clock.At(2300, [&] { std::ofstream(Path("late")) << ""; });
    EXPECT_EQ(a->WaitForFileState(Path("late"), false, 10), KSAction::kWaitDone);
    EXPECT_GE(clock.Elapsed(), 2300);
    EXPECT_LE(clock.Elapsed(), 2300 + 50);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"10", "9", "8"}));

    lib.host.messages.clear();
    const int64_t before = clock.Elapsed();
    clock.At(before + 200, [&] { fs::remove(Path("late")); });
    EXPECT_EQ(a->WaitForFileState(Path("late"), true, 10), KSAction::kWaitDone);
    EXPECT_LE(clock.Elapsed() - before, 200 + 50);
    EXPECT_EQ(Shown(), (std::vector<std::string>{"10"}));
}

TEST_F(KSActionTest, GivingUpEndsTheWait) {
    a->DodajKomunikat(KRV_MSG_ORDINARY, "Czekaj");
    int asked = 0;
    EXPECT_EQ(a->WaitForFileState(Path("never"), false, 10, [&] { return ++asked == 3; }),
              KSAction::kWaitGivenUp);
    EXPECT_EQ(asked, 3);
    EXPECT_LT(clock.Elapsed(), 1000);  // asked at every look, not once a second

    // A file that comes while the caller decides to give up still counts (a
    // program that wrote its semaphore and then ended).
    EXPECT_EQ(a->WaitForFileState(Path("late"), false, 10,
                                  [&] {
                                      std::ofstream(Path("late")) << "";
                                      return true;
                                  }),
              KSAction::kWaitDone);
}

TEST_F(KSActionTest, ProgressThinsOutAsItGrows) {
    a->MsgAdd("Postęp", lpvCount, 100);
    int32_t counter = 0;
    std::vector<int32_t> shown;
    for (int i = 0; i < 300; ++i) {
        size_t before = lib.host.messages.size();
        a->Progress(counter);
        if (lib.host.messages.size() > before) shown.push_back(counter);
    }
    EXPECT_EQ(counter, 300);
    std::vector<int32_t> expected;
    for (int i = 1; i <= 30; ++i) expected.push_back(i);
    for (int i = 40; i <= 200; i += 10) expected.push_back(i);
    for (int i = 225; i <= 300; i += 25) expected.push_back(i);
    EXPECT_EQ(shown, expected);
}

TEST_F(KSActionTest, MessageBoxAnswersForTheUser) {
    const std::pair<int32_t, int32_t> answers[] = {{0, 1}, {1, 1}, {2, 5},    {3, 2},   {4, 7},
                                                   {5, 2}, {6, 2}, {0x34, 7}, {0x21, 1}};
    for (auto [flags, answer] : answers) EXPECT_EQ(a->MessageBoxA("tekst", "Uwaga", flags), answer);
    ASSERT_EQ(a->Odrzucone().size(), std::size(answers));
    EXPECT_EQ(a->Odrzucone()[0], "Uwaga (tekst)");
    EXPECT_TRUE(lib.host.messages.empty());
}

TEST_F(KSActionTest, RejectedGoodsReportAndLogFile) {
    a->LogujOdrzuconePrzyEksporcie();  // not enabled: nothing, but counted as made
    EXPECT_TRUE(lib.host.messages.empty());
    EXPECT_TRUE(a->raportZrobiony);

    a->raportZrobiony = false;
    a->raportWlaczony = true;
    for (int i = 1; i <= 12; ++i) a->SetErrorLog("towar " + std::to_string(i));
    for (int i = 1; i <= 10; ++i) a->Ostrzezenia().push_back("uwaga " + std::to_string(i));
    a->LogujOdrzuconePrzyEksporcie();
    std::vector<std::string> window = lib.host.Window();
    std::vector<std::string> expected = {StatusLine("- towary odrzucone:", "12")};
    for (int i = 1; i <= 10; ++i) expected.push_back("...towar " + std::to_string(i));
    expected.push_back("i tak dalej...");
    expected.push_back(StatusLine("- ostrzeżenia:", "10"));
    for (int i = 1; i <= 10; ++i) expected.push_back("...uwaga " + std::to_string(i));
    EXPECT_EQ(window, expected);
    for (const auto& m : lib.host.messages) {
        // Headings are plain lines.
        if (m.code != KRV_CB_ADD_MESSAGE || m.text.rfind("- ", 0) == 0) continue;
        EXPECT_EQ(m.kind, m.text.rfind("...towar", 0) == 0 || m.text == "i tak dalej..." ? 2 : 1)
            << m.text;
    }

    std::ifstream in(Path("kasa.log"), std::ios::binary);
    std::stringstream log;
    log << in.rdbuf();
    std::string text = log.str();
    EXPECT_EQ(text.rfind(std::string(80, '-') + "\r\nEksport danych z dnia ", 0), 0u) << text;
    EXPECT_NE(text.find("\n\rTowary odrzucone i ostrze\xBF"
                        "enia:\r\ntowar 1\r\ntowar 2\r\n"),
              std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 14), "\r\ntowar 12\r\n\r\n");
    EXPECT_TRUE(a->Odrzucone().empty());

    lib.host.messages.clear();
    a->SetErrorLog("po raporcie");
    a->LogujOdrzuconePrzyEksporcie();  // once per action
    EXPECT_TRUE(lib.host.messages.empty());
}

TEST_F(KSActionTest, WarningsShownOrLogged) {
    a->AddWarning("bez dziennika", nullptr);
    ASSERT_EQ(lib.host.messages.size(), 1u);
    EXPECT_EQ(lib.host.messages[0].kind, KRV_MSG_WARNING);

    TErrorLog log(Path("warn.log"));
    for (int i = 1; i <= 25; ++i) a->AddWarning(i == 3 ? "" : "w" + std::to_string(i), &log);
    lib.host.messages.clear();
    a->LogWarnings(&log, W("Ostrzeżeń: "), " szt.", lpvWarning);
    std::vector<std::string> window = lib.host.Window();
    ASSERT_EQ(window.size(), 1u + 19u + 1u);  // heading, 20 entries less the empty one, more
    EXPECT_EQ(window.front(), "Ostrzeżeń: 25 szt.");
    EXPECT_EQ(window[1], "w1");
    EXPECT_EQ(window[3], "w4");
    EXPECT_EQ(window[19], "w20");
    EXPECT_EQ(window.back(), "i tak dalej...");

    lib.host.messages.clear();
    a->LogWarnings(nullptr, "x", "y", lpvWarning);
    TErrorLog empty(Path("empty.log"));
    a->LogWarnings(&empty, "x", "y", lpvWarning);
    EXPECT_TRUE(lib.host.messages.empty());
}

TEST_F(KSActionTest, StatusCountsOfTheExportBuffer) {
    KSExpBuf buf(a);
    KSTowRec r;
    for (int status : {0, 0, 3}) {
        r.status = status;
        buf.DodajRec(&r);
    }
    a->expBuf = &buf;
    a->ShowTowInfo(false);
    EXPECT_EQ(lib.host.Window(), (std::vector<std::string>{StatusLine("- do dodania:", "2"),
                                                           StatusLine("- do usunięcia:", "1")}));
    lib.host.messages.clear();
    a->ShowTowInfo(true);
    EXPECT_EQ(lib.host.Window().size(), 4u);
    a->expBuf = nullptr;
}

TEST_F(KSActionTest, VatNumbersFromTheOrdering) {
    lib.host.params["TV_Tarvisco_PosortowaneStawkiVat"] = "23\r\n8\r\n-1\r\n5";
    EXPECT_EQ(a->NumerStawki(8), 1);
    EXPECT_EQ(a->NumerStawki(23), 0);
    EXPECT_EQ(a->NumerStawki(-1), 2);
    EXPECT_EQ(a->NumerStawki(5), 3);
    // A rate that is not mapped never answers with another rate's number.
    EXPECT_EQ(a->NumerStawki(7), -2);
    EXPECT_EQ(a->NumerStawki(7), -2);
    EXPECT_EQ(a->NumerStawki(-999), -2);
    EXPECT_EQ(a->NumerStawki(8), 1);
    // Each action keeps its own answers.
    auto other = lib.Action();
    EXPECT_EQ(dynamic_cast<KSAction&>(*other).NumerStawki(23), 0);
    EXPECT_EQ(a->NumerStawki(8), 1);
}

TEST_F(KSActionTest, PreciseVatNumbersRaiseForAnUnmappedRate) {
    lib.host.params["TV_Tarvisco_PosortowaneStawkiVatPrec"] = "2300\r\n800";
    EXPECT_EQ(a->NumerStawkiPrec(800), 1);
    for (int i = 0; i < 2; ++i) {  // the cache was reset: it raises again
        try {
            a->NumerStawkiPrec(850);
            ADD_FAILURE() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Niezdefiniowana stawka 8.50%");
        }
    }
    EXPECT_EQ(a->NumerStawkiPrec(2300), 0);
}

TEST_F(KSActionTest, TranslatedFormatsMustKeepTheirConversions) {
    lib.host.Register(lib.handle, KRV_CB_TRANSLATE);
    auto* lg = lib.Lib().GetLgLink();
    lib.host.translations["s/good"] = "Rate %5.1f%% now";
    lib.host.translations["s/bad"] = "Rate %s";
    lib.host.translations["s/dangling"] = "Rate %f %";
    EXPECT_EQ(KSAction::TrFormat(lg, "s", "good", "Stawka %.02f%%"), "Rate %5.1f%% now");
    EXPECT_EQ(KSAction::TrFormat(lg, "s", "bad", "Stawka %.02f%%"), "Stawka %.02f%%");
    EXPECT_EQ(KSAction::TrFormat(lg, "s", "dangling", "Stawka %.02f%%"), "Stawka %.02f%%");
}

}  // namespace
}  // namespace krv::test
