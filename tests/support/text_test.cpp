// Encoding, text helpers, numbers and dates of the support layer.
#include <gtest/gtest.h>

#include "support/cp1250.h"
#include "support/exception.h"
#include "support/lgext.h"
#include "support/macset.h"
#include "support/strutil.h"
#include "support/tdttools.h"
#include "support/txftools.h"
#include "support/txtools.h"

namespace krv::test {
namespace {

TEST(Cp1250Test, PolishLettersRoundTrip) {
    const std::string polish = "Zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ";
    std::string w = Utf8ToCp1250(polish);
    EXPECT_EQ(w.size(), 35u);
    EXPECT_EQ(static_cast<unsigned char>(Utf8ToCp1250("ą")[0]), 0xB9);
    EXPECT_EQ(static_cast<unsigned char>(Utf8ToCp1250("Ś")[0]), 0x8C);
    EXPECT_EQ(static_cast<unsigned char>(Utf8ToCp1250("€")[0]), 0x80);
    EXPECT_EQ(Cp1250ToUtf8(w), polish);
    // Everything Windows-1250 defines survives the trip.
    for (int b = 0; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) continue;
        EXPECT_EQ(Utf8ToCp1250(Cp1250ToUtf8(one)), one) << b;
    }
    EXPECT_EQ(Utf8ToCp1250("日本"), "??");
    EXPECT_EQ(Utf8ToCp1250("a\xC3"), "a?");  // cut sequence
}

TEST(StrUtilTest, TrimIntegersAndLines) {
    EXPECT_EQ(Trim("\t a b \r\n"), "a b");
    EXPECT_EQ(UpperCase("digiSM_1"), "DIGISM_1");
    EXPECT_EQ(TryStrToInt("-12"), -12);
    EXPECT_EQ(TryStrToInt("+7"), 7);
    EXPECT_FALSE(TryStrToInt(""));
    EXPECT_FALSE(TryStrToInt("12a"));
    EXPECT_FALSE(TryStrToInt(" 12"));
    EXPECT_FALSE(TryStrToInt("-"));
    EXPECT_FALSE(TryStrToInt("2147483648"));
    EXPECT_EQ(TryStrToInt("-2147483648"), INT32_MIN);
    EXPECT_THROW(StrToInt("x"), EConvertError);
    EXPECT_EQ(AtoI("  42abc"), 42);
    EXPECT_EQ(AtoI("abc"), 0);
    EXPECT_DOUBLE_EQ(AtoF("12.5zl"), 12.5);
    EXPECT_DOUBLE_EQ(AtoF(""), 0.0);
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(SplitLines("").empty());
    EXPECT_EQ(Format("%08.0f|%-3s|", 1998.5, "ab"), "00001998|ab |");
    char buf[6] = "zzzzz";
    CopyToBuffer(buf, 5, "abcdefgh");
    EXPECT_STREQ(buf, "abcde");
}

TEST(NumberTest, ReadingAndRounding) {
    EXPECT_DOUBLE_EQ(TxfTools::FromString(" 12.34 "), 12.34);
    EXPECT_DOUBLE_EQ(TxfTools::FromString("-5"), -5);
    EXPECT_THROW(TxfTools::FromString("12,34"), EConvertError);
    EXPECT_THROW(TxfTools::FromString(""), EConvertError);
    EXPECT_DOUBLE_EQ(TxfTools::FromString("", 10, true), 0);
    EXPECT_DOUBLE_EQ(TxfTools::Round(999.5, 0), 1000);
    EXPECT_DOUBLE_EQ(TxfTools::Round(-2.5, 0), -3);
    EXPECT_DOUBLE_EQ(TxfTools::Round(2.675, 2), 2.68);
    EXPECT_DOUBLE_EQ(TxfTools::Round(1998 * 0.5, 0), 999);
    EXPECT_EQ(TxfTools::ToString(23.0, 2), "23.00");
    EXPECT_EQ(TxfTools::ToString(8.5, 2), "8.50");
}

TEST(DateTest, FormatsAndCalendar) {
    EXPECT_DOUBLE_EQ(TdtTools::EncodeDate(1899, 12, 30), 0);
    EXPECT_DOUBLE_EQ(TdtTools::EncodeDate(1970, 1, 1), 25569);
    EXPECT_DOUBLE_EQ(TdtTools::EncodeDate(2000, 3, 1) - TdtTools::EncodeDate(2000, 2, 28), 2);
    TdtTools d;
    ASSERT_TRUE(d.FromString("2026-12-08 15:47:05", 13));
    EXPECT_EQ(d.ToString(7), "2026-12-08 15:47:05");
    EXPECT_EQ(d.ToString(1), "2026-12-08");
    EXPECT_EQ(d.ToString(5), "15:47:05.000");
    EXPECT_DOUBLE_EQ(d.Date(), TdtTools::EncodeDate(2026, 12, 8));
    ASSERT_TRUE(d.FromString("2024-02-29", 13));
    EXPECT_EQ(d.ToString(13), "2024-02-29 00:00:00");
    EXPECT_FALSE(d.FromString("2023-02-29", 13));
    EXPECT_DOUBLE_EQ(d.Value(), 0);
    EXPECT_FALSE(d.FromString("", 13));
    EXPECT_FALSE(d.FromString("2024-01-01", 7));
    EXPECT_FALSE(d.FromString("2024-01-01 25:00:00", 13));
    EXPECT_GT(TdtTools::Now(), TdtTools::EncodeDate(2020, 1, 1));
}

TEST(TxToolsTest, WordsAndFilters) {
    TxTools t("id;2;kg");
    EXPECT_EQ(t.SelectWord(2, ";"), "kg");
    bool found = true;
    EXPECT_EQ(t.SelectWordEx(3, found, ";"), "");
    EXPECT_FALSE(found);
    EXPECT_EQ(TxTools("12-34 x").DelAnyOtherChar("0123456789").Text(), "1234");
    EXPECT_EQ(TxTools("a-b-c").DelAnyChar("-").Text(), "abc");
    EXPECT_EQ(TxTools("a,b").Chars2Char(',', '.').Text(), "a.b");
}

TEST(MacSetTest, KeepsOrderIgnoresDuplicatesAndOverflow) {
    TMacSetOfIntegers s(3);
    EXPECT_TRUE(s.Add(23));
    EXPECT_FALSE(s.Add(23));
    s.Add(8);
    s.Add(5);
    EXPECT_FALSE(s.Add(0));
    EXPECT_EQ(s.GetCount(), 3);
    EXPECT_EQ(s.GetValues(2), 5);
}

TEST(LgExtTest, DefaultsWithoutTranslation) {
    EXPECT_EQ(Tr(nullptr, "s", "k", "Błąd"), Utf8ToCp1250("Błąd"));
    TMLgExtTools none(nullptr);
    EXPECT_EQ(TMLgExtTools::GetString(&none, "s", "k", 0, "x"), "x");
}

}  // namespace
}  // namespace krv::test
