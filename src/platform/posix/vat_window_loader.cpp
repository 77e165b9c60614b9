// The VAT dialog on POSIX: the window is drawn by a module loaded only when
// the dialog opens, so that the library itself needs neither FLTK nor X11 and
// loads on a server without them.
#include "platform/posix/vat_window_loader.h"

#include <dlfcn.h>

#include <cstdio>

#include "platform/vat_window_module.h"

namespace krv::platform {

namespace {

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Missing(const std::string& path, const char* why) {
    return "the VAT dialog cannot open: " + path + ": " + why + "; install " +
           kVatWindowModuleFile +
           " (built with FLTK 1.3, needs FLTK and X11) beside the library. Taken as cancelled";
}

}  // namespace

std::string VatWindowModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&VatWindowModulePath), &info) == 0 || !info.dli_fname)
        return kVatWindowModuleFile;
    return DirectoryOf(info.dli_fname) + kVatWindowModuleFile;
}

int32_t ShowVatWindowFrom(const std::string& modulePath, VatWindowModel& model, void* owner,
                          std::string* message) {
    message->clear();
    // The toolkit keeps process-wide state: the module is never unloaded.
    void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* error = dlerror();
        *message = Missing(modulePath, error ? error : "cannot be loaded");
        return kVatWindowCancel;
    }
    auto version = reinterpret_cast<VatWindowVersionFn>(dlsym(module, kVatWindowVersionSymbol));
    auto show = reinterpret_cast<VatWindowShowFn>(dlsym(module, kVatWindowShowSymbol));
    if (!version || !show || version() != kVatWindowModuleVersion) {
        *message = Missing(modulePath, "is not the module of this library's version");
        return kVatWindowCancel;
    }
    int32_t result = show(&model, owner);
    if (result == kVatWindowNoDisplay) {
        *message =
            "the VAT dialog cannot open: no display (DISPLAY is not set or the X server "
            "refuses the connection); run the host in a desktop session. Taken as cancelled";
        return kVatWindowCancel;
    }
    return result == kVatWindowOk ? kVatWindowOk : kVatWindowCancel;
}

int32_t ShowVatWindow(VatWindowModel& model, void* owner) {
    std::string message;
    int32_t result = ShowVatWindowFrom(VatWindowModulePath(), model, owner, &message);
    if (!message.empty()) std::fprintf(stderr, "tarvisco: %s\n", message.c_str());
    return result;
}

}  // namespace krv::platform
