// A whole day of a register, written as the sales import file and compared
// byte for byte with the checked-in file: goods in both columns, VAT rows,
// the hourly and currency reports, the cash state with two currencies,
// operation parameters, three receipts (one a register report), one other
// operation of every type and one of an unknown type, and every flag. The
// file mixes CR LF and LF line ends exactly as the host's importer expects.
#include <gtest/gtest.h>

#include <cstdlib>

#include "exportdata/test_files.h"
#include "fakes/test_library.h"
#include "salesimport/impbuf.h"

namespace krv::test {
namespace {

const std::string kGolden = std::string(TARVISCO_TEST_DATA_DIR) + "/salesimport/golden/";

double At(int day, int hour, int minute) {
    return TdtTools::EncodeDate(2026, 12, day) + TdtTools::EncodeTime(hour, minute, 0, 0);
}

KRVPosition* Position(int32_t number, const std::string& barcode, int32_t quantity, int64_t value,
                      int32_t receipt, double time) {
    auto* p = new KRVPosition;
    p->nrTowaru = number;
    p->kod = barcode;
    p->ilosc = quantity;
    p->wartosc = value;
    p->nrParagonu = receipt;
    p->czas = time;
    return p;
}

KRVPayment* Payment(int32_t type, int64_t amount, int32_t multiplier, const std::string& text) {
    auto* p = new KRVPayment;
    p->typ = type;
    p->kwota = amount;
    p->mnoznik = multiplier;
    p->tekst = text;
    p->data = At(7, 18, 0);
    return p;
}

void FillDay(KSImpBuf& buf) {
    buf.SetDataSprzedazy(TdtTools::EncodeDate(2026, 12, 7));
    buf.flags.nadpiszFisk = true;
    buf.flags.podsumujOpak = true;
    buf.flags.nadpiszPlu = true;
    buf.flags.zapisujParagony = true;

    // Goods: host numbers (zeros kept) and barcodes (zeros stripped on save).
    buf.AddToPlu("1001", 3000, 1497, id_number);
    buf.AddToPlu("0042", 1250, 3113, id_number);  // 1.25 kg of cheese
    buf.AddToPlu("05901234123457", 2000, 598, id_barcode);
    buf.AddToPlu("0200", 1000, 250, id_barcode);
    buf.AddToPlu("1001", 1000, 499, id_number);  // summed into the first row
    buf.AddToPlu("0000", 1000, 0, id_barcode);
    buf.AddToPlu("2002", 0, 0, id_number);  // nothing sold: not written

    buf.AddVat(1, 2434, 560, 2994);
    buf.AddVat(2, 2866, 229, 3095);
    buf.AddVat(4, 378, 0, 378);

    buf.AddParameter("NrZmiany", "12");
    buf.AddParameter("Kasjer", W("Anna Wiśniewska"));
    buf.AddParameter("Wersja", "2.14=beta");

    buf.AddGodzinowy(8, 1996, 2, 3);
    buf.AddGodzinowy(12, 3113, 1, 1);
    buf.AddGodzinowy(17, 1358, 3, 4);
    buf.AddGodzinowy(20, 0, 1, 0);

    buf.Wymiany() += KSWymiana("EUR", 430, 2500);
    buf.Wymiany() += KSWymiana("USD", 395, 800);
    buf.Wymiany() += KSWymiana("EUR", 430, 1000);

    buf.AddWplata(50000);
    buf.AddWyplata(20000);
    buf.AddDiscount(-150, true);
    buf.AddBottlesSaled(-100);
    buf.AddBottlesTurned(50);
    buf.AddBony(1000);
    buf.AddKarty(2994);
    buf.AddInne(50);
    buf.totals.koszyki = 6;
    buf.totals.liniePar = 8;

    KSStanKasy& k = buf.kasa;
    k.zbuduj = true;
    k.numer = 2;
    k.nrKasjera = 7;
    buf.Kas_SetNazwisko(W("Wiśniewska"));
    k.uprawnienia = 3;
    k.startZmiany = At(7, 7, 45);
    k.czasKasy = At(7, 21, 3);
    k.stanKasy = 83412;
    k.karty = 2994;
    k.bony = 1000;
    k.paragonow = 6;
    k.anulowanychParagonow = 1;
    k.wartoscAnulowanych = 499;
    k.storn = 2;
    k.wartoscStorn = 748;
    buf.Kas_AddWaluta("EUR", 430, 3500, 3500);
    buf.Kas_AddWaluta("USD", 395, 800, 0);
    buf.Kas_AddWaluta("EUR", 0, -1000, -1000);

    // A sale by goods numbers and barcodes, paid in cash and by card.
    auto first = std::make_unique<KRVParagon>();
    first->raportKasowy = false;
    first->numer1 = 1;
    first->tekst = W("Klient stały");
    *first + Position(1001, "", 2000, 998, 101, At(7, 8, 12)) +
        Position(-1, "05901234123457", 2000, 598, 101, At(7, 8, 13)) +
        Payment(0, 1000, 100, W("gotówka")) + Payment(3, 596, 100, "Visa");
    first->GetPlatnosci(1)->rozszerzenie = 0;
    first->GetPlatnosci(1)->tekstRozszerzenia = "PLN";
    buf.AddReceipt(std::move(first));

    // A sale with a discount, paid partly in euro.
    auto second = std::make_unique<KRVParagon>();
    second->raportKasowy = false;
    second->rabat = 150;
    second->opcja1 = 5;
    *second + Position(42, "", 1250, 3113, 102, At(7, 12, 40)) + Payment(4, 500, 430, "EUR") +
        Payment(0, 963, 100, "");
    buf.AddReceipt(std::move(second));

    // The register's daily report: positions counted, not listed.
    auto report = std::make_unique<KRVParagon>();
    report->nrParagonu = 103;
    report->data = At(7, 21, 0);
    report->tekst = "Raport dobowy";
    *report + Position(1001, "", 1000, 499, 103, At(7, 21, 0)) + Payment(0, 499, 100, "");
    buf.AddReceipt(std::move(report));

    const char* texts[] = {"Wpłata do kasy", "Wypłata",         "Storno",
                           "Anulowanie",     "Otwarcie zmiany", "Zamknięcie zmiany"};
    for (int32_t type = 0; type <= 6; ++type) {
        auto other = std::make_unique<KRVOther>();
        other->typ = type == 6 ? 9 : type;
        other->tekst1 = type == 6 ? "?" : W(texts[type]);
        other->tekst2 = "Kasjer 7";
        other->liczba1 = type;
        other->data = At(7, 7 + type, 50);
        if (type == KRVOther::kStorno)
            other->Add(Position(1001, "", 1000, -499, 101, At(7, 9, 50)));
        if (type <= KRVOther::kWyplata) other->Add(Payment(0, type ? 20000 : 50000, 100, ""));
        buf.AddOther(std::move(other));
    }
}

TEST(SalesGolden, ADayOfARegisterByteForByte) {
    KSImpBuf buf;
    FillDay(buf);
    TempDir dir;
    buf.Save(dir / "sprzedaz.imp", true);
    const std::string actual = ReadAll(dir / "sprzedaz.imp");
    const std::string expected = ReadAll(kGolden + "sprzedaz.imp");
    if (actual != expected && std::getenv("TARVISCO_WRITE_GOLDEN"))
        WriteAll(std::string(std::getenv("TARVISCO_WRITE_GOLDEN")) + "/sprzedaz.imp", actual);
    EXPECT_EQ(actual, expected);

    // Without stripping, only the barcodes change.
    KSImpBuf again;
    FillDay(again);
    again.Save(dir / "bez.imp", false);
    std::string unstripped = ReadAll(dir / "bez.imp");
    EXPECT_NE(unstripped.find("PLU;;05901234123457;2000;598\r\nPLU;;0200;1000;250\r\nPLU;;0000;"),
              std::string::npos);
    EXPECT_EQ(unstripped.size(), expected.size() + 5);  // 0, 0 and 000 stripped
}

}  // namespace
}  // namespace krv::test
