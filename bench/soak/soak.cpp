// Many exports in one process, as a host that runs for weeks does them: the
// library loaded once, then N exports through KRVDLLSerKasOperacja, each with
// its own library registration. Measured after a warm-up and at the end:
// heap in use, resident memory, open files, child processes.
//
//   soak [exports] [--stand-in SM_ETH --scale-sim SCALE_SIM]
//
// Without --stand-in the exports are file-only; with it, the SM_eth stand-in
// sends every export to the scale simulator on 127.0.0.1 (a free port).
// Exits 1 when memory grew by 1 MB or more, or open files or child processes
// grew at all.
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "goods_generator.h"
#include "host_library.h"
#include "krvdll.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Host {
    std::string dir;
    std::vector<std::pair<std::string, std::string>> params;
    int errors = 0;
    int stored = 0;
    std::string lastError;
};

int32_t KRV_CALL Param(void* c, void*, const char* name, char* value) {
    value[0] = '\0';
    for (auto& [k, v] : static_cast<Host*>(c)->params)
        if (strcasecmp(k.c_str(), name) == 0) std::snprintf(value, 301, "%s", v.c_str());
    return 1;
}
int32_t KRV_CALL DeviceData(void* c, void*, int32_t* a, int32_t* b, char* t1, char* t2, char* dir) {
    *a = 1;
    *b = 0;
    t1[0] = t2[0] = '\0';
    std::snprintf(dir, 261, "%s", static_cast<Host*>(c)->dir.c_str());
    return 1;
}
int32_t KRV_CALL Message(void* c, void*, int32_t kind, const char* text) {
    auto* h = static_cast<Host*>(c);
    if (kind == KRV_MSG_ERROR) {
        ++h->errors;
        h->lastError = text;
    }
    return 1;
}
int32_t KRV_CALL Never(void*, void*) { return 0; }
int32_t KRV_CALL Stored(void* c, void*) {
    ++static_cast<Host*>(c)->stored;
    return 1;
}

// One export through the library; false when the host was told of an error or
// no result was stored.
bool Export(const bench::HostLibrary& library, Host& host) {
    host.errors = 0;
    int storedBefore = host.stored;
    library.Export({&host, reinterpret_cast<void*>(&Never), reinterpret_cast<void*>(&Param),
                    reinterpret_cast<void*>(&DeviceData), reinterpret_cast<void*>(&Message),
                    reinterpret_cast<void*>(&Stored)},
                   &host);
    return host.errors == 0 && host.stored == storedBefore + 1;
}

struct Sample {
    long heap = 0;      // bytes in use by malloc
    long resident = 0;  // bytes
    int files = 0;
    int children = 0;
};

int CountEntries(const char* dir) {
    int n = 0;
    if (DIR* d = opendir(dir)) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') ++n;
        closedir(d);
    }
    return n;
}

// Processes whose parent is this one (zombies included).
int Children() {
    int n = 0;
    std::string self = std::to_string(getpid());
    if (DIR* d = opendir("/proc")) {
        while (dirent* e = readdir(d)) {
            if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
            std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
            std::string line;
            std::getline(stat, line);
            size_t close = line.rfind(')');
            if (close == std::string::npos) continue;
            // ") S PPID ..."
            std::string rest = line.substr(close + 2);
            size_t sp = rest.find(' ');
            if (sp != std::string::npos &&
                rest.substr(sp + 1, rest.find(' ', sp + 1) - sp - 1) == self)
                ++n;
        }
        closedir(d);
    }
    return n;
}

Sample Measure(int excludedChildren) {
    Sample s;
    struct mallinfo2 mi = mallinfo2();
    s.heap = static_cast<long>(mi.uordblks + mi.hblkhd);
    std::ifstream statm("/proc/self/statm");
    long size = 0, pages = 0;
    statm >> size >> pages;
    s.resident = pages * sysconf(_SC_PAGESIZE);
    s.files = CountEntries("/proc/self/fd");
    s.children = Children() - excludedChildren;
    return s;
}

