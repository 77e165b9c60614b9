// The export to the scales as a host runs it: libtarvisco loaded at run time,
// its callbacks registered, KRVDLLSerKasOperacja called for an export.
//
//   export_bench [goods] [rounds]
//
// 1. File-only export of `goods` goods (default 100000), each round in a
//    fresh process, side by side with the I/O floor: a plain program that
//    reads the same goods file, appends it to an archive and writes as many
//    bytes as digism.exp and wynik.exp. Best wall time of the rounds and the
//    peak resident memory of each process.
// 2. Latency from the semaphore's appearance to the return of
//    KRVDLLSerKasOperacja: the export of a small goods file with this
//    program playing SM_eth.exe, which creates the semaphore at a random
//    moment and notes the time (CLOCK_MONOTONIC, shared by all processes).
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "goods_generator.h"
#include "krvdll.h"

namespace {

namespace fs = std::filesystem;

int64_t NowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

// --- a minimal host ---

struct Host {
    std::string dir;
    std::vector<std::pair<std::string, std::string>> params;
    int messages = 0;
    int errors = 0;
    std::string lastError;
};

int32_t KRV_CALL Param(void* c, void*, const char* name, char* value) {
    auto* h = static_cast<Host*>(c);
    value[0] = '\0';
    for (auto& [k, v] : h->params)
        if (strcasecmp(k.c_str(), name) == 0) std::snprintf(value, 301, "%s", v.c_str());
    return 1;
}
int32_t KRV_CALL DeviceData(void* c, void*, int32_t* a, int32_t* b, char* t1, char* t2,
                            char* dir) {
    *a = 1;
    *b = 0;
    t1[0] = t2[0] = '\0';
    std::snprintf(dir, 261, "%s", static_cast<Host*>(c)->dir.c_str());
    return 1;
}
int32_t KRV_CALL Message(void* c, void*, int32_t kind, const char* text) {
    auto* h = static_cast<Host*>(c);
    ++h->messages;
    if (kind == 2) {
        ++h->errors;
        h->lastError = text;
    }
    return 1;
}
int32_t KRV_CALL Never(void*, void*) { return 0; }
int32_t KRV_CALL Stored(void*, void*) { return 1; }

struct Library {
    void* so = nullptr;
    decltype(&KRVDLLRejestrujBiblioteke) reg = nullptr;
    decltype(&KRVDLLRejestrujCallback) cb = nullptr;
    decltype(&KRVDLLSerKasOperacja) op = nullptr;
    decltype(&KRVDLLZwolnijBiblioteke) release = nullptr;

    Library() {
        so = dlopen(TARVISCO_LIBRARY, RTLD_NOW);
        if (!so) {
            std::fprintf(stderr, "%s\n", dlerror());
            std::exit(2);
        }
        reg = reinterpret_cast<decltype(reg)>(dlsym(so, "KRVDLLRejestrujBiblioteke"));
        cb = reinterpret_cast<decltype(cb)>(dlsym(so, "KRVDLLRejestrujCallback"));
        op = reinterpret_cast<decltype(op)>(dlsym(so, "KRVDLLSerKasOperacja"));
        release = reinterpret_cast<decltype(release)>(dlsym(so, "KRVDLLZwolnijBiblioteke"));
    }

