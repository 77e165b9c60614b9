// Date and time texts as properties: every text the library writes in a
// format reads back to the same value in that format, over four centuries of
// days and every time of a day; and a table of texts each format refuses.
#include <gtest/gtest.h>

#include "support/tdttools.h"

namespace krv {
namespace {

TEST(TdtToolsProperty, EveryWrittenTextReadsBackToItsValue) {
    // Day by day over 400 years (one whole leap-year cycle), at a time of
    // day that changes with the day.
    const double first = TdtTools::EncodeDate(1900, 1, 1), last = TdtTools::EncodeDate(2300, 1, 1);
    int checked = 0;
    for (double day = first; day < last; day += 1, ++checked) {
        const int n = static_cast<int>(day);
        const double time =
            TdtTools::EncodeTime(n % 24, n * 7 % 60, n * 13 % 60, 0);  // whole seconds
        TdtTools t(day + time), back;
        for (int format : {TdtTools::kDateTime, TdtTools::kStorage}) {
            ASSERT_TRUE(back.FromString(t.ToString(format), format)) << t.ToString(format);
            ASSERT_NEAR(back.Value(), t.Value(), 1e-8) << t.ToString(format);
        }
        ASSERT_TRUE(back.FromString(t.ToString(TdtTools::kDate), TdtTools::kDate));
        ASSERT_EQ(back.Value(), t.Date()) << t.ToString(TdtTools::kDate);
        int y, m, d;
        TdtTools::DecodeDate(day, y, m, d);
        ASSERT_EQ(TdtTools::EncodeDate(y, m, d), day);
    }
    EXPECT_EQ(checked, 146097) << "the days of 400 Gregorian years";
    // Every millisecond step of a time survives, across the whole day.
    TdtTools back;
    for (int ms = 0; ms < 86400000; ms += 999 * 37) {
        TdtTools t(TdtTools::EncodeTime(0, 0, 0, 0) + ms / 86400000.0);
        ASSERT_TRUE(back.FromString(t.ToString(TdtTools::kTime), TdtTools::kTime))
            << t.ToString(TdtTools::kTime);
        ASSERT_EQ(back.ToString(TdtTools::kTime), t.ToString(TdtTools::kTime));
    }
}

TEST(TdtToolsProperty, TextsThatAreNoDateOrTimeAreRefused) {
    const struct {
        const char* text;
        int format;
    } refused[] = {
        {"2023-02-29", TdtTools::kDate},
        {"2100-02-29", TdtTools::kDate},
        {"2024-13-01", TdtTools::kDate},
        {"2024-04-31", TdtTools::kDate},
        {"0000-01-01", TdtTools::kDate},
        {"2024-01-01x", TdtTools::kDate},
        {"24:00:00.000", TdtTools::kTime},
        {"12:60:00.000", TdtTools::kTime},
        {"12:00:60.000", TdtTools::kTime},
        {"12:00:00", TdtTools::kTime},
        {"12:00:00.000x", TdtTools::kTime},
        {"-1:00:00.000", TdtTools::kTime},
        {"2024-01-01 25:00:00", TdtTools::kDateTime},
        {"2024-01-01", TdtTools::kDateTime},
        {"2024-01-01 12:00", TdtTools::kStorage},
        {"2024-01-01 12:00:00z", TdtTools::kStorage},
        {"2024-01-01", 2},
        {"", TdtTools::kTime},
    };
    for (const auto& r : refused) {
        TdtTools t(123.5);
        EXPECT_FALSE(t.FromString(r.text, r.format)) << r.text << " as format " << r.format;
        EXPECT_EQ(t.Value(), 0.0) << r.text << ": a refused text leaves zero";
    }
    TdtTools t;
    ASSERT_TRUE(t.FromString(" 2000-02-29 ", TdtTools::kDate)) << "blanks around are trimmed";
    EXPECT_EQ(t.ToString(TdtTools::kDate), "2000-02-29");
    ASSERT_TRUE(t.FromString("23:59:59.999", TdtTools::kTime));
    EXPECT_EQ(t.ToString(TdtTools::kTime), "23:59:59.999");
}

}  // namespace
}  // namespace krv
