// The directory part of the platform layer, run against whichever
// implementation the build chose.
#include "platform/dirs.h"

#include <gtest/gtest.h>

#include "exportdata/test_files.h"

namespace krv::test {
namespace {

TEST(PlatformDirsTest, ForceDirectoriesCreatesEveryMissingLevel) {
    TempDir d;
    const char sep = platform::PathSeparator();
    std::string deep = d / "a";
    deep += sep;
    deep += "b";
    deep += sep;
    deep += "c";
    EXPECT_TRUE(platform::ForceDirectories(deep));
    EXPECT_TRUE(platform::DirectoryExists(deep));
    EXPECT_TRUE(platform::ForceDirectories(deep + sep));  // a trailing separator, already there
    EXPECT_FALSE(platform::ForceDirectories(""));

    WriteAll(d / "file", "x");
    EXPECT_FALSE(platform::ForceDirectories(d / "file"));
    EXPECT_FALSE(platform::ForceDirectories((d / "file") + sep + "sub"));
    EXPECT_TRUE(platform::IsPathSeparator(sep));
    EXPECT_FALSE(platform::IsPathSeparator('a'));
}

TEST(PlatformDirsTest, CreateNewFileWritesOnlyANewFile) {
    TempDir d;
    EXPECT_EQ(platform::CreateNewFile(d / "t", "test"), platform::CreateNewResult::kCreated);
    EXPECT_EQ(ReadAll(d / "t"), "test");
    EXPECT_EQ(platform::CreateNewFile(d / "t", "other"), platform::CreateNewResult::kExists);
    EXPECT_EQ(ReadAll(d / "t"), "test");
    // A directory of that name is taken too.
    platform::ForceDirectories(d / "dir");
    EXPECT_EQ(platform::CreateNewFile(d / "dir", "x"), platform::CreateNewResult::kExists);
    // No folder to create it in.
    EXPECT_EQ(platform::CreateNewFile((d / "none") + platform::PathSeparator() + "t", "x"),
              platform::CreateNewResult::kFailed);
}

}  // namespace
}  // namespace krv::test
