#include "support/mfile.h"

#include <gtest/gtest.h>

#include "exportdata/test_files.h"
#include "support/exception.h"

namespace krv::test {
namespace {

std::vector<std::string> ReadLines(const std::string& path) {
    TMFile f;
    f.SetPath(path);
    f.SetReadOnly(true);
    f.Open();
    std::vector<std::string> lines;
    std::string line;
    while (f.ReadLine(line, "\r\n")) lines.push_back(line);
    EXPECT_EQ(line, "");  // the end leaves an empty line behind
    return lines;
}

TEST(TMFileTest, ReadingAcceptsEveryLineEndAndAnUnfinishedLastLine) {
    TempDir d;
    WriteAll(d / "a.txt", "one\r\ntwo\nthree\rfour\r\n\r\n\nlast");
    std::vector<std::string> want = {"one", "two", "three", "four", "", "", "last"};
    EXPECT_EQ(ReadLines(d / "a.txt"), want);
    std::vector<std::string> list = {"stale"};
    TMFile::ReadStringsFromFile(d / "a.txt", list, 4096);
    EXPECT_EQ(list, want);

    WriteAll(d / "b.txt", "x\r\n");
    EXPECT_EQ(ReadLines(d / "b.txt"), std::vector<std::string>{"x"});
    WriteAll(d / "c.txt", "");
    EXPECT_TRUE(ReadLines(d / "c.txt").empty());
}

TEST(TMFileTest, LineEndsSplitAcrossReadChunksStayOneLineEnd) {
    // The CR of a CR LF pair as the last byte of a 64 KiB read chunk, as the
    // first byte of the next one, and a line longer than a chunk.
    TempDir d;
    for (size_t length : {65534u, 65535u, 65536u, 200000u}) {
        std::string line(length, 'a');
        WriteAll(d / "big.txt", line + "\r\nb\r" + "\n");
        std::vector<std::string> want = {line, "b"};
        EXPECT_EQ(ReadLines(d / "big.txt"), want) << length;
        std::vector<std::string> list;
        TMFile::ReadStringsFromFile(d / "big.txt", list, 4096);
        EXPECT_EQ(list, want) << length;
    }
}

TEST(TMFileTest, WritableOpenCreatesAndPointerCutsAndAppends) {
    TempDir d;
    TMFile f;
    f.SetPath(d / "new.txt");
    f.Open();
    EXPECT_TRUE(Exists(d / "new.txt"));
    f.WriteLine("first");
    f.WriteLine("second", "|");
    EXPECT_EQ(f.GetSize(), 14u);
    f.SetPointer(5);
    f.SetEof();
    EXPECT_EQ(f.GetSize(), 5u);
    f.SetPointer(f.GetSize());
    f.Write("!", 1);
    // Reading back on the same object sees what was written.
    f.SetPointer(0);
    std::string line;
    EXPECT_TRUE(f.ReadLine(line, "\r\n"));
    EXPECT_EQ(line, "first!");
    EXPECT_FALSE(f.ReadLine(line, "\r\n"));
    f.Close();
    EXPECT_EQ(ReadAll(d / "new.txt"), "first!");

    // Overwriting in the middle keeps the rest.
    f.Open();
    f.SetPointer(1);
    f.Write("IR", 2);
    f.Close();
    EXPECT_EQ(ReadAll(d / "new.txt"), "fIRst!");
}

TEST(TMFileTest, FailuresNameTheFile) {
    TempDir d;
    TMFile f;
    f.SetPath(d / "missing.txt");
    f.SetReadOnly(true);
    try {
        f.Open();
        FAIL() << "no exception";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find(d / "missing.txt"), std::string::npos) << e.Message();
    }
    EXPECT_FALSE(Exists(d / "missing.txt"));  // reading never creates
    std::vector<std::string> list;
    EXPECT_THROW(TMFile::ReadStringsFromFile(d / "missing.txt", list), EFileError);
    // A directory is not a readable file.
    EXPECT_THROW(TMFile::ReadStringsFromFile(d.Dir(), list), EFileError);

    // Writing to a read-only file fails instead of losing the bytes silently.
    WriteAll(d / "ro.txt", "x");
    TMFile ro;
    ro.SetPath(d / "ro.txt");
    ro.SetReadOnly(true);
    ro.Open();
    EXPECT_THROW(ro.WriteLine("y"), EFileError);
    TMFile closed;
    closed.SetPath(d / "ro.txt");
    std::string line;
    EXPECT_THROW(closed.ReadLine(line), EFileError);
}

TEST(TMFileTest, ExactTerminatorOtherThanLineBreaks) {
    TempDir d;
    WriteAll(d / "t.txt", "a||b|c||");
    TMFile f;
    f.SetPath(d / "t.txt");
    f.SetReadOnly(true);
    f.Open();
    std::string line;
    ASSERT_TRUE(f.ReadLine(line, "||"));
    EXPECT_EQ(line, "a");
    ASSERT_TRUE(f.ReadLine(line, "||"));
    EXPECT_EQ(line, "b|c");
    EXPECT_FALSE(f.ReadLine(line, "||"));
}

}  // namespace
}  // namespace krv::test
