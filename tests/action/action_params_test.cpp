// Parameter access: typed readers, the library's own parameters and the
// exchange directory check.
#include <filesystem>
#include <fstream>
#include <random>

#include <gtest/gtest.h>

#include "action/action_base.h"
#include "fakes/test_library.h"
#include "support/exception.h"
#include "support/tdttools.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

std::string Prefixed(const std::string& name) { return "TV_Tarvisco_" + name; }

// The message of the exception that the call raises ("" when none).
template <typename F>
std::string Failure(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

TEST(ParamReadersTest, IntegersDatesAndTextsWithBlanksAndRubbish) {
    TestLibrary t;
    t.host.params = {{"Int", " 120 "},
                     {"Neg", "-7"},
                     {"Bad", "12a"},
                     {"Big", "99999999999"},
                     {"Empty", ""},
                     {"Text", "  a b  "},
                     {"Date", " 2024-03-15 13:45:00 "},
                     {"DateOnly", "2024-03-15"},
                     {"NoDate", "15.03.2024"}};
    auto a = t.Action();
    EXPECT_EQ(a->ParamAsInt("Int"), 120);
    EXPECT_EQ(a->ParamAsInt("Neg"), -7);
    EXPECT_EQ(a->ParamAsInt("Bad"), 0);
    EXPECT_EQ(a->ParamAsInt("Big"), 0);
    EXPECT_EQ(a->ParamAsInt("Empty"), 0);
    EXPECT_EQ(a->ParamAsInt("Missing"), 0);
    EXPECT_EQ(a->ParamAsString("Text"), "  a b  ");
    EXPECT_EQ(a->ParamAsString("Missing"), "");

    double day = TdtTools::EncodeDate(2024, 3, 15);
    EXPECT_EQ(a->ParamAsDate("Date"), day);  // the time of day is dropped
    EXPECT_EQ(a->ParamAsDate("DateOnly"), day);
    EXPECT_EQ(a->ParamAsDate("NoDate"), 0.0);
    EXPECT_EQ(a->ParamAsDate("Empty"), 0.0);

    TestLibrary bare(false);  // no KRV_CB_PARAMETER_VALUE at all
    auto b = bare.Action();
    EXPECT_EQ(b->ParamAsInt("Int"), 0);
    EXPECT_EQ(b->ParamAsString("Text"), "");
}

TEST(OwnParamsTest, ReadAndWriteUnderTheLibraryPrefix) {
    TestLibrary t;
    t.host.params[Prefixed("Name")] = "stored";
    auto a = t.Action();
    std::string v = "old";
    a->ReadParamEx(" Name ", v);
    EXPECT_EQ(v, "stored");
    EXPECT_EQ(t.host.calls.back().texts[0], Prefixed("Name"));

    a->WriteParamEx("Other", " value ");
    ASSERT_EQ(t.host.calls.back().code, KRV_CB_CHANGE_PARAMETER);
    EXPECT_EQ(t.host.calls.back().texts, (std::vector<std::string>{Prefixed("Other"), "value"}));
    a->ReadParamEx("Other", v);
    EXPECT_EQ(v, "value");
}

TEST(OwnParamsTest, RefusedOrImpossibleStoreEndsTheOperation) {
    TestLibrary t;
    t.host.refuseStore = true;
    auto a = t.Action();
    EXPECT_EQ(Failure([&] { a->WriteParamEx("Other", "v"); }),
              W("Błąd zapisu własnego parametru 'TV_Tarvisco_Other' do bazy danych"));
    EXPECT_EQ(Failure([&] { a->ZmienParametr("Plain", "v"); }),
              W("Błąd zapisu własnego parametru 'Plain' do bazy danych"));

    t.host.translations["kstools_KSLib/TKSActioZmienParstr"] = "Cannot store '";
    t.host.translations["kstools_KSLib/TKSActioZmienParstr_00001"] = "'!";
    EXPECT_EQ(Failure([&] { a->ZmienParametr("Plain", "v"); }), "Cannot store 'Plain'!");

    TestLibrary noStore(true, {KRV_CB_CHANGE_PARAMETER});
    auto b = noStore.Action();
    EXPECT_EQ(Failure([&] { b->ZmienParametr("Plain", "v"); }),
              W("Błąd zapisu własnego parametru 'Plain' do bazy danych"));
}

std::vector<std::string> WrittenValues(const FakeHost& h) {
    std::vector<std::string> out;
    for (const auto& c : h.calls)
        if (c.code == KRV_CB_CHANGE_PARAMETER)
            out.push_back(c.texts[0] + "=" + std::to_string(c.texts[1].size()));
    return out;
}

TEST(LongParamsTest, PiecesOf250AndClearedRest) {
    TestLibrary t;
    auto a = t.Action();
    std::string value;
    for (int i = 0; i < 600; ++i) value += static_cast<char>('a' + i % 26);

    a->WriteLongParamEx("Long", value, 3);
    EXPECT_EQ(WrittenValues(t.host),
              (std::vector<std::string>{Prefixed("Long1") + "=250", Prefixed("Long2") + "=250",
                                        Prefixed("Long3") + "=100"}));
    EXPECT_EQ(a->ReadLongParamEx("Long", 3), value);

    // A shorter value clears what the longer one left.
    t.host.calls.clear();
    a->WriteLongParamEx("Long", "short text", 3);
    EXPECT_EQ(WrittenValues(t.host),
              (std::vector<std::string>{Prefixed("Long1") + "=10", Prefixed("Long2") + "=0",
                                        Prefixed("Long3") + "=0"}));
    EXPECT_EQ(a->ReadLongParamEx("Long", 3), "short text");

    // Beyond count pieces the text is not stored.
    a->WriteLongParamEx("Cut", value, 2);
    EXPECT_EQ(a->ReadLongParamEx("Cut", 2), value.substr(0, 500));
    EXPECT_EQ(a->ReadLongParamEx("Cut", 3), value.substr(0, 500));

    // No pieces: nothing asked of the host.
    int asked = t.host.CountCalls(KRV_CB_PARAMETER_VALUE);
    EXPECT_EQ(a->ReadLongParamEx("Long", 0), "");
    EXPECT_EQ(a->ReadLongParamEx("Long", -3), "");
    EXPECT_EQ(t.host.CountCalls(KRV_CB_PARAMETER_VALUE), asked);
}

TEST(LongParamsTest, BlanksAtAPieceBoundarySurviveTheHostsTrimming) {
    TestLibrary t;
    auto a = t.Action();
    // Words of four letters and a blank: every fifth character is a blank, so
    // the plain cut at 250 would put a blank at the end of the first piece.
    std::string value;
    while (value.size() < 600) value += "word ";
    value = value.substr(0, 599);  // no blank at the very end
    ASSERT_EQ(value[249], ' ');
    a->WriteLongParamEx("Text", value, 3);
    for (const auto& c : t.host.calls) {
        if (c.code != KRV_CB_CHANGE_PARAMETER || c.texts[1].empty()) continue;
        EXPECT_NE(c.texts[1].front(), ' ');
        EXPECT_NE(c.texts[1].back(), ' ');
        EXPECT_LE(c.texts[1].size(), 250u);
    }
    EXPECT_EQ(a->ReadLongParamEx("Text", 3), value);

    // Line breaks are trimmed by the host as well.
    std::string lines = std::string(248, 'x') + "\r\n" + std::string(100, 'y');
    a->WriteLongParamEx("Lines", lines, 2);
    EXPECT_EQ(a->ReadLongParamEx("Lines", 2), lines);
}

// A fresh directory under the system's temporary folder, removed afterwards.
struct TempDir {
    fs::path path;
    TempDir() {
        path = fs::temp_directory_path() /
               ("tarvisco_params_" + std::to_string(std::random_device{}()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    std::string Str() const { return path.string(); }
};

TEST(ParamAsDirTest, ExistingWritableDirectoryIsQuietAndLeftClean) {
    TempDir dir;
    TestLibrary t;
    t.host.params["Dir"] = dir.Str();
    auto a = t.Action();
    EXPECT_EQ(a->ParamAsDir("Dir"), dir.Str());
    EXPECT_TRUE(t.host.messages.empty());
    EXPECT_TRUE(fs::is_empty(dir.path));

    // With the separator at the end the test file goes into the same place.
    t.host.params["Dir"] = (dir.path / "").string();
    EXPECT_EQ(a->ParamAsDir("Dir"), (dir.path / "").string());
    EXPECT_TRUE(fs::is_empty(dir.path));
}

TEST(ParamAsDirTest, AFileNamedTestBelongsToTheUserAndStays) {
    TempDir dir;
    { std::ofstream(dir.path / "test") << "user data"; }
    TestLibrary t;
    t.host.params["Dir"] = dir.Str();
    auto a = t.Action();
    EXPECT_EQ(a->ParamAsDir("Dir"), dir.Str());
    std::ifstream in(dir.path / "test");
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "user data");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

TEST(ParamAsDirTest, MissingLevelsAreCreatedWithOneMessage) {
    TempDir dir;
    fs::path deep = dir.path / "first" / "second";
    TestLibrary t;
    t.host.params["Dir"] = deep.string();
    auto a = t.Action();
    EXPECT_EQ(a->ParamAsDir("Dir"), deep.string());
    EXPECT_TRUE(fs::is_directory(deep));
    EXPECT_TRUE(fs::is_empty(deep));
    ASSERT_EQ(t.host.messages.size(), 1u);
    EXPECT_EQ(t.host.messages[0].kind, KRV_MSG_ORDINARY);
    EXPECT_EQ(t.host.messages[0].text,
              W("Katalog \"") + deep.string() + W("\" nie istnieje, próba utworzenia"));
}

TEST(ParamAsDirTest, DirectoryThatCannotBeCreated) {
    TempDir dir;
    { std::ofstream(dir.path / "plain") << "x"; }
    fs::path under = dir.path / "plain" / "sub";  // a regular file stands in the way
    TestLibrary t;
    t.host.params["Dir"] = under.string();
    auto a = t.Action();
    EXPECT_EQ(Failure([&] { a->ParamAsDir("Dir"); }),
              W("Próba utworzenia katalogu zakończona błędem"));
    ASSERT_EQ(t.host.messages.size(), 1u);  // the attempt was announced first

    t.host.params["Dir"] = "";
    EXPECT_EQ(Failure([&] { a->ParamAsDir("Dir"); }),
              W("Próba utworzenia katalogu zakończona błędem"));
}

TEST(ParamAsDirTest, DirectoryWithoutWriteRights) {
    TempDir dir;
    fs::path locked = dir.path / "locked";
    fs::create_directories(locked);
    fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
    // Root (and Windows, where a directory's read-only flag does not stop
    // writing) can still write there: a directory of a pseudo file system
    // that nobody can create files in takes its place.
    std::string target = locked.string();
    bool stillWritable = static_cast<bool>(std::ofstream(locked / "probe"));
    if (stillWritable) {
        std::error_code ec;
        fs::remove(locked / "probe", ec);
#ifdef _WIN32
        target = "Z:\\proc";  // the /proc of the machine under wine
#else
        target = "/proc";
#endif
        if (!fs::is_directory(target)) GTEST_SKIP() << "no unwritable directory to test with";
    }
    TestLibrary t;
    t.host.params["Dir"] = target;
    auto a = t.Action();
    EXPECT_EQ(Failure([&] { a->ParamAsDir("Dir"); }),
              W("Merkaton nie ma uprawnień do zapisu w katalogu \"") + target +
                  W("\", nadaj uprawnienia aby kontynuować"));
    EXPECT_TRUE(t.host.messages.empty());
}

}  // namespace
}  // namespace krv::test
