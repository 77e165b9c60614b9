// The sales import buffer: goods rows by code and column, the index kept
// sorted, totals from receipts, the cash state, the file's sections, the
// safe save and the sales total shown to the user.
#include "salesimport/impbuf.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "action/ks_action.h"
#include "exportdata/test_files.h"
#include "fakes/manual_clock.h"
#include "fakes/test_library.h"
#include "support/exception.h"
#include "support/mfile.h"

namespace krv::test {
namespace {

// The file the buffer writes, as text.
std::string Written(KSImpBuf& buf, bool strip = false) {
    TempDir dir;
    buf.Save(dir / "s.imp", strip);
    return ReadAll(dir / "s.imp");
}

std::string Section(const std::string& file, const std::string& head) {
    size_t at = file.find(head + "\r\n");
    if (at == std::string::npos) return "(missing)";
    at += head.size() + 2;
    size_t end = file.find("\r\n\r\n[", at);
    return file.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

TEST(ImpBuf, SameCodeInBothColumnsStaysApart) {
    KSImpBuf buf;
    buf.AddToPlu("123", 1000, 500, id_number);
    buf.AddToPlu("123", 2000, 900, id_barcode);
    buf.AddToPlu("123", 500, 250, id_number);
    buf.AddToPlu("123", 1, 1, id_barcode);
    ASSERT_EQ(buf.GetPluCount(), 2);
    KSImpTowRec rec;
    buf.GetPlu(0, rec);
    EXPECT_EQ(rec.ilosc, 1500);
    EXPECT_EQ(rec.wartosc, 750);
    EXPECT_EQ(rec.ident, id_number);
    buf.GetPlu(1, rec);
    EXPECT_EQ(rec.ilosc, 2001);
    EXPECT_EQ(rec.ident, id_barcode);

    // ExclAddToPlu adds to whichever row it finds, and ignores an unknown code.
    buf.ExclAddToPlu("123", 10, 10);
    buf.ExclAddToPlu("999", 10, 10);
    EXPECT_EQ(buf.GetPluCount(), 2);
}

TEST(ImpBuf, IndexStaysSortedAsRowsArriveAfterTheFirstSearch) {
    KSImpBuf buf;
    EXPECT_EQ(buf.FindRec("1"), -1);  // an empty buffer
    const char* codes[] = {"500", "100", "900", "300"};
    for (const char* c : codes) buf.AddPlu(c, 1, 1, id_barcode);
    EXPECT_EQ(buf.FindRec("900"), 2);  // sorts once
    // Rows added now go into the index at their place: before everything,
    // after everything, between, and beside a twin of another column.
    const char* later[] = {"050", "999", "400", "300", "300"};
    for (const char* c : later) buf.AddToPlu(c, 1, 1, id_number);
    EXPECT_EQ(buf.GetPluCount(), 8);
    EXPECT_EQ(buf.FindRec("050"), 4);
    EXPECT_EQ(buf.FindRec("999"), 5);
    EXPECT_EQ(buf.FindRec("400"), 6);
    EXPECT_EQ(buf.FindRec("100"), 1);
    EXPECT_EQ(buf.FindRec("500"), 0);
    EXPECT_EQ(buf.FindRec("301"), -1);
    int row = buf.FindRec("300");
    EXPECT_TRUE(row == 3 || row == 7) << row;
    KSImpTowRec rec;
    buf.GetPlu(7, rec);
    EXPECT_EQ(rec.ilosc, 2);  // the second "300" by number summed into one row

    // After Clear the index is empty but still kept: adding must not break it.
    buf.Clear();
    buf.AddPlu("7", 1, 1, id_number);
    buf.AddPlu("5", 1, 1, id_number);
    EXPECT_EQ(buf.FindRec("5"), 1);
    EXPECT_EQ(buf.FindRec("7"), 0);
}

TEST(ImpBuf, GoodsLinesSkipHeldBackRowsAndStripZeros) {
    KSImpBuf buf;
    buf.AddPlu("0000", 1000, 100, id_barcode);
    buf.AddPlu("0012", 2000, 200, id_barcode);
    buf.AddPlu("0034", 3000, 300, id_number);  // a number keeps its zeros
    buf.AddPlu("77", 0, 700, id_barcode);      // no quantity: not written
    buf.AddPlu("88", 1000, 800, id_barcode);
    buf.SetPluSave(4, false);
    buf.AddPlu("99", 1000, 900, id_default);
    EXPECT_EQ(Section(Written(buf, true), "[TOWAROWE]"),
              "PLU;;0;1000;100\r\nPLU;;12;2000;200\r\nPLU;0034;;3000;300\r\nPLU;99;;1000;900");
    buf.flags.kodKreskowyDomyslnie = true;
    EXPECT_EQ(Section(Written(buf, false), "[TOWAROWE]"),
              "PLU;;0000;1000;100\r\nPLU;;0012;2000;200\r\nPLU;0034;;3000;300\r\nPLU;;99;1000;900");
}

TEST(ImpBuf, EmptyBufferWritesEverySectionHead) {
    KSImpBuf buf;
    buf.SetDataSprzedazy(TdtTools::EncodeDate(2026, 12, 8));
    EXPECT_EQ(Written(buf),
              "[TOWAROWE]\r\n\r\n[OPERACJE]\r\n\r\n[RAPORT_GODZINOWY]\r\n\r\n[RAPORT_WALUTOWY]\r\n"
              "\r\n[FINANSOWE]\r\nWPLATY;0\r\nWYPLATY;0\r\nRABATY;0\r\nZWROT_OPAKOWAN;0\r\n"
              "SPRZEDAZ_OPAKOWAN;0\r\nFPLATN_BON;0\r\nFPLATN_CZEK;0\r\nFPLATN_KARTA;0\r\n"
              "FPLATN_INNE;0\r\nIL_KOSZYKOW;0\r\nIL_LINII_PAR;0\r\n\r\n[FLAGI]\r\n"
              "DATA_SPRZEDAZY;2026-12-08 00:00:00\r\nFISK_Z_PLU;N\r\nNADPISZ_FISK;N\r\n"
              "NADPISZ_OPAK;N\r\nPODSUMUJ_OPAK;N\r\nNADPISZ_PLU;N\r\nDOKLEJ_PLU;N\r\n");
}

TEST(ImpBuf, HourlyReportAndFiscalTotalsFromTheGoods) {
    KSImpBuf buf;
    buf.AddGodzinowy(24, 100, 1, 1);
    buf.AddGodzinowy(-1, 100, 1, 1);
    buf.AddGodzinowy(7, 0, 3, 9);  // counters without value: no line
    buf.AddGodzinowy(8, 1234, 2, 5);
    buf.AddVat(1, 1000, 230, 1230);
    buf.AddVat(2, 500, 40, 540);
    buf.AddPlu("1", 1, 300, id_number);
    buf.AddPlu("2", 1, 400, id_number);
    buf.SetPluSave(1, false);
    EXPECT_EQ(buf.GetTotalValue(), 1770);
    std::string file = Written(buf);
    EXPECT_EQ(Section(file, "[RAPORT_GODZINOWY]"), "GODZ;8;1234;2;5");
    EXPECT_EQ(Section(file, "[FINANSOWE]")
                  .rfind("VAT;1;1000;230;1230\r\nVAT;2;500;40;540\r\nWPLATY;0", 0),
              0u);

    buf.flags.fiskZPlu = true;
    EXPECT_EQ(buf.GetTotalValue(), 300);  // the goods written, not the VAT rows
    file = Written(buf);
    EXPECT_EQ(Section(file, "[FINANSOWE]").rfind("WPLATY;0\r\n", 0), 0u);
    EXPECT_NE(file.find("FISK_Z_PLU;T"), std::string::npos);
}

TEST(ImpBuf, ReceiptsGoIntoTheTotalsOnlyWhenProcessed) {
    auto receipt = [] {
        auto r = std::make_unique<KRVParagon>();
        r->raportKasowy = false;
        r->rabat = -150;
        auto* p = new KRVPosition;
        p->kod = " 590 ";
        p->ilosc = 2000;
        p->wartosc = 1000;
        p->czas = TdtTools::EncodeDate(2026, 12, 8) + TdtTools::EncodeTime(9, 15, 0, 0);
        *r + p;
        auto* bottle = new KRVPosition(*p);
        bottle->kod.clear();
        bottle->nrTowaru = 44;
        bottle->wartosc = -50;
        bottle->rodzaj = KRVPosition::kKindBottleReturn;
        *r + bottle;
        for (int type = 0; type <= 5; ++type) {
            auto* pay = new KRVPayment;
            pay->typ = type;
            pay->kwota = 1000;
            pay->mnoznik = 50 * type;
            *r + pay;
        }
        return r;
    };
    KSImpBuf buf;
    buf.AddReceipt(receipt());
    EXPECT_EQ(buf.GetPluCount(), 0);
    EXPECT_EQ(buf.GetReceiptCount(), 1);

    buf.flags.przetwarzajParagony = true;
    buf.AddReceipt(receipt());
    ASSERT_EQ(buf.GetPluCount(), 2);
    KSImpTowRec rec;
    buf.GetPlu(0, rec);
    EXPECT_EQ(rec.kod, "590");  // the barcode trimmed
    EXPECT_EQ(rec.ident, id_barcode);
    buf.GetPlu(1, rec);
    EXPECT_EQ(rec.kod, "44");
    EXPECT_EQ(rec.ident, id_number);
    EXPECT_EQ(buf.totals.bony, 500);
    EXPECT_EQ(buf.totals.czeki, 1000);
    EXPECT_EQ(buf.totals.karty, 1500);
    EXPECT_EQ(buf.totals.inne, 2000);
    EXPECT_EQ(buf.totals.zwrotOpakowan, 50);
    EXPECT_EQ(buf.totals.rabaty, 150);
    const auto& nine = buf.Godzinowy()[9];
    EXPECT_EQ(nine.wartosc, 950);
    EXPECT_EQ(nine.linie, 2);
    EXPECT_EQ(nine.koszyki, 1);  // the receipt took its date from its first position
}

TEST(ImpBuf, WritingConsumesTheReceiptsWrittenOrNot) {
    KSImpBuf buf;
    buf.AddReceipt(new KRVParagon);
    buf.AddOther(new KRVOther);
    std::string file = Written(buf);
    EXPECT_EQ(file.find("[Paragon"), std::string::npos);
    EXPECT_EQ(buf.GetReceiptCount(), 0);
    EXPECT_EQ(buf.GetOtherCount(), 0);

    buf.flags.zapisujParagony = true;
    buf.AddReceipt(new KRVParagon);
    buf.AddOther(new KRVOther);
    file = Written(buf);
    EXPECT_NE(file.find("DOKLEJ_PLU;N\r\n\r\n[Paragon nr -1]\r\nKSK;"), std::string::npos);
    EXPECT_NE(file.find("\r\n\n[INNA_OPER]\nOP_WPL;"), std::string::npos);
    EXPECT_EQ(Written(buf).find("[Paragon"), std::string::npos);  // not twice
}

TEST(ImpBuf, CashStateRecordAndCurrencies) {
    KSImpBuf buf;
    buf.AddLinieStanuKasy("KAS_NUMER;3");
    buf.AddLinieStanuKasy("RECZNA;1\r\n");
    EXPECT_EQ(Section(Written(buf), "[STAN_KASY]"), "KAS_NUMER;3\r\nRECZNA;1");

    buf.kasa.zbuduj = true;  // the record replaces the lines added by hand
    buf.kasa.nrKasjera = 4;
    EXPECT_EQ(Section(Written(buf), "[STAN_KASY]"), "KAS_NUMER;0");

    buf.kasa.numer = 2;
    buf.Kas_SetNazwisko("Nowak");
    buf.kasa.stanKasy = 150000;
    buf.Kas_AddWaluta("EUR", 430, 1000, 10);
    buf.Kas_AddWaluta("EUR", 0, 500, -4);  // rate 0 keeps the old rate
    buf.Kas_AddWaluta("USD", 395, 200, 0);
    EXPECT_EQ(Section(Written(buf), "[STAN_KASY]"),
              "KAS_NUMER;2\r\nKAS_NR_KASJERA;4\r\nKAS_NAZWISKO;Nowak\r\nKAS_STANKASY;150000\r\n"
              "KAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;430\r\nKAS_WAL1_STAN;1500\r\n"
              "KAS_WAL1_BILANS;6\r\nKAS_WAL2_NAZWA;USD\r\nKAS_WAL2_KURS;395\r\n"
              "KAS_WAL2_STAN;200\r\nKAS_WAL2_BILANS;0");
    buf.Clear();  // the record goes, the text built from it stays
    EXPECT_EQ(buf.kasa.numer, 0);
    EXPECT_FALSE(buf.kasa.zbuduj);
    EXPECT_NE(buf.StanKasyText().find("KAS_NAZWISKO;Nowak"), std::string::npos);
}

TEST(ImpBuf, ParameterReceiptLinesAndBadIdentifiers) {
    KSImpBuf buf;
    buf.AddParameter("NrZmiany", "12");
    buf.AddParameter("Kasjer", "Jan=Kowalski");
    buf.AddParameter("nrzmiany", "13");
    EXPECT_EQ(Section(Written(buf), "[OPERACJE]"),
              "KASPAR;NrZmiany;13\r\nKASPAR;Kasjer;Jan=Kowalski");

    const double date = TdtTools::EncodeDate(2026, 1, 2) + TdtTools::EncodeTime(3, 4, 5, 0);
    buf.AddLiniaParEx("590", 1, 2.5, -3, "txt", date, 7, -1, id_barcode);
    buf.AddLiniaParEx("12", 0, 0, 0, "", date, -1, 0, id_default);
    EXPECT_EQ(buf.LiniePar(),
              "PAR;;590;1;2;-3;txt;2026-01-02 03:04:05;7;\r\n"
              "PAR;12;;0;0;0;;2026-01-02 03:04:05;;0\r\n");
    EXPECT_THROW(buf.AddLiniaParEx("1", 0, 0, 0, "", 0, 0, 0, static_cast<e_identifier>(3)),
                 Exception);
    TempDir dir;
    buf.SaveOneParag(dir / "par.imp");
    EXPECT_EQ(ReadAll(dir / "par.imp"), buf.LiniePar());
}

TEST(ImpBuf, FailedSaveLeavesThePreviousFileAndKeepsTheReceipts) {
    TempDir dir;
    const std::string path = dir / "sprzedaz.imp";
    WriteAll(path, "yesterday");
    KSImpBuf buf;
    buf.flags.zapisujParagony = true;
    for (int i = 0; i < 500; ++i) buf.AddPlu(std::to_string(i), 1, 1, id_number);
    buf.AddPlu("bad", 1, 1, static_cast<e_identifier>(9));  // throws half-way through
    buf.AddReceipt(new KRVParagon);
    EXPECT_THROW(buf.Save(path, false), Exception);
    EXPECT_EQ(ReadAll(path), "yesterday");
    EXPECT_FALSE(Exists(path + ".tmp"));
    EXPECT_EQ(buf.GetReceiptCount(), 1);

    // A target that cannot be replaced is reported, and nothing is left over.
    std::filesystem::create_directory(dir / "taken.imp");
    std::filesystem::create_directory(dir / "taken.imp/inside");
    KSImpBuf ok;
    EXPECT_THROW(ok.Save(dir / "taken.imp", false), Exception);
    EXPECT_FALSE(Exists(dir / "taken.imp.tmp"));
}

TEST(ImpBuf, GoodsPacingStartsOnceWritingTakesLong) {
    KSImpBuf buf;
    for (int i = 0; i < 50; ++i) buf.AddPlu(std::to_string(i), 1, 1, id_number);
    // Each row takes 10 ms: only after the 11th row has more than 1.16e-06
    // of a day passed, so the writer pauses after rows 22, 33 and 44.
    ManualClock clock;
    clock.AdvanceOnRead(10);
    platform::ScopedClock use(clock);
    Written(buf);
    EXPECT_EQ(clock.Sleeps(), std::vector<int32_t>(3, 20));
}

TEST(ImpBuf, ShowTotalValueInZloty) {
    TestLibrary lib;
    auto action = lib.Action();
    auto* a = dynamic_cast<KSAction*>(action.get());
    ASSERT_NE(a, nullptr);
    a->ShowTotalValue();  // no buffer at all: nothing to show
    EXPECT_TRUE(lib.host.messages.empty());

    KSImpBuf buf;
    buf.AddVat(1, 0, 0, 123456);
    buf.AddVat(2, 0, 0, 9);
    a->impBuf = &buf;
    a->ShowTotalValue();
    buf.flags.fiskZPlu = true;
    buf.AddPlu("1", 1, -250, id_number);
    a->ShowTotalValue(&buf);
    a->impBuf = nullptr;
    const auto window = lib.host.MessagesUtf8();
    ASSERT_EQ(window.size(), 2u);
    // The host's window shows the line without its leading blank.
    EXPECT_EQ(window[0], "------ WARTOŚĆ SPRZEDAŻY:     1234.65 zł. (w/g finans.) ------");
    EXPECT_EQ(window[1], "------ WARTOŚĆ SPRZEDAŻY:     -2.50 zł. (w/g PLU) ------");
}

}  // namespace
}  // namespace krv::test
