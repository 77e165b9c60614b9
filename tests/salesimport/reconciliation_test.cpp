// A day of 500 random receipts goes through AddReceipt into the totals and
// out into the sales import file; a reader written here from the file's
// layout alone reads it back, and every total must reconcile with the
// receipts it came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "exportdata/test_files.h"
#include "salesimport/impbuf.h"

namespace krv::test {
namespace {

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> out(1);
    for (char c : line) {
        if (c == ';')
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

// What the file says, read by its layout.
struct ReadBack {
    std::map<std::pair<int, std::string>, std::pair<long long, long long>> goods;  // (column, code)
    std::map<std::string, long long> finance;
    long long hourBaskets = 0, hourLines = 0, hourValue = 0;
    std::vector<long long> receiptNumbers;
    std::map<long long, std::pair<long long, long long>> headerCounts;  // positions, payments
    std::map<long long, std::pair<long long, long long>> linesFollowing;
    int crlfLines = 0, lfLines = 0;
};

ReadBack Read(const std::string& text) {
    ReadBack r;
    std::string section;
    long long receipt = -1;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        EXPECT_NE(end, std::string::npos) << "the file must end with a line end";
        if (end == std::string::npos) break;
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            ++r.crlfLines;
        } else {
            ++r.lfLines;
        }
        if (line.empty()) continue;
        if (line[0] == '[') {
            section = line;
            if (line.rfind("[Paragon nr ", 0) == 0) {
                receipt = std::stoll(line.substr(12));
                r.receiptNumbers.push_back(receipt);
            }
            continue;
        }
        const auto f = Fields(line);
        if (section == "[TOWAROWE]") {
            EXPECT_EQ(f.size(), 5u) << line;
            const int column = f[1].empty() ? 2 : 1;
            auto& g = r.goods[{column, column == 1 ? f[1] : f[2]}];
            g.first += std::stoll(f[3]);
            g.second += std::stoll(f[4]);
        } else if (section == "[RAPORT_GODZINOWY]") {
            r.hourValue += std::stoll(f[2]);
            r.hourBaskets += std::stoll(f[3]);
            r.hourLines += std::stoll(f[4]);
        } else if (section == "[FINANSOWE]") {
            if (f[0] != "VAT") r.finance[f[0]] = std::stoll(f[1]);
        } else if (section.rfind("[Paragon nr ", 0) == 0) {
            if (f[0] == "TRN" || f[0] == "KSK") {
                EXPECT_EQ(std::stoll(f[2]), receipt);
                r.headerCounts[receipt] = {std::stoll(f[3]), std::stoll(f[4])};
            } else if (f[0] == "ZAW") {
                ++r.linesFollowing[receipt].first;
            } else if (f[0] == "PMT") {
                ++r.linesFollowing[receipt].second;
            } else {
                ADD_FAILURE() << "unexpected receipt line " << line;
            }
        }
    }
    return r;
}

TEST(SalesReconciliation, FiveHundredRandomReceipts) {
    std::mt19937 random(20261208);
    auto pick = [&random](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };

    KSImpBuf buf;
    buf.flags.przetwarzajParagony = true;
    buf.flags.zapisujParagony = true;
    std::map<std::pair<int, std::string>, std::pair<long long, long long>> goods;
    std::map<int, long long> paid;  // type -> amount counted
    long long positions = 0, payments = 0, value = 0, discounts = 0;
    const double day = TdtTools::EncodeDate(2026, 12, 7);
    for (int n = 1; n <= 500; ++n) {
        auto receipt = std::make_unique<KRVParagon>();
        receipt->raportKasowy = false;
        receipt->rabat = pick(-500, 500);
        discounts += std::abs(receipt->rabat);
        const double time = day + TdtTools::EncodeTime(pick(6, 22), pick(0, 59), 0, 0);
        const int count = pick(1, 12);
        for (int i = 0; i < count; ++i) {
            auto* p = new KRVPosition;
            const bool byBarcode = pick(0, 1) == 1;
            const std::string code = std::to_string(pick(1, 60));
            if (byBarcode)
                p->kod = "59" + code;
            else
                p->nrTowaru = std::stoi(code);
            p->ilosc = pick(1, 5000);
            p->wartosc = pick(1, 100000);
            p->nrParagonu = n;
            p->czas = time;
            auto& g = goods[{byBarcode ? 2 : 1, byBarcode ? "59" + code : code}];
            g.first += p->ilosc;
            g.second += p->wartosc;
            value += p->wartosc;
            *receipt + p;
        }
        positions += count;
        for (int i = pick(1, 3); i > 0; --i) {
            auto* p = new KRVPayment;
            p->typ = pick(0, 5);
            p->kwota = pick(-1000, 1000000);
            p->mnoznik = pick(0, 3) == 0 ? pick(1, 500) : 100;
            paid[p->typ] += p->kwota * p->mnoznik / 100;
            ++payments;
            *receipt + p;
        }
        buf.AddReceipt(std::move(receipt));
    }

    TempDir dir;
    buf.Save(dir / "sprzedaz.imp", false);
    const ReadBack r = Read(ReadAll(dir / "sprzedaz.imp"));

    EXPECT_EQ(r.goods, goods);
    EXPECT_EQ(r.finance.at("FPLATN_BON"), paid[1]);
    EXPECT_EQ(r.finance.at("FPLATN_CZEK"), paid[2]);
    EXPECT_EQ(r.finance.at("FPLATN_KARTA"), paid[3]);
    EXPECT_EQ(r.finance.at("FPLATN_INNE"), paid[4]);
    EXPECT_EQ(r.finance.at("RABATY"), discounts);
    EXPECT_EQ(r.hourBaskets, 500);
    EXPECT_EQ(r.hourLines, positions);
    EXPECT_EQ(r.hourValue, value);

    ASSERT_EQ(r.receiptNumbers.size(), 500u);
    EXPECT_EQ(std::set<long long>(r.receiptNumbers.begin(), r.receiptNumbers.end()).size(), 500u);
    EXPECT_EQ(*std::min_element(r.receiptNumbers.begin(), r.receiptNumbers.end()), 1);
    EXPECT_EQ(*std::max_element(r.receiptNumbers.begin(), r.receiptNumbers.end()), 500);
    EXPECT_EQ(r.headerCounts, r.linesFollowing);
    // Receipt positions and payments end with LF, everything else with CR LF.
    EXPECT_EQ(r.lfLines, positions + payments);
    EXPECT_GT(r.crlfLines, 1500);
}

}  // namespace
}  // namespace krv::test
