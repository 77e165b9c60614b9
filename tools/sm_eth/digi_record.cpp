#include "digi_record.h"

namespace krv::smeth {
namespace {

// 0-based offsets of the record's fields.
constexpr size_t kOperation = 0, kPlu = 1, kNameFont = 9, kName = 10, kNameLines = 39, kPrice = 129,
                 kByPiece = 137, kLabelFormat = 138, kBarcodeFormat = 140, kBarcode = 142,
                 kSellFlag = 160, kSellDays = 161, kUseByFlag = 168, kUseByDays = 169,
                 kPackedDate = 172, kPackedTime = 176, kIngredients = 185;
constexpr size_t kNameWidth = 29, kNameLineWidth = 30, kIngredientWidth = 50;

int Digits(std::string_view record, size_t pos, size_t width) {
    int v = 0;
    for (char c : record.substr(pos, width)) v = v * 10 + (c >= '0' && c <= '9' ? c - '0' : 0);
    return v;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A "font digit + text" line; false when it is blank.
bool FontLine(std::string_view field, const tools::CodePage& page, int* lacking,
              tools::digi::TextLine* line) {
    if (TrimRight(field).empty()) return false;
    line->font = field[0] - '0';
    line->text = page.FromCp1250(TrimRight(field.substr(1)), lacking);
    return true;
}

}  // namespace

tools::digi::PluRecord DigiRecordOf(std::string_view r, const tools::CodePage& page,
                                    const LocalSettings& settings, int* lacking) {
    tools::digi::PluRecord d;
    d.plu = static_cast<uint32_t>(Digits(r, kPlu, 8));
    d.by_piece = r[kByPiece] == '1';
    d.print_sell_date = r[kSellFlag] == '1';
    d.print_use_by_date = r[kUseByFlag] == '1';
    d.print_packed_date = r[kPackedDate] == '1';
    d.print_packed_time = r.substr(kPackedTime, 4) == "1000";
    d.price = static_cast<uint32_t>(Digits(r, kPrice, 8));
    d.label_format = Digits(r, kLabelFormat, 2);
    d.barcode_format = Digits(r, kBarcodeFormat, 2);
    d.barcode = std::string(r.substr(kBarcode, 14));
    if (d.print_sell_date) d.sell_by_days = Digits(r, kSellDays, 3);
    if (d.print_use_by_date) d.use_by_days = Digits(r, kUseByDays, 3);
    d.special_message = settings.special_message;
    d.ingredient_number = settings.ingredient_number;

    tools::digi::TextLine line;
    if (std::string_view name = TrimRight(r.substr(kName, kNameWidth)); !name.empty())
        d.name.push_back({r[kNameFont] - '0', page.FromCp1250(name, lacking)});
    for (size_t i = 0; i < 3; ++i)
        if (FontLine(r.substr(kNameLines + i * kNameLineWidth, kNameLineWidth), page, lacking,
                     &line))
            d.name.push_back(line);
    for (size_t i = 0; i < 15; ++i)
        if (FontLine(r.substr(kIngredients + i * kIngredientWidth, kIngredientWidth), page, lacking,
                     &line))
            d.text_block.push_back(line);
    return d;
}

DigiFrame DigiFrameOf(std::string_view record, const tools::CodePage& page,
                      const LocalSettings& settings) {
    DigiFrame f;
    if (record[kOperation] == '1') {
        f.bytes = tools::digi::EncodeDelete({static_cast<uint32_t>(Digits(record, kPlu, 8))});
        return f;
    }
    f.bytes = tools::digi::EncodeWrite(DigiRecordOf(record, page, settings, &f.lacking));
    return f;
}

}  // namespace krv::smeth
