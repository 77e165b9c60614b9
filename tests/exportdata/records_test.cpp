// Partner, assortment, cashier and currency records, and the sums per currency.
#include <gtest/gtest.h>

#include "exportdata/kasjer.h"
#include "exportdata/kontrrec.h"
#include "exportdata/wymiana.h"
#include "fakes/test_library.h"
#include "support/exception.h"
#include "support/tdttools.h"

namespace krv::test {
namespace {

const char* kPartner =
    "KON;15;Piekarnia Sp. z o.o.;Piekarnia;ul. Polna 1;00-950;Warszawa;221234567;5250001009;"
    "CARD15;2025-12-31 00:00:00;T;5.5;2";

TEST(KSKontrRecTest, FieldsOptionalPointsAndErrors) {
    KSKontrRec k;
    k.FromLine(kPartner, nullptr);
    EXPECT_EQ(k.KontrId, 15);
    EXPECT_EQ(k.Nazwa, "Piekarnia Sp. z o.o.");
    EXPECT_EQ(k.Skrot, "Piekarnia");
    EXPECT_EQ(k.Ulica, "ul. Polna 1");
    EXPECT_EQ(k.Kod, "00-950");
    EXPECT_EQ(k.Miasto, "Warszawa");
    EXPECT_EQ(k.Telefon, "221234567");
    EXPECT_EQ(k.NIP, "5250001009");
    EXPECT_EQ(k.KodKarty, "CARD15");
    EXPECT_EQ(TdtTools(k.TermWaznKarty).ToString(TdtTools::kDate), "2025-12-31");
    EXPECT_TRUE(k.KartaAktywna);
    EXPECT_EQ(k.RabatOdbiorcy, 5.5);
    EXPECT_EQ(k.PoziomRabatu, 2);
    EXPECT_EQ(k.IloscPunktow, 0);
    EXPECT_EQ(k.NrBuf, -1);

    k.FromLine(std::string(kPartner) + ";120", nullptr);
    EXPECT_EQ(k.IloscPunktow, 120);
    k.FromLine(std::string(kPartner) + ";many", nullptr);
    EXPECT_EQ(k.IloscPunktow, 0);

    EXPECT_THROW(k.FromLine("KON;x;a", nullptr), EConvertError);
    std::string badFlag = kPartner;
    badFlag.replace(badFlag.find(";T;"), 3, ";N;");
    TestLibrary t;
    t.host.translations["kstools_KSExpBuf/KSKontrRBoolExceptio"] = "partner flag";
    try {
        k.FromLine(badFlag, t.Lib().GetLgLink());
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "partner flag");
    }
}

TEST(KSAsortTest, NumberAndName) {
    KSAsort a;
    a.FromLine("ASS;4;Pieczywo");
    EXPECT_EQ(a.as_asno, 4);
    EXPECT_EQ(a.as_name, "Pieczywo");
    a.FromLine("ASS;5");
    EXPECT_EQ(a.as_name, "");
    EXPECT_THROW(a.FromLine("ASS;four;x"), EConvertError);
}

TEST(KSKasjerTest, FieldsAndTheirOwnErrors) {
    KSKasjer k("3;Kowalska;2;ANNA;991", nullptr);
    EXPECT_EQ(k.GetNumer(), 3);
    EXPECT_EQ(k.GetNazwisko(), "Kowalska");
    EXPECT_EQ(k.GetPoziomUprawnien(), 2);
    EXPECT_EQ(k.GetIdentyfikator(), "ANNA");
    EXPECT_EQ(k.GetKodKarty(), "991");
    KSKasjer built(4, "Nowak", 1, "JAN", "", nullptr);
    EXPECT_EQ(built.GetNumer(), 4);
    EXPECT_EQ(built.GetNazwisko(), "Nowak");
    EXPECT_EQ(built.GetKodKarty(), "");

    KSKasjer bad("x;Nowak;high", nullptr);
    try {
        bad.GetNumer();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Błąd odczytu numeru kasjera"));
    }
    try {
        bad.GetPoziomUprawnien();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Błąd odczytu poziomu uprawnień kasjera"));
    }
    EXPECT_EQ(bad.GetNazwisko(), "Nowak");
    EXPECT_EQ(bad.GetIdentyfikator(), "");
}

TEST(KSWalutaTest, FlagsAreUpperCaseTOnly) {
    KSWaluta w("EUR;Euro;43125;T;t", nullptr);
    EXPECT_EQ(w.GetKod(), "EUR");
    EXPECT_EQ(w.GetNazwa(), "Euro");
    EXPECT_EQ(w.GetKurs(), 43125);
    EXPECT_TRUE(w.GetCzyDomyslna());
    EXPECT_FALSE(w.GetCzyMoznaWydawacReszte());
    KSWaluta lower("PLN;Złoty;1;t;T", nullptr);
    EXPECT_FALSE(lower.GetCzyDomyslna());
    EXPECT_TRUE(lower.GetCzyMoznaWydawacReszte());

    TestLibrary t;
    t.host.translations["kstools_KSExpBuf/KSWalutaGetKursExceptio"] = "rate?";
    KSWaluta bad("USD;Dolar;4.1", t.Lib().GetLgLink());
    try {
        bad.GetKurs();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "rate?");
    }
    KSWaluta plain("USD;Dolar;4.1", nullptr);
    try {
        plain.GetKurs();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Błąd odczytu kursu waluty"));
    }
}

TEST(KSWymianyTest, AmountsSumPerTextAndFirstNumber) {
    KSWymiana a("EUR", 43125, 5);
    EXPECT_EQ(a.GetText(), "EUR;43125;5");
    EXPECT_EQ(a.GetKurs(), "EUR;43125");
    KSWymiany sums;
    sums + a + KSWymiana("USD", 40000, 3) + KSWymiana("EUR", 43125, 7) + KSWymiana("EUR", 43000, 1);
    ASSERT_EQ(sums.GetCount(), 3);
    EXPECT_EQ(sums.GetTexts(0), "EUR;43125;12");
    EXPECT_EQ(sums.GetTexts(1), "USD;40000;3");
    EXPECT_EQ(sums.GetTexts(2), "EUR;43000;1");
    sums += KSWymiana("USD", 40000, -3);
    EXPECT_EQ(sums.GetTexts(1), "USD;40000;0");
}

}  // namespace
}  // namespace krv::test
