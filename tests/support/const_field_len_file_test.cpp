#include "support/const_field_len_file.h"

#include <gtest/gtest.h>

#include "exportdata/test_files.h"
#include "support/exception.h"

namespace krv::test {
namespace {

// A reader over `content` with fields at 0/5 and 5/10.
struct Reader {
    TempDir dir;
    ConstFieldLenFile file;
    Reader(const std::string& content, bool skipShort) {
        WriteAll(dir / "in.txt", content);
        file.AddField(0, 5);
        file.AddField(5, 10);
        file.SetSkipShortLines(skipShort);
        file.open(dir / "in.txt", std::ios::binary);
    }
};

TEST(ConstFieldLenFileTest, FieldsReadInOrderAndLineEndsOfEveryKind) {
    Reader r("ab   first     \r\ncd   second    \nef   third     \rgh   x", false);
    std::string a, b;
    std::vector<std::string> got;
    while (r.file >> a >> b) got.push_back(a + "|" + b);
    EXPECT_EQ(got, (std::vector<std::string>{"ab   |first     ", "cd   |second    ",
                                             "ef   |third     ", "gh   |x"}));
    EXPECT_EQ(r.file.GetNumberOfValidFields(), 2u);
}

TEST(ConstFieldLenFileTest, ValidFieldCountComesFromTheFirstLineAndStays) {
    // First line of 7 characters: the second field starts inside it.
    Reader seven("12345ab\n67890cdefghijklmn\n", false);
    std::string a, b;
    seven.file >> a >> b;
    EXPECT_EQ(a + "|" + b, "12345|ab");
    EXPECT_EQ(seven.file.GetNumberOfValidFields(), 2u);

    // First line of 4 characters: only the first field is valid, so every
    // read takes the first field of a new line.
    Reader four("1234\n67890cdefghijklmn\nzzzzz\n", false);
    four.file >> a;
    EXPECT_EQ(four.file.GetNumberOfValidFields(), 1u);
    four.file >> b;
    EXPECT_EQ(a + "|" + b, "1234|67890");
    four.file >> a;
    EXPECT_EQ(a, "zzzzz");
}

TEST(ConstFieldLenFileTest, ShortLinesAreSkippedOnlyWithTheFlag) {
    Reader r("short\n12345abcdefghij\n", true);
    std::string a;
    r.file >> a;
    EXPECT_EQ(a, "12345");
    EXPECT_EQ(r.file.Line(), "12345abcdefghij");

    // Without the flag a field beyond the line's end reads as empty and the
    // next read starts a new line.
    Reader off("1234567890abcdefghij\n12345\nXXXXXyyyyyyyyyy\n", false);
    std::string b;
    off.file >> a >> b;  // first line
    off.file >> a >> b;  // the short line: its second field lies beyond the end
    EXPECT_EQ(a, "12345");
    EXPECT_EQ(b, "");
    off.file >> a >> b;
    EXPECT_EQ(a + "|" + b, "XXXXX|yyyyyyyyyy");
}

TEST(ConstFieldLenFileTest, ConversionsOfEveryTargetKind) {
    TempDir dir;
    // int, long double, char, bool, decimal, bool, string
    WriteAll(dir / "n.txt", "  42 -1.5   x T 12.50 x  rest\n 7q   2.25  y 1   .5  1  more\n");
    ConstFieldLenFile f(dir / "n.txt");
    EXPECT_EQ(f.FileName(), dir / "n.txt");
    for (auto [start, len] : {std::pair{0, 4}, {4, 7}, {11, 2}, {13, 2}, {15, 6}, {21, 2}, {23, 6}})
        f.AddField(static_cast<size_t>(start), static_cast<size_t>(len));
    f.open(f.FileName());
    int i = -1;
    long double d = -1;
    char c = 0;
    bool t = false, x = true;
    TxfNumber n;
    std::string s;
    f >> i >> d >> c >> t >> n >> x >> s;
    EXPECT_EQ(i, 42);
    EXPECT_EQ(d, -1.5L);
    EXPECT_EQ(c, 'x');
    EXPECT_TRUE(t);
    EXPECT_EQ(n.value, 1250.0);  // the first '.' is dropped
    EXPECT_FALSE(x);             // neither 1/T/t nor 0/F/f
    EXPECT_EQ(s, "  rest");
    f >> i >> d >> c >> t >> n >> x >> s;
    EXPECT_EQ(i, 7);  // stream extraction stops at the first non-digit
    EXPECT_EQ(d, 2.25L);
    EXPECT_EQ(c, 'y');
    EXPECT_TRUE(t);
    EXPECT_EQ(n.value, 5.0);
    EXPECT_TRUE(x);
    EXPECT_EQ(s, "  more");
    // End of file: every target reads as zero and the stream fails.
    f >> i >> s;
    EXPECT_EQ(i, 0);
    EXPECT_EQ(s, "");
    EXPECT_FALSE(f);
}

TEST(ConstFieldLenFileTest, OverlongLinesKeepTheirStartAndDoNotSwallowTheNextLine) {
    TempDir dir;
    WriteAll(dir / "long.txt", std::string(5000, 'a') + "\nnext!\n");
    ConstFieldLenFile f;
    f.AddField(0, 5);
    f.open(dir / "long.txt");
    ASSERT_TRUE(f.getln());
    EXPECT_EQ(f.Line().size(), ConstFieldLenFile::kMaxLine);
    ASSERT_TRUE(f.getln());
    EXPECT_EQ(f.Line(), "next!");
    EXPECT_FALSE(f.getln());
}

TEST(ConstFieldLenFileTest, FieldListIsBounded) {
    ConstFieldLenFile f;
    for (size_t i = 0; i < ConstFieldLenFile::kMaxFields; ++i) f.AddField(i, 1);
    EXPECT_THROW(f.AddField(100, 1), Exception);
    // A layout of 1024 characters or more is only warned about.
    ConstFieldLenFile wide;
    EXPECT_NO_THROW(wide.AddField(0, 2000));
    EXPECT_EQ(wide.TotalLength(), 2000u);
}

}  // namespace
}  // namespace krv::test
