// The export to the scales as a host runs it: libtarvisco loaded at run time,
// its callbacks registered, KRVDLLSerKasOperacja called for an export.
//
//   export_bench [goods] [rounds] [large goods]
//
// TARVISCO_BENCH_LIBRARY=path measures another build of the library.
//
// Prints the four figures of the export's speed and memory:
// 1. File-only export of `goods` goods (default 100000): the time of
//    KRVDLLSerKasOperacja beside the I/O floor (bench/io_floor.c, the reading,
//    archiving and writing no export can avoid), alternating, each run in a
//    fresh process; the median of the rounds and the ratio.
// 2. Scaling: the same at `large goods` (default 400000) divided by 1.
// 3. The peak resident memory of the export process at `large goods`.
// 4. Latency from the semaphore's appearance to the return of
//    KRVDLLSerKasOperacja: the export of a small goods file with this
//    program playing SM_eth.exe, which creates the semaphore at a random
//    moment and notes the time (CLOCK_MONOTONIC, shared by all processes).
// Settings of the file-only export: file only, full codes, goods numbers from
// the host, ingredient lines from all four descriptions, sell-by and use-by
// dates.
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
#include "host_library.h"
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
    int calls = 0;  // every callback of the export
    std::string lastError;
};

int32_t KRV_CALL Param(void* c, void*, const char* name, char* value) {
    auto* h = static_cast<Host*>(c);
    ++h->calls;
    value[0] = '\0';
    for (auto& [k, v] : h->params)
        if (strcasecmp(k.c_str(), name) == 0) std::snprintf(value, 301, "%s", v.c_str());
    return 1;
}
int32_t KRV_CALL DeviceData(void* c, void*, int32_t* a, int32_t* b, char* t1, char* t2, char* dir) {
    ++static_cast<Host*>(c)->calls;
    *a = 1;
    *b = 0;
    t1[0] = t2[0] = '\0';
    std::snprintf(dir, 261, "%s", static_cast<Host*>(c)->dir.c_str());
    return 1;
}
int32_t KRV_CALL Message(void* c, void*, int32_t kind, const char* text) {
    auto* h = static_cast<Host*>(c);
    ++h->messages;
    ++h->calls;
    if (kind == KRV_MSG_ERROR) {
        ++h->errors;
        h->lastError = text;
    }
    return 1;
}
int32_t KRV_CALL Never(void* c, void*) {
    ++static_cast<Host*>(c)->calls;
    return 0;
}
int32_t KRV_CALL Stored(void* c, void*) {
    ++static_cast<Host*>(c)->calls;
    return 1;
}

// The library under measurement: this build's, or another build named by
// TARVISCO_BENCH_LIBRARY (an older one, to compare).
const char* LibraryPath() {
    const char* path = std::getenv("TARVISCO_BENCH_LIBRARY");
    return path && *path ? path : TARVISCO_LIBRARY;
}

// One export for the host; false when the host was told of an error.
bool Export(const bench::HostLibrary& library, Host& host) {
    library.Export({&host, reinterpret_cast<void*>(&Never), reinterpret_cast<void*>(&Param),
                    reinterpret_cast<void*>(&DeviceData), reinterpret_cast<void*>(&Message),
                    reinterpret_cast<void*>(&Stored)},
                   &host);
    return host.errors == 0;
}

Host MakeHost(const fs::path& dir, const char* zlacze) {
    Host h;
    h.dir = dir.string() + "/";
    // Full codes, the host's goods numbers, ingredient lines from every
    // description, sell-by and use-by dates: the most work per record.
    h.params = {{"DigiSM_Zlacze", zlacze},
                {"DigiSM_AdresIP", "127.0.0.1:5001"},
                {"DigiSMNazwa", "Waga1"},
                {"DigiSM_KodyKD", "1"},
                {"DigiSM_SkadPlu", "0"},
                {"DigiSM_KodPocz", "1"},
                {"DigiSM_KodKonc", "99999"},
                {"DigiSM_PrzedrWagowy", "27"},
                {"DigiSM_FormatKodu", "3"},
                {"DigiSM_FormatEtyk", "17"},
                {"DigiSM_RozmiarCzcionki", "6"},
                {"DigiSM_RozmiarCzcionkiOpis", "3"},
                {"DigiSM_DescriptionMode", "1"},
                {"DigiSMDesc1", "1"},
                {"DigiSMDesc2", "1"},
                {"DigiSMDesc3", "1"},
                {"DigiSMDesc4", "1"},
                {"DigiSM_DataSprzed", "1"},
                {"DigiSM_DataWazn", "1"},
                {"DigiSM_Timeout", "30"}};
    return h;
}

