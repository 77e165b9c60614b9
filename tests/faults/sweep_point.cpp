#include "faults/sweep_point.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "faults/proc_scan.h"
#include "files.h"

namespace krv::test {

namespace {

const char* const kCompared[] = {"digism.exp", "wagi.ini",    "sm_eth.ini", "wynik.exp",
                                 "digism.err", "semafor.imp", "scale.txt",  "ARCH2.EXP"};

// Copying the stand-in and starting a program take turns among the sweep's
// threads: a program started while another thread writes a copy would keep
// that copy open for writing, and its start would fail ("Text file busy").
std::mutex g_startMutex;

std::string Read(const fs::path& p) { return tools::ReadWholeNativeFile(p.string()).value_or(""); }

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
    if (from.empty()) return;
    for (size_t at = text->find(from); at != std::string::npos;
         at = text->find(from, at + to.size()))
        text->replace(at, from.size(), to);
}

}  // namespace

std::string ExportReport::Window() const {
    std::string all;
    for (const std::string& m : messages) all += "    | " + m + "\n";
    return all;
}

Point::Point(const fs::path& root, bool ethernet)
    : root_(root), exchange_(root / "exchange"), report_(root / "report"), ethernet_(ethernet) {}

Point::~Point() {
    if (scale_) scale_->Stop(2000);
    std::error_code ec;
    if (!keep_) fs::remove_all(root_, ec);
}

bool Point::Prepare(std::string* why) {
    std::error_code ec;
    fs::remove_all(root_, ec);
    fs::create_directories(exchange_);
    fs::create_directories(root_ / "scale");
    fs::copy_file(SWEEP_GOODS, exchange_ / "kasa.exp", ec);
    if (ec) {
        *why = "cannot copy the goods file: " + ec.message();
        return false;
    }
    if (!ethernet_) return true;
    std::unique_lock<std::mutex> lock(g_startMutex);
    fs::copy_file(SWEEP_SM_ETH, exchange_ / "SM_eth.exe", ec);
    if (ec) {
        *why = "cannot copy the stand-in: " + ec.message();
        return false;
    }
    fs::permissions(exchange_ / "SM_eth.exe", fs::perms(0755));
    scale_ = std::make_unique<tools::ChildProcess>();
    tools::ChildProcess::Setup setup;
    setup.program = SWEEP_SCALE_SIM;
    fs::path port = root_ / "scale" / "port";
    setup.args = {"--port",      "0",       "--port-file",
                  port.string(), "--state", (root_ / "scale" / "table.txt").string(),
                  "--quiet"};
    setup.stdout_file = (root_ / "scale" / "log.txt").string();
    setup.stderr_file = setup.stdout_file;
    if (!scale_->Start(setup, why)) return false;
    lock.unlock();
    for (int waited = 0; waited < 10000; waited += 10) {
        std::string text = Read(port);
        if (text.find('\n') != std::string::npos) {
            address_ = "127.0.0.1:" + std::to_string(std::atoi(text.c_str()));
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    *why = "the simulated scale did not come up";
    return false;
}

int Point::Host(int runs, const krv_fi_control* control, bool log) {
    fs::path ctl = root_ / "control";
    {
        krv_fi_control c{};
        if (control) c = *control;
        c.magic = KRV_FI_MAGIC;
        c.armed = 0;
        std::ofstream(ctl, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(&c), sizeof c);
    }
    tools::ChildProcess host;
    tools::ChildProcess::Setup setup;
    setup.program = SWEEP_EXPORT;
    ++hostRuns_;
    setup.args = {exchange_.string(), (report_.string() + std::to_string(hostRuns_)),
                  ethernet_ ? "eth" : "file", address_, std::to_string(runs)};
    setup.env = {{"LD_PRELOAD", SWEEP_SHIM},
                 {"KRV_FI_DIR", exchange_.string()},
                 {"KRV_FI_CONTROL", control ? ctl.string() : ""},
                 {"KRV_FI_LOG", log ? (root_ / "calls.log").string() : ""},
                 {"SM_ETH_TIMEOUT_MS", "3000"},
                 {"SWEEP_SCALE_TABLE", ethernet_ ? (root_ / "scale" / "table.txt").string() : ""}};
    setup.stdout_file = (root_ / ("host" + std::to_string(hostRuns_) + ".out")).string();
    setup.stderr_file = setup.stdout_file;
    std::string error;
    {
        std::lock_guard<std::mutex> lock(g_startMutex);
        if (!host.Start(setup, &error)) return -1;
    }
    std::optional<int> code = host.Wait(90000);
    if (code) return *code;
    host.Stop(0);
    return -2;
}

krv_fi_control Point::Control() const {
    krv_fi_control c{};
    std::string bytes = Read(root_ / "control");
    if (bytes.size() >= sizeof c) std::memcpy(&c, bytes.data(), sizeof c);
    return c;
}

std::vector<ExportReport> Point::Reports() const {
    std::vector<ExportReport> out;
    std::istringstream in(Read(report_.string() + std::to_string(hostRuns_)));
    std::string key;
    while (in >> key) {
        if (key == "run") out.emplace_back();
        if (out.empty()) break;
        ExportReport& r = out.back();
        if (key == "msg") {
            std::string text;
            std::getline(in, text);
            r.messages.push_back(text.empty() ? text : text.substr(1));
        } else if (key == "result") {
            in >> r.result;
        } else if (key == "errors") {
            in >> r.errors;
        } else if (key == "stored") {
            in >> r.stored;
        } else if (key == "wynik") {
            in >> r.wynik;
        } else if (key == "alive") {
            in >> r.alive;
        } else if (key != "end") {
            std::string rest;
            std::getline(in, rest);
        }
    }
    return out;
}

Snapshot Point::After(int run) const {
    Snapshot s;
    fs::path dir = report_.string() + std::to_string(hostRuns_) + "." + std::to_string(run);
    for (const char* name : kCompared) {
        if (!fs::exists(dir / name)) continue;
        std::string bytes = Read(dir / name);
        // The folder and the scale's port differ from point to point.
        ReplaceAll(&bytes, exchange_.string(), "@DIR@");
        ReplaceAll(&bytes, address_, "127.0.0.1:@PORT@");
        // The archive's entries begin with the time of their export.
        const std::string stamp = "DNIA: ";
        for (size_t at = bytes.find(stamp); at != std::string::npos; at = bytes.find(stamp, at + 1))
            bytes.replace(at + stamp.size(), std::min<size_t>(19, bytes.size() - at - stamp.size()),
                          "@TIME@");
        s[name] = bytes;
    }
    return s;
}

std::vector<Call> Point::Calls() const {
    std::vector<Call> out;
    std::istringstream in(Read(root_ / "calls.log"));
    std::string line;
    while (std::getline(in, line)) {
        Call c;
        std::istringstream fields(line);
        std::string n;
        std::getline(fields, n, '\t');
        std::getline(fields, c.program, '\t');
        std::getline(fields, c.op, '\t');
        std::getline(fields, c.file);
        c.n = std::atoll(n.c_str());
        out.push_back(c);
    }
    return out;
}

int Point::ProgramsRunning() const {
    return test::ProgramsRunning((exchange_ / "SM_eth.exe").string());
}

}  // namespace krv::test
