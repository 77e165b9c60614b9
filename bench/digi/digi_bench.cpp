// How fast sm_eth turns goods-file records into DIGI frames, how fast the
// simulator decodes them, and what a whole transfer of N records costs over
// loopback (the simulated scale's session in a thread of this process).
#include <benchmark/benchmark.h>

#include <csignal>
#include <thread>

#include "codepage.h"
#include "digi_record.h"
#include "digi_session.h"
#include "digi_transfer.h"
#include "plu_record.h"
#include "support/cp1250.h"

namespace {

using namespace krv;

std::vector<std::string> Records(int count) {
    std::vector<std::string> records;
    for (int i = 1; i <= count; ++i) {
        test::PluFields f;
        f.plu = i;
        f.name = Utf8ToCp1250("Towar numer " + std::to_string(i) + " żółty");
        f.name_lines[0] = Utf8ToCp1250("Opis linii nazwy");
        for (int k = 0; k < 3; ++k)
            f.ingredients[static_cast<size_t>(k)] = Utf8ToCp1250("Skład: mąka, woda, sól, drożdże");
        f.price = i * 7;
        f.sell_by = true;
        f.sell_by_days = 3;
        records.push_back(test::BuildRecord(f));
    }
    return records;
}

void BM_EncodeRecords(benchmark::State& state) {
    std::vector<std::string> records = Records(1000);
    tools::CodePage page = *tools::CodePage::Named("cp852");
    smeth::LocalSettings settings;
    for (auto _ : state)
        for (const std::string& r : records)
            benchmark::DoNotOptimize(smeth::DigiFrameOf(r, page, settings));
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_EncodeRecords);

void BM_DecodeFrames(benchmark::State& state) {
    tools::CodePage page = *tools::CodePage::Named("cp852");
    std::vector<std::string> frames;
    for (const std::string& r : Records(1000))
        frames.push_back(smeth::DigiFrameOf(r, page, {}).bytes);
    std::string error;
    for (auto _ : state)
        for (const std::string& f : frames)
            benchmark::DoNotOptimize(tools::digi::Decode(f, &error));
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_DecodeFrames);

// N records to a scale on 127.0.0.1, each frame answered before the next.
void BM_TransferOverLoopback(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    tools::CodePage page = *tools::CodePage::Named("cp852");
    std::vector<smeth::DigiOutgoing> frames;
    int line = 0;
    for (const std::string& r : Records(count))
        frames.push_back({++line, r.substr(1, 8), smeth::DigiFrameOf(r, page, {}).bytes});
    tools::NetStartup();
    std::string error;
    tools::Socket listener = tools::Listen("127.0.0.1", 0, &error);
    const int port = tools::LocalPort(listener);
    for (auto _ : state) {
        scalesim::Options options;
        scalesim::DigiTable table;
        volatile std::sig_atomic_t stop = 0;
        scalesim::DigiSessionContext ctx{options, table, [] {}, stop, [](const std::string&) {}};
        std::thread scale([&] {
            tools::Socket client;
            if (tools::Accept(listener, 10000, &client) == tools::IoResult::kOk)
                scalesim::ServeDigiClient(client, ctx);
        });
        smeth::DigiResult result = smeth::SendDigiFrames({"127.0.0.1", port, true}, frames, 5000, 1,
                                                         [](const std::string&) {});
        scale.join();
        if (result.accepted != count || table.Size() != static_cast<size_t>(count))
            state.SkipWithError("frames lost");
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_TransferOverLoopback)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
