#include "support/errorlog.h"

#include <gtest/gtest.h>

#include "exportdata/test_files.h"

namespace krv::test {
namespace {

TEST(TErrorLogTest, StartsEmptyAndReadsBackWhatWasAdded) {
    TempDir d;
    WriteAll(d / "err.log", "left over\r\nfrom before\r\n");
    TErrorLog log(d / "err.log");
    std::string line = "x";
    EXPECT_TRUE(log.GetFirst(line));  // an old log never shows through
    EXPECT_EQ(line, "");
    EXPECT_EQ(ReadAll(d / "err.log"), "");

    log.Add("first");
    log.Add("second");
    log.Add("");
    EXPECT_EQ(log.GetCount(), 3);
    EXPECT_FALSE(log.GetFirst(line));
    EXPECT_EQ(line, "first");
    EXPECT_FALSE(log.GetNext(line));
    EXPECT_EQ(line, "second");
    EXPECT_FALSE(log.GetNext(line));
    EXPECT_EQ(line, "");
    EXPECT_TRUE(log.GetNext(line));
    EXPECT_EQ(log.GetCount(), 3);  // reading counts nothing

    log.GotoFirst();
    EXPECT_FALSE(log.GetNext(line));
    EXPECT_EQ(line, "first");
}

TEST(TErrorLogTest, FileStaysOnDiskAfterTheLog) {
    TempDir d;
    {
        TErrorLog log(d / "err.log");
        log.Add("kept");
    }
    EXPECT_EQ(ReadAll(d / "err.log"), "kept\r\n");
}

}  // namespace
}  // namespace krv::test
