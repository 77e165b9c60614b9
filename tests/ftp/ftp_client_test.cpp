// TFTPControl against a real FTP server on 127.0.0.1 (see with_ftp_server.sh,
// which starts it and passes its ports and the user through the environment).
#include "support/ftp_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "exportdata/test_files.h"
#include "platform/ftp.h"
#include "support/cp1250.h"
#include "support/strutil.h"
#include "support/tdttools.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

class FtpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Env("KRV_FTP_PORT").empty())
            GTEST_SKIP() << "no FTP test server: run through tests/ftp/with_ftp_server.sh";
        password_ = Env("KRV_FTP_PASSWORD");
        root_ = fs::path(Env("KRV_FTP_ROOT"));
        // Every test starts from an empty root.
        for (const auto& entry : fs::directory_iterator(root_)) fs::remove_all(entry.path());
        ftp_.SetStatusCallback([this](const std::string& s) { status_.push_back(s); });
        Configure(ftp_, "KRV_FTP_PORT");
        connectionsBefore_ = AllConnections();
    }

    void TearDown() override {
        // The password never shows, whatever happened.
        for (const std::string& s : status_) EXPECT_EQ(s.find(password_), std::string::npos) << s;
    }

    void Configure(TFTPControl& ftp, const char* portVariable) {
        ftp.SetHost("127.0.0.1");
        ftp.SetPortA(std::atoi(Env(portVariable).c_str()));
        ftp.SetUserId(Env("KRV_FTP_USER"));
        ftp.SetPassword(password_);
        ftp.SetTimeout(10000);
        ftp.SetReportLevel(2);
    }

    // Connections the server accepted since the test began.
    size_t Connections() { return AllConnections() - connectionsBefore_; }
    static size_t AllConnections() { return LinesOf("KRV_FTP_CONNECTIONS"); }
    // Commands the server received, ever.
    static size_t Commands() { return LinesOf("KRV_FTP_COMMANDS"); }
    static size_t LinesOf(const char* variable) {
        std::ifstream in(fs::path(Env(variable)));
        size_t n = 0;
        for (std::string line; std::getline(in, line);) n += !line.empty();
        return n;
    }

    // The message of the EFtpError that `f` throws.
    template <typename F>
    std::string FailureOf(F f) {
        try {
            f();
        } catch (const EFtpError& e) {
            std::string m = Cp1250ToUtf8(e.Message());
            EXPECT_EQ(m.find(password_), std::string::npos) << m;
            return m;
        }
        ADD_FAILURE() << "no EFtpError";
        return "";
    }

    std::string password_;
    fs::path root_;
    std::vector<std::string> status_;
    size_t connectionsBefore_ = 0;
    TempDir local_;
    // Last, so that it goes first: its disconnection still reports to status_.
    TFTPControl ftp_;
};

// WinINet parses listings itself and gives no permission texts.
bool OnWinInet() { return TFTPControl::GetFTPControlVersionInfo().rfind("WinINet", 0) == 0; }
bool UnderWine() { return OnWinInet() && Env("KRV_FTP_UNDER_WINE") == "1"; }

// wine's WinINet cuts every listed name at its first blank (Windows' own
// keeps it): under wine, names with blanks are left out of comparisons.
void DropBlankNames(std::vector<std::string>& want, std::vector<std::string>& got) {
    if (!UnderWine()) return;
    for (const std::string& w : want) {
        size_t blank = w.find(' ');
        if (blank != std::string::npos) std::erase(got, w.substr(0, blank));
    }
    std::erase_if(want, [](const std::string& w) { return w.find(' ') != std::string::npos; });
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen());
    return s;
}

