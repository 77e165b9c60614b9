// Writes realistic goods files (the host's kasa.exp) of any size for the
// benchmarks: weighed and piece goods, short codes and full codes with '?',
// descriptions, all four statuses, VAT rates and units. The same seed gives
// the same bytes on every platform.
#pragma once

#include <cstdint>
#include <string>

namespace krv::bench {

struct GoodsFileOptions {
    int goods = 100000;
    uint32_t seed = 20240229;
    // Share of weighed goods; 70 % of them carry a full 13-character scale
    // code. A scale's own goods file is mostly weighed goods.
    uint32_t weighedPercent = 35;
};

// The whole file as Windows-1250 text with CR LF line ends.
std::string GenerateGoodsFile(const GoodsFileOptions& options);

// Writes it to `path`; returns the number of bytes written.
size_t WriteGoodsFile(const std::string& path, const GoodsFileOptions& options);

}  // namespace krv::bench
