// The whole-chain property: for any goods file the host may write, the scale
// ends up holding exactly what the host asked for, and the host gets back the
// result it must get. Each case (goods_cases.h) runs the real chain — krvhost
// loading the library, digism.exp, the SM_eth stand-in, scale_sim on
// 127.0.0.1 holding goods already — once in our line protocol and once in the
// DIGI protocol, and compares the simulator's table (the records it keeps, or
// its decoded JSON dump), digism.exp and wynik.exp with the independent model
// (chain_model.h), record by record and field by field. A mismatch prints the
// seed and the smallest goods file that still shows it (lines dropped in
// blocks, then one at a time, while it fails). Each export starts its own
// simulator (a few milliseconds); 300 cases take about 1.5 minutes here.
//
//   chain_property_test [--cases N] [--seed S] [--only SEED]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "../e2e/harness.h"
#include "chain_model.h"
#include "goods_cases.h"

namespace krv::test::chain {
namespace {

namespace fs = std::filesystem;
using test::Device;
using test::Outcome;
using test::ReadFile;
using test::ScaleSim;
using test::WriteFile;

enum class Protocol { kOurs, kDigi };
const char* Name(Protocol p) { return p == Protocol::kOurs ? "ours" : "DIGI"; }

struct Observed {
    Outcome run;
    bool hasResult = false;
    std::string result;
    bool hasPluFile = false;
    std::string pluFile;  // digism.exp
    Table table;
    std::string problem;  // the chain could not be run at all
};

void WriteProfile(const Device& d, const Case& c, const std::string& address) {
    std::string text =
        "[device]\nname = Waga testowa\nexchange_dir = " + d.Exchange().string() + "\n";
    for (size_t i = 0; i < c.formats.size(); ++i)
        text += "format." + std::to_string(i + 1) + " = " + c.formats[i] + "\n";
    text += "\n[parameters]\nDigiSM_AdresIP = " + address + "\n";
    for (const auto& [k, v] : c.params) text += k + " = " + v + "\n";
    WriteFile(d.Profile(), text);
}

Table DigiDump(const fs::path& json) {
    Table t;
    std::istringstream in(ReadFile(json));
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("{\"plu\":", 0) != 0) continue;
        if (line.back() == ',') line.pop_back();
        t[std::atoi(line.c_str() + 7)] = line;
    }
    return t;
}

Observed RunChain(const Case& c, Protocol p) {
    Observed o;
    Device d;
    ScaleSim sim;
    const fs::path scaleDir = d.Root() / "scale";
    fs::create_directories(scaleDir);
    std::vector<std::string> extra = {"--quiet"};
    if (p == Protocol::kDigi) {
        WriteFile(scaleDir / "state.txt", DigiStateFile(c));
        extra.insert(extra.end(), {"--digi", "--codepage", c.codePage, "--json",
                                   (scaleDir / "scale.json").string()});
        auto number = [](const std::optional<int>& v) {
            return v ? std::to_string(*v) : std::string("none");
        };
        WriteFile(
            d.File("sm_eth.cfg"),
            "[Scale]\r\nProtocol=digi\r\nCodePage=" + c.codePage +
                "\r\nTimeoutMs=20000\r\nTries=1\r\nSpecialMessage=" + number(c.specialMessage) +
                "\r\nIngredientNumber=" + number(c.ingredientNumber) + "\r\n");
    } else {
        WriteFile(scaleDir / "state.txt", RecordStateFile(c));
    }
    if (!sim.Start(scaleDir, extra)) {
        o.problem = "scale_sim did not start: " + ReadFile(scaleDir / "scale_sim.log");
        return o;
    }
    WriteProfile(d, c, sim.Address());
    d.WriteGoods(GoodsFile(c));
    d.InstallStandIn();
    // Generous time-outs: a loaded machine (or the sanitizers) must not pass
    // for a fault.
    o.run = d.Krvhost({"export"}, 120000, {{"SM_ETH_TIMEOUT_MS", "20000"}});
    sim.Stop();
    o.hasResult = fs::exists(d.File("wynik.exp"));
    o.result = ReadFile(d.File("wynik.exp"));
    o.hasPluFile = fs::exists(d.File("digism.exp"));
    o.pluFile = ReadFile(d.File("digism.exp"));
    if (p == Protocol::kDigi) {
        o.table = DigiDump(scaleDir / "scale.json");
    } else {
        for (const auto& [plu, record] : sim.Held()) o.table[std::atoi(plu.c_str())] = record;
    }
    return o;
}

// Where two texts part, with a little of each (shown in UTF-8).
std::string Difference(const std::string& want, const std::string& got, bool utf8 = false) {
    auto show = [&](const std::string& s) { return utf8 ? s : test::Utf8(s); };
    size_t i = 0;
    while (i < want.size() && i < got.size() && want[i] == got[i]) ++i;
    const size_t from = i < 40 ? 0 : i - 40;
    return "at offset " + std::to_string(i) + " (position " + std::to_string(i + 1) +
           "):\n      want ..." + show(want.substr(from, 120)) + "\n      got  ..." +
           show(got.substr(from, 120));
}

// What the cases covered, to show that they reach the scale.
struct Coverage {
    int exports = 0, failures = 0, records = 0, deletes = 0, plus = 0;
} coverage;

