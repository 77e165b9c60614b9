// krvhost check against the real library, a real exchange directory with the
// stand-in in it and a real listening socket on 127.0.0.1: a good profile
// passes, and each kind of fault is named, with what to do, and stops it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "check.h"
#include "demo_goods.h"
#include "host_os.h"
#include "os.h"

namespace krv::test {
namespace {

using namespace krv::host;
namespace fs = std::filesystem;

struct Scene {
    fs::path dir;       // the profile's folder
    fs::path exchange;  // the exchange directory
    Profile* profile;
};

void Write(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary) << text;
}

struct Case {
    const char* name;
    std::function<bool(Scene&)> fault;  // false: the fault cannot be made here
    const char* topic;                  // the finding that names it
    Verdict verdict;
    const char* says;  // part of what the finding says
    bool connect = false;
};

TEST(Check, AGoodProfilePassesAndEachFaultIsNamed) {
    ASSERT_TRUE(tools::NetStartup());
    tools::Socket scale;  // stands for the scale: it only has to accept
    std::string error;
    scale = tools::Listen("127.0.0.1", 0, &error);
    ASSERT_TRUE(scale.Valid()) << error;
    const std::string scale_address = "127.0.0.1:" + std::to_string(tools::LocalPort(scale));
    int closed_port = 0;
    {
        tools::Socket gone = tools::Listen("127.0.0.1", 0, &error);
        closed_port = tools::LocalPort(gone);
    }

    const auto set = [](const char* key, const char* value) {
        return [key, value](Scene& s) {
            s.profile->Set(kParameterSection, key, value);
            return true;
        };
    };
    const Case cases[] = {
        {"good", [](Scene&) { return true; }, "goods file", Verdict::kOk, "11 goods, 10 would"},
        {"good, reached", [](Scene&) { return true; }, "DigiSM_AdresIP", Verdict::kOk,
         "accepts connections", true},
        {"integer below its limit", set("DigiSM_KodPocz", "0"), "DigiSM_KodPocz", Verdict::kFailed,
         "outside 1..99999"},
        {"integer not a number", set("DigiSM_Timeout", "2 min"), "DigiSM_Timeout", Verdict::kFailed,
         "not a whole number"},
        {"choice out of range", set("DigiSM_FormatEtyk", "99"), "DigiSM_FormatEtyk",
         Verdict::kFailed, "not the number of one of"},
        {"choice given as text", set("DigiSM_Zlacze", "Ethernet"), "DigiSM_Zlacze",
         Verdict::kFailed, "library would read 0"},
        {"unknown parameter", set("DigiSM_Adres", "1"), "DigiSM_Adres", Verdict::kWarning,
         "never reads it"},
        {"barcode format not composable", set("DigiSM_FormatKodu", "1"), "barcode format",
         Verdict::kFailed, "cannot be composed"},
        {"that format with whole codes",
         [](Scene& s) {
             s.profile->Set(kParameterSection, "DigiSM_FormatKodu", "1");
             s.profile->Set(kParameterSection, "DigiSM_KodyKD", "1");
             s.profile->Set(kParameterSection, "DigiSM_SkadPlu", "0");
             return true;
         },
         "barcode format", Verdict::kOk, "sent as they are"},
        {"codes read without host formats",
         [](Scene& s) {
             s.profile->Set(kParameterSection, "DigiSM_KodyKD", "1");
             s.profile->Set(kParameterSection, "DigiSM_SkadPlu", "1");
             return true;
         },
         "weighted-barcode formats", Verdict::kFailed, "no format.N"},
        {"short-code range empty",
         [](Scene& s) {
             s.profile->Set(kParameterSection, "DigiSM_KodPocz", "500");
             s.profile->Set(kParameterSection, "DigiSM_KodKonc", "400");
             return true;
         },
         "short codes", Verdict::kFailed, "above DigiSM_KodKonc"},
        {"no goods in the range", set("DigiSM_KodPocz", "900"), "goods file", Verdict::kWarning,
         "none of which"},
        {"exchange directory missing",
         [](Scene& s) {
             s.profile->Set(kDeviceSection, "exchange_dir", (s.dir / "nowhere").string());
             return true;
         },
         "exchange directory", Verdict::kFailed, "does not exist"},
        {"exchange directory read-only",
         [](Scene& s) {
             fs::permissions(s.exchange, fs::perms::owner_read | fs::perms::owner_exec);
             std::string why;
             return !CanCreateFileIn(s.exchange.string() + "/", &why);  // not as root
         },
         "exchange directory", Verdict::kFailed, "cannot create a file"},
        {"goods file missing", [](Scene& s) { return fs::remove(s.exchange / "kasa.exp"); },
         "goods file", Verdict::kFailed, "is missing"},
        {"goods line unreadable",
         [](Scene& s) {
             std::ofstream(s.exchange / "kasa.exp", std::ios::binary | std::ios::app)
                 << "PLU;120;0;40;Chleb;399;399;399;399;8;1;F;0;F;F;F;0;;1;NOWY\r\n";
             return true;
         },
         "goods file", Verdict::kFailed, "line 22: the status 'NOWY'"},
        {"scale program missing", [](Scene& s) { return fs::remove(s.exchange / "SM_eth.exe"); },
         "scale program", Verdict::kFailed, "is missing"},
        {"no program needed for a file export",
         [](Scene& s) {
             fs::remove(s.exchange / "SM_eth.exe");
             s.profile->Set(kParameterSection, "DigiSM_Zlacze", "0");
             return true;
         },
         "scale program", Verdict::kOk, "not needed"},
        {"scale program not executable",
         [](Scene& s) {
             fs::permissions(s.exchange / "SM_eth.exe",
                             fs::perms::owner_read | fs::perms::owner_write);
             return !IsExecutableFile((s.exchange / "SM_eth.exe").string());  // POSIX only
         },
         "scale program", Verdict::kFailed, "cannot be started"},
        {"address malformed", set("DigiSM_AdresIP", "127.0.0.1:99999"), "DigiSM_AdresIP",
         Verdict::kFailed, "not a scale address"},
        {"scale not listening",
         [closed_port](Scene& s) {
             s.profile->Set(kParameterSection, "DigiSM_AdresIP",
                            "127.0.0.1:" + std::to_string(closed_port));
             return true;
         },
         "DigiSM_AdresIP", Verdict::kFailed, "refused", true},
    };

    const fs::path root = fs::absolute(
        fs::temp_directory_path() / ("krvhost-check-" + std::to_string(tools::LocalPort(scale))));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root);
        Scene s{root, root / "exchange", nullptr};
        fs::create_directories(s.exchange);
        Write(s.exchange / "kasa.exp", DemoGoodsFile());
        fs::copy_file(SM_ETH_PROGRAM, s.exchange / "SM_eth.exe");
        ASSERT_TRUE(MakeExecutable((s.exchange / "SM_eth.exe").string()));
        Write(root / "scale.ini",
              "[device]\nexchange_dir = exchange\n[parameters]\n"
              "DigiSM_Zlacze = 1\nDigiSM_KodyKD = 0\nDigiSM_SkadPlu = 0\n"
              "DigiSM_AdresIP = " +
                  scale_address + "\n");
        Options o;
        o.library = TARVISCO_LIBRARY;
        o.profile = (root / "scale.ini").string();
        o.window_to_stderr = true;
        Session session;
        int code = 0;
        ASSERT_TRUE(session.Open(o, &error, &code)) << error;
        s.profile = &session.profile;
        if (!c.fault(s)) {
            std::printf("  [%s] cannot be made here; not checked\n", c.name);
            fs::permissions(s.exchange, fs::perms::owner_all);
            continue;
        }
        CheckOptions options;
        options.connect = c.connect;
        CheckReport report = RunChecks(session, options);
        std::error_code ec;
        fs::permissions(s.exchange, fs::perms::owner_all, ec);
        const Finding* f = report.Find(c.topic);
        ASSERT_NE(f, nullptr) << report.Text();
        EXPECT_EQ(f->verdict, c.verdict) << report.Text();
        EXPECT_NE(f->what.find(c.says), std::string::npos) << report.Text();
        EXPECT_EQ(report.Ready(), c.verdict != Verdict::kFailed) << report.Text();
        EXPECT_EQ(f->todo.empty(), c.verdict == Verdict::kOk) << "says what to do";
        const std::string text = report.Text(), json = report.Json();
        EXPECT_NE(text.find(std::string(c.verdict == Verdict::kFailed ? "\xE2\x9C\x97 " : "") +
                            c.topic + ": "),
                  std::string::npos)
            << text;
        EXPECT_EQ(json.rfind(report.Ready() ? "{\"ready\": true" : "{\"ready\": false", 0), 0u);
        EXPECT_NE(json.find("\"topic\": \"" + std::string(c.topic) + "\""), std::string::npos);
    }
    std::error_code ec;
    fs::permissions(root / "exchange", fs::perms::owner_all, ec);
    fs::remove_all(root, ec);
}

}  // namespace
}  // namespace krv::test