TEST_F(FtpTest, OneConnectionFromConnectToDisconnectAndReconnect) {
    EXPECT_FALSE(ftp_.GetConnected());
    ftp_.Connect();
    EXPECT_TRUE(ftp_.GetConnected());
    WriteAll(local_ / "a.txt", "abc");
    ftp_.Upload(local_ / "a.txt", "a.txt");
    ftp_.Download("a.txt", local_ / "b.txt");
    std::vector<std::string> lines;
    ftp_.List(&lines);
    ftp_.MakeDir("d");
    ftp_.ChangeDir("d");
    EXPECT_EQ(Connections(), 1u);  // every call on the one connection

    ftp_.Connect();  // reconnects: a new connection, back in the home folder
    EXPECT_TRUE(ftp_.GetConnected());
    EXPECT_EQ(Connections(), 2u);
    EXPECT_TRUE(ftp_.FileExists("a.txt"));

    ftp_.Disconnect();
    EXPECT_FALSE(ftp_.GetConnected());
    ftp_.Disconnect();  // nothing to do
    EXPECT_NE(FailureOf([&] { ftp_.ChangeDir("d"); }).find("Connect"), std::string::npos);
}

TEST_F(FtpTest, RefusedLoginNamesUserAndServerButNeverThePassword) {
    ftp_.SetPassword(password_ + "-wrong");
    std::string m = FailureOf([&] { ftp_.Connect(); });
    EXPECT_NE(m.find("530"), std::string::npos) << m;  // the server's reply line
    EXPECT_NE(m.find("127.0.0.1:" + Env("KRV_FTP_PORT")), std::string::npos) << m;
    EXPECT_NE(m.find(Env("KRV_FTP_USER")), std::string::npos) << m;
    EXPECT_EQ(m.find(password_), std::string::npos) << m;
    EXPECT_FALSE(ftp_.GetConnected());

    // With the right password, every status text of a whole session is
    // still free of it (checked in TearDown), and there were some.
    ftp_.SetPassword(password_);
    ftp_.Connect();
    ftp_.Disconnect();
    EXPECT_GT(status_.size(), 3u);
}

TEST_F(FtpTest, FilesTravelByteForByteInPassiveAndActiveMode) {
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
    all += "\r\n\n\r";  // line ends stay as they are
    const std::string big = RandomBytes(5 * 1024 * 1024, 7);
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        ftp_.SetPassiveMode(passive);
        ftp_.Connect();
        WriteAll(local_ / "all.bin", all);
        WriteAll(local_ / "big.bin", big);
        ftp_.Upload(local_ / "all.bin", "all.bin");
        ftp_.Upload(local_ / "big.bin", "big.bin");
        EXPECT_EQ(ReadAll((root_ / "all.bin").string()), all);
        EXPECT_TRUE(ReadAll((root_ / "big.bin").string()) == big);
        ftp_.Download("all.bin", local_ / "all.back");
        ftp_.Download("big.bin", local_ / "big.back");
        EXPECT_EQ(ReadAll(local_ / "all.back"), all);
        EXPECT_TRUE(ReadAll(local_ / "big.back") == big);
        ftp_.Disconnect();
    }
}

TEST_F(FtpTest, TransfersReplaceWholeFilesAndAFailedDownloadKeepsTheLocalOne) {
    ftp_.Connect();
    WriteAll(local_ / "long.txt", std::string(1000, 'L'));
    WriteAll(local_ / "short.txt", "short");
    ftp_.Upload(local_ / "long.txt", "f.txt");
    ftp_.Upload(local_ / "short.txt", "f.txt");  // no tail of the longer file left
    EXPECT_EQ(ReadAll((root_ / "f.txt").string()), "short");

    WriteAll(local_ / "here.txt", std::string(1000, 'H'));
    ftp_.Download("f.txt", local_ / "here.txt");
    EXPECT_EQ(ReadAll(local_ / "here.txt"), "short");

    std::string m = FailureOf([&] { ftp_.Download("missing.txt", local_ / "here.txt"); });
    EXPECT_NE(m.find("550"), std::string::npos) << m;
    EXPECT_NE(m.find("missing.txt"), std::string::npos) << m;
    EXPECT_EQ(ReadAll(local_ / "here.txt"), "short");
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(fs::path(local_.Dir()))) files += !e.is_directory();
    EXPECT_EQ(files, 3u);  // long, short, here: no partial download left behind
    ftp_.Download("f.txt", local_ / "again.txt");
    EXPECT_EQ(Connections(), 1u);  // a refused transfer does not cost the connection

    m = FailureOf([&] { ftp_.Upload(local_ / "absent.txt", "x.txt"); });
    EXPECT_NE(m.find("absent.txt"), std::string::npos) << m;
}

