// The reader of `krvhost sales` on arbitrary bytes: every fault is a problem
// with a line number, the summary is always printable.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string_view>

#include "../tools/krvhost/sales_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const krv::host::SalesFile file = krv::host::ParseSalesFile(text);
    for (const auto& problem : file.problems)
        if (problem.line < 1) std::abort();
    std::ostringstream out;
    krv::host::PrintSalesSummary(file, out);
    return 0;
}
