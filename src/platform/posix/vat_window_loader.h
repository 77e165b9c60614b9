// Loading the VAT dialog's window module (POSIX).
#pragma once

#include <cstdint>
#include <string>

#include "platform/vat_window.h"

namespace krv::platform {

// The module's path: beside the shared object (or program) that holds the
// library's code.
std::string VatWindowModulePath();

// Shows the model through the module at `modulePath`, loaded now (a module
// once loaded stays loaded). Without the module, or without a display, the
// answer is kVatWindowCancel and *message says why and what to do.
int32_t ShowVatWindowFrom(const std::string& modulePath, VatWindowModel& model, void* owner,
                          std::string* message);

}  // namespace krv::platform