TEST_F(FtpTest, FoldersAndFilesAreMadeEnteredAndDeleted) {
    ftp_.Connect();
    const std::string folder = Utf8ToCp1250("nowy folder ąę");
    ftp_.MakeDir(folder);
    EXPECT_TRUE(fs::is_directory(root_ / fs::u8path("nowy folder ąę")));
    if (!UnderWine()) {
        EXPECT_TRUE(ftp_.DirExists(Utf8ToCp1250("NOWY FOLDER ĄĘ")));
    }
    EXPECT_FALSE(ftp_.FileExists(folder));
    ftp_.ChangeDir(folder);
    WriteAll(local_ / "x.txt", "x");
    ftp_.Upload(local_ / "x.txt", "X.txt");
    EXPECT_TRUE(fs::exists(root_ / fs::u8path("nowy folder ąę") / "X.txt"));
    EXPECT_TRUE(ftp_.FileExists("x.TXT"));
    EXPECT_FALSE(ftp_.DirExists("x.txt"));
    ftp_.ChangeDir("..");
    if (!UnderWine()) {
        EXPECT_TRUE(ftp_.DirExists(folder));
    }

    std::string m = FailureOf([&] { ftp_.ChangeDir("no such folder"); });
    EXPECT_NE(m.find("550"), std::string::npos) << m;
    EXPECT_NE(m.find("no such folder"), std::string::npos) << m;
    EXPECT_NE(FailureOf([&] { ftp_.RemoveDir(folder); }), "");  // not empty yet
    ftp_.ChangeDir(folder);
    ftp_.DeleteFileA("X.txt");
    EXPECT_FALSE(ftp_.FileExists("X.txt"));
    EXPECT_NE(FailureOf([&] { ftp_.DeleteFileA("X.txt"); }).find("550"), std::string::npos);
    ftp_.ChangeDir("/");
    ftp_.RemoveDir(folder);
    EXPECT_FALSE(fs::exists(root_ / fs::u8path("nowy folder ąę")));
    EXPECT_NE(FailureOf([&] { ftp_.MakeDir("a/b/c"); }).find("550"), std::string::npos);
    EXPECT_EQ(Connections(), 1u);  // refusals do not cost the connection
}

