// gen_goods: writes a goods file of N goods for the benchmarks and for trying
// the library by hand.
//   gen_goods <path> [goods=100000] [seed=20240229] [weighed percent=35]
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "goods_generator.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <path> [goods] [seed] [weighed percent]\n", argv[0]);
        return 2;
    }
    krv::bench::GoodsFileOptions options;
    if (argc > 2) options.goods = std::atoi(argv[2]);
    if (argc > 3) options.seed = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
    if (argc > 4)
        options.weighedPercent = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10));
    try {
        size_t bytes = krv::bench::WriteGoodsFile(argv[1], options);
        std::printf("%s: %d goods, %zu bytes\n", argv[1], options.goods, bytes);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