// --- one measured run in a fresh process ---

struct Measure {
    double seconds = 0;  // wall
    double cpu = 0;      // user + system: what a loaded machine disturbs least
    double peakMb = 0;
    int calls = 0;  // host callbacks, as the export reports them
};

// Runs `argv` as a child; the time it reports on its standard output (the
// export: its call alone) or else its wall time, its CPU time and peak memory.
Measure RunChild(const std::vector<std::string>& args) {
    int pipefd[2];
    if (pipe(pipefd) != 0) std::exit(2);
    const int64_t start = NowNs();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipefd[1], 1);
        close(pipefd[0]);
        close(pipefd[1]);
        std::vector<char*> argv;
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipefd[1]);
    std::string out;
    char buf[256];
    for (ssize_t n; (n = read(pipefd[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<size_t>(n));
    close(pipefd[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const int64_t wall = NowNs() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "measured run %s failed (status %d)\n", args[0].c_str(), status);
        std::exit(1);
    }
    auto secs = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    const double reported = out.empty() ? -1 : std::atof(out.c_str());
    const size_t space = out.find(' ');
    return {reported >= 0 ? reported : static_cast<double>(wall) / 1e9,
            secs(usage.ru_utime) + secs(usage.ru_stime),
            static_cast<double>(usage.ru_maxrss) / 1024.0,
            space == std::string::npos ? 0 : std::atoi(out.c_str() + space + 1)};
}

// The child side of an export run: prints the seconds of the call.
int ExportInChild(const char* dir) {
    bench::HostLibrary library(LibraryPath(), "export_bench");
    Host host = MakeHost(dir, "0");
    const int64_t start = NowNs();
    const bool ok = Export(library, host);
    const int64_t ns = NowNs() - start;
    if (!ok) {
        std::fprintf(stderr, "export failed: %s\n", host.lastError.c_str());
        return 1;
    }
    std::printf("%.6f %d\n", static_cast<double>(ns) / 1e9, host.calls);
    return 0;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct SizeResult {
    double exportS = 0, floorS = 0, exportCpu = 0, floorCpu = 0, exportMb = 0, floorMb = 0;
    uintmax_t pluBytes = 0, resultBytes = 0, goodsBytes = 0;
    int calls = 0;
};

// `rounds` exports of `goods` goods alternating with the floor; medians.
SizeResult MeasureSize(const fs::path& root, int goods, int rounds) {
    fs::path dir = root / std::to_string(goods);
    fs::create_directories(dir);
    SizeResult r;
    // A scale's goods file: mostly weighed goods with full codes.
    r.goodsBytes = krv::bench::WriteGoodsFile((dir / "kasa.exp").string(), {goods, 20240229, 85});
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    std::vector<double> e, f, ec, fc;
    for (int i = 0; i < rounds; ++i) {
        fs::remove(dir / "ARCH2.EXP");
        Measure m = RunChild({self, "--export", dir.string()});
        e.push_back(m.seconds);
        ec.push_back(m.cpu);
        r.exportMb = std::max(r.exportMb, m.peakMb);
        r.calls = std::max(r.calls, m.calls);
        r.pluBytes = fs::file_size(dir / "digism.exp");
        r.resultBytes = fs::file_size(dir / "wynik.exp");

        fs::remove(dir / "ARCH2.EXP");
        m = RunChild(
            {IO_FLOOR, dir.string(), std::to_string(r.pluBytes), std::to_string(r.resultBytes)});
        f.push_back(m.seconds);
        fc.push_back(m.cpu);
        r.floorMb = std::max(r.floorMb, m.peakMb);
    }
    r.exportS = Median(e);
    r.floorS = Median(f);
    r.exportCpu = Median(ec);
    r.floorCpu = Median(fc);
    std::printf("%7d goods (%.1f MB file; digism.exp %.1f MB, wynik.exp %.1f MB)\n", goods,
                static_cast<double>(r.goodsBytes) / 1e6, static_cast<double>(r.pluBytes) / 1e6,
                static_cast<double>(r.resultBytes) / 1e6);
    std::printf("  export   wall %.3f s  cpu %.3f s  peak %.1f MB  host callbacks %d\n", r.exportS,
                r.exportCpu, r.exportMb, r.calls);
    std::printf("  floor    wall %.3f s  cpu %.3f s  peak %.1f MB\n", r.floorS, r.floorCpu,
                r.floorMb);
    std::fflush(stdout);
    return r;
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

// Exports through the stand-in for the latency: enough for a median that the
// scheduling of a loaded machine moves little.
constexpr int kLatencyRuns = 25;

double LoadAverage() {
    double load = -1;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1;
        std::fclose(f);
    }
    return load;
}

int Run(int goods, int rounds, int largeGoods) {
    fs::path dir =
        fs::temp_directory_path() / ("tarvisco_export_bench_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::printf("load average at the start: %.2f; median of %d fresh processes each\n",
                LoadAverage(), rounds);
    const SizeResult small = MeasureSize(dir, goods, rounds);
    const SizeResult large = MeasureSize(dir, largeGoods, rounds);
    fs::remove_all(dir / std::to_string(goods));
    fs::remove_all(dir / std::to_string(largeGoods));

    // Latency: semaphore -> return.
    bench::HostLibrary library(LibraryPath(), "export_bench");
    fs::path small_dir = dir / "small";
    fs::create_directories(small_dir);
    krv::bench::WriteGoodsFile((small_dir / "kasa.exp").string(), {50, 7, 85});
    fs::copy_file("/proc/self/exe", small_dir / "SM_eth.exe");
    setenv("KRV_BENCH_FAKE_SM_ETH", "1", 1);
    std::vector<double> latencies;
    for (int r = 0; r < kLatencyRuns; ++r) {
        fs::remove(small_dir / "semafor.time");
        Host host = MakeHost(small_dir, "1");
        if (!Export(library, host)) {
            std::fprintf(stderr, "export with the program failed: %s\n", host.lastError.c_str());
            return 1;
        }
        int64_t returned = NowNs();
        std::ifstream in(small_dir / "semafor.time");
        int64_t created = 0;
        in >> created;
        latencies.push_back(static_cast<double>(returned - created) / 1e6);
    }
    unsetenv("KRV_BENCH_FAKE_SM_ETH");
    fs::remove_all(dir);

    const double ratio = small.exportS / small.floorS;
    const double scaling = large.exportS / small.exportS;
    const double latency = Median(latencies);
    std::sort(latencies.begin(), latencies.end());
    std::printf("load average at the end: %.2f\n", LoadAverage());
    std::printf("%-52s %10s %10s\n", "figure", "measured", "target");
    std::printf("%-52s %9.2fx %9s\n", "export / I/O floor (wall, file only)", ratio, "<= 1.5x");
    std::printf("%-52s %9.2fx %9s\n", "  (cpu time)", small.exportCpu / small.floorCpu, "");
    std::printf("%-52s %10.2f %10s\n", "time at large / time at goods", scaling, "<= 4.2");
    std::printf("%-52s %10.2f\n", "  (cpu time)", large.exportCpu / small.exportCpu);
    std::printf("%-52s %7.1f MB %10s\n", "peak memory at large", large.exportMb, "<= 200 MB");
    std::printf("%-52s %7.1f ms %10s\n", "semaphore -> return (median)", latency, "<= 20 ms");
    std::printf("  (latency min %.1f ms, max %.1f ms)\n", latencies.front(), latencies.back());
    const bool met = ratio <= 1.5 && scaling <= 4.2 && large.exportMb <= 200 && latency <= 20;
    std::printf("%s\n", met ? "targets met" : "TARGETS MISSED");
    return met ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("KRV_BENCH_FAKE_SM_ETH")) return FakeSmEth();
    if (argc == 3 && std::strcmp(argv[1], "--export") == 0) return ExportInChild(argv[2]);
    int goods = argc > 1 ? std::atoi(argv[1]) : 100000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    int largeGoods = argc > 3 ? std::atoi(argv[3]) : 400000;
    if (goods < 1 || rounds < 1 || largeGoods < 1) {
        std::fprintf(stderr, "usage: export_bench [goods] [rounds] [large goods]\n");
        return 2;
    }
    return Run(goods, rounds, largeGoods);
}