    // One export for the host; false when the host was told of an error.
    bool Export(Host& host) {
        void* lib = reg(&host, nullptr, nullptr, nullptr);
        cb(lib, reinterpret_cast<void*>(&Never), KRV_CB_INTERRUPT);
        cb(lib, reinterpret_cast<void*>(&Param), KRV_CB_PARAMETER_VALUE);
        cb(lib, reinterpret_cast<void*>(&DeviceData), KRV_CB_DEVICE_DATA);
        cb(lib, reinterpret_cast<void*>(&Message), KRV_CB_ADD_MESSAGE);
        cb(lib, reinterpret_cast<void*>(&Message), KRV_CB_CHANGE_LAST_MESSAGE);
        cb(lib, reinterpret_cast<void*>(&Stored), KRV_CB_STORE_EXPORT_RESULT);
        char buf[301] = "";
        void* session = nullptr;
        op(lib, &host, &session, buf, KRV_OP_EXPORT, 0);
        release(lib);
        return host.errors == 0;
    }
};

Host MakeHost(const fs::path& dir, const char* zlacze) {
    Host h;
    h.dir = dir.string() + "/";
    h.params = {{"DigiSM_Zlacze", zlacze},       {"DigiSM_AdresIP", "127.0.0.1:5001"},
                {"DigiSMNazwa", "Waga1"},        {"DigiSM_KodyKD", "0"},
                {"DigiSM_SkadPlu", "0"},         {"DigiSM_KodPocz", "1"},
                {"DigiSM_KodKonc", "99999"},     {"DigiSM_PrzedrWagowy", "27"},
                {"DigiSM_FormatKodu", "3"},      {"DigiSM_FormatEtyk", "17"},
                {"DigiSM_RozmiarCzcionki", "6"}, {"DigiSM_RozmiarCzcionkiOpis", "3"},
                {"DigiSM_EksportujOpisy", "1"},  {"DigiSM_DataSprzed", "1"},
                {"DigiSM_Timeout", "30"}};
    return h;
}

// --- the I/O floor ---

void Floor(const fs::path& dir, uintmax_t pluBytes, uintmax_t resultBytes) {
    std::ifstream in(dir / "kasa.exp", std::ios::binary);
    std::string goods((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    {
        std::ofstream arch(dir / "ARCH2.EXP", std::ios::binary | std::ios::app);
        arch << "\r\n----------- [EKSPORT WYKONANY DNIA: 2024-01-01 00:00:00] ------------\r\n";
        arch.write(goods.data(), static_cast<std::streamsize>(goods.size()));
    }
    std::string plu(pluBytes, ' ');
    std::ofstream(dir / "digism.exp", std::ios::binary | std::ios::trunc)
        .write(plu.data(), static_cast<std::streamsize>(plu.size()));
    std::string result(resultBytes, ' ');
    std::ofstream(dir / "wynik.exp", std::ios::binary | std::ios::trunc)
        .write(result.data(), static_cast<std::streamsize>(result.size()));
}

// Runs `fn` in a child process; its wall time in seconds and peak memory in MB.
struct Measure {
    double seconds = 0;  // wall
    double cpu = 0;      // user + system: what a loaded machine disturbs least
    double peakMb = 0;
};
Measure InChild(const std::function<bool()>& fn) {
    int pipefd[2];
    if (pipe(pipefd) != 0) std::exit(2);
    pid_t pid = fork();
    if (pid == 0) {
        close(pipefd[0]);
        int64_t start = NowNs();
        bool ok = fn();
        int64_t ns = NowNs() - start;
        if (write(pipefd[1], &ns, sizeof ns) != sizeof ns) _exit(3);
        _exit(ok ? 0 : 1);
    }
    close(pipefd[1]);
    int64_t ns = 0;
    if (read(pipefd[0], &ns, sizeof ns) != sizeof ns) ns = -1;
    close(pipefd[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "measured run failed (status %d)\n", status);
        std::exit(1);
    }
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return {static_cast<double>(ns) / 1e9, secs(usage.ru_utime) + secs(usage.ru_stime),
            static_cast<double>(usage.ru_maxrss) / 1024.0};
}

// --- this program as SM_eth.exe ---

int FakeSmEth() {
    // Somewhere in the library's polling cycle.
    std::mt19937 rng(static_cast<uint32_t>(NowNs()));
    usleep(static_cast<useconds_t>(200000 + rng() % 1000000));
    std::ofstream("digism.err", std::ios::binary | std::ios::trunc);
    int64_t t = NowNs();
    std::ofstream("semafor.imp", std::ios::binary | std::ios::trunc);
    std::ofstream("semafor.time") << t;
    return 0;
}

int Run(int goods, int rounds) {
    fs::path dir = fs::temp_directory_path() / ("tarvisco_export_bench_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    size_t bytes = krv::bench::WriteGoodsFile((dir / "kasa.exp").string(), {goods, 20240229});
    std::printf("goods file: %d goods, %.1f MB\n", goods, static_cast<double>(bytes) / 1e6);

    Library library;
    Measure bestExport{1e9, 1e9, 0}, bestFloor{1e9, 1e9, 0};
    uintmax_t pluBytes = 0, resultBytes = 0;
    for (int r = 0; r < rounds; ++r) {
        fs::remove(dir / "ARCH2.EXP");
        Measure m = InChild([&] {
            Host host = MakeHost(dir, "0");
            bool ok = library.Export(host);
            if (!ok) std::fprintf(stderr, "export failed: %s\n", host.lastError.c_str());
            return ok;
        });
        pluBytes = fs::file_size(dir / "digism.exp");
        resultBytes = fs::file_size(dir / "wynik.exp");
        bestExport.seconds = std::min(bestExport.seconds, m.seconds);
        bestExport.cpu = std::min(bestExport.cpu, m.cpu);
        bestExport.peakMb = std::max(bestExport.peakMb, m.peakMb);

        fs::remove(dir / "ARCH2.EXP");
        m = InChild([&] {
            Floor(dir, pluBytes, resultBytes);
            return true;
        });
        bestFloor.seconds = std::min(bestFloor.seconds, m.seconds);
        bestFloor.cpu = std::min(bestFloor.cpu, m.cpu);
        bestFloor.peakMb = std::max(bestFloor.peakMb, m.peakMb);
    }
    std::printf("digism.exp %.1f MB, wynik.exp %.1f MB\n", static_cast<double>(pluBytes) / 1e6,
                static_cast<double>(resultBytes) / 1e6);
    std::printf("%-22s %10s %10s %12s\n", "best of rounds", "wall s", "cpu s", "peak MB");
    std::printf("%-22s %10.3f %10.3f %12.1f\n", "export (file only)", bestExport.seconds,
                bestExport.cpu, bestExport.peakMb);
    std::printf("%-22s %10.3f %10.3f %12.1f\n", "I/O floor", bestFloor.seconds, bestFloor.cpu,
                bestFloor.peakMb);
    const double ratio = bestExport.seconds / bestFloor.seconds;
    std::printf("export / floor: wall %.2fx, cpu %.2fx (target <= 3x, <= 1 s)\n", ratio,
                bestExport.cpu / bestFloor.cpu);

    // Latency: semaphore -> return.
    fs::path small = dir / "small";
    fs::create_directories(small);
    krv::bench::WriteGoodsFile((small / "kasa.exp").string(), {50, 7});
    fs::copy_file("/proc/self/exe", small / "SM_eth.exe");
    setenv("KRV_BENCH_FAKE_SM_ETH", "1", 1);
    std::vector<double> latencies;
    for (int r = 0; r < 15; ++r) {
        fs::remove(small / "semafor.time");
        Host host = MakeHost(small, "1");
        if (!library.Export(host)) {
            std::fprintf(stderr, "export with the program failed: %s\n", host.lastError.c_str());
            return 1;
        }
        int64_t returned = NowNs();
        std::ifstream in(small / "semafor.time");
        int64_t created = 0;
        in >> created;
        latencies.push_back(static_cast<double>(returned - created) / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("semaphore -> return of KRVDLLSerKasOperacja, %zu exports: median %.1f ms, "
                "max %.1f ms (target <= 100 ms)\n",
                latencies.size(), latencies[latencies.size() / 2], latencies.back());
    fs::remove_all(dir);
    const bool met = ratio <= 3.0 && bestExport.seconds <= 1.0 && latencies.back() <= 100.0;
    std::printf("%s\n", met ? "targets met" : "TARGETS MISSED");
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("KRV_BENCH_FAKE_SM_ETH")) return FakeSmEth();
    int goods = argc > 1 ? std::atoi(argv[1]) : 100000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    return Run(goods, rounds);
}
