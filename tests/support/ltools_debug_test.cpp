#include <gtest/gtest.h>

#include <regex>

#include "exportdata/test_files.h"
#include "support/ltools.h"
#include "support/strutil.h"

namespace krv::test {
namespace {

const std::string kTime = "\\d{2}:\\d{2}:\\d{2}\\.\\d{3}";

TEST(TLToolsDebugTest, NothingIsWrittenBeforeInit) {
    TempDir d;
    TLTools t;
    t.DebugIt("a", "b");
    unsigned char bytes[] = {1, 2};
    t.DebugItHex(bytes, 2);
    EXPECT_FALSE(t.IsDebugOn());
    t.InitDebug(d / "dbg.txt", nullptr);
    EXPECT_TRUE(t.IsDebugOn());
    EXPECT_TRUE(std::regex_match(ReadAll(d / "dbg.txt"),
                                 std::regex("\r\n--- \\[KOMUNIKACJA Z DNIA: \\d{4}-\\d{2}-\\d{2} "
                                            "\\d{2}:\\d{2}:\\d{2}\\] ---\r\n")));
    TLTools other;
    other.DebugIt("a", "b");  // another object's trace is still off
    EXPECT_EQ(SplitLines(ReadAll(d / "dbg.txt")).size(), 2u);
}

TEST(TLToolsDebugTest, LinesAndHexRows) {
    TempDir d;
    TLTools t;
    t.InitDebug(d / "dbg.txt", nullptr);
    size_t header = ReadAll(d / "dbg.txt").size();
    t.DebugIt("SEND", "PLU 12");
    const std::string bytes("ABCDEFGHIJKLMNO\n\xff\0\x1f ", 20);
    t.DebugItHex(bytes.data(), 20);
    t.DebugItHex(nullptr, 0);
    std::vector<std::string> lines = SplitLines(ReadAll(d / "dbg.txt").substr(header));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex(kTime + " SEND PLU 12")));

    std::string hex1 = "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 0A ";
    ASSERT_GT(lines[1].size(), 12u);
    EXPECT_TRUE(std::regex_match(lines[1].substr(0, 12), std::regex(kTime)));
    EXPECT_EQ(lines[1].substr(12), "   " + hex1 + "  ABCDEFGHIJKLMNO.");
    EXPECT_EQ(lines[2], std::string(12, ' ') + "   " + "FF 00 1F 20 " + std::string(36, ' ') +
                            "  " + "\xff.. " + std::string(12, ' '));
    // A count of 0 still writes one row: the time stamp and blank parts.
    EXPECT_EQ(lines[3].substr(12), "   " + std::string(48, ' ') + "  " + std::string(16, ' '));
}

}  // namespace
}  // namespace krv::test
