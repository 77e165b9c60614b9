// Faults the sweep has found and that are not mended yet. An attempt that
// fails on one of them is listed as known (and does not fail the sweep); one
// that no longer fails is named at the end, so that its line can go.
#pragma once

#include <string>

namespace krv::test {

struct KnownFault {
    const char* program;  // "sweep_export" (the library) or "SM_eth.exe"
    const char* op;       // as in the call log
    const char* file;
    const char* why;
};

inline constexpr KnownFault kKnownFaults[] = {
    // The library: close() of a file it wrote is not checked.
    {"sweep_export", "close-written", "ARCH2.EXP", "close() error of a written file ignored"},
    {"sweep_export", "close-written", "digism.exp", "close() error of a written file ignored"},
    {"sweep_export", "close-written", "wynik.exp", "close() error of a written file ignored"},
    {"sweep_export", "close-written", "wagi.ini", "close() error of a written file ignored"},
    {"sweep_export", "close-written", "sm_eth.ini", "close() error of a written file ignored"},
    // The library: the result is written in place.
    {"sweep_export", "truncate", "wynik.exp", "a result that failed to be written stays"},
    {"sweep_export", "write", "wynik.exp", "a result that failed to be written stays"},
    // The library: a file test that fails reads as "no such file".
    {"sweep_export", "stat", "kasa.exp", "a goods file that cannot be examined is not archived"},
    {"sweep_export", "stat", "SM_eth.exe", "an I/O error reported as a missing program"},
    {"sweep_export", "stat", "digism.err", "an I/O error reported as a missing error file"},
    // The stand-in: nowhere to say why when sm_eth.ini itself is unreadable.
    {"SM_eth.exe", "open", "sm_eth.ini", "only the exit code reaches the host"},
    {"SM_eth.exe", "read", "sm_eth.ini", "only the exit code reaches the host"},
    // The stand-in: an error file it could not write still gets a semaphore.
    {"SM_eth.exe", "open", "digism.err", "semaphore after a failed error file"},
    {"SM_eth.exe", "write", "digism.err", "semaphore after a failed error file"},
    {"SM_eth.exe", "close-written", "digism.err", "semaphore after a failed error file"},
    // The stand-in: the semaphore is written in place.
    {"SM_eth.exe", "open", "semafor.imp", "only the exit code reaches the host"},
    {"SM_eth.exe", "write", "semafor.imp", "a half-written semaphore counts"},
    {"SM_eth.exe", "close-written", "semafor.imp", "a half-written semaphore counts"},
};

inline const KnownFault* FindKnown(const std::string& program, const std::string& op,
                                   const std::string& file) {
    for (const KnownFault& k : kKnownFaults)
        if (program == k.program && op == k.op && file == k.file) return &k;
    return nullptr;
}

}  // namespace krv::test
