// Numbers read and written by the support layer do not follow the process
// locale: a host that switched to Polish (decimal comma) still gets 1999.60
// read as 1999.6 and written back with a point.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "fakes/polish_locale.h"
#include "support/exception.h"
#include "support/ltools.h"
#include "support/mdataset.h"
#include "support/strutil.h"
#include "support/txftools.h"

namespace krv::test {
namespace {

// The same checks in the C locale and under Polish: reading with the C rules
// stops at the first character that is not part of the number.
void ExpectPointNumbers() {
    EXPECT_DOUBLE_EQ(AtoF("1999.60"), 1999.6);
    EXPECT_DOUBLE_EQ(AtoF("  -0.5;x"), -0.5);
    EXPECT_DOUBLE_EQ(AtoF("+12.5e1zl"), 125.0);
    EXPECT_DOUBLE_EQ(AtoF("12,50"), 12.0);  // a comma ends the number
    EXPECT_DOUBLE_EQ(AtoF(".25"), 0.25);
    EXPECT_DOUBLE_EQ(AtoF("+-3"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("x1"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("0x10;"), 16.0);  // hexadecimal, as the C library reads it
    EXPECT_DOUBLE_EQ(AtoF("0x"), 0.0);
    EXPECT_DOUBLE_EQ(AtoF("0xg"), 0.0);
    EXPECT_EQ(AtoF("1e999"), HUGE_VAL);
    EXPECT_EQ(AtoF("-1e999"), -HUGE_VAL);
    EXPECT_EQ(AtoF("1e-999"), 0.0);
    EXPECT_EQ(AtoF("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(AtoI(" -42.7"), -42);
    EXPECT_EQ(AtoI("+-1"), 0);
    EXPECT_EQ(AtoI("99999999999"), 0);

    EXPECT_DOUBLE_EQ(TxfTools::FromString(" 1999.60 "), 1999.6);
    EXPECT_DOUBLE_EQ(TxfTools::FromString("+7."), 7.0);
    EXPECT_THROW(TxfTools::FromString("1999,60"), EConvertError);
    EXPECT_FALSE(TxfTools::TryFromString(std::string(400, '9')));  // beyond a double
    EXPECT_EQ(TxfTools::ToString(1999.6, 2), "1999.60");
    EXPECT_EQ(TxfTools::ToString(-0.125, 2), "-0.13");
    EXPECT_EQ(TxfTools::ToString(123456789.25, 1), "123456789.3");
    EXPECT_EQ(TxfTools::ToString(2.5, -3), "3");
    EXPECT_EQ(DecimalToString(std::numeric_limits<double>::max(), 2).size(), 312u);
    EXPECT_EQ(TLTools::Str2Int("19.996", 2), 2000);
    EXPECT_EQ(Format("stawka %.02f%%, cena %.0f", 23.0, 1999.6), "stawka 23.00%, cena 2000");

    // A data set's float column keeps its point both ways.
    TMDataSet set;
    TMField* price = set.GetFields().Add();
    price->SetName("cena");
    price->SetType(TMFieldType::ftFloat);
    set.Open();
    set.Append();
    price->SetAsString("1999.60");
    EXPECT_DOUBLE_EQ(price->GetAsExtended(), 1999.6);
    EXPECT_EQ(price->GetAsString(), "1999.6");
}

TEST(NumberLocaleTest, PointInTheCLocale) { ExpectPointNumbers(); }

TEST(NumberLocaleTest, PointUnderAPolishLocale) {
    PolishLocale polish;
    if (!polish.Active()) GTEST_SKIP() << polish.Why();
    char before[16], after[16];
    std::snprintf(before, sizeof before, "%.1f", 1.5);
    ExpectPointNumbers();
    // The host's own formatting keeps its locale.
    std::snprintf(after, sizeof after, "%.1f", 1.5);
    EXPECT_STREQ(after, before);
}

}  // namespace
}  // namespace krv::test
