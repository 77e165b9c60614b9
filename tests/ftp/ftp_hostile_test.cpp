// TFTPControl against a misbehaving server on 127.0.0.1 (odd_ftp_server.py,
// started by with_ftp_server.sh): the user name picks the misbehaviour.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <limits>

#include "exportdata/test_files.h"
#include "support/cp1250.h"
#include "support/ftp_control.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool OnWinInet() { return TFTPControl::GetFTPControlVersionInfo().rfind("WinINet", 0) == 0; }
bool UnderWine() { return OnWinInet() && Env("KRV_FTP_UNDER_WINE") == "1"; }

class FtpHostileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Env("KRV_FTP_ODD_PORT").empty())
            GTEST_SKIP() << "no misbehaving server: run through tests/ftp/with_ftp_server.sh";
    }

    void Connect(TFTPControl& ftp, const std::string& misbehaviour) {
        ftp.SetHost("127.0.0.1");
        ftp.SetPortA(std::atoi(Env("KRV_FTP_ODD_PORT").c_str()));
        ftp.SetUserId(misbehaviour);
        ftp.SetPassword("any");
        ftp.SetTimeout(10000);
        ftp.Connect();
    }

    template <typename F>
    static std::string FailureOf(F f) {
        try {
            f();
        } catch (const EFtpError& e) {
            return Cp1250ToUtf8(e.Message());
        }
        ADD_FAILURE() << "no EFtpError";
        return "";
    }

    TempDir local_;
};

TEST_F(FtpHostileTest, AListingPastItsBoundFails) {
    struct Case {
        const char* misbehaviour;
        int64_t bytes, entries;
        const char* says;
    } cases[] = {
        {"endless", 0, 0, "1000000 entries"},  // the defaults: 64 MiB, a million lines
        {"endless", 1 << 20, 1000000, "1048576 bytes"},
        {"endless", 64 << 20, 5000, "5000 entries"},
        // 200 lines of about 10 KB.
        {"long", 4096, 5000, "4096 bytes"},
        {"long", 1 << 20, 199, "199 entries"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        // WinINet reads a whole listing before it hands out its first entry:
        // one without end it never finishes (the library cannot stop it).
        if (OnWinInet() && std::string(c.misbehaviour) == "endless") continue;
        TFTPControl ftp;
        if (c.bytes) ftp.SetListingLimits(c.bytes, c.entries);
        Connect(ftp, c.misbehaviour);
        size_t seen = 0;
        ftp.SetListingCallback([&](const std::string&) { ++seen; });
        std::vector<std::string> lines;
        std::string m = FailureOf([&] { ftp.List(&lines); });
        EXPECT_NE(m.find(c.says), std::string::npos) << m;
        EXPECT_TRUE(lines.empty());
        EXPECT_EQ(seen, 0u);  // nothing of a listing cut short is handed out
        EXPECT_NE(FailureOf([&] { ftp.FileExists("file0000001.txt"); }), "");
    }
    TFTPControl ftp;  // just within the bounds
    ftp.SetListingLimits(1 << 20, 200);
    Connect(ftp, "long");
    EXPECT_TRUE(ftp.FileExists("file0000199.txt"));
}

TEST_F(FtpHostileTest, OddListingLinesKeepTheirEntries) {
    TFTPControl ftp;
    Connect(ftp, "odd");
    EXPECT_TRUE(ftp.FileExists("huge-unix.bin"));
    EXPECT_TRUE(ftp.FileExists("huge-dos.bin"));
    // wine's WinINet drops the five-digit year itself, before the library
    // sees the line.
    EXPECT_EQ(ftp.FileExists("far-future.txt"), !UnderWine());
    auto items = ftp.ListAndParse();
    ASSERT_EQ(items->Count(), UnderWine() ? 3 : 4);
    for (int i = 0; i < items->Count(); ++i) {
        const TFTPListingItem& item = items->Get(i);
        if (item.Name().rfind("huge", 0) == 0) {
            // wine's WinINet stops at 32 bits itself.
            EXPECT_EQ(item.Size(), UnderWine() ? std::numeric_limits<int32_t>::max()
                                               : std::numeric_limits<int64_t>::max())
                << item.Name();
        }
        if (item.Name() == "far-future.txt") {
            EXPECT_EQ(item.Size(), 12);
            EXPECT_EQ(item.Date(), 0.0);
        }
    }
}

TEST_F(FtpHostileTest, APassiveReplyNamingAnotherHostIsNeverFollowed) {
    TFTPControl ftp;
    Connect(ftp, "foreign");
    std::vector<std::string> lines;
    if (OnWinInet()) {
        // WinINet would connect where the reply says: the library refuses.
        std::string m = FailureOf([&] { ftp.List(&lines); });
        EXPECT_NE(m.find("127.0.0.2"), std::string::npos) << m;
        WriteAll(local_ / "x.txt", "x");
        EXPECT_NE(FailureOf([&] { ftp.Upload(local_ / "x.txt", "x.txt"); }), "");
        EXPECT_NE(FailureOf([&] { ftp.Download("x.txt", local_ / "y.txt"); }), "");
    } else {
        ftp.List(&lines);  // through the control connection's host
        EXPECT_EQ(lines, std::vector<std::string>{"-rw-r--r--   1 a b 3 Dec  1 10:15 plain.txt"});
    }
    ftp.Disconnect();
    EXPECT_EQ(ReadAll(Env("KRV_FTP_TRAP_LOG")), "");
}

TEST_F(FtpHostileTest, ADownloadEndingShortFailsAndKeepsTheLocalFile) {
    TFTPControl ftp;
    Connect(ftp, "short");
    WriteAll(local_ / "here.bin", "old");
    std::string m = FailureOf([&] { ftp.Download("f.bin", local_ / "here.bin"); });
    EXPECT_NE(m.find("f.bin"), std::string::npos) << m;
    EXPECT_EQ(ReadAll(local_ / "here.bin"), "old");
    auto files = std::distance(fs::directory_iterator(fs::path(local_.Dir())), {});
    EXPECT_EQ(files, 1);  // no partial file left behind
}

}  // namespace
}  // namespace krv::test
