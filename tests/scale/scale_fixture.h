// Shared by the scale tests: a fresh exchange directory, goods files, and a
// fake SM_eth.exe. The fake is this very test program: started with the
// environment variable KRV_FAKE_SM_ETH set, it plays the scale-communication
// program (reads sm_eth.ini, writes the error file and the semaphore as told)
// and exits before any test runs.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include "fakes/test_library.h"
#include "support/cp1250.h"

namespace krv::test {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline void SetEnv(const char* name, const std::string& value) {
#ifdef _WIN32
    _putenv_s(name, value.c_str());
#else
    if (value.empty())
        unsetenv(name);
    else
        setenv(name, value.c_str(), 1);
#endif
}

inline int CurrentPid() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// True while a process of that id exists.
inline bool ProcessAlive(int pid) {
#ifdef _WIN32
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!h) return false;
    bool alive = WaitForSingleObject(h, 0) == WAIT_TIMEOUT;
    CloseHandle(h);
    return alive;
#else
    // A zombie still answers kill(0): look at its state as well.
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return kill(pid, 0) == 0;
    size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
#endif
}

inline fs::path SelfPath() {
#ifdef _WIN32
    char buf[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return fs::path(std::string(buf, n));
#else
    return fs::read_symlink("/proc/self/exe");
#endif
}

// --- the fake program ---

inline std::string IniValue(const std::string& ini, const std::string& key) {
    std::istringstream in(ini);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
    }
    return {};
}

// Modes: ok (empty error file), errors:<text> (the text as error file),
// noerr (semaphore only), crash (exit 3, no file), hang (sleeps), slow:<ms>
// (ok after a pause), quit0 (exit 0, no file), launcher:<ms> (exit 0 at once,
// leaving another process that does slow:<ms>).
inline int FakeSmEth(const std::string& mode, int argc, const std::vector<std::string>& argv) {
    std::string args;
    for (int i = 1; i < argc; ++i) args += (i > 1 ? "|" : "") + argv[static_cast<size_t>(i)];
    WriteFile("fake_args.txt", args + "\n" + fs::current_path().string() + "\n");
    WriteFile("fake.pid", std::to_string(CurrentPid()));
    std::string ini = ReadFile("sm_eth.ini");
    std::string err = IniValue(ini, "DaneWyj"), sem = IniValue(ini, "SemaforWyj");
    std::string input = ReadFile(IniValue(ini, "DaneWej"));
    WriteFile("fake_input_size.txt", std::to_string(input.size()));
    if (mode == "crash") return 3;
    if (mode == "quit0") return 0;
    if (mode.rfind("launcher:", 0) == 0) {
        // The work goes on in a process of its own; this one ends at once.
        SetEnv("KRV_FAKE_SM_ETH", "slow:" + mode.substr(9));
#ifdef _WIN32
        const std::string self = SelfPath().string();
        _spawnl(_P_NOWAIT, self.c_str(), self.c_str(), nullptr);
#else
        if (fork() == 0) {
            std::vector<std::string> args = argv;
            std::_Exit(FakeSmEth("slow:" + mode.substr(9), argc, args));
        }
#endif
        return 0;
    }
    if (mode == "hang") {
        std::this_thread::sleep_for(std::chrono::seconds(120));
        return 0;
    }
    if (mode.rfind("slow:", 0) == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(mode.c_str() + 5)));
    if (mode.rfind("errors:", 0) == 0) WriteFile(err, mode.substr(7));
    if (mode == "ok" || mode.rfind("slow:", 0) == 0) WriteFile(err, "");
    WriteFile(sem, "");
    return 0;
}

#ifndef _WIN32
inline std::vector<std::string> OwnArgs() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> out;
    std::string a;
    while (std::getline(in, a, '\0')) out.push_back(a);
    return out;
}
#else
inline std::vector<std::string> OwnArgs() {
    std::vector<std::string> out;
    for (int i = 0; i < __argc; ++i) out.push_back(__argv[i]);
    return out;
}
#endif

inline bool RunFakeIfAsked() {
    const char* mode = std::getenv("KRV_FAKE_SM_ETH");
    if (!mode || !*mode) return false;
    std::vector<std::string> argv = OwnArgs();
    std::fflush(nullptr);
    std::_Exit(FakeSmEth(mode, static_cast<int>(argv.size()), argv));
}

inline const bool kFakeSmEthRan = RunFakeIfAsked();

// --- an exchange directory with a fake host ---

class ScaleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static int counter = 0;
        dir_ = fs::temp_directory_path() /
               ("tarvisco_scale_" + std::to_string(CurrentPid()) + "_" + std::to_string(++counter));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        std::string d = dir_.string();
        d += static_cast<char>(fs::path::preferred_separator);
        lib.host.exchangeDir = d;
        Param("DigiSM_Zlacze", "1");
        Param("DigiSM_AdresIP", "127.0.0.1:5001");
        Param("DigiSMNazwa", "Waga1");
        Param("DigiSM_KodyKD", "0");
        Param("DigiSM_SkadPlu", "0");
        Param("DigiSM_KodPocz", "1");
        Param("DigiSM_KodKonc", "99999");
        Param("DigiSM_PrzedrWagowy", "27");
        Param("DigiSM_FormatKodu", "0");
        Param("DigiSM_FormatEtyk", "17");
        Param("DigiSM_RozmiarCzcionki", "6");
        Param("DigiSM_RozmiarCzcionkiOpis", "3");
        Param("DigiSM_Timeout", "20");
        SetEnv("KRV_FAKE_SM_ETH", "");
    }
    void TearDown() override {
        SetEnv("KRV_FAKE_SM_ETH", "");
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    void Param(const std::string& name, const std::string& value) { lib.host.params[name] = value; }
    fs::path File(const std::string& name) const { return dir_ / name; }
    bool Exists(const std::string& name) const { return fs::exists(File(name)); }

    // Puts the fake program in place as SM_eth.exe, to act as `mode`.
    void InstallFake(const std::string& mode) {
        fs::path target = File("SM_eth.exe");
        fs::remove(target);
        fs::copy_file(SelfPath(), target);
        SetEnv("KRV_FAKE_SM_ETH", mode);
    }
    int FakePid() const { return std::atoi(ReadFile(File("fake.pid")).c_str()); }

    // Runs one export through the exported function, as the host does.
    int32_t Export(int32_t type = -2) {
        char buf[301] = "";
        void* session = nullptr;
        lib.host.messages.clear();
        return KRVDLLSerKasOperacja(lib.handle, lib.host.Device(), &session, buf, type, 0);
    }
    // The host's messages as UTF-8, in order.
    std::vector<std::string> Messages() const { return lib.host.MessagesUtf8(); }
    std::string AllMessages() const {
        std::string all;
        for (const std::string& m : Messages()) all += m + "\n";
        return all;
    }
    bool Said(const std::string& utf8) const {
        return AllMessages().find(utf8) != std::string::npos;
    }
    // The error lines (KRV_MSG_ERROR) of the last operation, UTF-8.
    std::vector<std::string> Errors() const {
        std::vector<std::string> out;
        for (const auto& m : lib.host.messages)
            if (m.kind == KRV_MSG_ERROR && m.code == KRV_CB_ADD_MESSAGE)
                out.push_back(Cp1250ToUtf8(m.text));
        return out;
    }
    int StoreCalls() const { return lib.host.CountCalls(KRV_CB_STORE_EXPORT_RESULT); }

    TestLibrary lib;
    fs::path dir_;
};

}  // namespace krv::test
