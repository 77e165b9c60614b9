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
        "ZAW;1;;1000;250;-1;8;2026-12-07 10:00:00\n";   // 23: no receipt to belong to
    const SalesFile f = ParseSalesFile(text);
    std::vector<int> lines;
    for (const SalesProblem& p : f.problems) lines.push_back(p.line);
    // Receipt 7 counts 2 positions but has 1: reported at its [Paragon] line (16).
    EXPECT_EQ(lines, (std::vector<int>{3, 4, 9, 11, 14, 22, 23, 16}));
    ASSERT_EQ(f.goods.size(), 2u);
    EXPECT_EQ(f.goods[1].number, "3");
    EXPECT_EQ(f.Finance("FPLATN_KARTA").value_or(-1), 5000);
    ASSERT_EQ(f.receipts.size(), 1u);
    EXPECT_EQ(f.receipts[0].text, "a;b;c");
    EXPECT_EQ(f.receipts[0].opt3, "");

    const std::string path = ::testing::TempDir() + "krvhost_sales_broken.imp";
    std::ofstream(path, std::ios::binary) << text;
    std::ostringstream out, err;
    EXPECT_EQ(RunSales(path, out, err), 1);
    EXPECT_NE(err.str().find(path + ":3: malformed line: PLU;2;;x;100"), std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find(path + ":11: unknown section [NOWA_SEKCJA]"), std::string::npos);
    EXPECT_NE(out.str().find("8 problems found"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Goods sold (2 lines)"), std::string::npos);
    std::remove(path.c_str());

    std::ostringstream none, noneErr;
    EXPECT_EQ(RunSales(path + ".missing", none, noneErr), 2);
    EXPECT_NE(noneErr.str().find("cannot read"), std::string::npos);
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
