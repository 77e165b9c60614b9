// Listing lines of FTP servers (MLSD, Unix and DOS styles): every line of the
// input through both parsers. A parsed entry must have a name.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "support/ftp_listing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const krv::ListingDate today{2026, 2, 28};
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        for (const auto& entry : {krv::ParseListLine(line, today), krv::ParseMlsdLine(line)}) {
            if (entry && (entry->name.empty() || entry->size < 0)) std::abort();
        }
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return 0;
}
