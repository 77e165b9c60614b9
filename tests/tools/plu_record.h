// Builds PLU records in the fixed-width format of the goods file for the scale,
// for the tests of the scale tools.
#pragma once

#include <array>
#include <string>

namespace krv::test {

struct PluFields {
    int operation = 0;  // 0 write, 1 delete
    int plu = 1;
    int font = 1;
    std::string name = "Towar";             // Windows-1250
    std::array<std::string, 3> name_lines;  // text after the font digit; empty: blank line
    int line_font = -1;                     // font of the name lines; -1: the name's font
    double price = 100;                     // hundredths
    bool by_piece = true;
    int label_format = 1;
    int barcode_format = 1;
    std::string barcode = "2700123000000";  // 13 characters
    bool weighed_by_quantity = false;
    bool sell_by = false;
    int sell_by_days = 0;
    bool use_by = false;
    int use_by_days = 0;
    bool pack_date = false;
    bool pack_time = false;
    int description_font = 1;
    std::array<std::string, 15> ingredients;  // text after the font digit; empty: blank line
};

// The 1000 characters of the record, without its CR LF.
std::string BuildRecord(const PluFields& fields);

// The record of a plain goods item.
std::string SimpleRecord(int plu, int operation = 0, const std::string& name = "Towar",
                         double price = 100);

}  // namespace krv::test