TEST_F(FtpTest, ListingsOfBothServerStylesGiveNamesKindsSizesAndTimes) {
    WriteAll((root_ / "plain.txt").string(), "123");
    std::ofstream(root_ / "name with blanks.txt") << "12345";
    std::ofstream(root_ / fs::u8path("żółw_ĄĘ.txt")) << "1";
    fs::create_directory(root_ / "sub");
    fs::create_directory(root_ / fs::u8path("katalog łąka"));
    fs::create_directory(root_ / fs::u8path("źdźbło"));
    const std::string turtle = Utf8ToCp1250("żółw_ĄĘ.txt");

    for (const char* port : {"KRV_FTP_PORT", "KRV_FTP_LIST_PORT"}) {
        SCOPED_TRACE(port);
        TFTPControl ftp;
        Configure(ftp, port);
        std::vector<std::string> raw;
        ftp.SetListingCallback([&](const std::string& line) { raw.push_back(line); });
        ftp.Connect();

        std::vector<std::string> files, dirs;
        ftp.List(&files, &dirs);
        std::vector<std::string> wantFiles = {"name with blanks.txt", "plain.txt", turtle};
        std::vector<std::string> wantDirs = {Utf8ToCp1250("katalog łąka"), "sub",
                                             Utf8ToCp1250("źdźbło")};
        DropBlankNames(wantFiles, files);
        DropBlankNames(wantDirs, dirs);
        std::sort(files.begin(), files.end());
        std::sort(dirs.begin(), dirs.end());
        std::sort(wantFiles.begin(), wantFiles.end());
        std::sort(wantDirs.begin(), wantDirs.end());
        EXPECT_EQ(files, wantFiles);
        EXPECT_EQ(dirs, wantDirs);
        EXPECT_GE(raw.size(), 6u);

        auto items = ftp.ListAndParse();
        ASSERT_EQ(items->Count(), 6);
        double now = TdtTools::Now();
        for (int i = 0; i < items->Count(); ++i) {
            const TFTPListingItem& item = items->Get(i);
            int64_t want = item.Name() == "plain.txt"              ? 3
                           : item.Name() == "name with blanks.txt" ? 5
                           : item.Name() == turtle                 ? 1
                                                                   : -1;
            if (want >= 0) {
                EXPECT_EQ(item.Size(), want) << item.Name();
            }
            if (!OnWinInet()) {
                EXPECT_FALSE(item.Attributes().empty()) << item.Name();
            }
            EXPECT_EQ(item.Attributes(), LowerCase(item.Attributes()));
            // The server's time (UTC for MLSD, local for LIST) is today.
            EXPECT_NEAR(item.Date(), now, 1.1) << item.Name();
        }
        EXPECT_TRUE(ftp.FileExists(Utf8ToCp1250("ŻÓŁW_ąę.TXT")));
        EXPECT_TRUE(ftp.DirExists(Utf8ToCp1250("ŹDŹBŁO")));
        EXPECT_EQ(ftp.DirExists(Utf8ToCp1250("KATALOG ŁĄKA")), !UnderWine());
        EXPECT_FALSE(ftp.FileExists("sub"));
        EXPECT_THROW(items->Get(items->Count()), Exception);
    }
}

