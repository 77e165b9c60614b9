// Golden files: one goods file with Polish names (Windows-1250), every status
// and both description modes, exported and compared byte for byte with the
// checked-in digism.exp, wagi.ini, sm_eth.ini and wynik.exp, and the barcode
// field of every barcode format. KRV_UPDATE_GOLDEN=1 rewrites the files.
#include "scale/scale_fixture.h"

namespace krv::test {
namespace {

const fs::path kGolden = fs::path(TARVISCO_TEST_DATA_DIR) / "scale" / "golden";

class Golden : public ScaleTest {
  protected:
    void SetUp() override {
        ScaleTest::SetUp();
        fs::copy_file(kGolden / "kasa.exp", File("kasa.exp"));
    }
    // Compares a produced file with its golden copy (the exchange directory
    // written as {KATALOG}).
    void Compare(const std::string& produced, const std::string& golden) {
        std::string actual = ReadFile(File(produced));
        for (size_t at; (at = actual.find(lib.host.exchangeDir)) != std::string::npos;)
            actual.replace(at, lib.host.exchangeDir.size(), "{KATALOG}");
        CompareText(actual, golden);
    }
    void CompareText(const std::string& actual, const std::string& golden) {
        if (std::getenv("KRV_UPDATE_GOLDEN")) WriteFile(kGolden / golden, actual);
        std::string expected = ReadFile(kGolden / golden);
        ASSERT_EQ(actual.size(), expected.size()) << golden;
        for (size_t i = 0; i < actual.size(); ++i)
            ASSERT_EQ(actual[i], expected[i])
                << golden << " differs at byte " << i << " (line " << i / 1002 + 1 << ", position "
                << i % 1002 + 1 << ")";
    }
    void ExportOk() {
        Export();
        ASSERT_TRUE(Errors().empty()) << AllMessages();
    }
};

TEST_F(Golden, NameLinesAndTheProgramFiles) {
    Param("DigiSMNazwa", W("Waga Łódź 1"));
    Param("DigiSM_DataSprzed", "1");
    Param("DigiSM_DataWazn", "1");
    Param("DigiSM_DataPakow", "1");
    Param("DigiSM_GodzinaPakow", "1");
    Param("DigiSM_EksportujOpisy", "1");
    InstallFake("ok");
    ExportOk();
    Compare("digism.exp", "nazwy_digism.exp");
    Compare("wagi.ini", "wagi.ini");
    Compare("sm_eth.ini", "sm_eth.ini");
    Compare("wynik.exp", "wynik.exp");
}

TEST_F(Golden, IngredientLines) {
    Param("DigiSM_Zlacze", "0");
    Param("DigiSM_SkadPlu", "1");
    Param("DigiSM_FormatKodu", "13");  // format 14
    Param("DigiSM_FormatEtyk", "0");
    Param("DigiSM_RozmiarCzcionki", "0");
    Param("DigiSM_RozmiarCzcionkiOpis", "9");
    Param("DigiSM_PrzedrWagowy", "2");
    Param("DigiSM_DescriptionMode", "1");
    Param("DigiSMDesc1", "1");
    Param("DigiSMDesc2", "1");
    Param("DigiSMDesc3", "0");
    Param("DigiSMDesc4", "1");
    Param("PoziomCen", "1");
    ExportOk();
    Compare("digism.exp", "skladniki_digism.exp");
    Compare("wynik.exp", "wynik.exp");
}

TEST_F(Golden, BarcodeOfEveryFormat) {
    Param("DigiSM_Zlacze", "0");
    std::string table;
    for (int index = 0; index <= 20; ++index) {
        Param("DigiSM_FormatKodu", std::to_string(index));
        fs::remove(File("digism.exp"));
        Export();
        table += "format " + std::to_string(index + 1) + ":";
        if (!Errors().empty()) {
            table += " -\n";
            continue;
        }
        std::string plu = ReadFile(File("digism.exp"));
        for (size_t at = 0; at + 1002 <= plu.size(); at += 1002)
            table += " " + plu.substr(at + 1, 8) + "=" + plu.substr(at + 140, 16);
        table += "\n";
    }
    CompareText(table, "kody.txt");
}

}  // namespace
}  // namespace krv::test
