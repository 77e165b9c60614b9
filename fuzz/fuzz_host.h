// A small host for the fuzz targets: a library registered through the
// exported functions, parameter values from a table, one exchange folder of
// its own per process, messages counted and dropped.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "krvdll.h"

namespace krv::fuzz {

class FuzzHost {
  public:
    FuzzHost() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "tarvisco_fuzz_XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        dir_ = tmpl + "/";
        lib_ = KRVDLLRejestrujBiblioteke(this, nullptr, nullptr, nullptr);
        KRVDLLRejestrujCallback(lib_, reinterpret_cast<void*>(&Interrupt), KRV_CB_INTERRUPT);
        KRVDLLRejestrujCallback(lib_, reinterpret_cast<void*>(&Value), KRV_CB_PARAMETER_VALUE);
        KRVDLLRejestrujCallback(lib_, reinterpret_cast<void*>(&DeviceData), KRV_CB_DEVICE_DATA);
        KRVDLLRejestrujCallback(lib_, reinterpret_cast<void*>(&Message), KRV_CB_ADD_MESSAGE);
        KRVDLLRejestrujCallback(lib_, reinterpret_cast<void*>(&Message),
                                KRV_CB_CHANGE_LAST_MESSAGE);
        KRVDLLRejestrujCallback(lib_, reinterpret_cast<void*>(&Store), KRV_CB_STORE_EXPORT_RESULT);
    }
    ~FuzzHost() {
        KRVDLLZwolnijBiblioteke(lib_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    FuzzHost(const FuzzHost&) = delete;
    FuzzHost& operator=(const FuzzHost&) = delete;

    void* Library() const { return lib_; }
    void* Device() { return &device_; }
    const std::string& Dir() const { return dir_; }
    std::map<std::string, std::string> params;

    // Writes a file of the exchange folder; the folder is emptied first.
    void Reset() {
        std::error_code ec;
        for (const auto& e : std::filesystem::directory_iterator(dir_, ec))
            std::filesystem::remove_all(e.path(), ec);
    }
    void Write(const char* name, std::string_view bytes) const {
        FILE* f = std::fopen((dir_ + name).c_str(), "wb");
        if (!f) std::abort();
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

  private:
    static FuzzHost* Of(void* cookie) { return static_cast<FuzzHost*>(cookie); }
    static int32_t KRV_CALL Interrupt(void*, void*) { return 0; }
    static int32_t KRV_CALL Value(void* cookie, void*, const char* name, char* value) {
        auto it = Of(cookie)->params.find(name ? name : "");
        std::string v = it == Of(cookie)->params.end() ? std::string() : it->second;
        std::strncpy(value, v.c_str(), KRV_TEXT_MAX);
        value[KRV_TEXT_MAX] = '\0';
        return 1;
    }
    static int32_t KRV_CALL DeviceData(void* cookie, void*, int32_t* first, int32_t* second,
                                       char* a, char* b, char* dir) {
        *first = 1;
        *second = 0;
        a[0] = b[0] = '\0';
        std::strncpy(dir, Of(cookie)->dir_.c_str(), 260);
        dir[260] = '\0';
        return 1;
    }
    static int32_t KRV_CALL Message(void*, void*, int32_t, const char* text) {
        // Reading the whole text is what a host does; a bad pointer shows here.
        return text ? static_cast<int32_t>(std::strlen(text) & 1) : 0;
    }
    static int32_t KRV_CALL Store(void*, void*) { return 1; }

    void* lib_ = nullptr;
    int device_ = 0;
    std::string dir_;
};

}  // namespace krv::fuzz
