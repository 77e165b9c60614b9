// `krvhost sales`: the summary of the golden sales import file, both line
// ends, and files with broken lines that are reported and read on.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "files.h"
#include "sales_file.h"
#include "text.h"

namespace krv::test {
namespace {

using namespace krv::host;

const std::string kGolden = std::string(SALES_DATA_DIR) + "/golden/";

std::string Slurp(const std::string& path) {
    std::optional<std::string> text = tools::ReadWholeNativeFile(path);
    EXPECT_TRUE(text) << path;
    return text.value_or("");
}

std::string Summary(const std::string& text) {
    std::ostringstream out;
    PrintSalesSummary(ParseSalesFile(text), out);
    return out.str();
}

TEST(KrvhostSales, SummaryOfTheGoldenFile) {
    const std::string file = Slurp(kGolden + "sprzedaz.imp");
    const SalesFile f = ParseSalesFile(file);
    EXPECT_TRUE(f.problems.empty()) << f.problems.front().line << ": " << f.problems.front().what;
    EXPECT_EQ(f.receipts.size(), 3u);
    EXPECT_EQ(f.others.size(), 7u);

    const std::string actual = Summary(file);
    const std::string expected = Slurp(kGolden + "summary.txt");
    if (actual != expected && std::getenv("TARVISCO_WRITE_GOLDEN"))
        std::ofstream(std::string(std::getenv("TARVISCO_WRITE_GOLDEN")) + "/summary.txt",
                      std::ios::binary)
            << actual;
    EXPECT_EQ(actual, expected);

    // Every line end turned into LF alone, or into CR LF: the same summary.
    std::string lf, crlf;
    for (char c : file)
        if (c != '\r') lf += c;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    EXPECT_EQ(Summary(lf), expected);
    EXPECT_EQ(Summary(crlf), expected);

    std::ostringstream out, err;
    EXPECT_EQ(RunSales(kGolden + "sprzedaz.imp", out, err), 0);
    EXPECT_EQ(err.str(), "");
    EXPECT_NE(out.str().find(expected), std::string::npos);
}

TEST(KrvhostSales, BrokenLinesAreReportedAndTheRestIsRead) {
    const std::string text =
        "[TOWAROWE]\r\n"
        "PLU;1;;1000;250\r\n"
        "PLU;2;;x;100\r\n"    // 3: not a number
        "PLU;;;1000;100\r\n"  // 4: no code at all
        "PLU;3;;2000;500\r\n"
        "\r\n[FINANSOWE]\r\n"
        "VAT;1;100;23;123\r\n"
        "NIEZNANE;5\r\n"  // 9: unknown key
        "FPLATN_KARTA;5000\r\n"
        "[NOWA_SEKCJA]\r\n"  // 11: unknown section
        "\r\n[FLAGI]\r\n"
        "FISK_Z_PLU;X\r\n"  // 14: neither T nor N
        "\r\n[Paragon nr 7]\r\n"
        "TRN;1;7;2;1;;;a;b;c;;2026-12-07 10:00:00;0;-1\r\n"  // text with ";" inside
        "ZAW;1;;1000;250;-1;7;2026-12-07 10:00:00\n"
        "PMT;3;250;100;-1;-1;-1;1;0;;2026-12-07 10:00:00\n"
        "\r\n[Paragon nr 8]\r\n"
        "TRN;1;9;0;0;;;;;2026-12-07 10:00:00;0;-1\r\n"  // 22: names receipt 9
        "ZAW;1;;1000;250;-1;8;2026-12-07 10:00:00\n";   // 23: read as receipt 8's
    const SalesFile f = ParseSalesFile(text);
    std::vector<int> lines;
    for (const SalesProblem& p : f.problems) lines.push_back(p.line);
    // After the end (24): [FINANSOWE] and [FLAGI] lack keys. Receipt 7 counts
    // 2 positions but has 1, receipt 8 none but has 1: reported at their
    // [Paragon] lines (16, 21).
    EXPECT_EQ(lines, (std::vector<int>{3, 4, 9, 11, 14, 22, 24, 24, 16, 21}));
    ASSERT_EQ(f.goods.size(), 2u);
    EXPECT_EQ(f.goods[1].number, "3");
    EXPECT_EQ(f.Finance("FPLATN_KARTA").value_or(-1), 5000);
    ASSERT_EQ(f.receipts.size(), 2u);
    EXPECT_EQ(f.receipts[0].text, "a;b;c");
    EXPECT_EQ(f.receipts[0].opt3, "");

    const std::string path = ::testing::TempDir() + "krvhost_sales_broken.imp";
    std::ofstream(path, std::ios::binary) << text;
    std::ostringstream out, err;
    EXPECT_EQ(RunSales(path, out, err), 1);
    EXPECT_NE(err.str().find(path + ":3: malformed line: PLU;2;;x;100"), std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(path + ":11: unknown section [NOWA_SEKCJA]"), std::string::npos);
    EXPECT_NE(out.str().find("10 problems found"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Goods sold (2 lines)"), std::string::npos);
    std::remove(path.c_str());

    std::ostringstream none, noneErr;
    EXPECT_EQ(RunSales(path + ".missing", none, noneErr), 2);
    EXPECT_NE(noneErr.str().find("cannot read"), std::string::npos);
}

// A file as the writer makes it, with `receipts` after [FLAGI].
std::string Whole(const std::string& receipts = "", const std::string& cash = "") {
    std::string finance;
    for (const char* key :
         {"WPLATY", "WYPLATY", "RABATY", "ZWROT_OPAKOWAN", "SPRZEDAZ_OPAKOWAN", "FPLATN_BON",
          "FPLATN_CZEK", "FPLATN_KARTA", "FPLATN_INNE", "IL_KOSZYKOW", "IL_LINII_PAR"})
        finance += std::string(key) + ";0\r\n";
    return "[TOWAROWE]\r\nPLU;1;;1000;250\r\n\r\n[OPERACJE]\r\n\r\n[RAPORT_GODZINOWY]\r\n"
           "\r\n[RAPORT_WALUTOWY]\r\n\r\n[FINANSOWE]\r\n" +
           finance + (cash.empty() ? "" : "\r\n[STAN_KASY]\r\n" + cash + "\r\n") +
           "\r\n[FLAGI]\r\nDATA_SPRZEDAZY;2026-12-07\r\nFISK_Z_PLU;N\r\nNADPISZ_FISK;N\r\n"
           "NADPISZ_OPAK;N\r\nPODSUMUJ_OPAK;N\r\nNADPISZ_PLU;N\r\nDOKLEJ_PLU;N\r\n" +
           receipts;
}

TEST(KrvhostSales, WholeFilesPassAndEachFaultIsReportedOnce) {
    const std::string whole = Whole();
    const std::string zaw = "ZAW;1;;1000;250;-1;8;2026-12-07 10:00:00\n";
    const std::string pmt = "PMT;0;250;100;-1;-1;-1;1;0;;2026-12-07 10:00:00\n";
    const struct {
        const char* name;
        std::string text;
        std::string problem;  // the first problem expected, "" for none
        size_t count = 1;     // problems expected in all
    } cases[] = {
        {"whole", whole, ""},
        {"cash state of any text",
         Whole("", "KAS_NUMER;1\r\nRECZNA\r\n[FINANSOWE]\r\n[FLAGI]\r\n;;"), ""},
        {"receipt", Whole("\r\n[Paragon nr 8]\r\nTRN;1;8;1;1;;;;;d;0;-1\r\n" + zaw + pmt), ""},
        {"empty", "", "the file is empty"},
        {"cut before [FLAGI]", whole.substr(0, whole.find("\r\n[FLAGI]")), "no [FLAGI] section"},
        {"cut inside [FINANSOWE]", whole.substr(0, whole.find("RABATY")),
         "lacks RABATY, ZWROT_OPAKOWAN", 2},  // and no [FLAGI]
        {"header of another receipt",
         Whole("\r\n[Paragon nr 8]\r\nTRN;1;9;1;1;;;;;d;0;-1\r\n" + zaw + pmt),
         "header names receipt 9, its [Paragon nr 8]"},
        {"positions under a register report",
         Whole("\r\n[Paragon nr 8]\r\nKSK;1;8;1;1;;;;;d;0;-1\r\n" + zaw + pmt),
         "register report (KSK), which has no positions, yet 1"},
        {"section twice", whole + "\r\n[TOWAROWE]\r\n", "[TOWAROWE] appears again"},
        {"total twice", std::string(whole).insert(whole.find("RABATY"), "RABATY;5\r\n"),
         "RABATY appears again in [FINANSOWE]"},
        {"flag twice", whole + "NADPISZ_PLU;T\r\n", "NADPISZ_PLU appears again in [FLAGI]"},
    };
    for (const auto& c : cases) {
        const SalesFile f = ParseSalesFile(c.text);
        std::string all;
        for (const SalesProblem& p : f.problems)
            all += std::to_string(p.line) + ": " + p.what + "\n";
        if (c.problem.empty()) {
            EXPECT_TRUE(f.problems.empty()) << c.name << "\n" << all;
            continue;
        }
        EXPECT_EQ(f.problems.size(), c.count) << c.name << "\n" << all;
        EXPECT_NE(all.find(c.problem), std::string::npos) << c.name << "\n" << all;
    }
    // The cash-state lines are kept as written.
    const SalesFile cash = ParseSalesFile(cases[1].text);
    ASSERT_EQ(cash.cashState.size(), 5u);
    EXPECT_EQ(cash.cashState[1], (std::pair<std::string, std::string>{"RECZNA", ""}));
    EXPECT_EQ(cash.cashState[3].first, "[FLAGI]");

    // An incomplete file fails the check.
    const std::string path = ::testing::TempDir() + "krvhost_sales_empty.imp";
    std::ofstream(path, std::ios::binary) << "";
    std::ostringstream out, err;
    EXPECT_EQ(RunSales(path, out, err), 1);
    EXPECT_NE(err.str().find("empty"), std::string::npos) << err.str();
    std::remove(path.c_str());
}

TEST(KrvhostSales, AmountsInZloty) {
    EXPECT_EQ(Zloty(0), "0.00");
    EXPECT_EQ(Zloty(5), "0.05");
    EXPECT_EQ(Zloty(-5), "-0.05");
    EXPECT_EQ(Zloty(123456), "1234.56");
    EXPECT_EQ(Zloty(-9223372036854775807.0L), "-92233720368547758.07");
    SalesPayment p;
    p.amount = -1999;
    p.multiplier = 430;
    EXPECT_EQ(Zloty(p.Counted()), "-85.95");
}

}  // namespace
}  // namespace krv::test
