// Faults the sweep has found and that are not mended yet. An attempt whose
// every fault is one of a listed call's symptoms is counted as known (it does
// not fail the sweep); a listed call that no longer fails is named at the
// end, so that its line can go.
#pragma once

#include <sstream>
#include <string>

namespace krv::test {

struct KnownFault {
    const char* program;  // "sweep_export" (the library) or "SM_eth.exe"
    const char* op;       // as in the call log
    const char* file;
    const char* symptoms;  // what the sweep says of it, '|' between the choices
    const char* why;
};

inline constexpr KnownFault kKnownFaults[] = {
    // The stand-in: its own files' I/O errors have no way to the host but its
    // exit code (sm_eth.ini unread: no paths) or a missing error file.
    {"SM_eth.exe", "open", "sm_eth.ini", "does not name", "only the exit code reaches the host"},
    {"SM_eth.exe", "read", "sm_eth.ini", "does not name", "only the exit code reaches the host"},
    {"SM_eth.exe", "create", "digism.err.tmp", "does not name",
     "only \"no error file\" reaches the host"},
    {"SM_eth.exe", "write", "digism.err.tmp", "does not name",
     "only \"no error file\" reaches the host"},
    {"SM_eth.exe", "close-written", "digism.err.tmp", "does not name",
     "only \"no error file\" reaches the host"},
    {"SM_eth.exe", "rename", "digism.err", "does not name",
     "only \"no error file\" reaches the host"},
    {"SM_eth.exe", "create", "semafor.imp.tmp", "does not name",
     "only the exit code reaches the host"},
    {"SM_eth.exe", "write", "semafor.imp.tmp", "does not name",
     "only the exit code reaches the host"},
    {"SM_eth.exe", "close-written", "semafor.imp.tmp", "does not name",
     "only the exit code reaches the host"},
    {"SM_eth.exe", "rename", "semafor.imp", "does not name", "only the exit code reaches the host"},
};

// True when every fault of `faults` (the sweep's "; "-separated findings,
// before the copy of the operation window) shows one of the symptoms.
inline bool OnlySymptoms(const std::string& faults, const std::string& symptoms) {
    std::string findings;
    std::istringstream lines(faults);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("    |", 0) != 0) findings += line + "; ";
    size_t from = 0;
    for (size_t at; (at = findings.find("; ", from)) != std::string::npos; from = at + 2) {
        std::string finding = findings.substr(from, at - from);
        if (finding.empty() || finding.rfind("stored ", 0) == 0) continue;
        bool shown = false;
        std::istringstream choices(symptoms);
        for (std::string s; std::getline(choices, s, '|');)
            if (finding.find(s) != std::string::npos) shown = true;
        if (!shown) return false;
    }
    return true;
}

inline const KnownFault* FindKnown(const std::string& program, const std::string& op,
                                   const std::string& file, const std::string& faults) {
    for (const KnownFault& k : kKnownFaults)
        if (program == k.program && op == k.op && file == k.file)
            return OnlySymptoms(faults, k.symptoms) ? &k : nullptr;
    return nullptr;
}

}  // namespace krv::test
