// krvhost demo: a whole export with no set-up. A temporary exchange directory
// gets the generated goods file and the SM_eth stand-in, the scale simulator
// listens on 127.0.0.1, a profile points the device at it, and the export runs
// exactly as `krvhost export` runs it.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "child_process.h"
#include "commands.h"
#include "demo_goods.h"
#include "host_os.h"
#include "text.h"

namespace krv::host {

namespace fs = std::filesystem;

namespace {

// The scale's code page in the DIGI demo: a Polish scale's.
constexpr const char* kDigiCodePage = "cp852";

using tools::ChildProcess;

// Starts a helper program with its output appended to log_path, in a process
// group of its own: a Ctrl+C meant for krvhost's export must not take the
// simulated scale down in the middle of it.
bool StartHelper(ChildProcess& child, const std::string& program,
                 const std::vector<std::string>& args, const std::string& log_path,
                 std::string* error) {
    ChildProcess::Setup setup;
    setup.program = program;
    setup.args = args;
    setup.stdout_file = log_path;
    setup.stderr_file = log_path;
    setup.append = true;
    setup.own_group = true;
    setup.grace_on_destroy_ms = 2000;
    return child.Start(setup, error);
}

// A program beside krvhost, or where the build tree puts it.
std::string FindProgram(const std::vector<std::string>& names, const std::string& build_folder) {
    const std::string dir = ExecutableDir();
    for (const std::string& name : names) {
        for (const std::string& candidate : {dir + name, dir + "../" + build_folder + "/" + name}) {
            std::error_code ec;
            if (fs::is_regular_file(candidate, ec))
                return fs::path(candidate).lexically_normal().string();
        }
    }
    return "";
}

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFile(const fs::path& p, const std::string& text) {
    std::ofstream out(p, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}

fs::path MakeTempDir() {
    std::random_device rd;
    std::mt19937 gen(rd());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path p =
            fs::temp_directory_path() / ("krvhost-demo-" + std::to_string(gen() % 1000000000));
        std::error_code ec;
        if (fs::create_directory(p, ec)) return p;
    }
    return {};
}

// Waits for the simulator to name its port; 0 when it does not in time.
int WaitForPort(const fs::path& port_file, ChildProcess& sim) {
    for (int waited = 0; waited < 10000; waited += 50) {
        long long port = 0;
        std::string text = ReadFile(port_file);
        if (text.find('\n') != std::string::npos && ParseInt(text, &port) && port > 0 &&
            port < 65536)
            return static_cast<int>(port);
        if (!sim.Running()) return 0;
        SleepMs(50);
    }
    return 0;
}

std::vector<std::string> SimulatorArgs(const fs::path& scale, bool digi) {
    std::vector<std::string> args = {"--port",      "0",
                                     "--port-file", (scale / "port").string(),
                                     "--state",     (scale / "state.txt").string()};
    if (digi) args.insert(args.end(), {"--digi", "--codepage", kDigiCodePage});
    return args;
}

// What reached the scale: the simulator's state file, one PLU per line,
// "<PLU>\t<record>" with the 1000-character PLU record.
void ShowScale(const fs::path& state_file) {
    std::string text = ReadFile(state_file);
    std::vector<std::string> lines;
    for (const std::string& l : Split(text, '\n'))
        if (!Trim(l).empty()) lines.push_back(l);
    std::printf("\nThe scale now holds %zu PLU%s:\n", lines.size(), lines.size() == 1 ? "" : "s");
    std::printf("  %-8s  %-29s  %10s  %s\n", "PLU", "name", "price", "sold");
    for (const std::string& l : lines) {
        size_t tab = l.find('\t');
        std::string plu = l.substr(0, tab);
        std::string rec = tab == std::string::npos ? "" : l.substr(tab + 1);
        if (rec.size() < 138) {
            std::printf("  %s  (short record)\n", plu.c_str());
            continue;
        }
        std::string name = Trim(ToUtf8(rec.substr(10, 29)));
        long long price = 0;
        ParseInt(rec.substr(129, 8), &price);
        bool by_piece = rec[137] == '1';
        // printf pads by bytes; widen the field by the name's multi-byte extra.
        int width = static_cast<int>(29 + name.size() - Utf8Length(name));
        std::printf("  %-8s  %-*s  %7lld.%02lld  %s\n", plu.c_str(), width, name.c_str(),
                    price / 100, price % 100, by_piece ? "by piece" : "by weight");
    }
}

// The DIGI scale's table, as the simulator lists its state file.
void ShowDigiScale(const std::string& sim_program, const fs::path& scale) {
    const fs::path listing = scale / "listing.txt";
    ChildProcess lister;
    std::string error;
    if (!StartHelper(lister, sim_program,
                     {"--digi", "--codepage", kDigiCodePage, "--state",
                      (scale / "state.txt").string(), "--list"},
                     listing.string(), &error)) {
        std::fprintf(stderr, "krvhost: %s\n", error.c_str());
        return;
    }
    for (int waited = 0; waited < 10000 && lister.Running(); waited += 20) SleepMs(20);
    lister.Stop(1000);
    std::printf("\nThe scale now holds %s", ReadFile(listing).c_str());
}

}  // namespace

int CmdDemo(const Options& options) {
    const std::string sm_eth =
        FindProgram({std::string("SM_eth") + ProgramSuffix(),
                     std::string("sm_eth") + ProgramSuffix(), "tarvisco-sm-eth"},
                    "sm_eth");
    const std::string sim_program = FindProgram(
        {std::string("scale_sim") + ProgramSuffix(), "tarvisco-scale-sim"}, "scale_sim");
    if (sm_eth.empty() || sim_program.empty()) {
        std::fprintf(stderr,
                     "krvhost: the demo needs %s beside krvhost or in the build tree (tools/%s)\n",
                     sm_eth.empty() ? "the SM_eth stand-in" : "the scale simulator",
                     sm_eth.empty() ? "sm_eth" : "scale_sim");
        return kExitUsage;
    }
    fs::path root = MakeTempDir();
    if (root.empty()) {
        std::fprintf(stderr, "krvhost: cannot create a temporary directory\n");
        return kExitFailed;
    }
    fs::path exchange = root / "exchange";
    fs::path scale = root / "scale";
    std::error_code ec;
    fs::create_directories(exchange, ec);
    fs::create_directories(scale, ec);

    int result = kExitFailed;
    {
        ChildProcess sim;
        std::string error;
        const fs::path program = exchange / "SM_eth.exe";
        if (!WriteFile(exchange / "kasa.exp", DemoGoodsFile()) ||
            !fs::copy_file(sm_eth, program, fs::copy_options::overwrite_existing, ec) ||
            !MakeExecutable(program.string()) ||
            (options.digi && !WriteFile(exchange / "sm_eth.cfg",
                                        std::string("[Scale]\r\nProtocol=digi\r\nCodePage=") +
                                            kDigiCodePage + "\r\n"))) {
            std::fprintf(stderr, "krvhost: cannot prepare the exchange directory %s\n",
                         exchange.string().c_str());
        } else if (!StartHelper(sim, sim_program, SimulatorArgs(scale, options.digi),
                                (scale / "scale_sim.log").string(), &error)) {
            std::fprintf(stderr, "krvhost: %s\n", error.c_str());
        } else if (int port = WaitForPort(scale / "port", sim); port == 0) {
            std::fprintf(stderr, "krvhost: the scale simulator did not start (see %s)\n",
                         (scale / "scale_sim.log").string().c_str());
        } else {
            const std::string address = "127.0.0.1:" + std::to_string(port);
            Profile profile((root / "demo.ini").string());
            profile.Set(kDeviceSection, "name", "Waga demo");
            profile.Set(kDeviceSection, "exchange_dir", exchange.string());
            profile.Set(kParameterSection, "DigiSM_Zlacze", "1");
            profile.Set(kParameterSection, "DigiSM_AdresIP", address);
            profile.Set(kParameterSection, "DigiSMNazwa", "Waga demo");
            profile.Set(kParameterSection, "DigiSM_KodyKD", "0");
            profile.Set(kParameterSection, "DigiSM_KodPocz", "1");
            profile.Set(kParameterSection, "DigiSM_KodKonc", "999");
            profile.Set(kParameterSection, "DigiSM_SkadPlu", "1");
            profile.Set(kParameterSection, "DigiSM_Timeout", "30");
            profile.Set(kParameterSection, "DigiSM_HideDrv", "1");  // the stand-in stays quiet
            if (!profile.Save(&error)) {
                std::fprintf(stderr, "krvhost: %s\n", error.c_str());
            } else {
                std::printf("krvhost demo: %zu goods in %s\n", DemoGoodsList().size(),
                            (exchange / "kasa.exp").string().c_str());
                std::printf("krvhost demo: scale simulator on %s, SM_eth stand-in from %s\n",
                            address.c_str(), sm_eth.c_str());
                std::printf("krvhost demo: protocol %s\n\n",
                            options.digi ? "DIGI (the scale's own TCP frames, code page cp852)"
                                         : "tarvisco (lines)");
                Options run = options;
                run.profile = profile.Path();
                Session session;
                int open_code = 0;
                if (!session.Open(run, &error, &open_code)) {
                    std::fprintf(stderr, "krvhost: %s\n", error.c_str());
                    result = open_code;
                } else {
                    result = RunExport(session, false);
                    if (options.digi)
                        ShowDigiScale(sim_program, scale);
                    else
                        ShowScale(scale / "state.txt");
                }
            }
        }
        sim.Stop(2000);
    }

    if (options.keep) {
        std::printf("\nkrvhost demo: files kept in %s\n", root.string().c_str());
    } else {
        fs::remove_all(root, ec);
    }
    std::printf("\nkrvhost demo: %s\n", result == kExitOk ? "export succeeded" : "export FAILED");
    return result;
}

}  // namespace krv::host
