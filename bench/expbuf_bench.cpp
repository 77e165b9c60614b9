// Reading a goods file into the export buffer, walking every row and writing
// the export result: the road of every export, which must stay linear in the
// number of goods.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>

#include "exportdata/expbuf.h"
#include "goods_generator.h"

namespace {

namespace fs = std::filesystem;

// One goods file per size, written once per process.
const std::string& GoodsFile(int goods) {
    static std::map<int, std::string> files;
    auto it = files.find(goods);
    if (it != files.end()) return it->second;
    fs::path dir = fs::temp_directory_path() / "tarvisco_bench";
    fs::create_directories(dir);
    std::string path = (dir / ("kasa_" + std::to_string(goods) + ".exp")).string();
    // A file left by gen_goods (same size and seed, so the same bytes) is
    // reused, so that a measurement of this process's memory is the reading's.
    if (!fs::exists(path)) krv::bench::WriteGoodsFile(path, {goods, 20240229});
    return files[goods] = path;
}

void BM_ReadWalkWrite(benchmark::State& state) {
    const int goods = static_cast<int>(state.range(0));
    const std::string& path = GoodsFile(goods);
    fs::path dir = fs::path(path).parent_path();
    const std::string result = (dir / ("wynik_" + std::to_string(goods) + ".exp")).string();
    int64_t walked = 0;
    for (auto _ : state) {
        // The archive grows with every read; start each round without it.
        state.PauseTiming();
        fs::remove(dir / "ARCH2.EXP");
        state.ResumeTiming();

        krv::KSExpBuf buf(nullptr);
        buf.ReadFromFile(path, false, -1);
        krv::KSTowRec rec;
        for (int i = 0, n = buf.Towary().GetCount(); i < n; ++i) {
            buf.CzytajRec(i, &rec);
            walked += rec.plu;
        }
        buf.ResetTrOk(true);
        buf.ZapiszWynikEksp(result);
        if (buf.Towary().GetCount() != goods) state.SkipWithError("goods lost");
    }
    benchmark::DoNotOptimize(walked);
    state.SetItemsProcessed(state.iterations() * goods);
    state.counters["s_per_100k"] =
        benchmark::Counter(goods / 100000.0, benchmark::Counter::kIsIterationInvariantRate |
                                                 benchmark::Counter::kInvert);
    state.counters["file_MB"] = static_cast<double>(fs::file_size(path)) / 1e6;
}
BENCHMARK(BM_ReadWalkWrite)->Arg(100000)->Arg(200000)->Arg(400000)->Unit(benchmark::kMillisecond);
// One export per process, as the host runs it: no memory left warm by an
// earlier round. run_expbuf_bench.py runs it in fresh processes.
BENCHMARK(BM_ReadWalkWrite)
    ->Name("BM_ReadWalkWriteOnce")
    ->Arg(100000)
    ->Arg(200000)
    ->Arg(400000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The sorted search that reconciliations use, for a sense of scale.
void BM_SortAndFind(benchmark::State& state) {
    const int goods = static_cast<int>(state.range(0));
    krv::KSExpBuf buf(nullptr);
    buf.ReadFromFile(GoodsFile(goods), false, -1);
    std::vector<std::string> keys;
    krv::KSTowRec rec;
    for (int i = 0; i < goods; i += 97) {
        buf.CzytajRec(i, &rec);
        keys.push_back(rec.kod);
    }
    for (auto _ : state) {
        buf.SetSorted(false);
        int found = 0;
        for (const auto& k : keys) found += buf.FindRec(k, goods) >= 0;
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_SortAndFind)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
