#include "support/ftp_listing.h"

#include <gtest/gtest.h>

#include <limits>

#include "support/cp1250.h"
#include "support/exception.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv::test {
namespace {

using Kind = FtpListingEntry::Kind;
const ListingDate kToday{2026, 12, 8};
constexpr int64_t kHuge = std::numeric_limits<int64_t>::max();

double At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return TdtTools::EncodeDate(y, mo, d) + TdtTools::EncodeTime(h, mi, s, 0);
}

struct Want {
    const char* line;
    Kind kind;
    const char* name;
    const char* permissions;
    int64_t size;
    double modified;
};

void Check(const Want& w, const std::optional<FtpListingEntry>& e) {
    ASSERT_TRUE(e.has_value()) << w.line;
    EXPECT_EQ(e->kind, w.kind) << w.line;
    EXPECT_EQ(e->name, Utf8ToCp1250(w.name)) << w.line;
    EXPECT_EQ(e->permissions, w.permissions) << w.line;
    EXPECT_EQ(e->size, w.size) << w.line;
    EXPECT_NEAR(e->modified, w.modified, 1e-6) << w.line;
}

TEST(FtpListingTest, UnixLinesOfVariousServers) {
    const Want table[] = {
        {"-rw-r--r--   1 owner    group        1234 Dec  1 10:15 plain.txt", Kind::kFile,
         "plain.txt", "-rw-r--r--", 1234, At(2026, 12, 1, 10, 15)},
        {"drwxr-xr-x   2 owner    group        4096 Mar 14  2019 old folder", Kind::kDirectory,
         "old folder", "drwxr-xr-x", 4096, At(2019, 3, 14)},
        // Above 4 GB, and a name that starts like a date.
        {"-rw-r--r--   1 ftp ftp 5368709120 Jan 02  2025 Jan 1 backup.tar", Kind::kFile,
         "Jan 1 backup.tar", "-rw-r--r--", 5368709120LL, At(2025, 1, 2)},
        // No group column; a link with its target cut off.
        {"lrwxrwxrwx 1 root 11 Dec 08 09:00 current -> release-7", Kind::kLink, "current",
         "lrwxrwxrwx", 11, At(2026, 12, 8, 9)},
        // No year and a date later in the year than today: last year's.
        {"-RW-R--R--   1 a b 0 Dec 24 18:00 Wigilia.TXT", Kind::kFile, "Wigilia.TXT", "-rw-r--r--",
         0, At(2025, 12, 24, 18)},
        {"-rw-r--r--+  1 a b 7 dec  9 23:59 tomorrow-in-another-zone", Kind::kFile,
         "tomorrow-in-another-zone", "-rw-r--r--+", 7, At(2026, 12, 9, 23, 59)},
        {"-rw-r--r--   1 a b 3 Feb 29  2024    leading blanks kept", Kind::kFile,
         "   leading blanks kept", "-rw-r--r--", 3, At(2024, 2, 29)},
        {"-rw-rw-r--   1 a b 3 Jun 30 12:00 zażółć gęślą jaźń.txt", Kind::kFile,
         "zażółć gęślą jaźń.txt", "-rw-rw-r--", 3, At(2026, 6, 30, 12)},
        {"crw-rw-rw-   1 root root 1, 3 Dec  1 10:15 null", Kind::kOther, "null", "crw-rw-rw-", 3,
         At(2026, 12, 1, 10, 15)},
        // A size beyond 64 bits is the largest size; a year beyond 9999 the
        // zero time: the entry stays.
        {"-rw-r--r--   1 a b 99999999999999999999999 Dec  1 10:15 huge.bin", Kind::kFile,
         "huge.bin", "-rw-r--r--", kHuge, At(2026, 12, 1, 10, 15)},
        {"-rw-r--r--   1 a b 9223372036854775808 Dec  1  2020 just past", Kind::kFile, "just past",
         "-rw-r--r--", kHuge, At(2020, 12, 1)},
        {"-rw-r--r--   1 a b 12 Dec  1  12025 far-future.txt", Kind::kFile, "far-future.txt",
         "-rw-r--r--", 12, 0.0},
    };
    for (const Want& w : table) Check(w, ParseListLine(Utf8ToCp1250(w.line), kToday));

    for (const char* skipped :
         {"total 1234", "", "drwxr-xr-x 2 a b 4096 Dec 1 10:15 .",
          "drwxr-xr-x 2 a b 4096 Dec 1 10:15 ..", "-rw-r--r-- 1 a b 12 Foo 1 10:15 x",
          "-rw-r--r-- 1 a b twelve Dec 1 10:15 x", "-rw-r--r-- 1 a b -5 Dec 1 10:15 x",
          "-rw-r--r-- 1 a b 12 Dec 1 10:15", "-rw-r--r-- 1 a b 12 Dec 1",
          "hello world, this is no listing at all"})
        EXPECT_FALSE(ParseListLine(skipped, kToday).has_value()) << skipped;
    // An impossible date keeps the entry with the zero time.
    auto odd = ParseListLine("-rw-r--r-- 1 a b 1 Feb 30  2025 odd", kToday);
    ASSERT_TRUE(odd);
    EXPECT_EQ(odd->modified, 0.0);
}

