#include "exportdata/ljwords.h"

#include <gtest/gtest.h>

namespace krv::test {
namespace {

TLJWords& Split(TLJWords& w, const std::string& line, const char* delimiter = ";") {
    w.Delimiter = std::string(delimiter);  // (a plain assignment trips a GCC 12 false warning)
    w.Init(line);
    return w;
}

TEST(TLJWordsTest, SplittingRules) {
    TLJWords w;
    EXPECT_EQ(Split(w, "12;abc;;4").GetCount(), 4);
    EXPECT_EQ(w[0], "12");
    EXPECT_EQ(w[2], "");
    EXPECT_EQ(Split(w, "a;b;").GetCount(), 2);  // no empty last field
    EXPECT_EQ(Split(w, ";a").GetCount(), 2);
    EXPECT_EQ(w[0], "");
    EXPECT_EQ(Split(w, "a;;").GetCount(), 2);
    EXPECT_EQ(w[1], "");
    EXPECT_EQ(Split(w, "no delimiter").GetCount(), 1);
    EXPECT_EQ(w[0], "no delimiter");
    EXPECT_EQ(Split(w, "").GetCount(), 0);
    EXPECT_EQ(Split(w, "a\tb;c", "\t").GetCount(), 2);
    EXPECT_EQ(w[1], "b;c");
    // A longer delimiter is found whole, but only one character is dropped.
    EXPECT_EQ(Split(w, "xaby", "ab").GetCount(), 2);
    EXPECT_EQ(w[1], "by");
    // A shorter line after a longer one leaves nothing of the old fields.
    Split(w, "1;2;3;4;5");
    Split(w, "z");
    EXPECT_EQ(w.GetCount(), 1);
    EXPECT_EQ(w[1], "");
}

TEST(TLJWordsTest, EndReachedByIndexAndGet) {
    TLJWords w;
    Split(w, "12;abc;;4");
    EXPECT_EQ(w[3], "4");
    EXPECT_FALSE(w.EndReached);
    EXPECT_EQ(w[-1], "");
    EXPECT_FALSE(w.EndReached);
    EXPECT_EQ(w.Get(3), "4");
    EXPECT_TRUE(w.EndReached);
    Split(w, "12;abc;;4");
    EXPECT_FALSE(w.EndReached);  // Init clears it
    EXPECT_EQ(w[4], "");
    EXPECT_TRUE(w.EndReached);
    Split(w, "a;b");
    EXPECT_EQ(w.Get(-5), "");
    EXPECT_EQ(w.Get(0), "a");
    EXPECT_FALSE(w.EndReached);
    Split(w, "");
    EXPECT_EQ(w.Get(0), "");
    EXPECT_TRUE(w.EndReached);
}

TEST(TLJWordsTest, PutWidthsAndJoining) {
    TLJWords w;
    Split(w, "a;b;c");
    w.Put(1, "B");
    w.Put(10, "d");  // beyond the end: appended as the fourth field
    w.Put(-1, "x");
    EXPECT_EQ(w.GetCount(), 4);
    EXPECT_EQ(w.ToString(), "a;B;c;d");

    Split(w, "ab;xyz");
    EXPECT_EQ(w.GetSize(0), -1);
    w.SetSize(0, 5);
    w.SetSize(1, 4);
    w.SetSize(1, 2);  // replaces the earlier width
    EXPECT_EQ(w.GetSize(1), 2);
    EXPECT_EQ(w.ToString(), "   ab;xy");
    EXPECT_EQ(static_cast<std::string>(w), "   ab;xy");
    w.SetSize(1, 0);
    EXPECT_EQ(w.ToString(), "   ab;");
    Split(w, "ab;xyz");  // a new line drops the widths
    EXPECT_EQ(w.GetSize(0), -1);
    EXPECT_EQ(w.ToString(), "ab;xyz");
    Split(w, "");
    EXPECT_EQ(w.ToString(), "");
}

}  // namespace
}  // namespace krv::test
