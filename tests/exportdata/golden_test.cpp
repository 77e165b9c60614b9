// A Windows-1250 goods file with Polish names goes through reading, a walk
// over every row and result writing; the buffer's contents, the result file
// and the archive must match the checked-in files byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>

#include "exportdata/expbuf.h"
#include "exportdata/test_files.h"
#include "fakes/test_library.h"

namespace krv::test {
namespace {

const std::string kGolden = std::string(TARVISCO_TEST_DATA_DIR) + "/exportdata/golden/";

// Every table, list and counter of the buffer as text.
std::string Dump(KSExpBuf& buf) {
    std::string out;
    auto table = [&out](const char* name, TMDataSet& t) {
        out += std::string("[") + name + "]\r\n";
        for (int r = 0; r < t.GetCount(); ++r) {
            for (int f = 0; f < t.GetFields().GetCount(); ++f) {
                TMField* field = t.GetFields().GetFields(f);
                out += (f ? "|" : "") + field->GetName() + "=" +
                       field->GetAsStringAt(static_cast<size_t>(r));
            }
            out += "\r\n";
        }
    };
    auto list = [&out](const char* name, const std::vector<std::string>& l) {
        out += std::string("[") + name + "]\r\n";
        for (const auto& s : l) out += s + "\r\n";
    };
    table("towary", buf.Towary());
    table("kontrahenci", buf.Kontrahenci());
    table("asortyment", buf.Asortymenty());
    list("vat", buf.StawkiVat());
    list("vat_prec", buf.StawkiVatPrec());
    list("jednostki", buf.Jednostki());
    out += "[kasjerzy]\r\n";
    for (int i = 0; i < buf.GetKasjerCount(); ++i) out += buf.GetKasjerText(i) + "\r\n";
    out += "[waluty]\r\n";
    for (int i = 0; i < buf.GetWalutaCount(); ++i) out += buf.GetWalutaText(i) + "\r\n";
    out += "[liczniki]\r\n";
    out += "towary=" + std::to_string(buf.GetGoodsCount());
    for (int s = 0; s < 4; ++s)
        out += " " + std::string(StatusWord(s)) + "=" + std::to_string(buf.GetStatusCount(s));
    out += " opakowania=" + std::to_string(buf.GetPackageCount()) +
           " kontrahenci=" + std::to_string(buf.GetPartnerCount()) +
           " euro=" + std::to_string(buf.GetEuroRate()) + "\r\n";
    return out;
}

void ExpectSameFile(const std::string& actual, const std::string& expectedFile) {
    std::string expected = ReadAll(kGolden + expectedFile);
    // TARVISCO_WRITE_GOLDEN=dir writes what differs there, for review.
    if (actual != expected && std::getenv("TARVISCO_WRITE_GOLDEN"))
        WriteAll(std::string(std::getenv("TARVISCO_WRITE_GOLDEN")) + "/" + expectedFile, actual);
    ASSERT_FALSE(expected.empty()) << expectedFile;
    EXPECT_TRUE(actual == expected) << expectedFile << " differs; actual:\n" << actual;
}

TEST(GoldenTest, Windows1250GoodsFileToResult) {
    TempDir d;
    WriteAll(d / "kasa.exp", ReadAll(kGolden + "kasa.exp"));
    TestLibrary t;
    auto action = t.Action();
    KSExpBuf buf(action.get());
    buf.ReadFromFile(d / "kasa.exp", false, -1);

    // The device action's walk: read every row, mark it transferred.
    KSTowRec r;
    for (int i = 0; i < buf.Towary().GetCount(); ++i) {
        buf.CzytajRec(i, &r);
        r.plu_rec = "rec" + std::to_string(i);
        buf.ZapiszRec(i, &r);
    }
    buf.ResetTrOk(true);
    buf.ZapiszWynikEksp(d / "wynik.exp");

    ExpectSameFile(Dump(buf), "buffer.txt");
    ExpectSameFile(ReadAll(d / "wynik.exp"), "wynik.exp");
    // The archive apart from its date.
    std::string archive = std::regex_replace(
        ReadAll(d / "ARCH2.EXP"), std::regex("DNIA: \\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\]"),
        "DNIA: YYYY-MM-DD hh:mm:ss]");
    ExpectSameFile(archive, "ARCH2.EXP");
    EXPECT_EQ(ReadAll(d / "kasa.exp"), ReadAll(kGolden + "kasa.exp"));  // the source untouched
}

}  // namespace
}  // namespace krv::test
