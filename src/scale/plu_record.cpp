#include "scale/plu_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

namespace krv {

namespace {

// The record is written in place: every field lands at its offset in a
// record already filled with spaces, so building one allocates nothing.
class RecordWriter {
  public:
    explicit RecordWriter(char* at) : p_(at) {}
    // Left-justified: cut to the width; the spaces are already there.
    void Left(std::string_view text, size_t width) {
        std::memcpy(p_, text.data(), std::min(text.size(), width));
        p_ += width;
    }
    // Right-justified: padded on the left; a longer text keeps its first
    // characters (it never happens with the values the builder is given).
    void Right(std::string_view text, size_t width) {
        if (text.size() >= width) {
            std::memcpy(p_, text.data(), width);
        } else {
            std::memcpy(p_ + (width - text.size()), text.data(), text.size());
        }
        p_ += width;
    }
    // A non-negative number in exactly `width` zero-padded digits.
    void Zero(uint32_t value, size_t width) {
        for (size_t n = width; n > 0; value /= 10) p_[--n] = static_cast<char>('0' + value % 10);
        p_ += width;
    }
    void Char(char c) { *p_++ = c; }
    void Text(std::string_view text) {
        std::memcpy(p_, text.data(), text.size());
        p_ += text.size();
    }
    // The font digit followed by the text, cut to `width` in all.
    void FontLine(char font, std::string_view text, size_t width) {
        *p_ = font;
        std::memcpy(p_ + 1, text.data(), std::min(text.size(), width - 1));
        p_ += width;
    }
    void Skip(size_t width) { p_ += width; }

  private:
    char* p_;
};

char Digit(int32_t value) {
    return static_cast<char>('0' + (value >= 0 && value <= 9 ? value : 0));
}

constexpr char kTail[] = "000 0000000000000000000000000000000000000000000000000000000000000";
static_assert(sizeof kTail - 1 == 65);

// The ingredient lines of `text`, each handed to `line`: at most 15 lines of
// at most 49 characters; "&" forces a line break; text beyond the fifteenth
// line is dropped.
template <typename F>
void CutIngredients(std::string_view text, F&& line) {
    if (text.empty()) return;
    for (int lines = 0; lines < 15; ++lines) {
        size_t amp = text.find('&');
        if (amp != std::string_view::npos) {
            if (amp > 49) {
                line(text.substr(0, 49));
                text.remove_prefix(49);
            } else {
                line(text.substr(0, amp));
                text.remove_prefix(amp + 1);
            }
        } else if (text.size() < 50) {
            line(text);
            break;
        } else {
            line(text.substr(0, 49));
            text.remove_prefix(49);
        }
    }
}

}  // namespace

std::vector<std::string> PotnijSkladniki(std::string text) {
    std::vector<std::string> lines;
    CutIngredients(text, [&](std::string_view l) { lines.emplace_back(l); });
    return lines;
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
    std::string text(8, '0');
    RecordWriter(text.data()).Zero(static_cast<uint32_t>(whole), 8);
    return text;
}

void DopiszRekordPlu(std::string& out, const KSTowRec& rec, int32_t operation,
                     const std::string& pluNumber, const std::string& price,
                     const std::string& barcode, const PluLayout& layout) {
    const bool bySztuka = rec.precyzja == 0;
    const int32_t days = DniTerminu(rec);
    const bool useBy = layout.DataWazn && days != 0;
    const char font = Digit(layout.RozmiarCzcionkiOpis);

    const size_t start = out.size();
    out.append(kPluRecordLength, ' ');
    out.append("\r\n", 2);
    RecordWriter w(out.data() + start);

    w.Char(Digit(operation));
    w.Right(pluNumber, 8);
    w.Char(Digit(layout.RozmiarCzcionki));
    w.Left(rec.nazwa, 29);
    // Name lines: descriptions 1-3 in mode 0 when they are exported.
    const std::string* nazwy[3] = {&rec.opis1, &rec.opis2, &rec.opis3};
    for (const std::string* opis : nazwy) {
        if (layout.DescriptionMode == 0 && layout.EksportujOpisy && !opis->empty())
            w.FontLine(font, *opis, 30);
        else
            w.Skip(30);
    }
    w.Right(price, 8);
    w.Char(bySztuka ? '1' : '0');
    w.Zero(static_cast<uint32_t>(layout.FormatEtyk), 2);
    w.Zero(static_cast<uint32_t>(layout.FormatKodu), 2);
    // The barcode (at most 13 characters) and the weight-or-count flag,
    // right-justified in 14.
    const std::string_view code = std::string_view(barcode).substr(0, 13);
    w.Skip(13 - code.size());
    w.Text(code);
    w.Char(!bySztuka && rec.wagowo_ilosciowy ? '1' : '0');
    w.Text("0001");
    w.Char(layout.DataSprzed ? '1' : '0');
    w.Zero(layout.DataSprzed ? static_cast<uint32_t>(days) : 0u, 3);
    w.Text("0000");
    w.Char(useBy ? '1' : '0');
    w.Zero(useBy ? static_cast<uint32_t>(days) : 0u, 3);
    w.Char(layout.DataPakow ? '1' : '0');
    w.Text("000");
    w.Text(layout.GodzinaPakow ? "1000" : "0000");
    w.Text("0000");
    w.Char(bySztuka ? '1' : '3');
    // Ingredient lines: the chosen descriptions as one text, cut into lines.
    int lines = 0;
    if (layout.DescriptionMode != 0) {
        const std::string* opisy[4] = {&rec.opis1, &rec.opis2, &rec.opis3, &rec.opis4};
        size_t parts = 0, length = 0;
        const std::string* only = nullptr;
        for (size_t i = 0; i < 4; ++i) {
            if (!layout.Desc[i] || opisy[i]->empty()) continue;
            ++parts;
            length += opisy[i]->size();
            only = opisy[i];
        }
        auto put = [&](std::string_view l) {
            w.FontLine(font, l, 50);
            ++lines;
        };
        if (parts == 1) {
            CutIngredients(*only, put);
        } else if (parts > 1) {
            // Kept between records: joining the texts allocates only while
            // the longest text so far grows.
            thread_local std::string joined;
            joined.clear();
            joined.reserve(length);
            for (size_t i = 0; i < 4; ++i)
                if (layout.Desc[i]) joined += *opisy[i];
            CutIngredients(joined, put);
        }
    }
    w.Skip(static_cast<size_t>(15 - lines) * 50);
    w.Text(std::string_view(kTail, 65));
}

}  // namespace krv
