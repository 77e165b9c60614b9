// The generator of the whole-chain property test: one seed gives one case, a
// device configuration drawn from the catalogue's parameters, a scale table
// that already holds goods, and a goods file as the host may write it
// (Windows-1250): weighed and piece goods, every status, codes of every
// length (short codes, full weighted codes with '?', codes too long, not
// numbers), prices at the edges of their field, long Polish names and
// descriptions (with '&' line breaks), duplicate numbers and codes, the
// optional tail of a goods line cut anywhere, and partner, VAT, unit,
// cashier, currency, assortment, comment, heading and unknown lines mixed in.
// A few cases carry one malformed goods line (the export must then fail and
// change nothing). The same seed gives the same case on every platform.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace krv::test::chain {

// A goods item the scale holds before the export (both protocols).
struct HeldGoods {
    int plu = 0;
    bool byPiece = false;
    int price = 0;
    int labelFormat = 0;
    int barcodeFormat = 0;
    std::string barcode;  // 14 digits
    int font = 0;
    std::string name;  // ASCII
};

struct Case {
    uint32_t seed = 0;
    std::map<std::string, std::string> params;            // the catalogue's, by name
    std::vector<std::string> formats;                     // weighted-code formats (format.N)
    std::string codePage;                                 // of the DIGI scale
    std::optional<int> specialMessage, ingredientNumber;  // sm_eth.cfg
    std::vector<HeldGoods> held;
    std::vector<std::string> lines;  // the goods file, Windows-1250, no line ends
    bool poisoned = false;           // a malformed goods line is among them
    std::string lineEnd = "\r\n";    // some hosts end lines with LF alone
};

Case GenerateCase(uint32_t seed);

// The goods file as written: the lines with their line ends.
std::string GoodsFile(const Case& c);

}  // namespace krv::test::chain