pid_t Spawn(const std::vector<std::string>& args, const std::string& log) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&fa, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&fa);
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    int exports = 1000;
    std::string standIn, scaleSim;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--stand-in" && i + 1 < argc)
            standIn = argv[++i];
        else if (a == "--scale-sim" && i + 1 < argc)
            scaleSim = argv[++i];
        else if (std::atoi(a.c_str()) > 0)
            exports = std::atoi(a.c_str());
        else {
            std::fprintf(stderr,
                         "usage: soak [exports] [--stand-in SM_ETH --scale-sim SCALE_SIM]\n");
            return 2;
        }
    }
    const bool viaScale = !standIn.empty();
    if (viaScale == scaleSim.empty()) {
        std::fprintf(stderr, "soak: --stand-in and --scale-sim go together\n");
        return 2;
    }

    std::string tmpl = (fs::temp_directory_path() / "tarvisco_soak_XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return 2;
    const fs::path dir = tmpl;
    Host host;
    host.dir = dir.string() + "/";
    host.params = {{"DigiSM_Zlacze", viaScale ? "1" : "0"},
                   {"DigiSMNazwa", "Waga1"},
                   {"DigiSM_KodyKD", "0"},
                   {"DigiSM_SkadPlu", "0"},
                   {"DigiSM_KodPocz", "1"},
                   {"DigiSM_KodKonc", "99999"},
                   {"DigiSM_PrzedrWagowy", "27"},
                   {"DigiSM_FormatKodu", "3"},
                   {"DigiSM_FormatEtyk", "17"},
                   {"DigiSM_RozmiarCzcionki", "6"},
                   {"DigiSM_RozmiarCzcionkiOpis", "3"},
                   {"DigiSM_Timeout", "30"},
                   {"DigiSM_HideDrv", "1"}};

    pid_t sim = -1;
    if (viaScale) {
        std::error_code copyError;
        fs::copy_file(standIn, dir / "SM_eth.exe", copyError);
        if (copyError) {
            std::fprintf(stderr, "soak: cannot copy the stand-in %s: %s\n", standIn.c_str(),
                         copyError.message().c_str());
            return 2;
        }
        sim = Spawn({scaleSim, "--port", "0", "--port-file", (dir / "port").string(), "--quiet"},
                    (dir / "scale_sim.log").string());
        int port = 0;
        for (int i = 0; i < 500 && port == 0; ++i) {
            std::ifstream in(dir / "port");
            std::string text;
            if (std::getline(in, text) && in) port = std::atoi(text.c_str());
            if (port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (sim < 0 || port == 0) {
            std::fprintf(stderr, "soak: the scale simulator did not start (%s)\n",
                         (dir / "scale_sim.log").c_str());
            return 2;
        }
        host.params.push_back({"DigiSM_AdresIP", "127.0.0.1:" + std::to_string(port)});
    }
    {
        krv::bench::GoodsFileOptions options;
        options.goods = 200;
        krv::bench::WriteGoodsFile((dir / "kasa.exp").string(), options);
    }

    bench::HostLibrary library(TARVISCO_LIBRARY, "soak");
    const int warmUp = exports < 100 ? exports / 2 : 50;
    const int helpers = viaScale ? 1 : 0;  // the simulator is ours, not the library's
    Sample before;
    auto start = std::chrono::steady_clock::now();
    int failed = 0;
    for (int i = 0; i < exports; ++i) {
        if (i == warmUp) before = Measure(helpers);
        // The archive grows with every export: keep it from filling the disk.
        if (i % 100 == 0) fs::remove(dir / "ARCH2.EXP");
        if (!Export(library, host)) {
            if (++failed <= 3)
                std::fprintf(stderr, "soak: export %d failed: %s\n", i + 1, host.lastError.c_str());
        }
    }
    Sample after = Measure(helpers);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    if (sim > 0) {
        kill(sim, SIGTERM);
        waitpid(sim, nullptr, 0);
    }
    std::error_code ec;
    fs::remove_all(dir, ec);

    const long heapGrowth = after.heap - before.heap;
    const long rssGrowth = after.resident - before.resident;
    std::printf("soak: %d %s exports in %.1f s (%.1f ms each), %d failed\n", exports,
                viaScale ? "stand-in + simulator" : "file-only", seconds, seconds * 1000 / exports,
                failed);
    std::printf(
        "soak: after %d exports -> after %d: heap in use %+ld bytes, resident %+ld bytes, "
        "open files %d -> %d, child processes %d -> %d\n",
        warmUp, exports, heapGrowth, rssGrowth, before.files, after.files, before.children,
        after.children);
    const long limit = 1024 * 1024;
    bool ok = failed == 0 && heapGrowth < limit && rssGrowth < limit &&
              after.files <= before.files && after.children <= before.children;
    std::printf("soak: %s\n", ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
