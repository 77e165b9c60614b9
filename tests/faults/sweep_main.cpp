// The fault sweep: every file-system call of one export, made to fail or
// killed, one at a time. For each kind of export (file only; through the
// SM_eth stand-in to the simulated scale on 127.0.0.1) it counts the calls of
// a clean export, then for every call N:
//   error  call N fails with EIO (one that needs room on the disk also with
//          ENOSPC): the export ends with a failure naming the file and the
//          cause, hands no result to the host, leaves no wynik.exp and no
//          program running; or, if it succeeds (never after a failed write),
//          its files are those of a clean export. The next export in the same
//          process gives the files of a clean export.
//   kill   the process making call N is killed: the next export, in a fresh
//          process on the same folder, gives the files of a clean export.
// Compared: digism.exp, wagi.ini, sm_eth.ini, wynik.exp, digism.err,
// semafor.imp and the scale's table, the folder's path and the scale's port
// normalised; ARCH2.EXP with the time of each entry normalised, as whole
// entries of the clean export (an export that failed may have added one).
//
//   fault_sweep [file|eth]...   (default both); SWEEP_JOBS attempts at once
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

#include "faults/sweep_known.h"
#include "faults/sweep_point.h"

namespace krv::test {
namespace {

struct Kind {
    std::string name;
    bool ethernet;
    fs::path base;
    Snapshot clean;
    std::vector<Call> calls;
};

struct Attempt {
    const Kind* kind;
    Call call;
    int action;  // KRV_FI_FAIL or KRV_FI_KILL
    int error;
    std::string outcome;  // "failed cleanly", "tolerated", "recovered" or a fault
    bool fault = false;
    const KnownFault* known = nullptr;  // a fault not mended yet
};

// The archive holds one whole entry per export that got as far as archiving:
// the clean export's entry, once or more.
bool WholeEntries(const std::string& archive, const std::string& entry) {
    if (entry.empty() || archive.empty() || archive.size() % entry.size() != 0) return false;
    for (size_t at = 0; at < archive.size(); at += entry.size())
        if (archive.compare(at, entry.size(), entry) != 0) return false;
    return true;
}

std::string Differences(const Snapshot& got, const Snapshot& want) {
    std::string out;
    for (const auto& [name, bytes] : want) {
        auto it = got.find(name);
        if (it == got.end())
            out += name + " missing; ";
        else if (name == "ARCH2.EXP" ? !WholeEntries(it->second, bytes) : it->second != bytes)
            out += name + " differs; ";
    }
    for (const auto& [name, bytes] : got)
        if (!want.count(name)) out += name + " left over; ";
    return out;
}

// Whether the failure text names the file: its own name, or that of the
// compared file it is the temporary of ("wynik.exp.tmp" for "wynik.exp").
bool NamesFile(const std::string& window, const std::string& file, const fs::path& folder) {
    std::string base = fs::path(file).filename().string();
    if (file == ".") base = folder.filename().string();
    if (window.find(base) != std::string::npos) return true;
    size_t dot = base.rfind('.');
    while (dot != std::string::npos && dot > 0) {
        base.resize(dot);
        if (base.find('.') != std::string::npos && window.find(base) != std::string::npos)
            return true;
        dot = base.rfind('.');
    }
    return false;
}

std::string CheckNext(const ExportReport& r, const Snapshot& files, const Snapshot& clean) {
    std::string faults;
    if (r.errors != 0) faults += "the next export failed; ";
    if (r.stored != 1)
        faults += "the next export stored " + std::to_string(r.stored) + " results; ";
    if (r.alive != 0) faults += "a program runs after the next export; ";
    std::string diff = Differences(files, clean);
    if (!diff.empty()) faults += "next export: " + diff;
    if (!faults.empty() && r.errors != 0) faults += "\n" + r.Window();
    return faults;
}

// A fault not known yet keeps its folder for a look.
void Judge(Attempt* a, const std::string& faults, Point* p) {
    if (faults.empty()) return;
    a->outcome = faults;
    a->fault = true;
    a->known = FindKnown(a->call.program, a->call.op, a->call.file, faults);
    if (!a->known) p->Keep();
}

void RunError(Attempt* a, int seq) {
    Point p(a->kind->base / ("e" + std::to_string(seq)), a->kind->ethernet);
    std::string why;
    if (!p.Prepare(&why)) {
        a->outcome = "set-up failed: " + why, a->fault = true;
        return;
    }
    krv_fi_control c{};
    c.target = a->call.n;
    c.action = KRV_FI_FAIL;
    c.error = a->error;
    int code = p.Host(2, &c, false);
    krv_fi_control after = p.Control();
    std::vector<ExportReport> reports = p.Reports();
    std::string faults;
    if (code != 0) faults += "the host program ended with " + std::to_string(code) + "; ";
    if (!after.fired || a->call.op != after.fired_op || a->call.file != after.fired_path)
        faults += "call " + std::to_string(a->call.n) + " was another one (" + after.fired_op +
                  " " + after.fired_path + "); ";
    if (reports.size() == 2) {
        const ExportReport& r = reports[0];
        const std::string window = r.Window();
        if (r.errors == 0) {
            std::string diff = Differences(p.After(1), a->kind->clean);
            if (r.stored != 1 || !diff.empty())
                faults +=
                    "success reported, but: " + diff + "stored " + std::to_string(r.stored) + "; ";
            // Whoever ignores a failed write cannot know that the data is there.
            if (a->call.IsWrite()) faults += "a failed write reported as success; ";
            a->outcome = "tolerated";
        } else {
            a->outcome = "failed cleanly";
            if (!NamesFile(window, after.fired_path, p.Exchange()))
                faults += "the failure does not name " + std::string(after.fired_path) + "; ";
            if (window.find(std::strerror(a->error)) == std::string::npos)
                faults += "the failure does not name the cause; ";
            if (r.stored != 0) faults += "a result was stored; ";
            if (r.wynik) faults += "wynik.exp left; ";
            if (r.alive != 0) faults += "a program left running; ";
            if (!faults.empty()) faults += "\n" + window;
        }
        faults += CheckNext(reports[1], p.After(2), a->kind->clean);
    } else {
        faults += "the host program reported " + std::to_string(reports.size()) + " exports; ";
    }
    Judge(a, faults, &p);
}

void RunKill(Attempt* a, int seq) {
    Point p(a->kind->base / ("k" + std::to_string(seq)), a->kind->ethernet);
    std::string why;
    if (!p.Prepare(&why)) {
        a->outcome = "set-up failed: " + why, a->fault = true;
        return;
    }
    krv_fi_control c{};
    c.target = a->call.n;
    c.action = KRV_FI_KILL;
    int code = p.Host(1, &c, false);
    krv_fi_control after = p.Control();
    std::string faults;
    if (!after.fired) faults += "call " + std::to_string(a->call.n) + " never came; ";
    bool hostKilled = code == 128 + 9;
    if (!hostKilled && code != 0)
        faults += "the host program ended with " + std::to_string(code) + "; ";
    if (p.ProgramsRunning() != 0) faults += "a program runs after the kill; ";
    int next = p.Host(1, nullptr, false);
    std::vector<ExportReport> reports = p.Reports();
    if (next != 0 || reports.size() != 1)
        faults += "the next host program ended with " + std::to_string(next) + "; ";
    else
        faults += CheckNext(reports[0], p.After(1), a->kind->clean);
    a->outcome = hostKilled ? "recovered (host killed)" : "recovered (stand-in killed)";
    Judge(a, faults, &p);
}

// The clean export's files and its calls; empty calls when it failed.
bool Survey(Kind* kind) {
    std::vector<Call> first;
    for (int round = 0; round < 2; ++round) {
        Point p(kind->base / ("count" + std::to_string(round)), kind->ethernet);
        std::string why;
        if (!p.Prepare(&why)) {
            std::printf("%s: %s\n", kind->name.c_str(), why.c_str());
            return false;
        }
        krv_fi_control c{};
        c.action = KRV_FI_COUNT;
        int code = p.Host(1, &c, true);
        std::vector<ExportReport> r = p.Reports();
        if (code != 0 || r.size() != 1 || r[0].errors != 0 || r[0].stored != 1) {
            std::printf("%s: the clean export failed (exit %d)\n%s", kind->name.c_str(), code,
                        r.empty() ? "" : r[0].Window().c_str());
            p.Keep();
            return false;
        }
        std::vector<Call> calls = p.Calls();
        if (round == 0) {
            kind->clean = p.After(1);
            first = calls;
            continue;
        }
        if (calls.size() != first.size()) {
            std::printf("%s: the number of calls differs between two clean exports (%zu, %zu)\n",
                        kind->name.c_str(), first.size(), calls.size());
            return false;
        }
        std::string diff = Differences(p.After(1), kind->clean);
        if (!diff.empty()) {
            std::printf("%s: two clean exports differ: %s\n", kind->name.c_str(), diff.c_str());
            return false;
        }
    }
    // Every file the export writes must be written through calls the shim
    // sees (under its own name or a temporary one that begins with it).
    for (const auto& [name, bytes] : kind->clean) {
        if (name == "scale.txt") continue;
        bool seen = false;
        for (const Call& c : first) seen = seen || (c.op == "write" && c.file.rfind(name, 0) == 0);
        if (!seen) {
            std::printf("%s: %s is written by calls the file shim does not count: extend it\n",
                        kind->name.c_str(), name.c_str());
            return false;
        }
    }
    kind->calls = first;
    return true;
}

const char* ErrorName(int e) { return e == ENOSPC ? "ENOSPC" : "EIO"; }

}  // namespace
}  // namespace krv::test