TEST_F(FtpTest, NamesWithLineBreaksOrNulAreRefusedBeforeAnythingIsSent) {
    using namespace std::string_literals;
    WriteAll((root_ / "victim.txt").string(), "keep");
    WriteAll(local_ / "x.txt", "x");
    ftp_.Connect();
    platform::FtpSettings settings;
    settings.host = "127.0.0.1";
    settings.port = std::atoi(Env("KRV_FTP_PORT").c_str());
    settings.user = Env("KRV_FTP_USER");
    settings.password = password_;
    std::unique_ptr<platform::FtpConnection> client;  // the client alone, its own guard
    ASSERT_TRUE(platform::OpenFtpConnection(settings, nullptr, client).ok);

    // Each tail would end the command and start a DELE of the victim.
    const std::pair<std::string, const char*> tails[] = {
        {"\r\nDELE /victim.txt", "CR (0x0D)"},
        {"\nDELE victim.txt", "LF (0x0A)"},
        {"\rDELE victim.txt", "CR (0x0D)"},
        {"\0\r\nDELE victim.txt"s, "NUL (0x00)"},
    };
    using Run = std::function<void(const std::string&)>;
    using RunClient = std::function<platform::FtpResult(const std::string&)>;
    const std::string here = local_ / "x.txt", there = local_ / "y.txt";
    const struct {
        const char* call;
        Run run;
        RunClient client;
    } calls[] = {
        {"MakeDir", [&](auto& n) { ftp_.MakeDir(n); }, [&](auto& n) { return client->MakeDir(n); }},
        {"RemoveDir", [&](auto& n) { ftp_.RemoveDir(n); },
         [&](auto& n) { return client->RemoveDir(n); }},
        {"DeleteFileA", [&](auto& n) { ftp_.DeleteFileA(n); },
         [&](auto& n) { return client->DeleteRemoteFile(n); }},
        {"ChangeDir", [&](auto& n) { ftp_.ChangeDir(n); },
         [&](auto& n) { return client->ChangeDir(n); }},
        {"Upload", [&](auto& n) { ftp_.Upload(here, n); },
         [&](auto& n) { return client->Upload(here, n); }},
        {"Upload", [&](auto& n) { ftp_.Upload(here + n, "x.txt"); },
         [&](auto& n) { return client->Upload(here + n, "x.txt"); }},
        {"Download", [&](auto& n) { ftp_.Download(n, there); },
         [&](auto& n) { return client->Download(n, there); }},
        {"Download", [&](auto& n) { ftp_.Download("victim.txt", there + n); },
         [&](auto& n) { return client->Download("victim.txt", there + n); }},
    };
    const size_t commands = Commands();
    for (const auto& c : calls) {
        for (const auto& [tail, byte] : tails) {
            SCOPED_TRACE(std::string(c.call) + " " + byte);
            std::string m = FailureOf([&] { c.run("inj" + tail); });
            EXPECT_NE(m.find(c.call), std::string::npos) << m;
            EXPECT_NE(m.find(byte), std::string::npos) << m;
            platform::FtpResult r = c.client("inj" + tail);
            EXPECT_FALSE(r.ok);
            EXPECT_NE(r.error.find(byte), std::string::npos) << r.error;
        }
    }
    EXPECT_EQ(Commands(), commands);  // not one command reached the server
    EXPECT_FALSE(fs::exists(fs::path(there)));
    TFTPControl login;
    Configure(login, "KRV_FTP_PORT");
    login.SetUserId(Env("KRV_FTP_USER") + "\r\nDELE victim.txt");
    EXPECT_NE(FailureOf([&] { login.Connect(); }).find("Connect"), std::string::npos);
    EXPECT_EQ(Connections(), 2u);  // ftp_ and the client; the login never connected

    EXPECT_TRUE(ftp_.FileExists("victim.txt"));  // the connection still serves
    EXPECT_EQ(ReadAll((root_ / "victim.txt").string()), "keep");
}

TEST_F(FtpTest, RefusedAndSilentServersFailInTime) {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point since) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count();
    };
    TFTPControl refused;
    Configure(refused, "KRV_FTP_REFUSED_PORT");
    auto start = Clock::now();
    std::string m = FailureOf([&] { refused.Connect(); });
    EXPECT_LT(ms(start), 5000);  // refused at once, no waiting for the time-out
    EXPECT_NE(m.find("127.0.0.1:" + Env("KRV_FTP_REFUSED_PORT")), std::string::npos) << m;

    TFTPControl silent;
    Configure(silent, "KRV_FTP_SILENT_PORT");
    silent.SetTimeout(1500);
    start = Clock::now();
    m = FailureOf([&] { silent.Connect(); });
    auto waited = ms(start);
    EXPECT_GE(waited, 1400);
    if (UnderWine()) {
        EXPECT_LT(waited, 90000);  // wine's WinINet waits a fixed 30 s per reply
    } else {
        // The time-out is honoured; a generous bound, the machine may be loaded.
        EXPECT_LT(waited, 1500 + 15000);
    }
    EXPECT_NE(m.find("127.0.0.1:" + Env("KRV_FTP_SILENT_PORT")), std::string::npos) << m;
    EXPECT_FALSE(silent.GetConnected());
}

TEST(FtpVersionTest, NamesTheClientInUse) {
    std::string v = TFTPControl::GetFTPControlVersionInfo();
    EXPECT_TRUE(v.rfind("libcurl ", 0) == 0 || v.rfind("WinINet", 0) == 0) << v;
    EXPECT_GT(v.size(), 8u);
}

}  // namespace
}  // namespace krv::test
