// krvhost's side of the host contract: it registers with the library, answers
// every callback from the device profile, shows messages in the operation
// window and takes the export result when the library hands it over.
#pragma once

#include <set>
#include <string>

#include "catalogue.h"
#include "library.h"
#include "profile.h"
#include "result_file.h"
#include "translations.h"
#include "window.h"

namespace krv::host {

class Host {
  public:
    Host(const LibraryApi& api, Profile& profile, OperationWindow& window,
         const Translations* translations);
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    // Registers with the library and hands it every callback. The catalogue is
    // read afterwards, so that its texts come translated.
    bool Start(std::string* error);
    void Stop();

    void* Handle() const { return handle_; }
    void* Device() { return &device_; }
    const Catalogue& GetCatalogue() const { return catalogue_; }

    // The device's exchange directory in Windows-1250, ending with the
    // separator: the profile's exchange_dir, else the profile's own folder.
    std::string ExchangeDir() const;

    // Runs KRV_OP_EXPORT (or KRV_OP_AUTO_EXPORT) and tells whether the result
    // was stored.
    bool Export(bool automatic);
    const ExportResult& Result() const { return result_; }

    // Runs KRV_OP_DEVICE_FUNCTION, which only reads the device's parameters:
    // the library's own look at the profile without touching a file. The
    // names it asked for are in ParametersRead() afterwards.
    void DeviceFunction();
    const std::set<std::string>& ParametersRead() const { return read_; }

    // A parameter's value as the library gets it (UTF-8): the profile's
    // [parameters], else [hidden], else the catalogue default.
    std::string Value(const std::string& name) const;

    // Every callback call is logged on standard error.
    bool trace = false;

    // --- callback bodies (the static shims in host.cpp call these) ---
    int32_t Interrupt();
    void ParameterValue(const char* name, char* value300);
    void DeviceData(int32_t* first, int32_t* second, char* a300, char* b300, char* dir260);
    void Message(bool replace, int32_t kind, const char* text);
    int32_t WeightedFormat(int32_t index, char* format300);
    int32_t VatRate(int32_t index, int32_t* rate, bool hundredths);
    int32_t StoreExportResult();
    int32_t StoreOther(int32_t code);
    void RefreshParameters();
    int32_t ChangeParameter(const char* name, const char* value);
    int32_t TakeResource(const char* resource);
    void ReleaseResource(const char* resource);
    void Trace(int code, const std::string& what) const;

  private:
    std::vector<int> Rates(bool hundredths) const;

    const LibraryApi& api_;
    Profile& profile_;
    OperationWindow& window_;
    const Translations* translations_;
    Catalogue catalogue_;
    void* handle_ = nullptr;
    int device_ = 1;
    std::set<std::string> resources_;
    std::set<std::string> read_;  // parameter names asked for (callback 6)
    bool stored_ = false;
    ExportResult result_;
};

}  // namespace krv::host
