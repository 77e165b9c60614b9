// The VAT dialog where the library was built without a window toolkit: the
// dialog is never shown and every call ends as if the user had cancelled.
#include <cstdio>

#include "platform/vat_window.h"

namespace krv::platform {

int32_t ShowVatWindow(VatWindowModel&, void*) {
    std::fprintf(stderr, "tarvisco: built without a window toolkit, VAT dialog cancelled\n");
    return kVatWindowCancel;
}

}  // namespace krv::platform
