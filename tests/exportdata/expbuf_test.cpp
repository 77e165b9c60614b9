// The export buffer's records, search and side lists.
#include "exportdata/expbuf.h"

#include <gtest/gtest.h>

#include <cstring>

#include "exportdata/test_files.h"
#include "fakes/test_library.h"
#include "support/exception.h"

namespace krv::test {
namespace {

KSTowRec Goods(int plu, const std::string& kod, int status = kStatusAdd) {
    KSTowRec r;
    r.plu = plu;
    r.kod = kod;
    r.org_barcode = kod;
    r.status = status;
    r.org_status = status;
    return r;
}

TEST(KSExpBufTest, EveryGoodsFieldGoesInAndComesBack) {
    KSTowRec in;
    in.plu = 12;
    in.koldod = 7;
    in.kod = "5901234123457";
    in.nazwa = "Chleb";
    in.cena = 1998.5;
    in.cena_hurt = 1;
    in.cena_noc = 2;
    in.cena_dod = 3;
    in.stawka = 8;
    in.stawka_prec = 850;
    in.jedn = 3;
    in.czy_wazony = true;
    in.precyzja = 3;
    in.wagowo_ilosciowy = true;
    in.opakowanie = true;
    in.cena_otwarta = false;
    in.kod_opakowania = "P1";
    in.plu_opakowania = 99;
    in.nr_asort = 4;
    in.status = kStatusPriceChange;
    in.nr_buf = 55;  // replaced by the row number
    in.plu_rec = "record";
    in.tr_ok = true;
    in.flag = true;
    in.add_rec = true;
    in.org_barcode = "org";
    in.org_status = kStatusUpdate;
    in.opis1 = "o1";
    in.opis2 = "o2";
    in.opis3 = "o3";
    in.opis4 = "o4";
    in.PKWiU = "pk";
    in.SWW = "sw";
    in.TerminW = 14;
    in.fd_nr_src_buf = 2;
    in.fd_from_ecr = true;
    in.fd_tow_z_kontr = true;
    in.poziom_cen = 2;
    in.ile_w_kodzie = 500;
    in.fd_dod_rabat_tow = 1.25;
    in.nazwa_pelna = "Chleb razowy";
    in.ile_jedn = 6;

    KSExpBuf buf(nullptr);
    KSTowRec first = Goods(1, "1");
    buf.DodajRec(&first);
    buf.DodajRec(&in);
    EXPECT_EQ(buf.GetGoodsCount(), 2);
    EXPECT_EQ(buf.GetStatusCount(kStatusPriceChange), 1);
    EXPECT_EQ(buf.GetPackageCount(), 1);
    EXPECT_EQ(buf.GetGoodsFromPartnersCount(), 1);

    KSTowRec out;
    buf.CzytajRec(1, &out);
    KSTowRec want = in;
    want.nr_buf = 1;
    EXPECT_EQ(out, want);
    // The device read fills exactly its columns over a record that held
    // another row: the rest keeps the old row's values.
    KSTowRec device;
    buf.CzytajRec(0, &device);
    buf.CzytajRecDoUrzadzenia(1, &device);
    KSTowRec mixed = first;
    mixed.nr_buf = 0;
    for (auto member : {&KSTowRec::kod, &KSTowRec::nazwa, &KSTowRec::opis1, &KSTowRec::opis2,
                        &KSTowRec::opis3, &KSTowRec::opis4})
        mixed.*member = in.*member;
    for (auto member :
         {&KSTowRec::cena, &KSTowRec::cena_hurt, &KSTowRec::cena_noc, &KSTowRec::cena_dod})
        mixed.*member = in.*member;
    for (auto member : {&KSTowRec::plu, &KSTowRec::precyzja, &KSTowRec::status, &KSTowRec::TerminW})
        mixed.*member = in.*member;
    mixed.czy_wazony = in.czy_wazony;
    mixed.wagowo_ilosciowy = in.wagowo_ilosciowy;
    EXPECT_EQ(device, mixed);
    // The goods table is the source of truth for name-based readers too.
    buf.Towary().SetPosition(1);
    EXPECT_EQ(buf.Towary().FieldByName("nazwa_pelna")->GetAsString(), "Chleb razowy");
    EXPECT_EQ(buf.Towary().GetFields().GetCount(), 42);

    char plu[16];
    std::memset(plu, 'x', sizeof plu);
    buf.CzytajPluRec(1, plu);
    EXPECT_EQ(std::string(plu, 7), "recordx");  // no terminating zero

    // ZapiszRec writes back and moves the status counters.
    out.status = kStatusDelete;
    out.nazwa = "Bułka";
    buf.ZapiszRec(1, &out);
    EXPECT_EQ(buf.GetStatusCount(kStatusPriceChange), 0);
    EXPECT_EQ(buf.GetStatusCount(kStatusDelete), 1);
    KSTowRec again;
    buf.CzytajRec(1, &again);
    EXPECT_EQ(again, out);
    out.status = kStatusNone;
    buf.ZapiszRec(1, &out);
    EXPECT_EQ(buf.GetStatusCount(kStatusDelete), 0);

    buf.ResetFlags(true);
    buf.ResetTrOk(false);
    buf.CzytajRec(0, &again);
    EXPECT_TRUE(again.flag);
    EXPECT_FALSE(again.tr_ok);
}

TEST(KSExpBufTest, FindRecByBarcode) {
    KSExpBuf buf(nullptr);
    EXPECT_EQ(buf.FindRec("590", 0), -1);
    for (const char* kod : {"590", "123", "777"}) {
        KSTowRec r = Goods(1, kod);
        buf.DodajRec(&r);
    }
    EXPECT_EQ(buf.FindRec("777", 3), 2);
    EXPECT_TRUE(buf.IsSorted());
    EXPECT_EQ(buf.FindRec("124", 3), -1);
    EXPECT_EQ(buf.FindRec("590", 3), 0);
    EXPECT_EQ(buf.FindRec("123", 3), 1);
    EXPECT_EQ(buf.FindRec("", 3), -1);
    // Rows never move: only the index is sorted.
    KSTowRec r;
    buf.CzytajRec(0, &r);
    EXPECT_EQ(r.kod, "590");
}

TEST(KSExpBufTest, SearchOrderIsByteOrderAndDuplicatesAreFound) {
    KSExpBuf buf(nullptr);
    // Byte order: digits before upper case before lower case before Polish
    // letters (Windows-1250 bytes above 127).
    std::vector<std::string> codes = {"b", "B", "\xb9", "10", "9", "2", "2", "2", "a", "A", ""};
    for (size_t i = 0; i < codes.size(); ++i) {
        KSTowRec r = Goods(static_cast<int>(i) + 1, codes[i]);
        buf.DodajRec(&r);
    }
    int n = static_cast<int>(codes.size());
    buf.CreateIndex();
    buf.Sort(0, n - 1);
    buf.SetSorted(true);
    std::string order;
    for (int i = 0; i < n; ++i) {
        KSTowRec r;
        buf.CzytajRec(buf.Indeks().GetFields().GetFields(0)->GetAsIntegerAt(static_cast<size_t>(i)),
                      &r);
        order += "[" + r.kod + "]";
    }
    EXPECT_EQ(order, "[][10][2][2][2][9][A][B][a][b][\xb9]");
    for (const auto& code : codes) {
        int row = buf.FindRec(code, n);
        ASSERT_GE(row, 0) << code;
        KSTowRec r;
        buf.CzytajRec(row, &r);
        EXPECT_EQ(r.kod, code);
    }
    EXPECT_EQ(buf.FindRec("3", n), -1);
}

TEST(KSExpBufTest, PartnersAndAssortments) {
    KSExpBuf buf(nullptr);
    KSKontrRec k;
    k.KontrId = 10;
    k.Nazwa = "Firma";
    k.TermWaznKarty = 45000.5;
    k.KartaAktywna = true;
    k.RabatOdbiorcy = 2.5;
    k.IloscPunktow = 30;
    k.NrBuf = 77;
    buf.DodajRec(&k);
    buf.DodajRec(&k);
    KSKontrRec out;
    buf.CzytajRec(1, &out);
    EXPECT_EQ(out.NrBuf, 1);
    EXPECT_EQ(out.Nazwa, "Firma");
    EXPECT_EQ(out.TermWaznKarty, 45000.5);
    EXPECT_TRUE(out.KartaAktywna);
    EXPECT_EQ(out.RabatOdbiorcy, 2.5);
    EXPECT_EQ(out.IloscPunktow, 30);
    EXPECT_EQ(buf.GetPartnerCount(), 2);
    KSAsort a;
    a.as_asno = 3;
    a.as_name = "Nabiał";
    buf.DodajAsort(&a);
    KSAsort b;
    buf.CzytajAsort(0, &b);
    EXPECT_EQ(b.as_asno, 3);
    EXPECT_EQ(b.as_name, "Nabiał");
}

void ReadLines(KSExpBuf& buf, const std::string& text) {
    TempDir d;
    WriteAll(d / "kasa.exp", text);
    buf.ReadFromFile(d / "kasa.exp", false, -1);
}

TEST(KSExpBufTest, VatNumbersAndTheirCache) {
    KSExpBuf buf(nullptr);
    ReadLines(buf, "VAT;23\r\nVAT;8;800\r\nVAT;5\r\nVAT;8;850\r\nVAT;zw\r\n");
    EXPECT_EQ(buf.NumerStawki(23), 1);
    EXPECT_EQ(buf.NumerStawki(8), 4);  // the last matching entry wins
    EXPECT_EQ(buf.NumerStawki(5), 3);
    EXPECT_EQ(buf.NumerStawki(99), 3);  // unknown: the last number found
    EXPECT_EQ(buf.NumerStawkiPrec(850), 4);
    EXPECT_EQ(buf.NumerStawkiPrec(800), 2);
    EXPECT_EQ(buf.NumerStawkiPrec(2300), 1);
    KSExpBuf empty(nullptr);
    EXPECT_EQ(empty.NumerStawki(23), 1);  // before any: 1
    EXPECT_EQ(empty.NumerStawkiPrec(2300), 1);
}

TEST(KSExpBufTest, EachBufferAnswersFromItsOwnLists) {
    // Two buffers alive together (or one after another) with different VAT
    // and unit lists: each answers from its own.
    KSExpBuf a(nullptr), b(nullptr);
    ReadLines(a, "VAT;23\r\nVAT;8\r\nJM;1;0;szt\r\nJM;2;3;kg\r\n");
    ReadLines(b, "VAT;8\r\nVAT;23\r\nJM;2;0;litr\r\n");
    EXPECT_EQ(a.NumerStawki(23), 1);
    EXPECT_EQ(b.NumerStawki(23), 2);
    EXPECT_EQ(a.NumerStawki(23), 1);
    EXPECT_EQ(a.NumerStawkiPrec(800), 2);
    EXPECT_EQ(b.NumerStawkiPrec(800), 1);
    EXPECT_EQ(a.NazwaJedn(2), "kg");
    EXPECT_EQ(b.NazwaJedn(2), "litr");
    EXPECT_EQ(a.NazwaJedn(2), "kg");
    {
        KSExpBuf c(nullptr);
        ReadLines(c, "JM;5;0;op.\r\n");
        EXPECT_EQ(c.NazwaJedn(5), "op.");
    }
    KSExpBuf d(nullptr);
    EXPECT_EQ(d.NazwaJedn(5), "szt.");
}

TEST(KSExpBufTest, UnitsByIdAndByIndex) {
    KSExpBuf buf(nullptr);
    ReadLines(buf, "JM;3;2;kg\r\n");
    EXPECT_EQ(buf.NazwaJedn(3), "kg");
    EXPECT_EQ(buf.NazwaJedn(7), "szt.");
    EXPECT_EQ(buf.NazwaJedn(3), "kg");
    EXPECT_EQ(buf.IdxJednId(0), 3);
    EXPECT_EQ(buf.IdxJednPrec(0), 2);
    EXPECT_EQ(buf.IdxJednNazwa(0), "kg");
    const std::string range = W("Indeks jednostki miary poza zakresem");
    for (int i : {1, -1}) {
        try {
            buf.IdxJednId(i);
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), range);
        }
        EXPECT_THROW(buf.IdxJednPrec(i), Exception);
        EXPECT_THROW(buf.IdxJednNazwa(i), Exception);
    }
    KSExpBuf odd(nullptr);
    ReadLines(odd, "JM;x;y;dziwna\r\nJM;4;1;\r\n");
    EXPECT_EQ(odd.IdxJednId(0), 1);
    EXPECT_EQ(odd.IdxJednPrec(0), 0);
    EXPECT_EQ(odd.IdxJednNazwa(1), "");
    EXPECT_EQ(odd.NazwaJedn(4), "");
}

