#include "support/id_map.h"

#include <gtest/gtest.h>

#include "support/exception.h"

namespace krv::test {
namespace {

using Lines = std::vector<std::string>;

Lines Map(Lines entries, const std::string& names) {
    IdMap().Initialize(entries, names);
    return entries;
}

TEST(IdMapTest, StayingNamesKeepTheirIdsAndFreedIdsAreReusedLowestFirst) {
    // 2 goes; 0, 2 and 3 lie free below the largest kept id 4.
    EXPECT_EQ(Map({"1=1", "2=2", "5=4"}, "1\r\n5\r\n7\r\n8\r\n"),
              (Lines{"7=0", "1=1", "8=2", "5=4"}));
    EXPECT_EQ(Map({}, "9\n3\n"), (Lines{"3=0", "9=1"}));
    // No free ids left: numbering goes on above the highest id ever given,
    // also above the ids of entries that were dropped.
    EXPECT_EQ(Map({"10=0", "11=1", "12=7"}, "10\n11\n13\n14"),
              (Lines{"10=0", "11=1", "13=8", "14=9"}));
    // More new names than free ids.
    EXPECT_EQ(Map({"5=3"}, "5\n1\n2\n3\n4"), (Lines{"1=0", "2=1", "3=2", "5=3", "4=4"}));
    // Names are numbers: "10" sorts after "9"; a name listed twice counts once.
    EXPECT_EQ(Map({}, "10\n9\n9\n\n"), (Lines{"9=0", "10=1"}));
    EXPECT_EQ(Map({"1=0", "2=1"}, ""), Lines{});
}

TEST(IdMapTest, ReconcilingTwiceChangesNothingAndTextFormWorksTheSame) {
    Lines once = Map({"1=1", "2=2", "5=4"}, "1\n5\n7\n8");
    EXPECT_EQ(Map(once, "1\n5\n7\n8"), once);

    std::string text = "1=1\r\n2=2\r\n5=4\r\n";
    IdMap().Initialize(text, "1\r\n5\r\n7\r\n8");
    EXPECT_EQ(text, "7=0\r\n1=1\r\n8=2\r\n5=4\r\n");
}

TEST(IdMapTest, HugeIdsStayCheapAndBadEntriesAreReported) {
    // A stray huge id does not make the search for free ids walk up to it.
    EXPECT_EQ(Map({"1=1000000000000"}, "1\n2"), (Lines{"2=0", "1=1000000000000"}));
    EXPECT_THROW(Map({"1"}, "1"), EConvertError);
    EXPECT_THROW(Map({"a=1"}, "1"), EConvertError);
    EXPECT_THROW(Map({}, "1\nx"), EConvertError);
}

}  // namespace
}  // namespace krv::test
