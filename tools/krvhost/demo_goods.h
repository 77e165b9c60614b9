// The goods file of the demo: what a shop's back office would hand over in
// the morning. Weighed and piece goods with Polish names, short codes, all
// four change statuses, and one goods whose code is too long for a short
// code (left out of the PLU file, still confirmed in the result).
#pragma once

#include <string>
#include <vector>

namespace krv::host {

struct DemoGoods {
    int plu;
    const char* code;
    const char* name;  // UTF-8
    int price;         // grosze
    bool weighed;
    const char* status;
    const char* description;  // UTF-8
    int shelf_days;
};

const std::vector<DemoGoods>& DemoGoodsList();
// The whole kasa.exp, in Windows-1250 with CR LF line ends.
std::string DemoGoodsFile();

}  // namespace krv::host
