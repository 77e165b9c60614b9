#include "support/ltools.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <regex>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "exportdata/test_files.h"
#include "fakes/test_library.h"
#include "support/exception.h"

namespace krv::test {
namespace {

const std::string kStamp = "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}";

bool Matches(const std::string& text, const std::string& pattern) {
    return std::regex_match(text, std::regex(pattern));
}

TEST(TLToolsArchiveTest, ExportHeaderKindLineAndLinesWithCrLf) {
    TempDir d;
    WriteAll(d / "kasa.exp", "PLU;1\nPLU;2\r\nlast");
    TLTools::ArchiveFile(d / "kasa.exp", d / "ARCH2.EXP", nullptr, true, 3, true, "");
    EXPECT_TRUE(Matches(ReadAll(d / "ARCH2.EXP"),
                        "\r\n----------- \\[EKSPORT WYKONANY DNIA: " + kStamp +
                            "\\] ------------\r\nZMIANA LISTY\r\nPLU;1\r\nPLU;2\r\nlast\r\n"))
        << ReadAll(d / "ARCH2.EXP");
    EXPECT_EQ(ReadAll(d / "kasa.exp"), "PLU;1\nPLU;2\r\nlast");  // the source stays

    // A second archive run appends; kind 4 has no kind line; the extra line
    // follows the header.
    std::string before = ReadAll(d / "ARCH2.EXP");
    TLTools::ArchiveFile(d / "kasa.exp", d / "ARCH2.EXP", nullptr, true, 4, true, "extra");
    std::string added = ReadAll(d / "ARCH2.EXP").substr(before.size());
    EXPECT_TRUE(Matches(added, "\r\n----------- \\[EKSPORT WYKONANY DNIA: " + kStamp +
                                   "\\] ------------\r\nextra\r\nPLU;1\r\nPLU;2\r\nlast\r\n"))
        << added;
}

TEST(TLToolsArchiveTest, AnEntryCutShortIsNeverExtendedByTheNext) {
    // A kill during the append leaves a last line without its end; the next
    // export's entry starts on a fresh line, and every earlier byte stays.
    const struct {
        const char* torn;
        const char* seal;
    } cases[] = {{"PLU;3;pa", "\r\n"}, {"PLU;3;part\r", "\n"}};
    for (const auto& c : cases) {
        TempDir d;
        WriteAll(d / "kasa.exp", "PLU;1\r\n");
        TLTools::ArchiveFile(d / "kasa.exp", d / "ARCH2.EXP", nullptr, true, 2, true, "");
        const std::string before = ReadAll(d / "ARCH2.EXP") + c.torn;
        WriteAll(d / "ARCH2.EXP", before);
        TLTools::ArchiveFile(d / "kasa.exp", d / "ARCH2.EXP", nullptr, true, 2, true, "");
        const std::string after = ReadAll(d / "ARCH2.EXP");
        ASSERT_EQ(after.substr(0, before.size()), before);
        EXPECT_TRUE(Matches(after.substr(before.size()),
                            std::string(c.seal) + "\r\n-+ \\[EKSPORT WYKONANY DNIA: " + kStamp +
                                "\\] -+\r\nWSZYSTKIE\r\nPLU;1\r\n"))
            << after;
    }
}

TEST(TLToolsArchiveTest, KindLinesImportHeaderAndNoHeader) {
    const char* kinds[] = {"OTWARTA ZM. FISK.", "ZAMKNIETA ZM. FISK.", "WSZYSTKIE", "ZMIANA LISTY"};
    for (int kind = 0; kind < 4; ++kind) {
        TempDir d;
        WriteAll(d / "src", "");
        TLTools::ArchiveFile(d / "src", d / "arch", nullptr, true, kind, true, "");
        EXPECT_TRUE(Matches(ReadAll(d / "arch"), "\r\n-+ \\[EKSPORT WYKONANY DNIA: " + kStamp +
                                                     "\\] -+\r\n" + kinds[kind] + "\r\n"))
            << kind;
    }
    TempDir d;
    WriteAll(d / "src", "a\r\n");
    TLTools::ArchiveFile(d / "src", d / "arch", nullptr, false, 2, true, "");
    EXPECT_TRUE(Matches(ReadAll(d / "arch"), "\r\n------------ \\[IMPORT WYKONANY DNIA: " + kStamp +
                                                 "\\] ------------\r\na\r\n"));
    TLTools::ArchiveFile(d / "src", d / "plain", nullptr, true, 0, false, "note");
    EXPECT_EQ(ReadAll(d / "plain"), "note\r\na\r\n");
    TLTools::ArchiveFile(d / "src", d / "bare", nullptr, true, 0, false, "");
    EXPECT_EQ(ReadAll(d / "bare"), "a\r\n");
}

TEST(TLToolsArchiveTest, MissingSourceLeavesTheArchiveAlone) {
    TempDir d;
    TLTools::ArchiveFile(d / "none", d / "arch", nullptr, true, 0, true, "x");
    EXPECT_FALSE(Exists(d / "arch"));
    WriteAll(d / "arch", "old");
    TLTools::ArchiveFile(d / "none", d / "arch", nullptr, true, 0, true, "x");
    EXPECT_EQ(ReadAll(d / "arch"), "old");
}

#ifndef _WIN32
// A source the system cannot examine is no missing one: the export must not
// go on without its archive copy.
TEST(TLToolsArchiveTest, UnexaminableSourceFailsNamingItAndTheReason) {
    TempDir d;
    ASSERT_EQ(::symlink((d / "loop").c_str(), (d / "loop").c_str()), 0);
    WriteAll(d / "arch", "old");
    try {
        TLTools::ArchiveFile(d / "loop", d / "arch", nullptr, true, 0, true, "x");
        ADD_FAILURE() << "no failure";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find(d / "loop"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find(std::strerror(ELOOP)), std::string::npos) << e.Message();
    }
    EXPECT_EQ(ReadAll(d / "arch"), "old");
}
#endif

TEST(TLToolsArchiveTest, HeaderTextsComeFromTheTranslation) {
    TestLibrary t;
    t.host.translations["kstools_LTools/oolsArchiveFlineAnsiStri"] = "\r\n== EXPORT OF ";
    t.host.translations["kstools_LTools/sArchiveFto_fileWriteLin_00002"] = "EVERYTHING";
    TempDir d;
    WriteAll(d / "src", "");
    TLTools::ArchiveFile(d / "src", d / "arch", t.Lib().GetLgLink(), true, 2, true, "");
    EXPECT_TRUE(Matches(ReadAll(d / "arch"),
                        "\r\n== EXPORT OF " + kStamp + "\\] ------------\r\nEVERYTHING\r\n"))
        << ReadAll(d / "arch");
}

TEST(TLToolsFilesTest, NumberedCopiesMoveUpByOne) {
    TempDir d;
    WriteAll(d / "arch_0001.exp", "one");
    WriteAll(d / "arch_0002.exp", "two");
    WriteAll(d / "arch_x.exp", "skip");
    WriteAll(d / "arch.exp", "current");
    TLTools::ArchiveFileUpdateFileNames(d / "arch.exp");
    EXPECT_FALSE(Exists(d / "arch_0001.exp"));
    EXPECT_EQ(ReadAll(d / "arch_0002.exp"), "one");
    EXPECT_EQ(ReadAll(d / "arch_0003.exp"), "two");
    EXPECT_EQ(ReadAll(d / "arch_x.exp"), "skip");
    EXPECT_EQ(ReadAll(d / "arch.exp"), "current");

    // A base name with "_" of its own is renumbered too.
    WriteAll(d / "my_log_0009.txt", "nine");
    TLTools::ArchiveFileUpdateFileNames(d / "my_log.txt");
    EXPECT_EQ(ReadAll(d / "my_log_0010.txt"), "nine");
    TLTools::ArchiveFileUpdateFileNames(d / "nothing_here.txt");  // never fails
}

TEST(TLToolsFilesTest, BufferWritesReplaceAppendAndGoThroughTheTemporaryFile) {
    TempDir d;
    WriteAll(d / "f", "a much longer old content");
    TLTools::BufToFile("new", d / "f");
    EXPECT_EQ(ReadAll(d / "f"), "new");
    TLTools::BufToAppendFile(std::string("+\0+", 3), d / "f");
    EXPECT_EQ(ReadAll(d / "f"), std::string("new+\0+", 6));
    TLTools::BufToAppendFile("x", d / "created");
    EXPECT_EQ(ReadAll(d / "created"), "x");

    TLTools::BufToFileEx("whole", d / "g", d / "g.tmp", nullptr, false);
    EXPECT_EQ(ReadAll(d / "g"), "whole");
    EXPECT_FALSE(Exists(d / "g.tmp"));
    TLTools::BufToFileEx(" more", d / "g", d / "g.tmp", nullptr, true);
    EXPECT_EQ(ReadAll(d / "g"), "whole more");
    EXPECT_FALSE(Exists(d / "g.tmp"));
    TLTools::BufToFileEx("first", d / "h", d / "h.tmp", nullptr, true);
    EXPECT_EQ(ReadAll(d / "h"), "first");
}

TEST(TLToolsFilesTest, RenFileReplacesAndReportsFailures) {
    TempDir d;
    WriteAll(d / "old", "o");
    WriteAll(d / "new", "n");
    TLTools::RenFile(d / "old", d / "new", nullptr);
    EXPECT_EQ(ReadAll(d / "new"), "o");
    EXPECT_FALSE(Exists(d / "old"));
    try {
        TLTools::RenFile(d / "old", d / "other", nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Błąd zmiany nazwy pliku") + (d / "other"));
    }
    // A target that cannot be deleted (a directory) stops before the rename.
    platform::CreateDirectories(d / "dir");
    WriteAll(d / "dir" + std::string(1, platform::PathSeparator()) + "inside", "");
    try {
        TLTools::RenFile(d / "new", d / "dir", nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Błąd usunięcia pliku ") + (d / "dir"));
    }
    EXPECT_EQ(ReadAll(d / "new"), "o");
}

TEST(TLToolsFilesTest, IsFileCountsOrdinaryFilesOnly) {
    TempDir d;
    EXPECT_FALSE(TLTools::IsFile(d / "*.exp"));
    platform::CreateDirectories(d / "dir.exp");
    EXPECT_FALSE(TLTools::IsFile(d / "*.exp"));
    if (platform::PathSeparator() == '/') {
        WriteAll(d / ".hidden.exp", "");
        EXPECT_FALSE(TLTools::IsFile(d / "*.exp"));
    }
    WriteAll(d / "kasa.exp", "");
    EXPECT_TRUE(TLTools::IsFile(d / "*.exp"));
    EXPECT_TRUE(TLTools::IsFile(d / "kasa.exp"));
    EXPECT_FALSE(TLTools::IsFile(d / "kasa.ex"));
}

TEST(TLToolsFilesTest, SaveListShortPathAndBinaries) {
    TempDir d;
    WriteAll(d / "list.txt", "a much longer old file\r\n\r\n\r\n");
    std::vector<std::string> list = {"one", "", "three"};
    TLTools::SaveListToFile(&list, d / "list.txt");
    EXPECT_EQ(ReadAll(d / "list.txt"), "one\r\n\r\nthree\r\n");
    TLTools::SaveListToFile(nullptr, d / "none.txt");
    EXPECT_FALSE(Exists(d / "none.txt"));

    EXPECT_EQ(TLTools::GetDirShortPath(d / "missing"), "0");
    EXPECT_NE(TLTools::GetDirShortPath(d.Dir()), "0");

    std::string bin = TLTools::WczytajSciezkeDoBinariow();
    EXPECT_TRUE(bin.empty() || bin.back() == '\\') << bin;
    if (platform::PathSeparator() == '/') {
        EXPECT_EQ(bin, "");
    }
}

TEST(TLToolsTextTest, NumbersFromText) {
    EXPECT_EQ(TLTools::Str2Vat("zw"), -1);
    EXPECT_EQ(TLTools::Str2Vat("22"), 22);
    EXPECT_THROW(TLTools::Str2Vat("ZW"), EConvertError);
    EXPECT_THROW(TLTools::Str2Vat(""), EConvertError);
    EXPECT_EQ(TLTools::Str2Int("12.34", 2), 1234);
    EXPECT_EQ(TLTools::Str2Int("-0.5", 0), -1);  // half away from zero
    EXPECT_EQ(TLTools::Str2Int("7", 3), 7000);
    EXPECT_THROW(TLTools::Str2Int("1,5", 1), EConvertError);
    EXPECT_THROW(TLTools::Str2Int("99999999", 3), EConvertError);  // beyond an int
}

TEST(TLToolsTextTest, CopyTillStrMaxAndStrSize) {
    std::string out = "old";
    EXPECT_EQ(TLTools::CopyTill("ab;cd", out, ";", 1), "ab");
    EXPECT_EQ(out, "ab");
    EXPECT_EQ(TLTools::CopyTill("ab;cd", out, ";", 4), "cd");
    EXPECT_EQ(TLTools::CopyTill("ab;cd", out, ";,", 3), "");
    EXPECT_EQ(TLTools::CopyTill("ab;cd", out, ";", 6), "");
    EXPECT_EQ(out, "");
    EXPECT_EQ(TLTools::CopyTill("ab", out, ";", 0), "");

    EXPECT_EQ(TLTools::StrMax("abcdefgh", 6, true), "abc...");
    EXPECT_EQ(TLTools::StrMax("abcdefgh", 3, true), "abc");
    EXPECT_EQ(TLTools::StrMax("abcdefgh", 4, true), "a...");
    EXPECT_EQ(TLTools::StrMax("abcdefgh", 6, false), "abcdef");
    EXPECT_EQ(TLTools::StrMax("abc", 3, true), "abc");
    EXPECT_EQ(TLTools::StrMax("abc", -1, true), "");

    std::string s = "123";
    EXPECT_EQ(TLTools::StrSize(s, 6, '0', just_right, just_left), "000123");
    EXPECT_EQ(s, "000123");
    s = "123";
    EXPECT_EQ(TLTools::StrSize(s, 5, '*', just_left, just_left), "123**");
    s = "1234567";
    EXPECT_EQ(TLTools::StrSize(s, 4, ' ', just_left, just_right), "4567");
    s = "1234567";
    EXPECT_EQ(TLTools::StrSize(s, 4, ' ', just_left, static_cast<e_just>(7)), "1234");
    s = "1234";
    EXPECT_EQ(TLTools::StrSize(s, 4, ' ', just_right, just_right), "1234");
}

TEST(TLToolsTextTest, Ean13CheckDigit) {
    std::string code = "590123412345";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "5901234123457");
    code = "5901234123450";  // a wrong check digit is replaced
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "5901234123457");
    code = "";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "0000000000000");
    code = "12-34";
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "1234000000008");
    code = " 4006381333931 99";  // more than 12 digits: the first 12 count
    TLTools::KorygujCyfreKontrolnaEAN13(code);
    EXPECT_EQ(code, "4006381333931");
}

}  // namespace
}  // namespace krv::test