int main(int argc, char** argv) {
    using namespace krv::test;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) names.push_back(argv[i]);
    if (names.empty()) names = {"file", "eth"};
    int jobs = 3;
    if (const char* j = std::getenv("SWEEP_JOBS")) jobs = std::max(1, std::atoi(j));
    fs::path base = fs::temp_directory_path() / ("krv-sweep-" + std::to_string(getpid()));

    std::vector<Kind> kinds;
    for (const std::string& n : names) {
        if (n != "file" && n != "eth") {
            std::fprintf(stderr, "usage: fault_sweep [file|eth]...\n");
            return 2;
        }
        kinds.push_back({n, n == "eth", base / n, {}, {}});
    }
    int passed = 0, failed = 0;
    std::vector<Attempt> attempts;
    for (Kind& k : kinds) {
        if (!Survey(&k)) {
            ++failed;
            continue;
        }
        std::printf("%s export: %zu file-system calls (injection points)\n", k.name.c_str(),
                    k.calls.size());
        for (const Call& c : k.calls) {
            attempts.push_back({&k, c, KRV_FI_FAIL, EIO, "", false});
            if (c.NeedsRoom()) attempts.push_back({&k, c, KRV_FI_FAIL, ENOSPC, "", false});
            attempts.push_back({&k, c, KRV_FI_KILL, 0, "", false});
        }
    }
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (int w = 0; w < jobs; ++w)
        workers.emplace_back([&] {
            for (size_t i; (i = next++) < attempts.size();) {
                Attempt& a = attempts[i];
                if (a.action == KRV_FI_FAIL)
                    RunError(&a, static_cast<int>(i));
                else
                    RunKill(&a, static_cast<int>(i));
            }
        });
    for (std::thread& t : workers) t.join();

    std::map<std::string, std::map<std::string, int>> tally;  // "kind class" -> outcome -> n
    std::map<const KnownFault*, int> seen;
    int known = 0;
    for (Attempt& a : attempts) {
        std::string cls = a.action == KRV_FI_KILL ? "kill" : ErrorName(a.error);
        std::string verdict = !a.fault ? a.outcome : a.known ? "KNOWN FAULT" : "FAULT";
        std::printf("%-4s %3lld %-12s %-13s %-12s %-6s %s\n", a.kind->name.c_str(),
                    static_cast<long long>(a.call.n), a.call.program.c_str(), a.call.op.c_str(),
                    a.call.file.c_str(), cls.c_str(), verdict.c_str());
        if (a.known) std::printf("     (%s)\n", a.known->why);
        if (a.fault) std::printf("     %s\n", a.outcome.c_str());
        tally[a.kind->name + " " + cls][a.known ? "known fault" : a.fault ? "FAULT" : a.outcome]++;
        if (a.known) ++seen[a.known], ++known;
        (a.fault && !a.known ? failed : passed)++;
    }
    for (const auto& [what, outcomes] : tally) {
        std::printf("%-11s", what.c_str());
        for (const auto& [outcome, n] : outcomes) std::printf("  %s: %d", outcome.c_str(), n);
        std::printf("\n");
    }
    if (known) std::printf("%d attempts met known faults (tests/faults/sweep_known.h)\n", known);
    for (const KnownFault& k : kKnownFaults)
        if (!seen.count(&k) && kinds.size() == 2)
            std::printf("known fault not met any more: %s %s %s (%s)\n", k.program, k.op, k.file,
                        k.why);
    if (failed) std::printf("folders of the faults kept under %s\n", base.c_str());
    std::error_code ec;
    if (!failed) fs::remove_all(base, ec);
    std::printf("fault_sweep: %d passed, %d failed\n", passed, failed);
    return failed ? 1 : 0;
}
