// The host of the fault sweep: one process that exports the goods file of an
// exchange folder through the exported functions, as the host does, once or
// more in a row, and writes what the host saw of each export to a report.
// With KRV_FI_CONTROL set, the file shim counts (and fails) only during the
// first export: the next one shows whether the library recovers in the same
// process.
//
//   sweep_export DIR REPORT file|eth ADDRESS RUNS
//
// After each export the files that must come out the same in every run are
// copied to REPORT.<run>/ (with the scale's table, SWEEP_SCALE_TABLE).
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fakes/fake_host.h"
#include "faults/fi_control.h"
#include "faults/proc_scan.h"
#include "support/cp1250.h"

namespace {

krv_fi_control* MapControl() {
    const char* path = std::getenv("KRV_FI_CONTROL");
    if (!path || !*path) return nullptr;
    int fd = open(path, O_RDWR | O_CLOEXEC);
    if (fd < 0) return nullptr;
    void* p = mmap(nullptr, sizeof(krv_fi_control), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    close(fd);
    return p == MAP_FAILED ? nullptr : static_cast<krv_fi_control*>(p);
}

// The files an export leaves that the sweep compares with a clean run.
const char* const kCompared[] = {"digism.exp", "wagi.ini",    "sm_eth.ini", "wynik.exp",
                                 "digism.err", "semafor.imp", "ARCH2.EXP"};

void CopyIfThere(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in) return;
    std::ofstream(to, std::ios::binary) << in.rdbuf();
}

void Snapshot(const std::string& dir, const std::string& to) {
    mkdir(to.c_str(), 0777);
    for (const char* name : kCompared) CopyIfThere(dir + "/" + name, to + "/" + name);
    if (const char* table = std::getenv("SWEEP_SCALE_TABLE"))
        if (*table) CopyIfThere(table, to + "/scale.txt");
}

void SetParams(krv::test::FakeHost& host, bool ethernet, const std::string& address) {
    host.params = {{"DigiSM_Zlacze", ethernet ? "1" : "0"},
                   {"DigiSM_AdresIP", address},
                   {"DigiSMNazwa", "Waga1"},
                   {"DigiSM_KodyKD", "0"},
                   {"DigiSM_SkadPlu", "1"},
                   {"DigiSM_KodPocz", "1"},
                   {"DigiSM_KodKonc", "999"},
                   {"DigiSM_PrzedrWagowy", "27"},
                   {"DigiSM_FormatKodu", "0"},
                   {"DigiSM_FormatEtyk", "17"},
                   {"DigiSM_RozmiarCzcionki", "6"},
                   {"DigiSM_RozmiarCzcionkiOpis", "3"},
                   {"DigiSM_Timeout", "20"}};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: sweep_export DIR REPORT file|eth ADDRESS RUNS\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ethernet = std::string(argv[3]) == "eth";
    const int runs = std::atoi(argv[5]);
    krv_fi_control* ctl = MapControl();
    std::ofstream report(argv[2], std::ios::binary | std::ios::trunc);

    krv::test::FakeHost host;
    host.exchangeDir = dir + "/";
    SetParams(host, ethernet, argv[4]);
    void* lib = KRVDLLRejestrujBiblioteke(&host, nullptr, nullptr, nullptr);
    host.RegisterAll(lib);
    for (int run = 1; run <= runs; ++run) {
        host.calls.clear();
        host.messages.clear();
        char buffer[KRV_TEXT_BUFFER] = "";
        void* session = nullptr;
        if (ctl && run == 1) ctl->armed = 1;
        int32_t result =
            KRVDLLSerKasOperacja(lib, host.Device(), &session, buffer, KRV_OP_EXPORT, 0);
        if (ctl) ctl->armed = 0;
        int errors = 0;
        for (const auto& m : host.messages)
            if (m.kind == KRV_MSG_ERROR) ++errors;
        report << "run " << run << "\nresult " << result << "\nerrors " << errors << "\nstored "
               << host.CountCalls(KRV_CB_STORE_EXPORT_RESULT) << "\nwynik "
               << (access((dir + "/wynik.exp").c_str(), F_OK) == 0) << "\nalive "
               << krv::test::ProgramsRunning(dir + "/SM_eth.exe") << "\n";
        for (std::string text : host.MessagesUtf8()) {
            std::replace(text.begin(), text.end(), '\n', ' ');
            std::replace(text.begin(), text.end(), '\r', ' ');
            report << "msg " << text << "\n";
        }
        report << "end\n" << std::flush;
        Snapshot(dir, std::string(argv[2]) + "." + std::to_string(run));
    }
    KRVDLLZwolnijBiblioteke(lib);
    return 0;
}
