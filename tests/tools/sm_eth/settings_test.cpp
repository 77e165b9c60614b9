#include "settings.h"

#include <gtest/gtest.h>

#include "ini_file.h"

namespace krv::test {
namespace {

using namespace krv::smeth;

TEST(CommandLine, ReadsTheLibrarysArguments) {
    CommandLine c;
    std::string bad;
    ASSERT_TRUE(ParseCommandLine({"W=1", "I=0", "T=4"}, &c, &bad));
    EXPECT_EQ(c.scale, 1);
    EXPECT_FALSE(c.verbose);
    EXPECT_EQ(c.timeout_s, 4);

    c = {};
    ASSERT_TRUE(ParseCommandLine({"w=2  i=1 t=30", "X=whatever", "plain"}, &c,
                                 &bad));  // one argument, several items
    EXPECT_EQ(c.scale, 2);
    EXPECT_TRUE(c.verbose);
    EXPECT_EQ(c.timeout_s, 30);
}

TEST(CommandLine, RefusesMalformedValues) {
    for (const char* item : {"T=abc", "T=0", "T=", "I=2", "W=0", "W=-1", "T=99999999999"}) {
        CommandLine c;
        std::string bad;
        EXPECT_FALSE(ParseCommandLine({"W=1", item}, &c, &bad)) << item;
        EXPECT_EQ(bad, item);
    }
}

TEST(ScaleAddress, HostPortAndDefaultPort) {
    auto a = ParseScaleAddress("127.0.0.1:5002");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, "127.0.0.1");
    EXPECT_EQ(a->port, 5002);
    a = ParseScaleAddress(" localhost ");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, "localhost");
    EXPECT_EQ(a->port, kDefaultScalePort);
    a = ParseScaleAddress("[::1]:7");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->host, "::1");
    EXPECT_EQ(a->port, 7);
    a = ParseScaleAddress("[::1]");
    ASSERT_TRUE(a);
    EXPECT_EQ(a->port, kDefaultScalePort);
    for (const char* bad : {"", "   ", ":5", "h:", "h:0", "h:65536", "h:5x", "::1", "[::1",
                            "[::1]x", "[::1]:", "a b:1"})
        EXPECT_FALSE(ParseScaleAddress(bad)) << bad;
}

// The files exactly as the library writes them: CR LF, no final line break.
TEST(IniFiles, ReadsTheLibrarysFiles) {
    IniFile program = IniFile::Parse(
        "[Zbiory]\r\nDaneWej=C:\\Wymiana\\digism.exp\r\nDaneWyj=C:\\Wymiana\\digism.err\r\n"
        "SemaforWyj=C:\\Wymiana\\semafor.imp\r\n\r\n[Opcje]\r\nWejscieStronaKodowa=windows-1250");
    ProgramFiles f = ReadProgramFiles(program);
    EXPECT_EQ(f.input, "C:\\Wymiana\\digism.exp");
    EXPECT_EQ(f.errors, "C:\\Wymiana\\digism.err");
    EXPECT_EQ(f.semaphore, "C:\\Wymiana\\semafor.imp");
    EXPECT_EQ(f.codepage, "windows-1250");
    EXPECT_TRUE(IsSupportedCodepage(f.codepage));
    EXPECT_FALSE(IsSupportedCodepage("utf-8"));

    IniFile scales = IniFile::Parse(
        "[1]\r\nNazwa=Waga w dziale mi\xea"
        "sa\r\nAdres=127.0.0.1:5001");
    ScaleEntry s = ReadScale(scales, 1);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.name,
              "Waga w dziale mi\xea"
              "sa");
    EXPECT_EQ(s.address, "127.0.0.1:5001");
    EXPECT_FALSE(ReadScale(scales, 2).found);
}

TEST(IniFiles, NamesIgnoreCaseAndValuesKeepEqualsSigns) {
    IniFile ini =
        IniFile::Parse("; comment\n[ zbiory ]\n  daneWEJ = /tmp/a=b.exp  \n[Other]\nDaneWej=x\n");
    EXPECT_EQ(ini.Get("Zbiory", "DaneWej"), "/tmp/a=b.exp");
    EXPECT_EQ(ini.Get("Zbiory", "DaneWyj"), std::nullopt);
    EXPECT_EQ(ini.Get("other", "danewej"), "x");
    ProgramFiles f = ReadProgramFiles(IniFile::Parse("[Zbiory]\r\nDaneWej=a"));
    EXPECT_EQ(f.errors, "");
    EXPECT_TRUE(IsSupportedCodepage(f.codepage));  // no [Opcje]: Windows-1250
}

}  // namespace
}  // namespace krv::test
