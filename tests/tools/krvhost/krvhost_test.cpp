// krvhost's own pieces without the library: the profile file, the operation
// window's rendering, the translation file and the export result reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "catalogue.h"
#include "host.h"
#include "krvdll.h"
#include "profile.h"
#include "result_file.h"
#include "text.h"
#include "translations.h"
#include "window.h"

namespace krv::test {
namespace {

using namespace krv::host;

TEST(Profile, KeepsCommentsAndOrderAndAddsToTheRightSection) {
    Profile p;
    std::string error;
    ASSERT_TRUE(
        p.Parse("# my scale\nexchange_dir = /srv/x\n\n[Parameters]\n; note\nDigiSM_Zlacze = "
                "1\n\n[device]\nvat=23,8\n",
                &error))
        << error;
    EXPECT_EQ(p.Get("device", "EXCHANGE_DIR"), "/srv/x")
        << "entries before a heading belong to [device]";
    EXPECT_EQ(p.Get("parameters", "digism_zlacze"), "1");
    EXPECT_EQ(p.Get("device", "vat"), "23,8");
    EXPECT_FALSE(p.Get("hidden", "DigiSM_Zlacze"));

    p.Set("parameters", "DIGISM_ZLACZE", "0");                // replaced in place, spelling kept
    p.Set("parameters", "DigiSM_AdresIP", "127.0.0.1:5001");  // after the section's last entry
    p.Set("hidden", "TV_Tarvisco_X", "a=b;c");                // a new section at the end
    EXPECT_EQ(p.Text(),
              "# my scale\nexchange_dir = /srv/x\n\n[Parameters]\n; note\nDigiSM_Zlacze = 0\n"
              "DigiSM_AdresIP = 127.0.0.1:5001\n\n[device]\nvat=23,8\n\n[hidden]\nTV_Tarvisco_X = "
              "a=b;c\n");
    EXPECT_EQ(p.Get("hidden", "tv_tarvisco_x"), "a=b;c") << "a value may hold = and ;";

    EXPECT_FALSE(p.Parse("[parameters\n", &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(p.Parse("ok = 1\njust text\n", &error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
}

TEST(Profile, SavesThroughATemporaryFileAndLoadsBack) {
    namespace fs = std::filesystem;
    fs::path dir =
        fs::temp_directory_path() /
        ("krvhost-profile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    fs::create_directories(dir);
    std::string path = (dir / "p.ini").string();
    Profile missing(path);
    std::string error;
    EXPECT_TRUE(missing.Load(&error)) << "a missing profile is an empty one";
    missing.Set("parameters", "DigiSMNazwa", "Waga łódzka");
    ASSERT_TRUE(missing.Save(&error)) << error;
    EXPECT_FALSE(fs::exists(path + ".tmp"));
    Profile loaded(path);
    ASSERT_TRUE(loaded.Load(&error)) << error;
    EXPECT_EQ(loaded.Get("parameters", "DigiSMNazwa"), "Waga łódzka");

    // A profile that cannot be replaced is reported, and the old one stays.
    Profile blocked((dir / "no-such-dir" / "p.ini").string());
    blocked.Set("device", "vat", "23");
    EXPECT_FALSE(blocked.Save(&error));
    EXPECT_NE(error.find("cannot write"), std::string::npos);
    fs::remove_all(dir);
}

TEST(Host, ExchangeDirectoryIsWholeAndEndsWithTheSeparator) {
    namespace fs = std::filesystem;
    LibraryApi no_library;
    std::FILE* sink = std::tmpfile();
    OperationWindow window(sink, false, false);
    fs::path folder = fs::absolute(fs::temp_directory_path() / "shop");
    Profile profile((folder / "scale.ini").string());
    Host host(no_library, profile, window, nullptr);
    const std::string sep(1, fs::path::preferred_separator);
    EXPECT_EQ(host.ExchangeDir(), folder.string() + sep) << "default: the profile's folder";
    profile.Set("device", "exchange_dir", "exchange");
    EXPECT_EQ(host.ExchangeDir(), (folder / "exchange").string() + sep)
        << "relative to the profile";
    profile.Set("device", "exchange_dir", (folder / "other" / "").string());
    EXPECT_EQ(host.ExchangeDir(), (folder / "other").string() + sep) << "one separator at the end";
    std::fclose(sink);
}

std::string Capture(bool terminal, bool colours, void (*script)(OperationWindow&)) {
    std::FILE* f = std::tmpfile();
    OperationWindow w(f, terminal, colours);
    script(w);
    w.Finish();
    std::fflush(f);
    std::rewind(f);
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    std::fclose(f);
    return out;
}

// A message line with its status column, as the library sends it.
std::string StatusLine(const std::string& text, const std::string& status) {
    return text + KRV_STATUS_SEPARATOR + status;
}

void Script(OperationWindow& w) {
    w.Add(KRV_MSG_ORDINARY, StatusLine("Wczytywanie listy towarów:", "0 %"));
    w.Replace(KRV_MSG_ORDINARY, StatusLine("Wczytywanie listy towarów:", "50 %"));
    w.Replace(KRV_MSG_ORDINARY, StatusLine("Wczytywanie listy towarów:", "50 %"));
    w.Replace(KRV_MSG_ORDINARY, StatusLine("Wczytywanie listy towarów", "OK"));
    w.Add(KRV_MSG_WARNING, "Eksport tylko do Pliku (digism.exp)");
    w.Add(KRV_MSG_ERROR, "Sterownik zakończył działanie z błędami");
}

TEST(OperationWindow, PlainOutputHasOneLinePerChangeAndMarkers) {
    std::string pad26(52 - 26, ' ');
    std::string pad25(52 - 25, ' ');
    EXPECT_EQ(Capture(false, false, Script),
              "Wczytywanie listy towarów:" + pad26 +
                  "0 %\n"
                  "Wczytywanie listy towarów:" +
                  pad26 +
                  "50 %\n"
                  "Wczytywanie listy towarów" +
                  pad25 +
                  "OK\n"
                  "WARN: Eksport tylko do Pliku (digism.exp)\n"
                  "ERROR: Sterownik zakończył działanie z błędami\n");
}

TEST(OperationWindow, TerminalUpdatesTheRunningLineInPlace) {
    std::string out = Capture(true, false, Script);
    EXPECT_EQ(out.find('\n'), out.find("OK") + 2)
        << "the running line is rewritten, not repeated:\n"
        << out;
    EXPECT_NE(out.find("\r\x1b[KWczytywanie listy towarów:"), std::string::npos);
    std::string coloured = Capture(true, true, Script);
    EXPECT_NE(coloured.find("\x1b[31m\x1b[1mERROR: "), std::string::npos)
        << "errors red and marked";
    EXPECT_NE(coloured.find("\x1b[33m\x1b[1mWARN: "), std::string::npos)
        << "warnings yellow and marked";

    // A long message still gets one blank before its status.
    std::string long_text(60, 'x');
    EXPECT_EQ(OperationWindow::Render(KRV_MSG_ORDINARY, StatusLine(long_text, "OK")),
              long_text + " OK");
    // Separators inside the status column are dropped.
    EXPECT_EQ(OperationWindow::Render(KRV_MSG_ORDINARY, StatusLine("a", StatusLine("1", "2"))),
              "a" + std::string(51, ' ') + "12");
}

TEST(Translations, ParsesLinesEscapesAndRejectsGarbage) {
    Translations t;
    std::string error;
    ASSERT_TRUE(
        t.Parse("\xEF\xBB\xBF# English\r\n"
                "tarvisco_dgaction/TarviscoMakePluRMsgAdd_00001= - to send\r\n"
                "kstools_KSLib/Multi=Tested with:\\nSM-300\\\\x\r\n"
                "tarvisco_dgaction/SendPluRExceptioAnsiStri=No program in \r\n",
                &error))
        << error;
    EXPECT_EQ(t.Find("tarvisco_dgaction", "TarviscoMakePluRMsgAdd_00001"), " - to send");
    EXPECT_EQ(t.Find("kstools_KSLib", "Multi"), "Tested with:\r\nSM-300\\x");
    EXPECT_EQ(t.Find("tarvisco_dgaction", "SendPluRExceptioAnsiStri"), "No program in ")
        << "trailing blank kept";
    EXPECT_FALSE(t.Find("kstools_KSLib", "Other"));
    EXPECT_TRUE(t.Parse("x/y=Wagę\n", &error));
    EXPECT_EQ(t.Find("x", "y"), "Wag\xEA") << "stored in Windows-1250";
    EXPECT_FALSE(t.Parse("no slash=text\n", &error));
    EXPECT_FALSE(t.Parse("section/=text\n", &error));
}

TEST(ExportResult, ReadsResultLinesAndReportsTheOthers) {
    ExportResult r = ParseExportResult(
        "PLU;12;7;777;CEN\r\nPLU;1;0;2900001;DOD\r\n\r\nPLU;x;0;1;DOD\r\nPLU;3;0;1;NEW\r\n");
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0].plu, 12);
    EXPECT_EQ(r.lines[0].koldod, 7);
    EXPECT_EQ(r.lines[0].barcode, "777");
    EXPECT_EQ(r.Count("CEN"), 1);
    EXPECT_EQ(r.Count("DOD"), 1);
    EXPECT_EQ(r.malformed, (std::vector<int>{4, 5}));
    EXPECT_TRUE(ParseExportResult("").lines.empty());
}

TEST(Catalogue, NormalisesValuesByKind) {
    CatalogueEntry timeout{102,   18,  KRV_PARAM_INTEGER, 0, "DigiSM_Timeout", "",
                           "120", "3", "99999",           {}};
    CatalogueEntry link{101, 0,  KRV_PARAM_CHOICE,    0, "DigiSM_Zlacze", "", "1",
                        "",  "", {"Plik", "Ethernet"}};
    CatalogueEntry kody{102,
                        0,
                        KRV_PARAM_CHOICE,
                        0,
                        "DigiSM_KodyKD",
                        "",
                        "1",
                        "",
                        "",
                        {ToCp1250("Krótkie (np. 123)")}};
    std::string stored, error;
    EXPECT_TRUE(Catalogue::Normalise(timeout, " 30 ", &stored, &error));
    EXPECT_EQ(stored, "30");
    EXPECT_FALSE(Catalogue::Normalise(timeout, "2", &stored, &error));
    EXPECT_FALSE(Catalogue::Normalise(timeout, "100000", &stored, &error));
    EXPECT_FALSE(Catalogue::Normalise(timeout, "12a", &stored, &error));
    EXPECT_TRUE(Catalogue::Normalise(link, "Ethernet", &stored, &error));
    EXPECT_EQ(stored, "1");
    EXPECT_TRUE(Catalogue::Normalise(link, "0", &stored, &error));
    EXPECT_EQ(stored, "0");
    EXPECT_FALSE(Catalogue::Normalise(link, "2", &stored, &error));
    EXPECT_NE(error.find("1  Ethernet"), std::string::npos) << "the error lists the choices";
    EXPECT_TRUE(Catalogue::Normalise(kody, "Krótkie (np. 123)", &stored, &error))
        << "UTF-8 choice text";
    EXPECT_EQ(stored, "0");
}

}  // namespace
}  // namespace krv::test