TEST(FtpListingTest, DosAndIisLines) {
    const Want table[] = {
        {"12-08-26  10:15PM       <DIR>          Nowy folder", Kind::kDirectory, "Nowy folder", "",
         0, At(2026, 12, 8, 22, 15)},
        {"01-02-1999  12:05AM                 1234 stary plik.txt", Kind::kFile, "stary plik.txt",
         "", 1234, At(1999, 1, 2, 0, 5)},
        {"07-04-2026  12:30PM           5368709120 big.iso", Kind::kFile, "big.iso", "",
         5368709120LL, At(2026, 7, 4, 12, 30)},
        {"03-15-26  17:45               12,345 komma.txt", Kind::kFile, "komma.txt", "", 12345,
         At(2026, 3, 15, 17, 45)},
        {"03-15-26  05:45 PM  <dir>  spaced am pm", Kind::kDirectory, "spaced am pm", "", 0,
         At(2026, 3, 15, 17, 45)},
        {"11-30-70  01:00AM  1 łódź", Kind::kFile, "łódź", "", 1, At(1970, 11, 30, 1)},
        {"12-08-26  10:15PM      99999999999999999999999 huge-dos.bin", Kind::kFile, "huge-dos.bin",
         "", kHuge, At(2026, 12, 8, 22, 15)},
        {"12-08-26  10:15PM  99,999,999,999,999,999,999 komma huge", Kind::kFile, "komma huge", "",
         kHuge, At(2026, 12, 8, 22, 15)},
    };
    for (const Want& w : table) Check(w, ParseListLine(Utf8ToCp1250(w.line), kToday));
    for (const char* skipped :
         {"12-08-26  10:15PM  <DIR>", "12-08-26  13:15PM  1 x", "12-08-26  10:15PM  -5 x",
          "1-8-26  10:15PM  1 x", "12-08-26  xx:15PM  1 x"})
        EXPECT_FALSE(ParseListLine(skipped, kToday).has_value()) << skipped;
}

TEST(FtpListingTest, MachineListingFacts) {
    const Want table[] = {
        {"type=file;size=5000000000;modify=20261208221530;perm=adfrw;unix.mode=0644; big file",
         Kind::kFile, "big file", "-rw-r--r--", 5000000000LL, At(2026, 12, 8, 22, 15, 30)},
        {"Type=DIR;Modify=20250101000000.123;Perm=FLCDMPE; Katalog Źródła", Kind::kDirectory,
         "Katalog Źródła", "flcdmpe", 0, At(2025, 1, 1)},
        {"type=OS.unix=symlink;size=4;unix.mode=0777; link", Kind::kLink, "link", "lrwxrwxrwx", 4,
         0.0},
        {"size=3;type=file; name;with;semicolons", Kind::kFile, "name;with;semicolons", "", 3, 0.0},
        {"type=file;modify=2026; bad time", Kind::kFile, "bad time", "", 0, 0.0},
        // A negative size is no size, like one that is not a number.
        {"type=file;size=-1999; minus", Kind::kFile, "minus", "", 0, 0.0},
        {"01-00t9pe=file;size=-1999 50 ", Kind::kOther, "50 ", "", 0, 0.0},
        {"type=dir;sizd=-1; negative folder", Kind::kDirectory, "negative folder", "", 0, 0.0},
    };
    for (const Want& w : table) Check(w, ParseMlsdLine(Utf8ToCp1250(w.line)));
    for (const char* skipped : {"type=cdir;modify=20261208221530; /home", "type=pdir; ..",
                                "no facts here", "type=file;", ""})
        EXPECT_FALSE(ParseMlsdLine(skipped).has_value()) << skipped;
}

TEST(FtpListingTest, NamesCompareWithoutCaseIncludingPolishLetters) {
    EXPECT_TRUE(SameName(Utf8ToCp1250("ŻÓŁW ĄĘŚĆŃŹ.TXT"), Utf8ToCp1250("żółw ąęśćńź.txt")));
    EXPECT_FALSE(SameName(Utf8ToCp1250("żółw"), Utf8ToCp1250("zolw")));
    EXPECT_FALSE(SameName("abc", "abcd"));
    EXPECT_FALSE(SameName(Utf8ToCp1250("×"), Utf8ToCp1250("÷")));  // no letters
}

TEST(FtpListingTest, ItemsListKeepsWhatWasAddedAndGuardsItsIndex) {
    TFTPListingItems items;
    EXPECT_THROW(items.Get(0), Exception);
    items.AddFile("a.txt", "-rw-r--r--", "abc", "2026-01-01");
    items.AddFile("b.txt", "-rw-r--r--", " 42 ", "");
    items.AddFile("c.txt", "", 5000000000LL, 46000.5);
    ASSERT_EQ(items.Count(), 3);
    EXPECT_EQ(items.Get(0).Size(), 0);    // no number
    EXPECT_EQ(items.Get(0).Date(), 0.0);  // the date text is not read
    EXPECT_EQ(items.Get(1).Size(), 42);
    EXPECT_EQ(items.Get(2).Size(), 5000000000LL);
    EXPECT_EQ(items.Get(2).Date(), 46000.5);
    EXPECT_EQ(items.Get(2).Name(), "c.txt");
    try {
        items.Get(3);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("TFTPListingItems: rozmiar poza zakresem"),
                  std::string::npos);
    }
    EXPECT_THROW(items.Get(-1), Exception);
}

}  // namespace
}  // namespace krv::test
