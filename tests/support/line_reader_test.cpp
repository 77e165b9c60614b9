// The streaming line reader against the whole-text splitter, at every chunk
// size that can cut a line end in two; and the chunked writer's file rules.
#include "support/line_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "support/exception.h"
#include "support/strutil.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

class LineStreamTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Random: builds and runs in parallel never share a folder.
        dir_ = fs::temp_directory_path() /
               ("tarvisco_lines_" + std::to_string(std::random_device{}()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    std::string Path(const char* name) const { return (dir_ / name).string(); }
    void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
};

TEST_F(LineStreamTest, SameLinesAsTheWholeTextAtEveryChunkSize) {
    const std::string texts[] = {
        "",
        "one",
        "a\r\nb\nc\rd\r\n",
        "\r\n\r\n\n\r",                                          // empty lines of every ending
        "x\r\r\ny\n\rz",                                         // CR then CR LF, LF then CR
        "PLU;1;a\r\nPLU;2;" + std::string(40, 'b') + "\r\nend",  // a line longer than a chunk
    };
    for (const std::string& text : texts) {
        Write(Path("f"), text);
        const std::vector<std::string> expected = SplitLines(text);
        for (size_t chunk = 1; chunk <= 9; ++chunk) {
            SCOPED_TRACE("chunk " + std::to_string(chunk) + ", text \"" + text + "\"");
            LineReader reader(chunk);
            reader.Open(Path("f"));
            std::vector<std::string> got;
            std::string_view line;
            while (reader.Next(line)) got.emplace_back(line);
            EXPECT_EQ(got, expected);
            EXPECT_EQ(reader.Consumed(), text.size());
            EXPECT_FALSE(reader.Next(line));  // stays at the end
        }
    }
}

TEST_F(LineStreamTest, MissingFileNamesTheFile) {
    LineReader reader;
    try {
        reader.Open(Path("none"));
        FAIL() << "no exception";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find(Path("none")), std::string::npos) << e.Message();
    }
    std::string_view line;
    EXPECT_THROW(reader.Next(line), EFileError);
}

TEST_F(LineStreamTest, WriterTouchesTheFileOnlyWhenItWrites) {
    Write(Path("old"), "old bytes");
    {
        ChunkedWriter w(Path("old"));
        w.Close();  // nothing written: the old file stays
    }
    EXPECT_EQ(Read(Path("old")), "old bytes");

    // Chunks of 4: the file fills as the buffer does, and ends complete.
    ChunkedWriter w(Path("old"), false, 4);
    w.Append("ab");
    EXPECT_EQ(Read(Path("old")), "old bytes");  // not a chunk yet
    w.Append("cdef");
    // Whole or none: the chunks fill the temporary file, the old file stays
    // until Close replaces it (not appended to).
    EXPECT_EQ(Read(Path("old")), "old bytes");
    EXPECT_EQ(Read(Path("old.tmp")), "abcdef");
    w.Buffer() += "gh";
    w.Written();
    w.Append("i");
    EXPECT_EQ(w.BytesWritten(), 9u);
    w.Close();
    EXPECT_EQ(Read(Path("old")), "abcdefghi");
    EXPECT_FALSE(fs::exists(Path("old.tmp")));

    ChunkedWriter more(Path("old"), true);
    more.Append("+");
    more.Close();
    EXPECT_EQ(Read(Path("old")), "abcdefghi+");
    {  // abandoned (an exception on the way): nothing of it stays
        ChunkedWriter fresh(Path("new"), false, 2);
        fresh.Append("abc");
        ChunkedWriter longer(Path("old"), true, 2);
        longer.Append("abc");
    }
    EXPECT_FALSE(fs::exists(Path("new")));
    EXPECT_FALSE(fs::exists(Path("new.tmp")));
    EXPECT_EQ(Read(Path("old")), "abcdefghi+");

    ChunkedWriter touch(Path("new"));
    touch.Close(true);
    EXPECT_TRUE(fs::exists(Path("new")));
    EXPECT_EQ(fs::file_size(Path("new")), 0u);
}

TEST_F(LineStreamTest, FreshLineAppendNeverExtendsAnUnfinishedLine) {
    // The tail a run cut short may leave, and what the next append puts first.
    const struct {
        const char* tail;
        const char* seal;
    } cases[] = {{"", ""}, {"a\r\n", ""}, {"a\n", ""}, {"a", "\r\n"}, {"a\r", "\n"}};
    for (const auto& c : cases) {
        Write(Path("log"), c.tail);
        ChunkedWriter w(Path("log"), true);
        w.SetFreshLine(true);
        w.SetDurable(true);
        w.Append("next\r\n");
        w.Close();
        EXPECT_EQ(Read(Path("log")), std::string(c.tail) + c.seal + "next\r\n") << c.tail;
    }
}

TEST_F(LineStreamTest, WriterFailureNamesTheFile) {
    ChunkedWriter w(dir_.string());  // a directory cannot be written as a file
    w.Append("x");
    try {
        w.Close();
        FAIL() << "no exception";
    } catch (const EFileError& e) {
        EXPECT_NE(e.Message().find(dir_.string()), std::string::npos) << e.Message();
    }
}

}  // namespace
}  // namespace krv::test