TEST(KSExpBufTest, CashiersCurrenciesAndClear) {
    TestLibrary t;
    t.host.translations["kstools_KSExpBuf/KSExpBufGetWalutExceptio"] = "no such currency";
    auto action = t.Action();
    KSExpBuf buf(action.get());
    ReadLines(buf,
              "OPER;1;Nowak;1;JAN;\r\nWAL;PLN;Złoty;1;T;T\r\nASS;1;x\r\nVAT;23\r\n"
              "PLU;1;0;111;T;1;0;0;0;23;1;F;0;F;T;T;0;;0;DOD\r\n");
    EXPECT_EQ(buf.GetKasjer(0)->GetNumer(), 1);
    EXPECT_TRUE(buf.GetWaluta(0)->GetCzyDomyslna());
    try {
        buf.GetKasjer(1);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Nieprawidłowy numer kasjera"));
    }
    try {
        buf.GetWaluta(1);
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "no such currency");
    }
    EXPECT_EQ(buf.GetPackageCount(), 1);

    buf.ZapiszWynikEksp(TempDir() / "w.exp");  // leaves the result counter at 0
    buf.Clear();
    EXPECT_EQ(buf.Towary().GetCount(), 0);
    EXPECT_EQ(buf.Asortymenty().GetCount(), 0);
    EXPECT_EQ(buf.GetKasjerCount(), 0);
    EXPECT_EQ(buf.GetWalutaCount(), 0);
    EXPECT_TRUE(buf.StawkiVat().empty());
    EXPECT_EQ(buf.GetGoodsCount(), 0);
    EXPECT_EQ(buf.GetStatusCount(kStatusAdd), 0);
    EXPECT_EQ(buf.GetPackageCount(), 0);

    // A buffer filled again after Clear searches its new goods.
    for (const char* kod : {"9", "5"}) {
        KSTowRec g = Goods(1, kod);
        buf.DodajRec(&g);
    }
    EXPECT_EQ(buf.FindRec("5", 2), 1);
}

}  // namespace
}  // namespace krv::test
