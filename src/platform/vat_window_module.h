// The contract between the library and the module that draws the VAT dialog
// where the window toolkit is a separate shared object (Linux: FLTK and X11).
// The library loads the module only when the dialog opens, so that it loads
// itself on a machine without the toolkit. Both sides are built together from
// this header; the version guards against a module from another build.
#pragma once

#include <cstdint>

#include "platform/vat_window.h"

namespace krv::platform {

inline constexpr int32_t kVatWindowModuleVersion = 1;
// What the module's show function answers when there is no display to open.
inline constexpr int32_t kVatWindowNoDisplay = -1;

inline constexpr const char* kVatWindowModuleFile = "libtarvisco_vatwindow.so";
inline constexpr const char* kVatWindowVersionSymbol = "tarvisco_vat_window_version";
inline constexpr const char* kVatWindowShowSymbol = "tarvisco_vat_window_show";

extern "C" {
// kVatWindowModuleVersion of the module's build.
using VatWindowVersionFn = int32_t (*)();
// Shows the model as ShowVatWindow does: kVatWindowOk, kVatWindowCancel, or
// kVatWindowNoDisplay when no display could be opened.
using VatWindowShowFn = int32_t (*)(VatWindowModel* model, void* owner);
}

}  // namespace krv::platform
