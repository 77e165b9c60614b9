// Receipts and other operations: their lines, the hooks in order, the header
// that is cut only in its free text, the pauses of long receipts, and the
// counted payment amount.
#include "salesimport/paragon.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "exportdata/test_files.h"
#include "fakes/manual_clock.h"
#include "salesimport/other_operation.h"
#include "support/mfile.h"
#include "support/tdttools.h"

namespace krv::test {
namespace {

const double kNoon = TdtTools::EncodeDate(2026, 12, 8) + TdtTools::EncodeTime(12, 30, 5, 0);

// The bytes a receipt writes, and the pauses it asked for (on a manual
// clock: nothing waits).
std::string Written(KRVParagon& receipt, std::vector<int32_t>* pauses = nullptr) {
    TempDir dir;
    TMFile file;
    file.SetPath(dir / "r.imp");
    file.Open();
    ManualClock clock;
    {
        platform::ScopedClock use(clock);
        receipt.WriteTo(file);
    }
    if (pauses) *pauses = clock.Sleeps();
    file.Close();
    return ReadAll(dir / "r.imp");
}

KRVPosition* Pos(int32_t number, const std::string& barcode, int64_t value) {
    auto* p = new KRVPosition;
    p->nrTowaru = number;
    p->kod = barcode;
    p->ilosc = 1000;
    p->wartosc = value;
    p->nrParagonu = 17;
    p->czas = kNoon;
    return p;
}

TEST(ReceiptItems, PositionAndPaymentLines) {
    std::unique_ptr<KRVPosition> p(Pos(-1, "5901234123457", 499));
    EXPECT_EQ(p->ToString(), "ZAW;;5901234123457;1000;499;-1;17;2026-12-08 12:30:05\n");
    p->nrTowaru = 12;
    p->wartosc = -9000000000LL;  // beyond 32 bits: a void of a large amount
    EXPECT_EQ(p->ToString(), "ZAW;12;5901234123457;1000;-9000000000;-1;17;2026-12-08 12:30:05\n");

    KRVPayment pay;
    pay.typ = KRVPayment::kCard;
    pay.kwota = 1250;
    pay.mnoznik = 100;
    pay.tekst = "Visa";
    pay.data = kNoon;
    EXPECT_EQ(pay.ToString(), "PMT;3;1250;100;-1;-1;-1;0;0;Visa;2026-12-08 12:30:05\n");
    pay.rozszerzenie = 0;
    pay.tekstRozszerzenia = "EUR";
    EXPECT_EQ(pay.ToString(),
              "PMT;3;1250;100;-1;-1;-1;0;0;Visa;2026-12-08 12:30:05;0;EUR;10000;0\n");
}

TEST(ReceiptItems, CountedAmountIsExactAndNeverOverflows) {
    KRVPayment p;
    p.kwota = 1999;
    p.mnoznik = 430;  // 85.957 truncated
    EXPECT_EQ(p.KwotaLiczona(), 8595);
    p.kwota = -1999;  // truncated toward zero, not down
    EXPECT_EQ(p.KwotaLiczona(), -8595);
    // 2^62 × 1000 does not fit in 64 bits; the product must not wrap.
    p.kwota = int64_t{1} << 62;
    p.mnoznik = 1000;
    EXPECT_DOUBLE_EQ(p.KwotaLiczona(), 4611686018427387904.0 * 10);
    p.kwota = INT64_MIN;
    p.mnoznik = INT32_MIN;
    EXPECT_GT(p.KwotaLiczona(), 0);
}

// Records the order in which the hooks run.
class TracingReceipt : public KRVParagon {
  public:
    std::string trace;
    void ProcessFirstPosition(KRVPosition& p) override {
        trace += "firstPos ";
        KRVParagon::ProcessFirstPosition(p);
    }
    void ProcessFirstPayment(KRVPayment&) override { trace += "firstPay "; }
    void ProcessEachPosition(KRVPosition&) override { trace += "pos "; }
    void ProcessEachPayment(KRVPayment&) override { trace += "pay "; }
};

TEST(Receipt, HooksRunInOrderAndTheFirstPositionNamesTheReceipt) {
    TracingReceipt r;
    r + Pos(1, "", 100);
    auto* second = Pos(2, "", 200);
    second->nrParagonu = 99;
    second->czas = kNoon + 1;
    r + second;
    r + new KRVPayment + new KRVPayment;
    EXPECT_EQ(r.trace, "pos firstPos pos pay firstPay pay ");
    EXPECT_EQ(r.nrParagonu, 17);
    EXPECT_EQ(r.data, kNoon);
    EXPECT_EQ(r.GetnPosCount(), 2);
    EXPECT_EQ(r.GetPozycje(1)->nrTowaru, 2);

    // A receipt that has its own number and date keeps them.
    KRVParagon own;
    own.nrParagonu = 5;
    own.data = kNoon - 1;
    own + Pos(1, "", 100);
    EXPECT_EQ(own.nrParagonu, 5);
    EXPECT_EQ(own.data, kNoon - 1);
}

TEST(Receipt, EmptyRegisterReport) {
    KRVParagon r;
    EXPECT_EQ(Written(r), "\r\n[Paragon nr -1]\r\nKSK;-1;-1;0;0;;;;;1899-12-30 00:00:00;0;-1\r\n");
}

TEST(Receipt, SaleWritesPositionsAndMarksOnlyTheLastPayment) {
    KRVParagon r;
    r.raportKasowy = false;
    r.numer1 = 3;
    r.opcja1 = 4;
    r.opcja3 = 0;
    r.tekst = "Jan";
    r.rabat = 50;
    r.numerOstatni = 9;
    r + Pos(12, "", 100) + Pos(-1, "0042", 250);
    for (int i = 1; i <= 3; ++i) {
        auto* p = new KRVPayment;
        p->typ = i;
        p->kwota = 100 * i;
        r + p;
    }
    const std::string out = Written(r);
    EXPECT_EQ(out,
              "\r\n[Paragon nr 17]\r\n"
              "TRN;3;17;2;3;4;;Jan;0;2026-12-08 12:30:05;50;9\r\n"
              "ZAW;12;;1000;100;-1;17;2026-12-08 12:30:05\n"
              "ZAW;;0042;1000;250;-1;17;2026-12-08 12:30:05\n"
              "PMT;1;100;1;-1;-1;-1;0;0;;1899-12-30 00:00:00\n"
              "PMT;2;200;1;-1;-1;-1;0;0;;1899-12-30 00:00:00\n"
              "PMT;3;300;1;-1;-1;-1;1;0;;1899-12-30 00:00:00\n");

    // A register report counts its positions but does not list them.
    r.raportKasowy = true;
    EXPECT_EQ(Written(r).find("ZAW;"), std::string::npos);
}

TEST(Receipt, LongTextIsCutSoThatTheHeaderLineStaysWhole) {
    KRVParagon r;
    r.nrParagonu = 123456;
    r.numerOstatni = 77;
    r.tekst = std::string(400, 'a');
    const std::string header = r.HeaderText();
    ASSERT_EQ(header.size(), KRVParagon::kMaxHeader);
    // Every field after the text and the line end are still there.
    const std::string tail = "aaa;;1899-12-30 00:00:00;0;77\r\n";
    EXPECT_EQ(header.substr(header.size() - tail.size()), tail);
    EXPECT_EQ(header.rfind("\r\nKSK;-1;123456;0;0;;;aaa", 30), 21u);

    // A header that fits is not touched.
    r.tekst = std::string(100, 'b');
    EXPECT_EQ(r.HeaderText(), "\r\n[Paragon nr 123456]\r\n" + r.HeaderLine() + "\r\n");
    EXPECT_NE(r.HeaderText().find(std::string(100, 'b')), std::string::npos);
}

TEST(Receipt, PausesAfterEveryHundredthPosition) {
    KRVParagon r;
    r.raportKasowy = false;
    for (int i = 0; i < 250; ++i) r + Pos(i, "", i);
    std::vector<int32_t> pauses;
    const std::string out = Written(r, &pauses);
    size_t lines = 0;
    for (size_t at = out.find("\nZAW;"); at != std::string::npos; at = out.find("\nZAW;", at + 1))
        ++lines;
    EXPECT_EQ(lines, 250u);
    EXPECT_EQ(pauses, (std::vector<int32_t>{100, 100}));
}

TEST(OtherOperation, LinesOfEveryTypeAndItsItems) {
    KRVOther o;
    o.typ = KRVOther::kStorno;
    o.tekst1 = "Kasjer 1";
    o.tekst2 = "korekta";
    o.liczba1 = 5;
    o.data = kNoon;
    o.Add(Pos(7, "", -300));
    auto* pay = new KRVPayment;
    pay->typ = 4;
    pay->kwota = 300;
    o.Add(pay);
    const std::string expected =
        "\n[INNA_OPER]\nOP_STORNO;Kasjer 1;korekta;1;1;5;-1;;0;2026-12-08 12:30:05;;-1\r\n"
        "ZAW;7;;1000;-300;-1;17;2026-12-08 12:30:05\n"
        "PMT;4;300;1;-1;-1;-1;0;0;;1899-12-30 00:00:00\n";
    EXPECT_EQ(o.ToString(), expected);
    std::ostringstream stream;
    o.WriteTo(stream);
    EXPECT_EQ(stream.str(), expected);

    const char* prefixes[] = {"OP_WPL;",  "OP_WYPL;",   "OP_STORNO;",
                              "OP_ANUL;", "OP_OTW_ZW;", "OP_ZAMK_ZM;"};
    KRVOther plain;
    for (int32_t t = 0; t < 6; ++t) {
        plain.typ = t;
        EXPECT_EQ(plain.ToString().substr(13),
                  std::string(prefixes[t]) + ";;0;0;-1;-1;;0;1899-12-30 00:00:00;;-1\r\n");
    }
    plain.typ = 7;  // unknown: no prefix at all
    EXPECT_EQ(plain.ToString(), "\n[INNA_OPER]\n;;0;0;-1;-1;;0;1899-12-30 00:00:00;;-1\r\n");
}

}  // namespace
}  // namespace krv::test