std::vector<std::string> Compare(const Case& c, Protocol p) {
    const Expected e = Model(c);
    const Observed o = RunChain(c, p);
    ++coverage.exports;
    coverage.failures += e.success ? 0 : 1;
    coverage.records += static_cast<int>(e.records.size());
    for (const std::string& r : e.records) coverage.deletes += r[0] == '1' ? 1 : 0;
    coverage.plus += static_cast<int>(o.table.size());
    std::vector<std::string> bad;
    if (!o.problem.empty()) return {o.problem};
    if (e.success) {
        std::string want;
        for (const std::string& l : e.result) want += l + "\r\n";
        if (o.run.exit_code != 0)
            bad.push_back("the export failed; the model expects success");
        else if (!o.hasResult)
            bad.push_back("no wynik.exp");
        else if (o.result != want)
            bad.push_back("wynik.exp differs " + Difference(want, o.result));
        std::string file;
        for (const std::string& r : e.records) file += r + "\r\n";
        if (e.records.empty() && o.hasPluFile)
            bad.push_back("digism.exp written with no record");
        else if (o.pluFile != file)
            bad.push_back("digism.exp differs " + Difference(file, o.pluFile));
    } else {
        if (o.run.exit_code == 0) bad.push_back("the export succeeded; a goods line is malformed");
        if (o.hasResult) bad.push_back("a failed export wrote wynik.exp");
    }
    const Table want = p == Protocol::kDigi ? AfterDigi(c, e) : AfterRecords(c, e);
    for (const auto& [plu, entry] : want) {
        auto it = o.table.find(plu);
        if (it == o.table.end())
            bad.push_back("PLU " + std::to_string(plu) + " missing");
        else if (it->second != entry)
            bad.push_back("PLU " + std::to_string(plu) + " differs " +
                          Difference(entry, it->second, p == Protocol::kDigi));
    }
    for (const auto& [plu, entry] : o.table)
        if (!want.count(plu)) bad.push_back("PLU " + std::to_string(plu) + " should not be there");
    if (!bad.empty()) bad.push_back("krvhost said:\n" + o.run.output.substr(0, 4000));
    return bad;
}

// Drops goods-file lines (in blocks, halving down to single lines), then held
// goods, while the case still fails; at most 200 more runs.
template <class T>
bool DropWhileFailing(Case& c, std::vector<T> Case::*items, Protocol p, int& budget,
                      std::vector<std::string>& bad) {
    bool dropped = false;
    for (size_t block = std::max<size_t>((c.*items).size() / 2, 1); block >= 1; block /= 2) {
        for (size_t i = 0; i + block <= (c.*items).size() && budget > 0;) {
            Case smaller = c;
            auto& v = smaller.*items;
            v.erase(v.begin() + static_cast<long>(i), v.begin() + static_cast<long>(i + block));
            --budget;
            if (std::vector<std::string> still = Compare(smaller, p); !still.empty()) {
                c = smaller;
                bad = still;
                dropped = true;
            } else {
                i += block;
            }
        }
        if (block == 1) break;
    }
    return dropped;
}

// The smallest failing case found, with what its last failing run showed.
Case Shrink(Case c, Protocol p, std::vector<std::string>& bad) {
    int budget = 200;
    while (budget > 0 && (DropWhileFailing(c, &Case::lines, p, budget, bad) |
                          DropWhileFailing(c, &Case::held, p, budget, bad))) {
    }
    return c;
}

void Report(const Case& c, Protocol p, const std::vector<std::string>& bad) {
    std::printf("\nFAILED: seed %u, protocol %s (rerun: --only %u)\n", c.seed, Name(p), c.seed);
    std::printf("  parameters:");
    for (const auto& [k, v] : c.params) std::printf(" %s=%s", k.c_str(), v.c_str());
    std::printf("\n  formats:");
    for (const std::string& f : c.formats) std::printf(" %s", f.c_str());
    std::printf("\n  scale held %zu PLUs; code page %s\n  smallest goods file:\n", c.held.size(),
                c.codePage.c_str());
    for (const std::string& l : c.lines) std::printf("    %s\n", test::Utf8(l).c_str());
    for (const std::string& b : bad) std::printf("  - %s\n", b.c_str());
}

}  // namespace
}  // namespace krv::test::chain

int main(int argc, char** argv) {
    using namespace krv::test::chain;
    int cases = 100;
    uint32_t seed = 20261209;
    long only = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--cases"))
            cases = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--seed"))
            seed = static_cast<uint32_t>(std::atol(argv[i + 1]));
        else if (!std::strcmp(argv[i], "--only"))
            only = std::atol(argv[i + 1]);
        else {
            std::fprintf(stderr, "usage: %s [--cases N] [--seed S] [--only SEED]\n", argv[0]);
            return 2;
        }
    }
    if (only >= 0) {
        seed = static_cast<uint32_t>(only);
        cases = 1;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const auto start = std::chrono::steady_clock::now();
    int passed = 0, failed = 0;
    for (int n = 0; n < cases; ++n) {
        const Case c = GenerateCase(seed + static_cast<uint32_t>(n));
        bool ok = true;
        for (Protocol p : {Protocol::kOurs, Protocol::kDigi}) {
            std::vector<std::string> bad = Compare(c, p);
            if (bad.empty()) continue;
            ok = false;
            const Case small = Shrink(c, p, bad);
            Report(small, p, bad);
            if (Compare(small, p).empty())
                std::printf("  (the same case passed when run again: it depends on timing)\n");
        }
        ok ? ++passed : ++failed;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("chain property: %d cases from seed %u, both protocols, %.1f s\n", cases, seed,
                seconds);
    std::printf(
        "chain property: %d exports (%d of a malformed file), %d PLU records written "
        "(%d deletes), %d PLUs compared\n",
        coverage.exports, coverage.failures, coverage.records, coverage.deletes, coverage.plus);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
