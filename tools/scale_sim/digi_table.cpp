#include "digi_table.h"

#include <cstdio>

namespace krv::scalesim {
namespace {

using tools::digi::PluRecord;
using tools::digi::TextLine;

std::string Plu8(uint32_t plu) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08u", static_cast<unsigned>(plu));
    return buf;
}

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonOptional(const std::optional<int>& v) { return v ? std::to_string(*v) : "null"; }
const char* JsonBool(bool b) { return b ? "true" : "false"; }

std::string JsonLines(const std::vector<TextLine>& lines, const tools::CodePage& page) {
    std::string out = "[";
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) out += ",";
        out += "{\"font\":" + std::to_string(lines[i].font) +
               ",\"text\":" + JsonString(page.ToUtf8(lines[i].text)) + "}";
    }
    return out + "]";
}

// Pads UTF-8 text to width characters (printf pads by bytes).
std::string Pad(const std::string& utf8, size_t width) {
    size_t chars = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++chars;
    return chars >= width ? utf8 : utf8 + std::string(width - chars, ' ');
}

}  // namespace

void DigiTable::Put(const PluRecord& record, std::string frame) {
    plus_[record.plu] = {record, std::move(frame)};
}

const PluRecord* DigiTable::Find(uint32_t plu) const {
    auto it = plus_.find(plu);
    return it == plus_.end() ? nullptr : &it->second.record;
}

std::string DigiTable::Serialize() const {
    std::string out;
    for (const auto& [plu, e] : plus_) out += Plu8(plu) + "\t" + tools::digi::Hex(e.frame) + "\n";
    return out;
}

std::optional<DigiTable> DigiTable::Parse(std::string_view text, std::string* error) {
    DigiTable table;
    int number = 0;
    while (!text.empty()) {
        size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
        ++number;
        std::string where = "line " + std::to_string(number) + ": ";
        std::optional<std::string> frame;
        if (line.size() > 9 && line[8] == '\t') frame = tools::digi::FromHex(line.substr(9));
        if (!frame) {
            *error = where + "not <8-digit PLU><TAB><write frame in hex>";
            return std::nullopt;
        }
        std::string why;
        std::optional<tools::digi::Frame> f = tools::digi::Decode(*frame, &why);
        if (!f || f->kind != tools::digi::Frame::Kind::kWrite) {
            *error = where + (f ? "not a write frame" : why);
            return std::nullopt;
        }
        table.Put(f->record, *frame);
    }
    return table;
}

std::string DigiTable::Json(const tools::CodePage& page) const {
    std::string out = "{\"plus\":[";
    bool first = true;
    for (const auto& [plu, e] : plus_) {
        const PluRecord& r = e.record;
        if (!first) out += ",";
        first = false;
        out += "\n{\"plu\":" + std::to_string(r.plu) + ",\"by_piece\":" + JsonBool(r.by_piece) +
               ",\"print_sell_date\":" + JsonBool(r.print_sell_date) +
               ",\"print_use_by_date\":" + JsonBool(r.print_use_by_date) +
               ",\"print_packed_date\":" + JsonBool(r.print_packed_date) +
               ",\"print_packed_time\":" + JsonBool(r.print_packed_time) +
               ",\"price\":" + std::to_string(r.price) +
               ",\"label_format\":" + std::to_string(r.label_format) +
               ",\"barcode_format\":" + std::to_string(r.barcode_format) +
               ",\"barcode\":" + JsonString(r.barcode) +
               ",\"sell_by_days\":" + JsonOptional(r.sell_by_days) +
               ",\"use_by_days\":" + JsonOptional(r.use_by_days) +
               ",\"special_message\":" + JsonOptional(r.special_message) +
               ",\"ingredient_number\":" + JsonOptional(r.ingredient_number) +
               ",\"name\":" + JsonLines(r.name, page) +
               ",\"text_block\":" + JsonLines(r.text_block, page) + "}";
    }
    return out + "\n]}\n";
}

std::string DigiTable::Listing(const tools::CodePage& page) const {
    std::string out = std::to_string(plus_.size()) + (plus_.size() == 1 ? " PLU" : " PLUs") + "\n";
    if (plus_.empty()) return out;
    out += "  PLU       " + Pad("name", 29) +
           "       price  sold       label  barcode          lines\n";
    for (const auto& [plu, e] : plus_) {
        const PluRecord& r = e.record;
        std::string name = r.name.empty() ? "" : page.ToUtf8(r.name[0].text);
        char price[32], tail[96];
        std::snprintf(price, sizeof price, "%7u.%02u", r.price / 100, r.price % 100);
        std::snprintf(tail, sizeof tail, "  %-9s  %2d/%-2d  %-14s  %zu+%zu",
                      r.by_piece ? "by piece" : "by weight", r.label_format, r.barcode_format,
                      r.barcode.c_str(), r.name.size(), r.text_block.size());
        out += "  " + Plu8(plu) + "  " + Pad(name, 29) + "  " + price + tail + "\n";
    }
    return out;
}

}  // namespace krv::scalesim
