#include <cmath>

#include "support/exception.h"
#include "support/ltools.h"
#include "support/strutil.h"
#include "support/txftools.h"
#include "support/txtools.h"

namespace krv {

int TLTools::Str2Vat(const std::string& text) {
    if (text == "zw") return -1;
    return StrToInt(text);
}

int TLTools::Str2Int(const std::string& text, unsigned decimals) {
    double value = TxfTools::FromString(text, 10, false) * std::pow(10.0, decimals);
    double rounded = TxfTools::Round(value, 0);
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return static_cast<int>(rounded);
}

std::string TLTools::CopyTill(const std::string& text, std::string& out,
                              const std::string& delimiters, int start) {
    out.clear();
    if (start < 1) return out;
    for (size_t i = static_cast<size_t>(start) - 1; i < text.size(); ++i) {
        if (delimiters.find(text[i]) != std::string::npos) break;
        out += text[i];
    }
    return out;
}

std::string TLTools::StrMax(const std::string& text, int maximum, bool ellipsis) {
    size_t limit = maximum < 0 ? 0 : static_cast<size_t>(maximum);
    if (text.size() <= limit) return text;
    std::string cut = text.substr(0, limit);
    if (ellipsis && cut.size() > 3) cut.replace(cut.size() - 3, 3, "...");
    return cut;
}

std::string TLTools::StrSize(std::string& text, int size, char fill, e_just padding,
                             e_just cutting) {
    size_t want = size < 0 ? 0 : static_cast<size_t>(size);
    if (text.size() > want) {
        if (cutting == just_right)
            text.erase(0, text.size() - want);  // keep the end
        else
            text.resize(want);
    } else if (text.size() < want) {
        if (padding == just_right)
            text.insert(0, want - text.size(), fill);
        else
            text.append(want - text.size(), fill);
    }
    return text;
}

void TLTools::KorygujCyfreKontrolnaEAN13(std::string& code) {
    std::string digits = Trim(TxTools(code).DelAnyOtherChar("0123456789").Text());
    digits.resize(12, '0');  // cut to 12, or fill with zeros on the right
    int sum = 0;
    for (size_t i = 0; i < 12; ++i) {
        // The rightmost of the twelve weighs 3, then 1 and 3 alternate.
        int weight = (i % 2 == 1) ? 3 : 1;
        sum += (digits[i] - '0') * weight;
    }
    digits += static_cast<char>('0' + (10 - sum % 10) % 10);
    code = digits;
}

}  // namespace krv
