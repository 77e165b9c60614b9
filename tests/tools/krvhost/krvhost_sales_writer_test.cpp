// `krvhost sales` against the library's own writer: whatever a register
// driver hands the sales buffer — cash-state lines of any text included —
// the file it writes passes the check.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "sales_file.h"
#include "salesimport/impbuf.h"

namespace krv::test {
namespace {

using krv::host::ParseSalesFile;
using krv::host::SalesFile;

class Gen {
  public:
    explicit Gen(uint32_t seed) : rng_(seed) {}
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Coin() { return Int(0, 1) == 1; }
    double Amount() { return Int(-2000000000, 2000000000) * (Coin() ? 1.0 : 1000.0); }
    // A text from `alphabet`, up to n characters.
    std::string Text(const std::string& alphabet, int n) {
        std::string s;
        for (int i = Int(0, n); i > 0; --i)
            s += alphabet[static_cast<size_t>(Int(0, static_cast<int>(alphabet.size()) - 1))];
        return s;
    }
    // A field that stays one field: no ";" and no line end.
    std::string Field(int n = 12) { return Text(kPlain, n); }
    // Text that a driver may give as cash-state lines: anything, section
    // heads and line ends included.
    std::string CashLine() {
        static const char* const kLines[] = {"[FINANSOWE]",    "[FLAGI]",          "[TOWAROWE]",
                                             "[Paragon nr 4]", "[INNA_OPER]",      "",
                                             "KAS_NUMER;1",    "ZAW;1;;1;1;1;1;x", "RECZNA"};
        if (Int(0, 3) == 0) return kLines[Int(0, 8)];
        std::string any = kPlain + std::string(";[]\r\n\t=\0", 9);
        return Text(any, 40);
    }

  private:
    static inline const std::string kPlain = "abcXYZ019 -_.,:/\xb9\xea\xa3\x9c";  // ą ę Ł ś
    std::mt19937 rng_;
};

void Fill(KSImpBuf& buf, Gen& g) {
    buf.SetDataSprzedazy(TdtTools::EncodeDate(2026, 1 + g.Int(0, 11), 1 + g.Int(0, 27)));
    buf.flags = {g.Coin(), g.Coin(), g.Coin(), g.Coin(), g.Coin(), g.Coin(), g.Coin(), false, true};
    for (int i = g.Int(0, 5); i > 0; --i)
        buf.AddToPlu(std::to_string(g.Int(1, 99999)), g.Int(-5000, 5000), g.Amount(),
                     g.Coin() ? id_number : id_barcode);
    for (int i = g.Int(0, 3); i > 0; --i)
        buf.AddVat(g.Int(0, 9), g.Amount(), g.Amount(), g.Amount());
    for (int i = g.Int(0, 3); i > 0; --i)
        buf.AddParameter(g.Field(), g.Field() + (g.Coin() ? ";" + g.Field() : ""));
    for (int i = g.Int(0, 4); i > 0; --i)
        buf.AddGodzinowy(g.Int(0, 23), g.Amount(), g.Int(0, 99), g.Int(0, 999));
    for (int i = g.Int(0, 2); i > 0; --i)
        buf.Wymiany() += KSWymiana(g.Field(4), g.Int(1, 9999), g.Int(-99999, 99999));
    buf.AddWplata(g.Amount());
    buf.AddKarty(g.Amount());
    buf.totals.koszyki = g.Int(0, 999);
    if (g.Coin()) {
        for (int i = g.Int(0, 8); i > 0; --i) buf.AddLinieStanuKasy(g.CashLine());
    } else {
        buf.kasa.zbuduj = true;
        buf.kasa.numer = g.Int(0, 9);
        buf.Kas_SetNazwisko(g.CashLine());
        buf.kasa.stanKasy = g.Amount();
        buf.Kas_AddWaluta(g.CashLine(), g.Int(0, 999), g.Amount(), g.Amount());
    }
    for (int i = g.Int(0, 3); i > 0; --i) {
        auto r = std::make_unique<KRVParagon>();
        r->raportKasowy = g.Coin();
        r->nrParagonu = g.Int(0, 99999);
        r->numer1 = g.Int(-1, 9);
        r->tekst = g.Field() + (g.Coin() ? ";" + g.Field() : "");  // ";" may stand in the text
        for (int p = g.Int(0, 3); p > 0; --p) {
            auto* pos = new KRVPosition;
            pos->nrTowaru = g.Coin() ? g.Int(1, 9999) : -1;
            if (pos->nrTowaru == -1) pos->kod = std::to_string(g.Int(1, 999999));
            pos->ilosc = g.Int(-9999, 9999);
            pos->wartosc = g.Int(-999999, 999999);
            *r + pos;
        }
        for (int p = g.Int(0, 2); p > 0; --p) {
            auto* pay = new KRVPayment;
            pay->typ = g.Int(0, 4);
            pay->kwota = g.Int(-99999, 99999);
            pay->tekst = g.Field();
            if (g.Coin()) pay->rozszerzenie = g.Int(0, 9);
            *r + pay;
        }
        buf.AddReceipt(std::move(r));
    }
    for (int i = g.Int(0, 2); i > 0; --i) {
        auto o = std::make_unique<KRVOther>();
        o->typ = g.Int(0, 7);
        o->tekst1 = g.Field();
        o->tekst2 = g.Field();
        if (g.Coin()) {
            auto* pay = new KRVPayment;
            pay->kwota = g.Int(0, 99999);
            o->Add(pay);
        }
        buf.AddOther(std::move(o));
    }
}

TEST(KrvhostSalesWriter, EveryFileTheLibraryWritesPassesTheCheck) {
    const std::filesystem::path path =
        std::filesystem::path(::testing::TempDir()) / "krvhost_sales_writer.imp";
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        Gen g(seed);
        KSImpBuf buf;
        Fill(buf, g);
        const int receipts = buf.GetReceiptCount(), others = buf.GetOtherCount();
        buf.Save(path.string(), g.Coin());
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const SalesFile f = ParseSalesFile(text.str());
        ASSERT_TRUE(f.problems.empty()) << "seed " << seed << ", line " << f.problems[0].line
                                        << ": " << f.problems[0].what << "\n"
                                        << text.str();
        EXPECT_EQ(f.receipts.size(), static_cast<size_t>(receipts)) << seed;
        EXPECT_EQ(f.others.size(), static_cast<size_t>(others)) << seed;
        EXPECT_EQ(f.flags.size(), 6u) << seed;
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace krv::test
