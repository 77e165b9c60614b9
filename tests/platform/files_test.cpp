// The contract of the file-system layer, run against whichever implementation
// the build chose.
#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "exportdata/test_files.h"
#include "platform/registry.h"

namespace krv::test {
namespace {

std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    for (const auto& e : platform::FindEntries(pattern)) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
}

// A failed test is told from a missing file, and agrees with FileExists
// wherever the system could look.
TEST(PlatformFilesTest, ProbeTellsAbsentFromUnexaminable) {
    TempDir d;
    WriteAll(d / "f", "x");
    const std::string sep(1, platform::PathSeparator());
    const struct {
        std::string path;
        platform::FileProbe want;
    } cases[] = {
        {d / "f", platform::FileProbe::kFile},
        {d / "none", platform::FileProbe::kAbsent},
        {d.Dir(), platform::FileProbe::kAbsent},                  // a directory is no file
        {d / "nodir" + sep + "f", platform::FileProbe::kAbsent},  // a missing folder
        {d / "f" + sep + "f", platform::FileProbe::kAbsent},      // a file as a folder
    };
    for (const auto& c : cases) {
        std::string reason = "untouched";
        EXPECT_EQ(platform::ProbeFile(c.path, &reason), c.want) << c.path;
        EXPECT_EQ(reason, "untouched") << c.path;
        EXPECT_EQ(platform::FileExists(c.path), c.want == platform::FileProbe::kFile) << c.path;
    }
#ifndef _WIN32
    // A loop of links cannot be followed: no answer, and the system's reason.
    ASSERT_EQ(::symlink((d / "loop").c_str(), (d / "loop").c_str()), 0);
    std::string reason;
    EXPECT_EQ(platform::ProbeFile(d / "loop", &reason), platform::FileProbe::kUnknown);
    EXPECT_EQ(reason, std::strerror(ELOOP));
#endif
}

TEST(PlatformFilesTest, ExistsRemoveRenameAndCreate) {
    TempDir d;
    EXPECT_FALSE(platform::FileExists(d / "a"));
    EXPECT_TRUE(platform::DirectoryExists(d.Dir()));
    EXPECT_FALSE(platform::FileExists(d.Dir()));  // a directory is no file

    EXPECT_EQ(platform::CreateNewFile(d / "a"), platform::CreateNewResult::kCreated);
    EXPECT_EQ(platform::CreateNewFile(d / "a"), platform::CreateNewResult::kExists);
    EXPECT_TRUE(platform::FileExists(d / "a"));

    WriteAll(d / "b", "bee");
    EXPECT_TRUE(platform::RenameFile(d / "b", d / "a"));  // replaces the target
    EXPECT_EQ(ReadAll(d / "a"), "bee");
    EXPECT_FALSE(platform::FileExists(d / "b"));
    EXPECT_FALSE(platform::RenameFile(d / "b", d / "c"));

    EXPECT_TRUE(platform::RemoveFile(d / "a"));
    EXPECT_FALSE(platform::RemoveFile(d / "a"));

    std::string deep = d / "x";
    deep += platform::PathSeparator();
    deep += "y";
    EXPECT_TRUE(platform::CreateDirectories(deep));
    EXPECT_TRUE(platform::DirectoryExists(deep));
    EXPECT_TRUE(platform::CreateDirectories(deep));  // already there
    EXPECT_FALSE(platform::RemoveFile(deep));        // not a file
}

TEST(PlatformFilesTest, WildcardSearchListsOneDirectory) {
    TempDir d;
    for (const char* n : {"arch_0001.exp", "arch_0002.exp", "arch.exp", "arch_x.txt"})
        WriteAll(d / n, "");
    platform::CreateDirectories(d / "arch_dir.exp");
    EXPECT_EQ(Names(d / "arch_*.exp"),
              (std::vector<std::string>{"arch_0001.exp", "arch_0002.exp", "arch_dir.exp"}));
    EXPECT_EQ(Names(d / "arch_000?.exp"),
              (std::vector<std::string>{"arch_0001.exp", "arch_0002.exp"}));
    EXPECT_EQ(Names(d / "arch.exp"), std::vector<std::string>{"arch.exp"});
    EXPECT_TRUE(Names(d / "none*").empty());
    EXPECT_TRUE(Names(d / "missing_dir" + std::string(1, platform::PathSeparator()) + "*").empty());
    for (const auto& e : platform::FindEntries(d / "arch_dir.exp")) EXPECT_TRUE(e.directory);
}

TEST(PlatformFilesTest, RawFileReadsWritesAndCuts) {
    TempDir d;
    platform::RawFile f;
    std::string error;
    EXPECT_FALSE(f.Open(d / "none", platform::RawFile::Mode::kRead, &error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(f.Open(d / "f", platform::RawFile::Mode::kReadWrite, &error)) << error;
    ASSERT_TRUE(f.Write("hello world", 11, &error));
    uint64_t size = 0;
    ASSERT_TRUE(f.Size(&size, &error));
    EXPECT_EQ(size, 11u);
    ASSERT_TRUE(f.Truncate(5, &error));
    ASSERT_TRUE(f.Seek(1, &error));
    char buf[16] = {};
    EXPECT_EQ(f.Read(buf, sizeof buf, &error), 4);
    EXPECT_EQ(std::string(buf, 4), "ello");
    EXPECT_EQ(f.Read(buf, sizeof buf, &error), 0);
    EXPECT_TRUE(f.Sync(&error)) << error;
    EXPECT_TRUE(f.Close(&error)) << error;
    EXPECT_TRUE(f.Close(&error));  // closed already: nothing to report
    EXPECT_EQ(ReadAll(d / "f"), "hello");
}

TEST(PlatformFilesTest, ReplacementAppearsWholeOrNotAtAll) {
    TempDir d;
    const std::string target = d / "out.exp";
    const std::string temp = platform::TemporaryPathFor(target);
    std::string error;
    for (bool durable : {false, true}) {
        WriteAll(target, "old");
        {  // abandoned half way: the old file stays, no temporary file is left
            platform::ReplacementFile f(target);
            ASSERT_TRUE(f.Open(&error)) << error;
            ASSERT_TRUE(f.Write("half", 4, &error));
            EXPECT_TRUE(platform::FileExists(temp));
        }
        EXPECT_EQ(ReadAll(target), "old");
        EXPECT_FALSE(platform::FileExists(temp));

        // A stale temporary file of a run cut short is emptied and reused.
        WriteAll(temp, "stale and much longer");
        platform::ReplacementFile f(target);
        ASSERT_TRUE(f.Open(&error)) << error;
        ASSERT_TRUE(f.Write("new", 3, &error));
        EXPECT_EQ(ReadAll(target), "old");  // a reader meanwhile sees the old content
        ASSERT_TRUE(f.Commit(durable, &error)) << error;
        EXPECT_EQ(ReadAll(target), "new");
        EXPECT_FALSE(platform::FileExists(temp));
        EXPECT_FALSE(f.Commit(durable, &error));  // once only
    }
    // A folder in the way: the commit fails with a reason and cleans up.
    platform::CreateDirectories(d / "dir");
    platform::ReplacementFile f(d / "dir");
    ASSERT_TRUE(f.Open(&error)) << error;
    error.clear();
    EXPECT_FALSE(f.Commit(true, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(platform::DirectoryExists(d / "dir"));
    EXPECT_FALSE(platform::FileExists(platform::TemporaryPathFor(d / "dir")));
    // A folder that cannot be written: Open fails with a reason.
    platform::ReplacementFile none(d / "missing" + std::string(1, platform::PathSeparator()) + "f");
    error.clear();
    EXPECT_FALSE(none.Open(&error));
    EXPECT_FALSE(error.empty());
}

TEST(PlatformFilesTest, ShortPathAndRegistry) {
    TempDir d;
    WriteAll(d / "file.txt", "x");
    EXPECT_FALSE(platform::ShortPathName(d / "file.txt").empty());
    EXPECT_TRUE(platform::ShortPathName(d / "missing.txt").empty());
    EXPECT_EQ(platform::ReadLocalMachineString("SOFTWARE\\NoSuchVendor\\NoSuchKey", "Value"), "");
}

}  // namespace
}  // namespace krv::test
