// The error file of the scale-communication program (digism.err) read by
// the export and turned into messages for the host.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string_view>

#include "action/action_base.h"
#include "fuzz_host.h"
#include "host/library.h"
#include "scale/tarvisco_action.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static krv::fuzz::FuzzHost host;
    host.Write("digism.err", std::string_view(reinterpret_cast<const char*>(data), size));
    auto* library = static_cast<krv::TKSLibrary*>(host.Library());
    std::unique_ptr<krv::TKSActionBase> action = library->UtworzAkcje(host.Device());
    auto* scale = dynamic_cast<krv::TarviscoAction*>(action.get());
    if (!scale) return 0;
    try {
        scale->WeryfikujBledy();
    } catch (const std::exception&) {
        // Error lines end in an exception: what the export reports.
    }
    return 0;
}
