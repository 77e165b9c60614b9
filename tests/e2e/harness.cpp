#include "harness.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <sstream>
#include <thread>

#include "files.h"
#include "support/cp1250.h"

namespace krv::test {

std::string Programs::Krvhost() { return KRVHOST_EXE; }
std::string Programs::Library() { return TARVISCO_LIBRARY; }
std::string Programs::SmEth() { return SM_ETH_EXE; }
std::string Programs::ScaleSim() { return SCALE_SIM_EXE; }
std::string Programs::DataDir() { return E2E_DATA_DIR; }
std::string Programs::LangDir() { return LANG_DIR; }

// Never throws: a file under /proc may vanish while it is read, when the
// process it describes ends.
std::string ReadFile(const fs::path& p) { return tools::ReadWholeFile(p.string()).value_or(""); }

void WriteFile(const fs::path& p, const std::string& bytes) {
    tools::WriteWholeFile(p.string(), bytes);
}

std::string Utf8(const std::string& cp1250) { return krv::Cp1250ToUtf8(cp1250); }
std::string Cp1250(const std::string& utf8) { return krv::Utf8ToCp1250(utf8); }

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// --- Process ---

namespace {

// Starts argv with standard output and error into one new file, and with
// extra_env set on top of the test's environment.
bool StartLogged(Process* p, const std::vector<std::string>& argv, const fs::path& output,
                 const std::map<std::string, std::string>& extra_env) {
    Process::Setup setup;
    setup.program = argv[0];
    setup.args.assign(argv.begin() + 1, argv.end());
    setup.env.assign(extra_env.begin(), extra_env.end());
    setup.stdout_file = output.string();
    setup.stderr_file = output.string();
    return p->Start(setup, nullptr);
}

// The exit code, or -1 when it did not end within timeout_ms (it is then
// killed).
int WaitOrKill(Process* p, int timeout_ms) {
    if (std::optional<int> code = p->Wait(timeout_ms)) return *code;
    p->Stop(0);
    return -1;
}

}  // namespace

std::vector<std::string> Outcome::Lines() const {
    std::vector<std::string> out;
    std::istringstream in(output);
    std::string line;
    while (std::getline(in, line)) out.push_back(line);
    return out;
}

// --- ScaleSim ---

bool ScaleSim::Start(const fs::path& dir, const std::vector<std::string>& extra) {
    fs::create_directories(dir);
    state_ = dir / "state.txt";
    fs::path port_file = dir / "port";
    std::vector<std::string> argv = {Programs::ScaleSim(), "--port",           "0",
                                     "--port-file",        port_file.string(), "--state",
                                     state_.string()};
    argv.insert(argv.end(), extra.begin(), extra.end());
    if (!StartLogged(&process_, argv, dir / "scale_sim.log", {})) return false;
    for (int waited = 0; waited < 10000; waited += 20) {
        std::string text = ReadFile(port_file);
        if (text.find('\n') != std::string::npos) {
            port_ = std::atoi(text.c_str());
            return port_ > 0;
        }
        SleepMs(20);
    }
    return false;
}

void ScaleSim::Stop() { process_.Stop(3000); }

std::map<std::string, std::string> ScaleSim::Held() const {
    std::map<std::string, std::string> held;
    std::istringstream in(ReadFile(state_));
    std::string line;
    while (std::getline(in, line)) {
        size_t tab = line.find('\t');
        if (tab != std::string::npos) held[line.substr(0, tab)] = line.substr(tab + 1);
    }
    return held;
}

// --- Device ---

Device::Device() {
    std::random_device rd;
    for (int attempt = 0; attempt < 100 && root_.empty(); ++attempt) {
        fs::path p = fs::temp_directory_path() / ("krv-e2e-" + std::to_string(rd() % 1000000000));
        if (fs::create_directory(p)) root_ = p;
    }
    exchange_ = root_ / "exchange";
    fs::create_directories(exchange_);
}

Device::~Device() {
    // A program a failed test left behind must not outlive it.
    for (pid_t pid : ProgramPids()) kill(pid, SIGKILL);
    if (!std::getenv("KRV_E2E_KEEP")) {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
}

void Device::WriteGoods(const std::string& cp1250) { WriteFile(File("kasa.exp"), cp1250); }

void Device::InstallStandIn() {
    fs::copy_file(Programs::SmEth(), File("SM_eth.exe"), fs::copy_options::overwrite_existing);
    fs::permissions(File("SM_eth.exe"), fs::perms(0755));
}

void Device::InstallScript(const std::string& body) {
    InstallFile("#!/bin/sh\n" + body + "\n", 0755);
}

void Device::InstallFile(const std::string& bytes, unsigned mode) {
    // Through a new file and a rename: a script still running from an earlier
    // export keeps reading its own copy.
    fs::path temp = File("SM_eth.exe.new");
    WriteFile(temp, bytes);
    fs::permissions(temp, static_cast<fs::perms>(mode));
    fs::rename(temp, File("SM_eth.exe"));
}

void Device::RemoveProgram() {
    std::error_code ec;
    fs::remove(File("SM_eth.exe"), ec);
}

void Device::WriteProfile(const std::map<std::string, std::string>& params,
                          const std::string& exchange_dir) {
    std::string text = "[device]\nname = Waga testowa\nexchange_dir = " +
                       (exchange_dir.empty() ? exchange_.string() : exchange_dir) +
                       "\n\n[parameters]\n";
    for (const auto& [k, v] : params) text += k + " = " + v + "\n";
    WriteFile(Profile(), text);
}

void Device::StartKrvhost(Process* p, const std::vector<std::string>& args, const fs::path& output,
                          const std::map<std::string, std::string>& env) {
    std::vector<std::string> argv = {Programs::Krvhost(), "--library",        Programs::Library(),
                                     "--profile",         Profile().string(), "--trace"};
    argv.insert(argv.end(), args.begin(), args.end());
    StartLogged(p, argv, output, env);
}

Outcome Device::Krvhost(const std::vector<std::string>& args, int timeout_ms,
                        const std::map<std::string, std::string>& env) {
    Process p;
    fs::path output = root_ / ("krvhost-" + std::to_string(++runs_) + ".out");
    auto start = std::chrono::steady_clock::now();
    StartKrvhost(&p, args, output, env);
    Outcome r;
    r.exit_code = WaitOrKill(&p, timeout_ms);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.output = ReadFile(output);
    return r;
}

bool Device::ProgramRunning() const { return !ProgramPids().empty(); }

std::vector<pid_t> Device::ProgramPids() const {
    const std::string program = File("SM_eth.exe").string();
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    if (!proc) return found;
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        std::string dir = std::string("/proc/") + e->d_name;
        char buf[4096];
        ssize_t n = readlink((dir + "/exe").c_str(), buf, sizeof buf - 1);
        std::string exe = n > 0 ? std::string(buf, static_cast<size_t>(n)) : "";
        std::string cmdline = ReadFile(dir + "/cmdline");
        if (exe == program || cmdline.find(program) != std::string::npos)
            found.push_back(static_cast<pid_t>(std::atoi(e->d_name)));
    }
    closedir(proc);
    return found;
}

bool LibraryExports(std::string* why) {
    static int known = -1;
    static std::string reason;
    if (known < 0) {
        Device probe;
        probe.WriteProfile({{"DigiSM_Zlacze", "0"}});
        probe.WriteGoods("");
        Outcome run = probe.Krvhost({"export"}, 30000);
        known = run.Has("nie obsługuje zleconego typu operacji") ? 0 : 1;
        if (!known)
            reason =
                "the library refuses the export operation (not built into it yet):\n" + run.output;
    }
    *why = reason;
    return known == 1;
}

// --- the standard goods ---

std::string Goods() { return ReadFile(fs::path(Programs::DataDir()) / "kasa.exp"); }

std::vector<std::string> GoodsOnScale() {
    // Codes 1, 2, 3, 12, 13 and 40 (PLU from the code); 30 is a delete; the
    // 13-digit code and 1500 lie outside the short-code range.
    return {"00000001", "00000002", "00000003", "00000012", "00000013", "00000040"};
}

std::vector<std::string> GoodsResult() {
    // Every goods with a PLU number, also those left out of the PLU file;
    // the goods with PLU 0 is never reported.
    return {"PLU;1;0;1;DOD",
            "PLU;2;0;2;AKT",
            "PLU;3;0;3;CEN",
            "PLU;4;7;12;DOD",
            "PLU;5;0;13;CEN",
            "PLU;6;0;30;USU",
            "PLU;7;0;5901234123457;DOD",
            "PLU;8;0;1500;DOD"};
}

std::map<std::string, std::string> EthernetParams(const std::string& address) {
    return {{"DigiSM_Zlacze", "1"},  {"DigiSM_AdresIP", address}, {"DigiSM_KodyKD", "0"},
            {"DigiSM_KodPocz", "1"}, {"DigiSM_KodKonc", "999"},   {"DigiSM_SkadPlu", "1"},
            {"DigiSM_Timeout", "20"}};
}

}  // namespace krv::test
