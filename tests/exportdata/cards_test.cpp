// Customer cards: card-format templates (validation, composing, parsing) and
// partners turned into goods whose barcodes are their card codes.
#include "exportdata/karta_rab.h"

#include <gtest/gtest.h>

#include "exportdata/expbuf.h"
#include "exportdata/test_files.h"
#include "fakes/test_library.h"
#include "support/exception.h"

namespace krv::test {
namespace {

std::string Card(const std::string& wzorzec, const std::string& number, int y = 2026, int m = 3,
                 int d = 5, int level = 0) {
    TKartaRab card;
    card.KodKarty = number;
    card.TerminWaznosci.SetValue(TdtTools::EncodeDate(y, m, d));
    card.PoziomRabatu = level;
    return card.Poskladaj(wzorzec, nullptr);
}

std::string Fault(const std::string& wzorzec) {
    try {
        TKartaRab::SprawdzPoprawnoscWzorca(wzorzec, nullptr);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(valid)";
}

bool ValidEan13(const std::string& code) {
    if (code.size() != 13) return false;
    int sum = 0;
    for (int i = 0; i < 12; ++i) sum += (code[static_cast<size_t>(i)] - '0') * (i % 2 ? 3 : 1);
    return (10 - sum % 10) % 10 == code[12] - '0';
}

TEST(CardTemplate, FaultsInTheirOrder) {
    EXPECT_EQ(Fault(""),
              W("TKartaRab: jak mam przetwarzać karty klienta, jeśli format nie wprowadzony?"));
    // Several faults at once: the first check that fails names it.
    EXPECT_EQ(Fault("xkyY-"), W("TKartaRab: w formacie nie mogą występować równocześnie y i Y"));
    EXPECT_EQ(Fault("kmM"), W("TKartaRab: w formacie nie mogą występować równocześnie m i M"));
    EXPECT_EQ(Fault("kdD"), W("TKartaRab: w formacie nie mogą występować równocześnie d i D"));
    EXPECT_EQ(Fault("xkkk-"), W("TKartaRab: cyfra kontrolna EAN13 (literka 'x' w formacie karty) "
                                "może być tylko na 13 miejscu, albo wcale"));
    EXPECT_EQ(Fault("kk-kkx"), W("TKartaRab: niedopuszczalne znaki w formacie karty - używaj tylko "
                                 "0-9 oraz skymdYMDrx"));
    EXPECT_EQ(Fault("ssrr"),
              W("TKartaRab: format karty musi zawierać sekcję z kodem klienta (\"kkk...\")"));
    EXPECT_EQ(Fault("KKK"), Fault("kk-kkx"));  // letters are case-sensitive
    EXPECT_EQ(Fault("s0kkkkkkkkkkx"), "(valid)");
    EXPECT_EQ(Fault("s0kkkkkkkkkkxk"), "(valid)");

    TestLibrary lib;
    lib.host.translations["kstools_KartaRab/TKartaRaSprawdzPExceptio_00006"] = "no card number";
    EXPECT_THROW(
        {
            try {
                TKartaRab::SprawdzPoprawnoscWzorca("rr", lib.Lib().GetLgLink());
            } catch (const Exception& e) {
                EXPECT_EQ(e.Message(), "no card number");
                throw;
            }
        },
        Exception);
}

TEST(CardTemplate, ComposesFieldsToTheirRuns) {
    const std::string ean = Card("28kkkkkkkkkkx", "12345");
    EXPECT_EQ(ean.substr(0, 12), "280000012345");
    EXPECT_TRUE(ValidEan13(ean)) << ean;

    EXPECT_EQ(Card("kyy", "1"), "126");
    EXPECT_EQ(Card("kYY", "1"), "120");
    EXPECT_EQ(Card("kyyyy", "1"), "12026");
    EXPECT_EQ(Card("kmm", "1"), "103");
    EXPECT_EQ(Card("kM", "1", 2026, 12), "11");  // the first digit of 12
    EXPECT_EQ(Card("km", "1", 2026, 12), "12");  // the last digit
    EXPECT_EQ(Card("kDD", "1", 2026, 1, 9), "109");
    EXPECT_EQ(Card("kkk", "12345"), "123");                 // a long card number loses its end
    EXPECT_EQ(Card("sskkr", "7", 2026, 3, 5, 4), "00074");  // no prefix: zeros
    EXPECT_EQ(Card("9kk1rr", "5", 2026, 3, 5, 123), "905112");
    // A field met again (a second run of its letter) is written again.
    EXPECT_EQ(Card("kk0kk", "42"), "42042");
}

TEST(CardTemplate, ParsesTheCardNumberBack) {
    TKartaRab card;
    card.Przedrostek = 9;
    card.KodKarty = "old";
    card.Rozparsuj("28kkkkkkkkkkx", "2800000123453", nullptr);
    EXPECT_EQ(card.KodKarty, "0000012345");
    EXPECT_EQ(card.Przedrostek, 0);
    card.Rozparsuj("99kkkkk", "99123", nullptr);  // a short code gives what it has
    EXPECT_EQ(card.KodKarty, "123");
    card.Rozparsuj("99kkkkk", "9", nullptr);
    EXPECT_EQ(card.KodKarty, "");
    EXPECT_THROW(card.Rozparsuj("99", "99123", nullptr), Exception);
}

// A buffer with one VAT rate and one unit, read from a goods file.
struct CardBuffer {
    TempDir dir;
    KSExpBuf buf;
    explicit CardBuffer(TKSActionBase* action,
                        const std::string& lists = "VAT;23\r\nJM;5;0;szt\r\n")
        : buf(action) {
        WriteAll(dir / "kasa.exp", lists);
        buf.ReadFromFile(dir / "kasa.exp", false, -1);
    }
    void Partners(int count, int firstId = 1) {
        for (int i = 0; i < count; ++i) {
            KSKontrRec k;
            k.KontrId = firstId + i;
            k.Nazwa = "Klient " + std::to_string(i);
            k.KodKarty = std::to_string(i);
            k.TermWaznKarty = TdtTools::EncodeDate(2027, 6, 30);
            k.PoziomRabatu = i % 10;
            k.IloscPunktow = i;
            buf.DodajRec(&k);
        }
    }
};

TEST(CustomerCards, EveryPartnerBecomesGoods) {
    TestLibrary lib;
    auto action = lib.Action();
    CardBuffer c(action.get());
    c.Partners(3500);
    std::string debug;
    EXPECT_EQ(c.buf.UtworzTowaryZKontrahentow(100000, "29kkkkkkrryyx", debug), 3500);
    ASSERT_EQ(c.buf.GetGoodsCount(), 3500);
    KSTowRec t;
    c.buf.CzytajRec(1234, &t);
    EXPECT_EQ(t.plu, 101235);
    EXPECT_EQ(t.nazwa, "Klient 1234");
    EXPECT_EQ(t.kod.substr(0, 12), "290012340427");
    EXPECT_TRUE(ValidEan13(t.kod));
    EXPECT_EQ(t.cena, 123400);
    EXPECT_EQ(t.cena_hurt, 123400);
    EXPECT_EQ(t.cena_noc, 123400);
    EXPECT_EQ(t.cena_dod, 123400);
    EXPECT_EQ(t.status, kStatusAdd);
    EXPECT_TRUE(t.fd_tow_z_kontr);
    EXPECT_EQ(t.jedn, 5);
    EXPECT_EQ(t.stawka, 23);
    EXPECT_EQ(c.buf.GetStatusCount(kStatusAdd), 3500);

    // The debug text: its head, 3000 cards of two lines each, and one closing line.
    const std::string head =
        "----------- [DEBUG KONWERSJI DANYCH KONTRAHENTA NA KOD KARTY RABATOWEJ] ------------\r\n";
    EXPECT_EQ(debug.rfind(head, 0), 0u);
    EXPECT_EQ(debug.substr(debug.size() - 8), "itd...\r\n");
    size_t cards = 0;
    for (size_t at = debug.find("(kod po konwersji)"); at != std::string::npos;
         at = debug.find("(kod po konwersji)", at + 1))
        ++cards;
    EXPECT_EQ(cards, 3000u);
    const std::string first = debug.substr(head.size(), debug.find("(format)") + 10 - head.size());
    EXPECT_EQ(first, W(" 0(przedrostek) + 2027-06-30(termin ważn.) + 0(poziom rab.) + "
                       "            0(kod karty) ---> 29kkkkkkrryyx (format)\r\n"));

    // The progress line ends finished.
    const auto window = lib.host.MessagesUtf8();
    ASSERT_FALSE(window.empty());
    EXPECT_EQ(window.back().rfind("Przygotowanie kart stałego klienta..."), 0u) << window.back();
}

TEST(CustomerCards, FailuresStopTheConversion) {
    TestLibrary lib;
    auto action = lib.Action();
    {
        CardBuffer c(action.get(), "JM;5;0;szt\r\n");  // no VAT rate
        c.Partners(2);
        std::string debug;
        EXPECT_THROW(
            {
                try {
                    c.buf.UtworzTowaryZKontrahentow(0, "kkkk", debug);
                } catch (const Exception& e) {
                    EXPECT_EQ(e.Message(), W("Konwersja kontrahentów na towary - błąd stawki VAT"));
                    throw;
                }
            },
            Exception);
        EXPECT_EQ(action->ProgressState(), lpvFailed);
    }
    {
        CardBuffer c(action.get());
        c.Partners(2);
        std::string debug;
        EXPECT_THROW(c.buf.UtworzTowaryZKontrahentow(0, "ssrr", debug), Exception);
        EXPECT_EQ(c.buf.GetGoodsCount(), 0);
    }
    {
        // A partner number that would not fit a goods number is refused, not wrapped.
        CardBuffer c(nullptr);
        c.Partners(1);
        c.Partners(1, 2147483000);
        std::string debug;
        EXPECT_THROW(c.buf.UtworzTowaryZKontrahentow(1000, "kkkk", debug), Exception);
        EXPECT_EQ(c.buf.GetGoodsCount(), 1);  // goods made before the failure stay
    }
}

}  // namespace
}  // namespace krv::test
