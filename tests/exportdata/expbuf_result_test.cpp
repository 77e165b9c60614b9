// The export result file and the reconciliation with a device's own list.
#include <gtest/gtest.h>

#include "exportdata/expbuf.h"
#include "exportdata/test_files.h"
#include "fakes/test_library.h"
#include "support/exception.h"

namespace krv::test {
namespace {

const std::string kSep(1, KRV_STATUS_SEPARATOR);

KSTowRec Goods(int plu, const std::string& kod, int status, int koldod = 0) {
    KSTowRec r;
    r.plu = plu;
    r.koldod = koldod;
    r.kod = kod;
    r.org_barcode = kod;
    r.status = status;
    r.org_status = status;
    return r;
}

TEST(KSExpBufResultTest, ReportsTransferredGoodsOnlyInRowOrder) {
    TempDir d;
    KSExpBuf buf(nullptr);
    std::vector<KSTowRec> rows = {
        Goods(12, "777", kStatusPriceChange, 7),
        Goods(0, "000", kStatusAdd),   // no PLU: not reported
        Goods(3, "333", kStatusNone),  // no change asked: not reported
        Goods(4, "444", kStatusDelete, -2),
        Goods(5, "555", kStatusAdd),     // added by a comparison: not reported
        Goods(6, "666", kStatusUpdate),  // not transferred: not reported
        Goods(1, "111", kStatusAdd, 1),
    };
    rows[4].add_rec = true;
    for (auto& r : rows) buf.DodajRec(&r);
    buf.ResetTrOk(true);
    KSTowRec r;
    buf.CzytajRec(5, &r);
    r.tr_ok = false;
    buf.ZapiszRec(5, &r);
    // A status changed after reading is not what the host asked for.
    buf.CzytajRec(6, &r);
    r.status = kStatusUpdate;
    r.kod = "changed";
    buf.ZapiszRec(6, &r);

    WriteAll(d / "wynik.exp", std::string(1000, 'x'));
    buf.ZapiszWynikEksp(d / "wynik.exp");
    EXPECT_EQ(ReadAll(d / "wynik.exp"),
              "PLU;12;7;777;CEN\r\n"
              "PLU;4;-2;444;USU\r\n"
              "PLU;1;1;111;DOD\r\n");
    EXPECT_EQ(buf.GetResultLineCount(), 3);
    buf.ZapiszWynikEksp(d / "wynik.exp");
    EXPECT_EQ(buf.GetResultLineCount(), 6);  // counts every line written

    buf.ResetTrOk(false);
    buf.ZapiszWynikEksp(d / "wynik.exp");
    EXPECT_EQ(ReadAll(d / "wynik.exp"), "");  // earlier content is gone
}

TEST(KSExpBufResultTest, ProgressOfTheResultAndWriteFailure) {
    TempDir d;
    TestLibrary t;
    auto action = t.Action();
    KSExpBuf buf(action.get());
    KSTowRec g = Goods(1, "1", kStatusAdd);
    buf.DodajRec(&g);
    buf.DodajRec(&g);
    buf.ZapiszWynikEksp(d / "wynik.exp");
    EXPECT_EQ(t.host.Window(), std::vector<std::string>{"Zapis wyniku eksportu:" + kSep + "OK"});
    EXPECT_EQ(t.host.MessagesUtf8()[1], "Zapis wyniku eksportu::" + kSep + "100 %");

    // A result file that cannot be opened is a failure, not a silent success.
    platform::CreateDirectories(d / "dir");
    EXPECT_THROW(buf.ZapiszWynikEksp(d / "dir"), EFileError);
}

TEST(KSExpBufResultTest, RecountFromTheTable) {
    KSExpBuf buf(nullptr);
    for (int s : {0, 0, 1, 2, 3, 4, 7}) {
        KSTowRec r = Goods(1, "1", s);
        r.opakowanie = s == 0;
        buf.DodajRec(&r);
    }
    // Rows changed behind the counters' back, then recounted.
    buf.Towary().GetFields().GetFields(19)->SetAsIntegerAt(5, kStatusDelete);
    buf.PrzeliczTowary();
    EXPECT_EQ(buf.GetGoodsCount(), 7);
    EXPECT_EQ(buf.GetStatusCount(0), 2);
    EXPECT_EQ(buf.GetStatusCount(1), 1);
    EXPECT_EQ(buf.GetStatusCount(2), 1);
    EXPECT_EQ(buf.GetStatusCount(3), 2);
    EXPECT_EQ(buf.GetPackageCount(), 2);
}

int StatusOf(KSExpBuf& buf, int row) {
    KSTowRec r;
    buf.CzytajRec(row, &r);
    return r.status;
}

TEST(KSExpBufResultTest, AnalizujCancelBuforWithoutStrippingZeros) {
    KSExpBuf buf(nullptr);
    std::vector<KSTowRec> goods = {Goods(1, "42", kStatusPriceChange),
                                   Goods(2, "43", kStatusUpdate), Goods(3, "44", kStatusDelete),
                                   Goods(4, "45", kStatusAdd), Goods(5, "46", kStatusNone)};
    for (auto& g : goods) buf.DodajRec(&g);
    buf.AddInPlu("0042", "a");  // found as 42 (held by the device)
    buf.AddInPlu("000", "b");   // zeros only: skipped
    buf.AddInPlu("", "c");      // skipped
    buf.AddInPlu("0999", "d");  // unknown: to be deleted, kept as the device has it
    buf.AddInPlu("45", "e");
    buf.AnalizujCancelBufor(false);

    ASSERT_EQ(buf.Towary().GetCount(), 6);
    EXPECT_EQ(StatusOf(buf, 0), kStatusUpdate);  // held: a price change becomes an update
    EXPECT_EQ(StatusOf(buf, 1), kStatusAdd);     // not held: an update becomes an addition
    EXPECT_EQ(StatusOf(buf, 2), kStatusNone);    // not held: nothing to delete
    EXPECT_EQ(StatusOf(buf, 3), kStatusUpdate);  // held: an addition becomes an update
    EXPECT_EQ(StatusOf(buf, 4), kStatusNone);
    KSTowRec added;
    buf.CzytajRec(5, &added);
    EXPECT_EQ(added.kod, "0999");
    EXPECT_EQ(added.status, kStatusDelete);
    EXPECT_TRUE(added.fd_from_ecr);
    EXPECT_TRUE(added.flag);
    EXPECT_EQ(added.org_status, kStatusNone);  // never in the result
    EXPECT_EQ(added.nr_buf, 5);
    // Counters recounted: the addition counter includes the changed row.
    EXPECT_EQ(buf.GetGoodsCount(), 6);
    EXPECT_EQ(buf.GetStatusCount(kStatusAdd), 1);
    EXPECT_EQ(buf.GetStatusCount(kStatusUpdate), 2);
    EXPECT_EQ(buf.GetStatusCount(kStatusDelete), 1);

    TempDir d;
    buf.ResetTrOk(true);
    buf.ZapiszWynikEksp(d / "wynik.exp");
    EXPECT_EQ(ReadAll(d / "wynik.exp").find("0999"), std::string::npos);
}

TEST(KSExpBufResultTest, AnalizujCancelBuforStrippingZeros) {
    KSExpBuf buf(nullptr);
    KSTowRec g = Goods(1, "42", kStatusUpdate);
    buf.DodajRec(&g);
    buf.AddInPlu("00042", "");
    buf.AddInPlu("0077", "");
    buf.AddInPlu("0000", "");
    buf.AnalizujCancelBufor(true);
    ASSERT_EQ(buf.Towary().GetCount(), 2);
    EXPECT_EQ(StatusOf(buf, 0), kStatusUpdate);
    KSTowRec added;
    buf.CzytajRec(1, &added);
    EXPECT_EQ(added.kod, "77");  // the stripped code is kept
}

// A device buffer that reads the device's price from the additional
// information and wants a device copy deleted when the prices differ.
struct DeviceBuf : KSExpBuf {
    using KSExpBuf::KSExpBuf;
    int modified = 0;
    void DodInfo2TowRec(const std::string& dodinfo, KSTowRec* rec) override {
        rec->cena = std::stod(dodinfo);
        rec->nazwa = "device";
    }
    void ModifyPLUStatus(KSTowRec& a, KSTowRec& b) override {
        ++modified;
        KSExpBuf::ModifyPLUStatus(a, b);
    }
    bool CheckIfDeletePLU(KSTowRec& a, KSTowRec& b) override { return a.cena != b.cena; }
};

TEST(KSExpBufResultTest, ComparePLUSetsUsesTheHooks) {
    DeviceBuf buf(nullptr);
    KSTowRec same = Goods(1, "10", kStatusPriceChange);
    same.cena = 5;
    KSTowRec differs = Goods(2, "20", kStatusAdd);
    differs.cena = 7;
    KSTowRec absent = Goods(3, "30", kStatusPriceChange);
    for (auto* g : {&same, &differs, &absent}) buf.DodajRec(g);
    buf.AddInPlu("010", "5");
    buf.AddInPlu("20", "9");
    buf.AddInPlu("99", "1");
    buf.ComparePLUSets(false);

    EXPECT_EQ(buf.modified, 2);
    EXPECT_EQ(StatusOf(buf, 0), kStatusUpdate);
    EXPECT_EQ(StatusOf(buf, 1), kStatusUpdate);
    EXPECT_EQ(StatusOf(buf, 2), kStatusAdd);
    // The differing device copy and the unknown one are appended to delete;
    // their code is whatever the hook gave (here none).
    ASSERT_EQ(buf.Towary().GetCount(), 5);
    for (int row : {3, 4}) {
        KSTowRec r;
        buf.CzytajRec(row, &r);
        EXPECT_EQ(r.status, kStatusDelete);
        EXPECT_EQ(r.kod, "");
        EXPECT_EQ(r.nazwa, "device");
        EXPECT_TRUE(r.fd_from_ecr);
        EXPECT_TRUE(r.flag);
    }
    KSTowRec r;
    buf.CzytajRec(3, &r);
    EXPECT_EQ(r.cena, 9);
    EXPECT_EQ(buf.GetStatusCount(kStatusDelete), 2);
    EXPECT_EQ(buf.GetStatusCount(kStatusUpdate), 2);
    EXPECT_EQ(buf.GetStatusCount(kStatusAdd), 1);
}

}  // namespace
}  // namespace krv::test
