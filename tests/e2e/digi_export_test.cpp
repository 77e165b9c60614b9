// Exports through the real krvhost, library and SM_eth stand-in to the
// simulated scale, all speaking the DIGI scale's own TCP protocol (chosen by
// sm_eth.cfg beside the stand-in).
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"

namespace krv::test {
namespace {

class DigiExport : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::string why; !LibraryExports(&why)) FAIL() << why;
        device.WriteGoods(Goods());
        device.InstallStandIn();
        UseCodePage("cp852");
    }

    void UseCodePage(const std::string& page) {
        WriteFile(device.File("sm_eth.cfg"), "[Scale]\r\nProtocol=digi\r\nCodePage=" + page +
                                                 "\r\nTimeoutMs=700\r\nTries=2\r\n");
    }

    // A DIGI scale in a folder of the device's; its decoded table goes to
    // scale.json there. The device exports to it.
    bool StartScale(const std::vector<std::string>& extra = {}) {
        return StartScale(scale, "scale", extra);
    }
    bool StartScale(ScaleSim& sim, const std::string& folder,
                    const std::vector<std::string>& extra) {
        std::vector<std::string> args = {"--digi", "--codepage", "cp852", "--json",
                                         (device.Root() / folder / "scale.json").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        if (!sim.Start(device.Root() / folder, args)) return false;
        device.WriteProfile(EthernetParams(sim.Address()));
        return true;
    }

    std::vector<std::string> HeldPlus() const {
        std::vector<std::string> plus;
        for (const auto& [plu, frame] : scale.Held()) plus.push_back(plu);
        return plus;
    }

    // The error lines of the operation window that carry an error file line.
    static std::vector<std::string> ErrorFileLines(const Outcome& run) {
        std::vector<std::string> lines;
        for (const std::string& line : run.Lines())
            if (line.rfind("ERROR: IP: ", 0) == 0) lines.push_back(line.substr(7));
        return lines;
    }

    void ExpectFailed(const Outcome& run) {
        EXPECT_NE(run.exit_code, 0) << run.output;
        EXPECT_TRUE(run.Has("ERROR: Sterownik zakończył działanie z błędami")) << run.output;
        EXPECT_TRUE(run.Has("ERROR: krvhost: export failed")) << run.output;
        EXPECT_FALSE(std::filesystem::exists(device.File("wynik.exp")));
        EXPECT_FALSE(device.ProgramRunning()) << "a program was left running";
    }

    ScaleSim scale;
    Device device;
};

TEST_F(DigiExport, SuccessPutsExactlyTheSelectedGoodsOnTheScale) {
    ASSERT_TRUE(StartScale());
    Outcome run = device.Krvhost({"export"});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(
        run.Has("krvhost: export result stored: 8 goods confirmed (DOD 4, AKT 1, CEN 2, USU 1)"))
        << run.output;
    EXPECT_FALSE(run.Has("ERROR")) << run.output;
    EXPECT_EQ(HeldPlus(), GoodsOnScale());

    // The fields as the scale decoded them, the name through the scale's code page.
    std::string json = ReadFile(device.Root() / "scale" / "scale.json");
    size_t roll = json.find("{\"plu\":12,");
    ASSERT_NE(roll, std::string::npos) << json;
    std::string entry = json.substr(roll, json.find('}', json.find("\"text_block\"", roll)) - roll);
    EXPECT_NE(entry.find("\"by_piece\":true"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\"price\":69,"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\"text\":\"Bułka kajzerka\""), std::string::npos) << entry;
    EXPECT_NE(json.find("\"text\":\"Pączek z różą\""), std::string::npos) << json;
    EXPECT_FALSE(device.ProgramRunning());
}

TEST_F(DigiExport, NakForOnePluGivesOneErrorLineAndLoadsTheOthers) {
    ASSERT_TRUE(StartScale({"--reject", "2:0x15"}));
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run);
    EXPECT_EQ(ErrorFileLines(run),
              std::vector<std::string>{"IP: " + scale.Address() +
                                       ", Nr linii: 2, Nr PLU: 00000002, Kod błędu: 21"})
        << run.output;
    EXPECT_TRUE(run.Has("ERROR: Waga odrzuciła rekord: odpowiedź 15 (NAK)")) << run.output;
    std::vector<std::string> expected = GoodsOnScale();
    expected.erase(std::find(expected.begin(), expected.end(), "00000002"));
    EXPECT_EQ(HeldPlus(), expected);
}

TEST_F(DigiExport, ConnectionFaultsEndTheTransferWithOneLine) {
    struct Case {
        std::vector<std::string> scale_options;
        std::string line_and_code;  // of the one error line
        size_t held;
        const char* what;
        const char* folder;
    };
    for (const Case& c : {Case{{"--drop-after", "2"},
                               ", Nr linii: 3, Nr PLU: 00000003, Kod błędu: -3",
                               2,
                               "drops the connection",
                               "dropping"},
                          Case{{"--mute"},
                               ", Nr linii: 1, Nr PLU: 00000001, Kod błędu: -2",
                               0,
                               "never answers",
                               "mute"}}) {
        SCOPED_TRACE(c.what);
        ScaleSim faulty;
        ASSERT_TRUE(StartScale(faulty, c.folder, c.scale_options));
        Outcome run = device.Krvhost({"export"});
        ExpectFailed(run);
        EXPECT_EQ(ErrorFileLines(run),
                  std::vector<std::string>{"IP: " + faulty.Address() + c.line_and_code})
            << run.output;
        EXPECT_EQ(faulty.Held().size(), c.held);
        EXPECT_LT(run.seconds, 15.0) << "bounded by the stand-in's time-outs";
    }
}

TEST_F(DigiExport, AScaleThatIsNotThere) {
    ASSERT_TRUE(StartScale());
    std::string gone = scale.Address();
    scale.Stop();
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run);
    EXPECT_EQ(ErrorFileLines(run),
              std::vector<std::string>{"IP: " + gone + ", Nr linii: 0, Nr PLU: , Kod błędu: -1"})
        << run.output;
    EXPECT_TRUE(run.Has("połączenie odrzucone; nie wysłano kolejnych rekordów: 7")) << run.output;
}

TEST_F(DigiExport, CharactersTheScalesPageLacksAreWarnedOncePerGoods) {
    UseCodePage("cp866");
    ASSERT_TRUE(StartScale());
    Outcome run = device.Krvhost({"export"});
    ExpectFailed(run);
    // Every goods sent carries Polish letters but the delete; each was still loaded.
    std::vector<std::string> lines = ErrorFileLines(run);
    EXPECT_EQ(lines.size(), GoodsOnScale().size()) << run.output;
    for (const std::string& line : lines)
        EXPECT_NE(line.find("Kod błędu: -4"), std::string::npos) << line;
    EXPECT_TRUE(run.Has("Ostrzeżenie: znaków spoza strony kodowej cp866: ")) << run.output;
    EXPECT_EQ(HeldPlus(), GoodsOnScale());
}

}  // namespace
}  // namespace krv::test

namespace krv::test {
namespace {

TEST(DigiDemo, WholeExportListsTheScalesTable) {
    Device device;
    Outcome run = device.Krvhost({"demo", "--digi"});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(run.Has("krvhost demo: protocol DIGI")) << run.output;
    EXPECT_TRUE(run.Has("The scale now holds 9 PLUs")) << run.output;
    EXPECT_TRUE(run.Has("  00000012  Bułka kajzerka                       0.69  by piece "))
        << run.output;
    EXPECT_TRUE(run.Has("krvhost demo: export succeeded")) << run.output;
}

}  // namespace
}  // namespace krv::test
