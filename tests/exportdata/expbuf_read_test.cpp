// Reading the host's goods file into the export buffer.
#include <gtest/gtest.h>

#include "exportdata/expbuf.h"
#include "exportdata/test_files.h"
#include "fakes/manual_clock.h"
#include "fakes/test_library.h"
#include "support/cp1250.h"
#include "support/exception.h"

namespace krv::test {
namespace {

const std::string kSep(1, KRV_STATUS_SEPARATOR);

std::string Goods(int plu, const std::string& kod, const char* status = "DOD") {
    return "PLU;" + std::to_string(plu) + ";0;" + kod + ";Towar " + std::to_string(plu) +
           ";100;0;0;0;23;1;F;0;F;F;T;0;;0;" + status;
}

TEST(KSExpBufReadTest, EveryTagOfTheFile) {
    TempDir d;
    WriteAll(d / "kasa.exp",
             "# goods of the shop\r\n"
             "[TOWARY]\r\n"
             "\r\n"
             "   \r\n" +
                 Goods(1, "111") + "\r\n" + Goods(2, "222", "AKT") + "\n" + Goods(3, "333", "USU") +
                 "\r\n" + "   " + Goods(4, "444", "CEN") +
                 "   \r\n"
                 "VAT;23\r\n"
                 "VAT;8;850\r\n"
                 "VAT;-1\r\n"
                 "VAT;zw\r\n"
                 "JM;3;2;kg\r\n"
                 "JM;1;0;szt\r\n"
                 "OPER;3;Kowalska;2;ANNA;991\r\n"
                 "WAL;EUR;Euro;43125;T;F\r\n"
                 "ASS;4;Pieczywo\r\n"
                 "EURO;43125\r\n"
                 "KON;1;A;a;u;k;m;t;n;c;2025-01-01;T;1;0\r\n"
                 "KON;2;B;b;u;k;m;t;n;c;2025-01-01;F;1;0\r\n"
                 "KONA;3;C;c;u;k;m;t;n;c;2025-01-01;T;1;0;5\r\n"
                 "XYZ;whatever;1;2\r\n"
                 "plu;lower case tags are not ours\r\n");
    KSExpBuf buf(nullptr);
    buf.ReadFromFile(d / "kasa.exp", false, -1);

    ASSERT_EQ(buf.Towary().GetCount(), 4);
    EXPECT_EQ(buf.GetGoodsCount(), 4);
    EXPECT_EQ(buf.GetStatusCount(0), 1);
    EXPECT_EQ(buf.GetStatusCount(1), 1);
    EXPECT_EQ(buf.GetStatusCount(2), 1);
    EXPECT_EQ(buf.GetStatusCount(3), 1);
    KSTowRec r;
    buf.CzytajRec(3, &r);
    EXPECT_EQ(r.kod, "444");
    EXPECT_EQ(r.nr_buf, 3);

    EXPECT_EQ(buf.StawkiVat(), (std::vector<std::string>{"23", "8", "-1", "zw"}));
    EXPECT_EQ(buf.StawkiVatPrec(), (std::vector<std::string>{"2300", "850", "-1", "0"}));
    EXPECT_EQ(buf.Jednostki(), (std::vector<std::string>{"3;2;kg", "1;0;szt"}));
    ASSERT_EQ(buf.GetKasjerCount(), 1);
    EXPECT_EQ(buf.GetKasjerText(0), "3;Kowalska;2;ANNA;991");
    EXPECT_EQ(buf.GetKasjer(0)->GetNazwisko(), "Kowalska");
    ASSERT_EQ(buf.GetWalutaCount(), 1);
    EXPECT_EQ(buf.GetWaluta(0)->GetKurs(), 43125);
    ASSERT_EQ(buf.Asortymenty().GetCount(), 1);
    KSAsort a;
    buf.CzytajAsort(0, &a);
    EXPECT_EQ(a.as_name, "Pieczywo");
    EXPECT_DOUBLE_EQ(buf.GetEuroRate(), 4.3125);

    // Two KON lines then a KONA: the kind flag follows the last one.
    EXPECT_FALSE(buf.GetPartnerKind());
    ASSERT_EQ(buf.Kontrahenci().GetCount(), 3);
    EXPECT_EQ(buf.GetPartnerCount(), 3);
    KSKontrRec k;
    for (int i = 0; i < 3; ++i) {
        buf.CzytajRec(i, &k);
        EXPECT_EQ(k.NrBuf, i);
        EXPECT_EQ(k.KontrId, i + 1);
    }
    EXPECT_EQ(k.IloscPunktow, 5);
    EXPECT_FALSE(buf.IsSorted());

    // The file went to the archive beside it first.
    std::string archive = ReadAll(d / "ARCH2.EXP");
    EXPECT_NE(archive.find("[EKSPORT WYKONANY DNIA: "), std::string::npos);
    EXPECT_NE(archive.find(Goods(2, "222", "AKT") + "\r\n"), std::string::npos);
}

TEST(KSExpBufReadTest, CommentsHeadingsAndBlankLinesOnly) {
    TempDir d;
    WriteAll(d / "kasa.exp", "# nothing\r\n[PLU]\r\n\r\n \t \r\n#PLU;1;2\r\n");
    KSExpBuf buf(nullptr);
    buf.ReadFromFile(d / "kasa.exp", true, -1);
    EXPECT_EQ(buf.Towary().GetCount(), 0);
    EXPECT_EQ(buf.GetGoodsCount(), 0);
    EXPECT_FALSE(buf.IsSorted());  // nothing to sort
    EXPECT_TRUE(buf.StawkiVat().empty());
}

TEST(KSExpBufReadTest, ProgressLinesOfASuccessfulRead) {
    TempDir d;
    WriteAll(d / "kasa.exp", Goods(1, "222") + "\r\n" + Goods(2, "111") + "\r\n");
    TestLibrary t;
    auto action = t.Action();
    KSExpBuf buf(action.get());
    buf.ReadFromFile(d / "kasa.exp", true, 2);
    EXPECT_EQ(t.host.Window(), (std::vector<std::string>{"Wczytywanie listy towarów" + kSep + "OK",
                                                         "Analiza listy towarów" + kSep + "OK"}));
    EXPECT_EQ(t.host.MessagesUtf8()[3], "Analiza listy towarów:" + kSep + "100 %");
    EXPECT_TRUE(buf.IsSorted());
    EXPECT_EQ(buf.FindRec("111", 2), 1);
    EXPECT_NE(ReadAll(d / "ARCH2.EXP").find("\r\nWSZYSTKIE\r\n"), std::string::npos);
}

TEST(KSExpBufReadTest, ALongReadShowsItsProgressAndPausesForTheHost) {
    TempDir d;
    std::string lines;
    for (int i = 1; i <= 400; ++i) lines += Goods(i, std::to_string(1000 + i)) + "\r\n";
    WriteAll(d / "kasa.exp", lines);
    TestLibrary t;
    auto action = t.Action();
    KSExpBuf buf(action.get());
    // 64 lines take 600 ms: the reading reports about once a second (at
    // lines 64, 192 and 320), each time with a short pause for the host.
    ManualClock clock;
    clock.AdvanceOnRead(600);
    platform::ScopedClock use(clock);
    buf.ReadFromFile(d / "kasa.exp", true, 2);
    EXPECT_EQ(clock.Sleeps(), (std::vector<int32_t>{20, 20, 20}));
    std::vector<std::string> progress;
    for (const std::string& m : t.host.MessagesUtf8())
        if (m.rfind("Analiza listy towarów:", 0) == 0) progress.push_back(m);
    EXPECT_EQ(progress, (std::vector<std::string>{"Analiza listy towarów:" + kSep + "0 %",
                                                  "Analiza listy towarów:" + kSep + "16 %",
                                                  "Analiza listy towarów:" + kSep + "48 %",
                                                  "Analiza listy towarów:" + kSep + "80 %",
                                                  "Analiza listy towarów:" + kSep + "100 %"}));
    EXPECT_EQ(buf.Towary().GetCount(), 400);
}

TEST(KSExpBufReadTest, BadLineStopsTheReadingAndNamesTheLine) {
    TempDir d;
    WriteAll(d / "kasa.exp", "# header\r\n" + Goods(1, "111") + "\r\n\r\n" +
                                 Goods(2, "222", "NEW") + "\r\n" + Goods(3, "333") + "\r\n");
    TestLibrary t;
    auto action = t.Action();
    KSExpBuf buf(action.get());
    try {
        buf.ReadFromFile(d / "kasa.exp", false, -1);
        FAIL() << "no exception";
    } catch (const EConvertError&) {
        FAIL() << "wrong kind of failure";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Nieprawidłowy format pliku eksportowego"));
    }
    // The row before the bad line stays; the host saw the progress line fail
    // and then which line it was.
    EXPECT_EQ(buf.Towary().GetCount(), 1);
    ASSERT_GE(t.host.messages.size(), 2u);
    const auto& last = t.host.messages.back();
    EXPECT_EQ(last.code, KRV_CB_ADD_MESSAGE);
    EXPECT_EQ(last.kind, KRV_MSG_ERROR);
    EXPECT_EQ(Cp1250ToUtf8(last.text),
              "Błąd w wierszu pliku towarów nr 4: PLU;2;0;222;Towar 2;100;0;0;0;23;1;F;...");
    const auto& before = t.host.messages[t.host.messages.size() - 2];
    EXPECT_EQ(before.code, KRV_CB_CHANGE_LAST_MESSAGE);
    EXPECT_EQ(before.kind, KRV_MSG_ERROR);
    EXPECT_EQ(Cp1250ToUtf8(before.text), "Analiza listy towarów");

    // A conversion error is named the same way; a short line is shown whole.
    WriteAll(d / "kasa.exp", "VAT;23\r\nEUR;abc\r\n");
    TestLibrary t2;
    auto action2 = t2.Action();
    KSExpBuf buf2(action2.get());
    EXPECT_THROW(buf2.ReadFromFile(d / "kasa.exp", false, -1), EConvertError);
    EXPECT_EQ(Cp1250ToUtf8(t2.host.messages.back().text),
              "Błąd w wierszu pliku towarów nr 2: EUR;abc");
    EXPECT_EQ(buf2.StawkiVat().size(), 1u);
}

TEST(KSExpBufReadTest, MissingOrUnreadableFileIsAnError) {
    TempDir d;
    TestLibrary t;
    auto action = t.Action();
    KSExpBuf buf(action.get());
    try {
        buf.ReadFromFile(d / "kasa.exp", false, -1);
        FAIL() << "a missing goods file read as an empty one";
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), W("Brak pliku z listą towarów: ") + (d / "kasa.exp"));
    }
    EXPECT_EQ(t.host.messages.back().kind, KRV_MSG_ERROR);  // the progress line failed
    EXPECT_FALSE(Exists(d / "ARCH2.EXP"));

    // A directory where the file should be cannot be read.
    platform::CreateDirectories(d / "kasa.exp");
    KSExpBuf buf2(nullptr);
    try {
        buf2.ReadFromFile(d / "kasa.exp", false, -1);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(
            e.Message().rfind(W("Błąd odczytu pliku z listą towarów: ") + (d / "kasa.exp"), 0), 0u)
            << e.Message();
    }

    TestLibrary tr;
    tr.host.translations["kstools_KSExpBuf/ufReadFromFileMissing"] = "No goods file: ";
    auto action3 = tr.Action();
    KSExpBuf buf3(action3.get());
    try {
        buf3.ReadFromFile(d / "other.exp", false, -1);
        FAIL();
    } catch (const EFileError& e) {
        EXPECT_EQ(e.Message(), "No goods file: " + (d / "other.exp"));
    }
}

}  // namespace
}  // namespace krv::test
