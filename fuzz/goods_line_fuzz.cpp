// One line of the host's goods file read into a goods record.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string_view>

#include "exportdata/towrec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    krv::KSTowRec rec;
    try {
        rec.FromLine(line, nullptr);
    } catch (const std::exception&) {
        // A malformed line is refused with an exception: that is the contract.
    }
    return 0;
}
