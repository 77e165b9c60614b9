// The library as a benchmark host loads it: by path at run time, with the
// host functions an export needs registered, one export per call.
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "krvdll.h"

namespace bench {

// The host's side of one export: the cookie every callback gets and the
// functions registered for it.
struct ExportHost {
    void* cookie;
    void* interrupt;
    void* parameterValue;
    void* deviceData;
    void* message;  // adding a line and replacing the last one
    void* storeResult;
};

class HostLibrary {
  public:
    // Exits with 2 when the library cannot be loaded: nothing to measure.
    HostLibrary(const char* path, const char* who) {
        so_ = dlopen(path, RTLD_NOW);
        if (!so_) {
            std::fprintf(stderr, "%s: %s\n", who, dlerror());
            std::exit(2);
        }
        reg_ =
            reinterpret_cast<KRVDLLRejestrujBibliotekeFn>(dlsym(so_, "KRVDLLRejestrujBiblioteke"));
        cb_ = reinterpret_cast<KRVDLLRejestrujCallbackFn>(dlsym(so_, "KRVDLLRejestrujCallback"));
        op_ = reinterpret_cast<KRVDLLSerKasOperacjaFn>(dlsym(so_, "KRVDLLSerKasOperacja"));
        release_ =
            reinterpret_cast<KRVDLLZwolnijBibliotekeFn>(dlsym(so_, "KRVDLLZwolnijBiblioteke"));
        if (!reg_ || !cb_ || !op_ || !release_) {
            std::fprintf(stderr, "%s: %s lacks an export\n", who, path);
            std::exit(2);
        }
    }
    HostLibrary(const HostLibrary&) = delete;
    HostLibrary& operator=(const HostLibrary&) = delete;

    // One export for the device handle `device`, on a library object of its own.
    void Export(const ExportHost& host, void* device) const {
        void* lib = reg_(host.cookie, nullptr, nullptr, nullptr);
        cb_(lib, host.interrupt, KRV_CB_INTERRUPT);
        cb_(lib, host.parameterValue, KRV_CB_PARAMETER_VALUE);
        cb_(lib, host.deviceData, KRV_CB_DEVICE_DATA);
        cb_(lib, host.message, KRV_CB_ADD_MESSAGE);
        cb_(lib, host.message, KRV_CB_CHANGE_LAST_MESSAGE);
        cb_(lib, host.storeResult, KRV_CB_STORE_EXPORT_RESULT);
        char buf[KRV_TEXT_BUFFER] = "";
        void* session = nullptr;
        op_(lib, device, &session, buf, KRV_OP_EXPORT, 0);
        release_(lib);
    }

  private:
    void* so_ = nullptr;
    KRVDLLRejestrujBibliotekeFn reg_ = nullptr;
    KRVDLLRejestrujCallbackFn cb_ = nullptr;
    KRVDLLSerKasOperacjaFn op_ = nullptr;
    KRVDLLZwolnijBibliotekeFn release_ = nullptr;
};

}  // namespace bench
