// Exports that succeed, end to end: krvhost loads the library, the library
// starts the SM_eth stand-in, the stand-in talks to the simulated scale.
#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"

namespace krv::test {
namespace {

class ExportSuccess : public ::testing::Test {
  protected:
    void SetUp() override {
        if (std::string why; !LibraryExports(&why)) FAIL() << why;
        device.WriteGoods(Goods());
    }

    std::vector<std::string> ResultLines() const {
        std::vector<std::string> lines;
        std::string text = ReadFile(device.File("wynik.exp"));
        size_t start = 0;
        while (start < text.size()) {
            size_t end = text.find("\r\n", start);
            EXPECT_NE(end, std::string::npos) << "every result line ends with CR LF";
            if (end == std::string::npos) break;
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

    Device device;
};

TEST_F(ExportSuccess, EthernetExportPutsExactlyTheSelectedGoodsOnTheScale) {
    ScaleSim scale;
    ASSERT_TRUE(scale.Start(device.Root() / "scale"));
    device.InstallStandIn();
    device.WriteProfile(EthernetParams(scale.Address()));

    Outcome run = device.Krvhost({"export"});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(
        run.Has("krvhost: export result stored: 8 goods confirmed (DOD 4, AKT 1, CEN 2, USU 1)"))
        << run.output;
    EXPECT_TRUE(run.Has("[krvhost] callback 16:")) << run.output;
    EXPECT_FALSE(run.Has("ERROR")) << run.output;

    std::map<std::string, std::string> held = scale.Held();
    std::vector<std::string> plus;
    for (const auto& [plu, record] : held) plus.push_back(plu);
    EXPECT_EQ(plus, GoodsOnScale());
    // The record as the scale got it: operation, PLU, the name in Windows-1250, price, sold by
    // piece.
    ASSERT_TRUE(held.count("00000012"));
    const std::string& roll = held["00000012"];
    ASSERT_EQ(roll.size(), 1000u);
    EXPECT_EQ(roll.substr(0, 9), "000000012");
    EXPECT_EQ(Utf8(roll.substr(10, 29)), "Bułka kajzerka               ");
    EXPECT_EQ(roll.substr(129, 9), "000000691");

    EXPECT_EQ(ResultLines(), GoodsResult());
    EXPECT_FALSE(device.ProgramRunning());

    // The same export started automatically (-5) gives the same result; the
    // scale holds the same PLUs, now replaced.
    std::filesystem::remove(device.File("wynik.exp"));
    Outcome automatic = device.Krvhost({"export", "--auto"});
    EXPECT_EQ(automatic.exit_code, 0) << automatic.output;
    EXPECT_EQ(ResultLines(), GoodsResult());
    plus.clear();
    for (const auto& [plu, record] : scale.Held()) plus.push_back(plu);
    EXPECT_EQ(plus, GoodsOnScale());
}

TEST_F(ExportSuccess, FileOnlyExportWritesThePluFileAndStoresTheResult) {
    // No program installed: a file-only export never starts one.
    device.WriteProfile(
        {{"DigiSM_Zlacze", "0"}, {"DigiSM_KodyKD", "0"}, {"DigiSM_KodKonc", "999"}});
    Outcome run = device.Krvhost({"export"});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(run.Has("WARN: Eksport tylko do Pliku (digism.exp)")) << run.output;
    EXPECT_TRUE(run.Has("krvhost: export result stored: 8 goods confirmed")) << run.output;

    // Seven records: the six goods for the scale and the delete of code 30.
    std::string plu_file = ReadFile(device.File("digism.exp"));
    ASSERT_EQ(plu_file.size(), 7u * 1002u);
    for (size_t i = 0; i < 7; ++i) EXPECT_EQ(plu_file.substr(i * 1002 + 1000, 2), "\r\n");
    EXPECT_EQ(plu_file.substr(5 * 1002, 9), "100000030") << "the delete record";
    EXPECT_FALSE(std::filesystem::exists(device.File("wagi.ini")));
    EXPECT_FALSE(std::filesystem::exists(device.File("sm_eth.ini")));
    EXPECT_EQ(ResultLines(), GoodsResult());
}

TEST_F(ExportSuccess, TranslationsReachTheOperationWindow) {
    device.WriteProfile({{"DigiSM_Zlacze", "0"}});
    Outcome run = device.Krvhost({"--lang", Programs::LangDir() + "/en.lang", "export"});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(run.Has("WARN: Export to file only (digism.exp)")) << run.output;
    EXPECT_FALSE(run.Has("Eksport tylko do Pliku")) << run.output;
}

TEST_F(ExportSuccess, NothingToSendIsASuccessEvenWithoutTheProgram) {
    // A short-code range that none of the goods falls into.
    std::map<std::string, std::string> params = EthernetParams("127.0.0.1:9");
    params["DigiSM_KodPocz"] = "900";
    params["DigiSM_KodKonc"] = "999";
    device.WriteProfile(params);
    Outcome run = device.Krvhost({"export"});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_TRUE(run.Has("Brak rekordów do wysłania... przerywam...")) << run.output;
    EXPECT_TRUE(run.Has("krvhost: export result stored: 8 goods confirmed")) << run.output;
    EXPECT_FALSE(std::filesystem::exists(device.File("digism.exp")));
    EXPECT_EQ(ResultLines(), GoodsResult());
}

TEST_F(ExportSuccess, ProfileCommandsDriveTheExport) {
    ScaleSim scale;
    ASSERT_TRUE(scale.Start(device.Root() / "scale"));
    device.InstallStandIn();
    device.WriteProfile({});
    // Choices by their text, integers within their limits, the device's own settings.
    for (const auto& [name, value] :
         std::vector<std::pair<std::string, std::string>>{{"DigiSM_Zlacze", "Ethernet"},
                                                          {"digism_adresip", scale.Address()},
                                                          {"DigiSM_KodyKD", "Krótkie (np. 123)"},
                                                          {"DigiSM_KodKonc", "999"},
                                                          {"DigiSM_Timeout", "20"},
                                                          {"vat", "23,8,5,0,-1"}}) {
        Outcome set = device.Krvhost({"set", name, value});
        EXPECT_EQ(set.exit_code, 0) << name << ": " << set.output;
    }
    EXPECT_EQ(device.Krvhost({"set", "DigiSM_Timeout", "2"}).exit_code, 2)
        << "below the lower limit";
    EXPECT_EQ(device.Krvhost({"set", "DigiSM_Zlacze", "Modem"}).exit_code, 2) << "not a choice";
    EXPECT_EQ(device.Krvhost({"set", "NoSuchParameter", "1"}).exit_code, 2);

    Outcome get = device.Krvhost({"get", "DigiSM_KodyKD"});
    EXPECT_EQ(get.output, "0\n");
    EXPECT_EQ(device.Krvhost({"get", "DigiSM_HideDrv"}).output, "0\n")
        << "unset: the catalogue default";

    Outcome run = device.Krvhost({"export"});
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_EQ(scale.Held().size(), GoodsOnScale().size());
}

}  // namespace
}  // namespace krv::test
