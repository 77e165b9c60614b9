#include "plu_table.h"

namespace krv::scalesim {

std::string PluTable::Serialize() const {
    std::string out;
    for (const auto& [plu, record] : records_) {
        out += plu;
        out += '\t';
        out += record;
        out += '\n';
    }
    return out;
}

std::optional<PluTable> PluTable::Parse(std::string_view text, std::string* error) {
    PluTable table;
    int number = 0;
    while (!text.empty()) {
        size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        ++number;
        if (line.size() < 9 || line[8] != '\t' ||
            line.substr(0, 8).find_first_not_of("0123456789") != std::string_view::npos) {
            *error = "line " + std::to_string(number) + " is not <8-digit PLU><TAB><record>";
            return std::nullopt;
        }
        table.Put(std::string(line.substr(0, 8)), std::string(line.substr(9)));
    }
    return table;
}

}  // namespace krv::scalesim
