// The DIGI SM PLU record: one fixed-width line of 1000 characters plus CR LF
// per goods item, the input of the scale-communication program. Building a
// record is a pure function of the goods record, its PLU number and barcode,
// and the label settings, so that every field can be pinned by a table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "exportdata/towrec.h"

namespace krv {

inline constexpr size_t kPluRecordLength = 1000;  // without the CR LF

// The configuration values that shape a record.
struct PluLayout {
    int32_t RozmiarCzcionki = 0;      // font digit of the name (0-9)
    int32_t RozmiarCzcionkiOpis = 0;  // font digit of the description lines (0-9)
    int32_t FormatEtyk = 0;           // label format (two digits)
    int32_t FormatKodu = 0;           // barcode format number (two digits)
    bool DataSprzed = false;          // sell-by date
    bool DataWazn = false;            // use-by date
    bool DataPakow = false;           // packing date
    bool GodzinaPakow = false;        // packing time
    bool EksportujOpisy = false;      // descriptions 1-3 as name lines (mode 0)
    int32_t PoziomCen = 0;            // price level for CenaAkt
    int32_t DescriptionMode = 0;      // 0 name lines, anything else ingredient lines
    std::array<bool, 4> Desc{};       // descriptions 1-4 feeding the ingredient lines
};

// Cuts an ingredient text into at most 15 lines of at most 49 characters;
// "&" forces a line break. Text beyond the fifteenth line is dropped.
std::vector<std::string> PotnijSkladniki(std::string text);

// Shelf-life days as the record carries them: TerminW limited to 0..999.
int32_t DniTerminu(const KSTowRec& rec);

// The unit price field: CenaAkt(PoziomCen) rounded to a whole number (half
// away from zero), eight zero-padded digits. Empty when the price is negative, not a number, or
// needs more than eight digits.
std::string PoleCeny(const KSTowRec& rec, int32_t poziomCen);

// Appends one record (1000 characters and CR LF) to `out`. `operation` is 0
// (write) or 1 (delete); `pluNumber` must be eight digits, `price` the text
// of PoleCeny, `barcode` the 13-character code; the layout's digits must be
// in range. A value longer than its field is cut, never shifting the fields
// after it.
void DopiszRekordPlu(std::string& out, const KSTowRec& rec, int32_t operation,
                     const std::string& pluNumber, const std::string& price,
                     const std::string& barcode, const PluLayout& layout);

}  // namespace krv
