// Runs the real sm_eth program against the real scale simulator on loopback,
// in a temporary exchange directory, the way the library starts it.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "child_process.h"
#include "files.h"
#include "os.h"
#include "plu_record.h"
#include "support/cp1250.h"

namespace krv::test {
namespace {

namespace fs = std::filesystem;

constexpr int kRunBoundMs = 20000;  // no single program run may take longer

std::string Slurp(const fs::path& p) {
    return tools::ReadWholeFile(p.string()).value_or("<missing>");
}

std::vector<std::string> Split(const std::string& s, const std::string& sep) {
    std::vector<std::string> parts;
    size_t pos = 0;
    for (size_t next; (next = s.find(sep, pos)) != std::string::npos; pos = next + sep.size())
        parts.push_back(s.substr(pos, next - pos));
    parts.push_back(s.substr(pos));
    return parts;
}

// The error file as lines of fields.
std::vector<std::vector<std::string>> ErrorLines(const std::string& bytes) {
    std::vector<std::vector<std::string>> lines;
    if (bytes.empty()) return lines;
    for (const std::string& line : Split(bytes, "\r\n")) lines.push_back(Split(line, "\t"));
    return lines;
}

class TempDir {
  public:
    TempDir() {
        std::string tmpl = (fs::temp_directory_path() / "sm_eth_test_XXXXXX").string();
        path_ = mkdtemp(tmpl.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

// The simulator on a free loopback port, stopped with SIGTERM at the end.
class Scale {
  public:
    Scale(const fs::path& dir, std::vector<std::string> extra) : state_(dir / "scale_state.txt") {
        fs::path port_file = dir / "scale_port.txt";
        fs::remove(port_file);  // an earlier scale's port must not be taken for this one's
        std::vector<std::string> args = {"--port",           "0",       "--port-file",
                                         port_file.string(), "--state", state_.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        process_ = std::make_unique<tools::ChildProcess>();
        std::string error;
        EXPECT_TRUE(process_->Start(
            {SCALE_SIM_PROGRAM, args, "", {}, "", (dir / "scale_log.txt").string()}, &error))
            << error;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline && !process_->Wait(0)) {
            std::optional<std::string> text = tools::ReadWholeFile(port_file.string());
            if (text && !text->empty()) {
                port_ = std::stoi(*text);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~Scale() { process_->Stop(5000); }

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string State() const { return Slurp(state_); }
    tools::ChildProcess& process() { return *process_; }

  private:
    fs::path state_;
    std::unique_ptr<tools::ChildProcess> process_;
    int port_ = 0;
};

// The state file that a scale holding exactly these records writes.
std::string StateOf(std::vector<std::string> records) {
    std::sort(records.begin(), records.end(), [](const std::string& a, const std::string& b) {
        return a.substr(1, 8) < b.substr(1, 8);
    });
    std::string s;
    for (const std::string& r : records) s += r.substr(1, 8) + "\t" + r + "\n";
    return s;
}

struct RunResult {
    int exit_code = -1;
    std::string errors;  // "<missing>" when the file does not exist
    bool semaphore = false;
    std::string output;  // standard output
    std::vector<std::vector<std::string>> lines;
};

class SmEthRun : public ::testing::Test {
  protected:
    fs::path Dir() const { return dir_.path(); }
    fs::path Path(const char* name) const { return Dir() / name; }

    // The two INI files exactly as the library writes them.
    void WriteIni(const std::string& address, const std::string& name = "Waga 1") {
        Write("wagi.ini", "[1]\r\nNazwa=" + name + "\r\nAdres=" + address);
        Write("sm_eth.ini", "[Zbiory]\r\nDaneWej=" + Path("digism.exp").string() +
                                "\r\nDaneWyj=" + Path("digism.err").string() +
                                "\r\nSemaforWyj=" + Path("semafor.imp").string() +
                                "\r\n\r\n[Opcje]\r\nWejscieStronaKodowa=windows-1250");
    }
    void WritePlu(const std::vector<std::string>& records) {
        std::string data;
        for (const std::string& r : records) data += r + "\r\n";
        Write("digism.exp", data);
    }
    void Write(const char* name, const std::string& bytes) {
        ASSERT_TRUE(tools::WriteWholeFile(Path(name).string(), bytes));
    }

    RunResult Run(std::vector<std::string> args = {"W=1", "I=0", "T=4"},
                  const std::string& timeout_ms = "") {
        std::vector<std::pair<std::string, std::string>> env;
        if (!timeout_ms.empty()) env.emplace_back("SM_ETH_TIMEOUT_MS", timeout_ms);
        tools::ChildProcess p;
        std::string error;
        EXPECT_TRUE(
            p.Start({program_, args, Dir().string(), env, Path("stdout.txt").string(), ""}, &error))
            << error;
        RunResult r;
        std::optional<int> code = p.Wait(kRunBoundMs);
        EXPECT_TRUE(code) << "sm_eth did not finish";
        r.exit_code = code.value_or(-1);
        r.errors = Slurp(Path("digism.err"));
        r.semaphore = fs::exists(Path("semafor.imp"));
        // Both appear under their names only once complete: no temporary
        // file is left behind, in any run.
        EXPECT_FALSE(fs::exists(Path("digism.err.tmp")) || fs::exists(Path("semafor.imp.tmp")));
        r.output = Slurp(Path("stdout.txt"));
        if (r.errors != "<missing>") r.lines = ErrorLines(r.errors);
        return r;
    }

    // The program as the library finds it: in the exchange directory, with
    // its own settings file beside it.
    void UseOwnSettings(const std::string& cfg) {
        fs::copy_file(SM_ETH_PROGRAM, Path("SM_eth.exe"), fs::copy_options::overwrite_existing);
        fs::permissions(Path("SM_eth.exe"), fs::perms(0755));
        program_ = Path("SM_eth.exe").string();
        Write("sm_eth.cfg", cfg);
    }

    const std::string a_ = SimpleRecord(30, 0, "Chleb", 350);
    const std::string b_ = SimpleRecord(4, 0, Utf8ToCp1250("Masło"), 799);
    const std::string c_ = SimpleRecord(12, 0, "Ser", 2450);

  private:
    TempDir dir_;
    std::string program_ = SM_ETH_PROGRAM;
};

TEST_F(SmEthRun, StoresEveryRecordThenDeletesAndReplaces) {
    Scale scale(Dir(), {});
    ASSERT_NE(scale.port(), 0);
    WriteIni(scale.address());
    WritePlu({a_, b_, c_});
    // Left from an earlier run: must not survive as this run's result.
    Write("digism.err", "stale\terror");
    Write("semafor.imp", "");

    RunResult r = Run();
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.errors, "");
    EXPECT_TRUE(r.semaphore);
    EXPECT_EQ(r.output, "");  // I=0 prints nothing at all
    EXPECT_EQ(scale.State(), StateOf({a_, b_, c_}));

    const std::string new_c = SimpleRecord(12, 0, "Ser żółty", 2999);
    WritePlu({SimpleRecord(4, 1, Utf8ToCp1250("Masło"), 799), new_c});
    r = Run({"W=1 I=1 T=4"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.errors, "");
    EXPECT_NE(r.output.find("PLU 00000012: ok"), std::string::npos) << r.output;
    EXPECT_EQ(scale.State(), StateOf({a_, new_c}));
}

TEST_F(SmEthRun, RejectedPluGivesOneLineAndTheOthersAreStored) {
    Scale scale(Dir(), {"--reject", "12:E42:Brak miejsca w pamięci"});
    WriteIni(scale.address(), Utf8ToCp1250("Waga mięso"));
    WritePlu({a_, c_, b_});

    RunResult r = Run();
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(r.semaphore);
    EXPECT_EQ(r.errors, Utf8ToCp1250("Waga mięso\t" + scale.address() +
                                     "\t2\t00000012\tE42\tBrak miejsca w pamięci"));
    EXPECT_EQ(scale.State(), StateOf({a_, b_}));
}

TEST_F(SmEthRun, UnreachableScaleGivesLineZero) {
    int free_port;
    {
        std::string error;
        tools::Socket probe = tools::Listen("127.0.0.1", 0, &error);
        free_port = tools::LocalPort(probe);
    }  // closed again: nothing listens there now
    Scale refusing(Dir(), {"--refuse"});
    for (const std::string& address :
         {refusing.address(), "127.0.0.1:" + std::to_string(free_port)}) {
        WriteIni(address);
        std::string broken = b_;
        broken[131] = 'x';
        WritePlu({a_, broken});

        RunResult r = Run();
        EXPECT_EQ(r.exit_code, 0) << address;
        EXPECT_TRUE(r.semaphore);
        ASSERT_EQ(r.lines.size(), 2u) << r.errors;
        EXPECT_EQ(r.lines[0],
                  (std::vector<std::string>{"Waga 1", address, "0", "", "201", r.lines[0][5]}));
        EXPECT_NE(Cp1250ToUtf8(r.lines[0][5]).find("Nie można połączyć się z wagą " + address),
                  std::string::npos)
            << Cp1250ToUtf8(r.lines[0][5]);
        EXPECT_EQ(r.lines[1][2], "2");  // the record that failed its check is still reported
        EXPECT_EQ(r.lines[1][4], "104");
    }
    EXPECT_EQ(refusing.State(), "");
}

TEST_F(SmEthRun, DroppedConnectionKeepsWhatWasConfirmed) {
    Scale scale(Dir(), {"--drop-after", "1"});
    WriteIni(scale.address());
    WritePlu({a_, b_, c_});

    RunResult r = Run();
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(r.semaphore);
    ASSERT_EQ(r.lines.size(), 1u) << r.errors;
    EXPECT_EQ(r.lines[0][2], "0");
    EXPECT_EQ(r.lines[0][4], "203");
    EXPECT_NE(
        Cp1250ToUtf8(r.lines[0][5]).find("(linia 2, PLU 00000004); potwierdzone rekordy: 1 z 3"),
        std::string::npos)
        << Cp1250ToUtf8(r.lines[0][5]);
    EXPECT_EQ(scale.State(), StateOf({a_}));
}

TEST_F(SmEthRun, SilentOrSlowScaleMeetsTheTimeOut) {
    {
        Scale mute(Dir(), {"--mute"});
        WriteIni(mute.address());
        WritePlu({a_, b_});
        auto start = std::chrono::steady_clock::now();
        RunResult r = Run({"W=1", "I=0", "T=4"}, "300");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(r.exit_code, 0);
        EXPECT_TRUE(r.semaphore);
        ASSERT_EQ(r.lines.size(), 1u) << r.errors;
        EXPECT_EQ(r.lines[0][2], "0");
        EXPECT_EQ(r.lines[0][4], "202");
        EXPECT_NE(Cp1250ToUtf8(r.lines[0][5]).find("w ciągu 0.3 s (linia 1, PLU 00000030)"),
                  std::string::npos)
            << Cp1250ToUtf8(r.lines[0][5]);
        EXPECT_EQ(mute.State(), "");
    }
    {
        Scale slow(Dir(), {"--delay-ms", "150"});
        WriteIni(slow.address());
        WritePlu({a_, b_});
        RunResult r = Run({"W=1", "I=0", "T=4"}, "2000");
        EXPECT_EQ(r.errors, "");  // slow, but each answer within the time-out
        EXPECT_EQ(slow.State(), StateOf({a_, b_}));
    }
}

TEST_F(SmEthRun, RecordsThatFailTheirChecksAreNotSent) {
    Scale scale(Dir(), {});
    WriteIni(scale.address());
    std::string letter_in_price = SimpleRecord(2);
    letter_in_price[133] = 'O';
    Write("digism.exp",
          a_ + "\r\n" + letter_in_price + "\r\n" + b_.substr(0, 999) + "\r\n" + c_ + "\n" + b_);

    RunResult r = Run();
    EXPECT_EQ(r.exit_code, 0);
    ASSERT_EQ(r.lines.size(), 4u) << r.errors;
    std::vector<std::vector<std::string>> expected_heads = {{"2", "00000002", "104"},
                                                            {"3", "00000004", "101"},
                                                            {"4", "00000012", "102"},
                                                            {"5", "00000004", "102"}};
    for (size_t i = 0; i < 4; ++i) {
        ASSERT_EQ(r.lines[i].size(), 6u);
        EXPECT_EQ(std::vector<std::string>(r.lines[i].begin() + 2, r.lines[i].begin() + 5),
                  expected_heads[i]);
    }
    EXPECT_EQ(scale.State(), StateOf({a_}));
}

TEST_F(SmEthRun, UnusableSetUpStillEndsWithTheSemaphore) {
    // Without sm_eth.ini the program knows no file to write.
    RunResult r = Run();
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_FALSE(r.semaphore);

    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::vector<std::string> args;
        int exit_code;
        const char* code;
        const char* text = "";  // in the error text
    };
    // A directory in a file's place cannot be read: the text says why, not
    // that the file is missing.
    auto unreadable = [&](const char* name) {
        fs::remove(Path(name));
        fs::create_directory(Path(name));
    };
    const std::vector<Case> cases = {
        {"no wagi.ini", [&] { fs::remove(Path("wagi.ini")); }, {"W=1", "I=0", "T=4"}, 2, "301"},
        {"no section", [&] {}, {"W=2", "I=0", "T=4"}, 2, "301"},
        {"bad address",
         [&] { Write("wagi.ini", "[1]\r\nNazwa=W\r\nAdres=127.0.0.1:abc"); },
         {},
         2,
         "302"},
        {"bad T", [&] {}, {"W=1", "I=0", "T=x"}, 2, "306"},
        {"no input", [&] { fs::remove(Path("digism.exp")); }, {}, 0, "303"},
        {"empty input", [&] { Write("digism.exp", ""); }, {}, 0, "304"},
        {"unreadable wagi.ini", [&] { unreadable("wagi.ini"); }, {}, 2, "301", "wagi.ini: "},
        {"unreadable input", [&] { unreadable("digism.exp"); }, {}, 0, "303", "digism.exp: "},
    };
    for (const Case& c : cases) {
        WriteIni("127.0.0.1:9");  // never contacted: every case stops before connecting
        WritePlu({a_});
        c.prepare();
        r = Run(c.args.empty() ? std::vector<std::string>{"W=1", "I=0", "T=4"} : c.args);
        EXPECT_EQ(r.exit_code, c.exit_code) << c.what;
        EXPECT_TRUE(r.semaphore) << c.what;
        ASSERT_EQ(r.lines.size(), 1u) << c.what << ": " << r.errors;
        EXPECT_EQ(r.lines[0][2], "0") << c.what;
        EXPECT_EQ(r.lines[0][4], c.code) << c.what;
        EXPECT_NE(r.lines[0][5].find(c.text), std::string::npos) << c.what << ": " << r.errors;
        fs::remove_all(Path("wagi.ini"));
        fs::remove_all(Path("digism.exp"));
    }
    // Settings that cannot be read are no reason to fall back to the defaults.
    UseOwnSettings("");
    unreadable("sm_eth.cfg");
    WriteIni("127.0.0.1:9");
    WritePlu({a_});
    r = Run();
    EXPECT_EQ(r.exit_code, 2);
    ASSERT_EQ(r.lines.size(), 1u) << r.errors;
    EXPECT_EQ(r.lines[0][4], "307");
    EXPECT_NE(r.lines[0][5].find("sm_eth.cfg: "), std::string::npos) << r.errors;
}

TEST_F(SmEthRun, SimulatorEndsAfterItsLastConnectionAndOnSigterm) {
    {
        Scale once(Dir(), {"--once"});
        WriteIni(once.address());
        WritePlu({a_});
        EXPECT_EQ(Run().errors, "");
        EXPECT_EQ(once.process().Wait(5000), std::optional<int>(0));
    }
    Scale scale(Dir(), {});
    ASSERT_NE(scale.port(), 0);
    EXPECT_EQ(scale.process().Stop(5000), 0);  // a clean exit, not death by the signal
}

// --- DIGI mode ---

// The PLU numbers a DIGI scale's state file holds.
std::vector<std::string> DigiPlus(const std::string& state) {
    std::vector<std::string> plus;
    for (const std::string& line : Split(state, "\n"))
        if (!line.empty()) plus.push_back(line.substr(0, 8));
    return plus;
}

TEST_F(SmEthRun, DigiEveryScaleGetsEveryFrameAndKeepsItsOwnFaults) {
    UseOwnSettings("[Scale]\r\nProtocol=digi\r\nTimeoutMs=1000\r\n");
    Scale scale(Dir(), {"--digi"});
    int free_port;
    {
        std::string error;
        tools::Socket probe = tools::Listen("127.0.0.1", 0, &error);
        free_port = tools::LocalPort(probe);
    }
    std::string absent = "127.0.0.1:" + std::to_string(free_port);
    WriteIni(scale.address());
    Write("wagi.ini", "[1]\r\nNazwa=Waga 1\r\nAdres=" + scale.address() +
                          "\r\n[2]\r\nNazwa=Waga 2\r\nAdres=" + absent +
                          "\r\n[3]\r\nNazwa=Waga 3\r\nAdres=waga.sklep");
    WritePlu({a_, SimpleRecord(4, 1), c_});

    RunResult r = Run();
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_TRUE(r.semaphore);
    ASSERT_EQ(r.lines.size(), 2u) << Cp1250ToUtf8(r.errors);
    EXPECT_EQ(std::vector<std::string>(r.lines[0].begin(), r.lines[0].begin() + 5),
              (std::vector<std::string>{"Waga 2", absent, "0", "", "-1"}));
    EXPECT_EQ(std::vector<std::string>(r.lines[1].begin(), r.lines[1].begin() + 5),
              (std::vector<std::string>{"Waga 3", "waga.sklep", "0", "", "302"}));
    EXPECT_EQ(DigiPlus(scale.State()), (std::vector<std::string>{"00000012", "00000030"}));
}

TEST_F(SmEthRun, DigiDumpWritesTheFramesInsteadOfSending) {
    UseOwnSettings("");  // the dump speaks DIGI whatever the mode
    // Never contacted: the dump sends nothing.
    Write("wagi.ini", "[1]\r\nNazwa=Waga 1\r\nAdres=192.168.1.45");
    Write("sm_eth.ini", "[Zbiory]\r\nDaneWej=" + Path("digism.exp").string() +
                            "\r\nDaneWyj=" + Path("digism.err").string() +
                            "\r\nSemaforWyj=" + Path("semafor.imp").string());
    WritePlu({SimpleRecord(140, 1), a_});

    RunResult r = Run({"W=1", "I=0", "T=4", "--dump", "frames.txt"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.errors, "");
    EXPECT_TRUE(r.semaphore);
    std::vector<std::string> dump = Split(Slurp(Path("frames.txt")), "\n");
    ASSERT_EQ(dump.size(), 4u);
    EXPECT_EQ(dump[0], "# scale Waga 1 at 192.168.1.45 port 2045, code page windows-1250");
    EXPECT_EQ(dump[1], "PLU 00000140 line 1: F3 25 00 00 01 40");
    EXPECT_EQ(dump[2].substr(0, 50), "PLU 00000030 line 2: F1 25 00 00 00 30 00 23 01 00");
    EXPECT_EQ(dump[3], "");

    // A settings file the program cannot use is reported, not guessed at.
    Write("sm_eth.cfg", "[Scale]\nProtocol=digi\nCodePage=utf-8\n");
    r = Run();
    ASSERT_EQ(r.lines.size(), 1u) << r.errors;
    EXPECT_EQ(r.lines[0][4], "305");
    Write("sm_eth.cfg", "[Scale]\nTries=many\n");
    r = Run();
    ASSERT_EQ(r.lines.size(), 1u) << r.errors;
    EXPECT_EQ(r.lines[0][4], "307");
    EXPECT_EQ(r.exit_code, 2);
}

TEST_F(SmEthRun, DigiFrameWhoseAnswerIsLateIsSentAgain) {
    // Each answer comes after 400 ms; the program waits 300 ms a try, up to four tries.
    UseOwnSettings("[Scale]\r\nProtocol=digi\r\nTimeoutMs=300\r\nTries=4\r\n");
    Scale slow(Dir(), {"--digi", "--delay-ms", "400"});
    WriteIni(slow.address());
    WritePlu({a_, c_});
    RunResult r = Run({"W=1", "I=1", "T=4"});
    EXPECT_EQ(r.errors, "");
    EXPECT_NE(r.output.find("line 1: no answer, try 1"), std::string::npos) << r.output;
    EXPECT_EQ(DigiPlus(slow.State()), (std::vector<std::string>{"00000012", "00000030"}));
}

}  // namespace
}  // namespace krv::test
