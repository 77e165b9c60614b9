#include "scale/plu_record.h"

#include <cmath>

namespace krv {

namespace {

// Left-justified: cut to the width, padded with spaces on the right.
void Left(std::string& out, const std::string& text, size_t width) {
    if (text.size() >= width) {
        out.append(text, 0, width);
    } else {
        out.append(text);
        out.append(width - text.size(), ' ');
    }
}

// Right-justified: padded with spaces on the left; a longer text keeps its
// first characters (it never happens with the values the builder is given).
void Right(std::string& out, const std::string& text, size_t width) {
    if (text.size() >= width) {
        out.append(text, 0, width);
    } else {
        out.append(width - text.size(), ' ');
        out.append(text);
    }
}

// A non-negative number in exactly `width` zero-padded digits.
void Zero(std::string& out, uint32_t value, size_t width) {
    char digits[16];
    size_t n = width;
    while (n > 0) {
        digits[--n] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, width);
}

char Digit(int32_t value) { return static_cast<char>('0' + (value >= 0 && value <= 9 ? value : 0)); }

// The font digit followed by the text, cut or padded to `width` in all.
std::string FontLine(int32_t font, const std::string& text, size_t width) {
    std::string line(1, Digit(font));
    Left(line, text, width - 1);
    return line;
}

constexpr char kTail[] =
    "000 0000000000000000000000000000000000000000000000000000000000000";
static_assert(sizeof kTail - 1 == 65);

}  // namespace

std::vector<std::string> PotnijSkladniki(std::string text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    while (lines.size() < 15) {
        size_t amp = text.find('&');
        if (amp != std::string::npos) {
            if (amp > 49) {
                lines.push_back(text.substr(0, 49));
                text.erase(0, 49);
            } else {
                lines.push_back(text.substr(0, amp));
                text.erase(0, amp + 1);
            }
        } else if (text.size() < 50) {
            lines.push_back(std::move(text));
            break;
        } else {
            lines.push_back(text.substr(0, 49));
            text.erase(0, 49);
        }
    }
    return lines;
}

PluLines BudujLinieOpisu(const KSTowRec& rec, const PluLayout& layout) {
    PluLines out;
    if (layout.DescriptionMode == 0) {
        if (!layout.EksportujOpisy) return out;
        const std::string* opisy[3] = {&rec.opis1, &rec.opis2, &rec.opis3};
        for (size_t i = 0; i < 3; ++i)
            if (!opisy[i]->empty()) out.nazwy[i] = FontLine(layout.RozmiarCzcionkiOpis, *opisy[i], 30);
        return out;
    }
    std::string text;
    const std::string* opisy[4] = {&rec.opis1, &rec.opis2, &rec.opis3, &rec.opis4};
    for (size_t i = 0; i < 4; ++i)
        if (layout.Desc[i]) text += *opisy[i];
    std::vector<std::string> lines = PotnijSkladniki(std::move(text));
    for (size_t i = 0; i < lines.size(); ++i)
        out.skladniki[i] = FontLine(layout.RozmiarCzcionkiOpis, lines[i], 50);
    return out;
}

int32_t DniTerminu(const KSTowRec& rec) {
    if (rec.TerminW < 0) return 0;
    return rec.TerminW > 999 ? 999 : rec.TerminW;
}

std::string PoleCeny(const KSTowRec& rec, int32_t poziomCen) {
    const double price = rec.CenaAkt(poziomCen);
    if (!std::isfinite(price) || price < 0) return {};
    // Half away from zero, the same on every platform's printf.
    const double whole = std::round(price);
    if (whole > 99999999.0) return {};
    std::string text;
    Zero(text, static_cast<uint32_t>(whole), 8);
    return text;
}

void DopiszRekordPlu(std::string& out, const KSTowRec& rec, int32_t operation,
                     const std::string& pluNumber, const std::string& price,
                     const std::string& barcode, const PluLayout& layout) {
    const bool bySztuka = rec.precyzja == 0;
    const int32_t days = DniTerminu(rec);
    const bool useBy = layout.DataWazn && days != 0;
    PluLines lines = BudujLinieOpisu(rec, layout);

    out += Digit(operation);
    Right(out, pluNumber, 8);
    out += Digit(layout.RozmiarCzcionki);
    Left(out, rec.nazwa, 29);
    for (const std::string& line : lines.nazwy) Left(out, line, 30);
    Right(out, price, 8);
    out += bySztuka ? '1' : '0';
    Zero(out, static_cast<uint32_t>(layout.FormatEtyk), 2);
    Zero(out, static_cast<uint32_t>(layout.FormatKodu), 2);
    Right(out, barcode.substr(0, 13) + (!bySztuka && rec.wagowo_ilosciowy ? '1' : '0'), 14);
    out += "0001";
    out += layout.DataSprzed ? '1' : '0';
    Zero(out, layout.DataSprzed ? static_cast<uint32_t>(days) : 0u, 3);
    out += "0000";
    out += useBy ? '1' : '0';
    Zero(out, useBy ? static_cast<uint32_t>(days) : 0u, 3);
    out += layout.DataPakow ? '1' : '0';
    out += "000";
    out += layout.GodzinaPakow ? "1000" : "0000";
    out += "0000";
    out += bySztuka ? '1' : '3';
    for (const std::string& line : lines.skladniki) Left(out, line, 50);
    out.append(kTail, 65);
    out += "\r\n";
}

}  // namespace krv
