#include "record_check.h"

#include "error_codes.h"
#include "text.h"

namespace krv::smeth {
namespace {

enum class Rule {
    kOperation,  // '0' or '1'
    kDigits,     // digits only
    kOneOf,      // one of the '|'-separated values
    kFontLine,   // all blanks, or a font digit followed by text
    kText,       // anything printable
};

struct Field {
    const char* name;  // UTF-8, for the error text
    int pos;           // 1-based
    int width;
    Rule rule;
    const char* allowed = "";  // kOneOf
};

const std::string kTail = "000 " + std::string(61, '0');

// The record layout in field order. Free texts (name and description lines)
// are only checked for control characters and, for lines that carry a font
// digit, for that digit.
const std::vector<Field>& Layout() {
    static const std::vector<Field> fields = [] {
        std::vector<Field> f = {
            {"operacja", 1, 1, Rule::kOperation},
            {"numer PLU", 2, 8, Rule::kDigits},
            {"rozmiar czcionki nazwy", 10, 1, Rule::kDigits},
            {"nazwa", 11, 29, Rule::kText},
            {"linia nazwy 1", 40, 30, Rule::kFontLine},
            {"linia nazwy 2", 70, 30, Rule::kFontLine},
            {"linia nazwy 3", 100, 30, Rule::kFontLine},
            {"cena", 130, 8, Rule::kDigits},
            {"sprzedaż na sztuki", 138, 1, Rule::kOneOf, "0|1"},
            {"format etykiety", 139, 2, Rule::kDigits},
            {"format kodu kreskowego", 141, 2, Rule::kDigits},
            {"kod kreskowy", 143, 13, Rule::kDigits},
            {"znacznik towaru wagowo-ilościowego", 156, 1, Rule::kOneOf, "0|1"},
            {"stała", 157, 4, Rule::kOneOf, "0001"},
            {"znacznik daty sprzedaży", 161, 1, Rule::kOneOf, "0|1"},
            {"dni do sprzedaży", 162, 3, Rule::kDigits},
            {"stała", 165, 4, Rule::kOneOf, "0000"},
            {"znacznik daty ważności", 169, 1, Rule::kOneOf, "0|1"},
            {"dni ważności", 170, 3, Rule::kDigits},
            {"znacznik daty pakowania", 173, 1, Rule::kOneOf, "0|1"},
            {"stała", 174, 3, Rule::kOneOf, "000"},
            {"godzina pakowania", 177, 4, Rule::kOneOf, "0000|1000"},
            {"stała", 181, 4, Rule::kOneOf, "0000"},
            {"rodzaj sprzedaży", 185, 1, Rule::kOneOf, "1|3"},
        };
        static const char* const kIngredientNames[15] = {
            "linia składu 1",  "linia składu 2",  "linia składu 3",  "linia składu 4",
            "linia składu 5",  "linia składu 6",  "linia składu 7",  "linia składu 8",
            "linia składu 9",  "linia składu 10", "linia składu 11", "linia składu 12",
            "linia składu 13", "linia składu 14", "linia składu 15"};
        for (int i = 0; i < 15; ++i)
            f.push_back({kIngredientNames[i], 186 + 50 * i, 50, Rule::kFontLine});
        f.push_back({"stała końcowa", 936, 65, Rule::kOneOf, kTail.c_str()});
        return f;
    }();
    return fields;
}

bool OneOf(std::string_view value, std::string_view allowed) {
    while (true) {
        size_t bar = allowed.find('|');
        if (value == allowed.substr(0, bar)) return true;
        if (bar == std::string_view::npos) return false;
        allowed.remove_prefix(bar + 1);
    }
}

std::string Alternatives(std::string_view allowed) {
    std::string s;
    for (char c : allowed) s += c == '|' ? std::string(" lub ") : std::string(1, c);
    return s;
}

// "Pole „name” (znaki a-b)" in Windows-1250.
std::string Where(const Field& f) {
    return Cp("Pole „") + Cp(f.name) + Cp("” (znaki ") + std::to_string(f.pos) + "-" +
           std::to_string(f.pos + f.width - 1) + ")";
}

std::optional<RecordFault> CheckField(const Field& f, std::string_view value) {
    switch (f.rule) {
        case Rule::kOperation:
            if (value == "0" || value == "1") return std::nullopt;
            return RecordFault{kRecordOperation, Cp("Nieznana operacja '") + std::string(value) +
                                                     Cp("' (0 zapis, 1 usunięcie PLU)")};
        case Rule::kDigits:
            if (AllDigits(value)) return std::nullopt;
            return RecordFault{kRecordDigits, Where(f) + Cp(" musi zawierać cyfry, jest '") +
                                                  std::string(value) + "'"};
        case Rule::kOneOf:
            if (OneOf(value, f.allowed)) return std::nullopt;
            return RecordFault{kRecordValue, Where(f) + Cp(" musi mieć wartość ") +
                                                 Alternatives(f.allowed) + ", jest '" +
                                                 std::string(value) + "'"};
        case Rule::kFontLine:
            if ((value[0] >= '0' && value[0] <= '9') ||
                value.find_first_not_of(' ') == std::string_view::npos)
                return std::nullopt;
            return RecordFault{kRecordDigits,
                               Where(f) + Cp(" musi być pusta albo zaczynać się cyfrą czcionki")};
        case Rule::kText: return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::vector<InputLine> SplitInput(std::string_view data) {
    std::vector<InputLine> lines;
    int number = 0;
    while (!data.empty()) {
        size_t lf = data.find('\n');
        InputLine line;
        line.number = ++number;
        if (lf == std::string_view::npos) {
            line.text = data;
            data = {};
        } else {
            line.text = data.substr(0, lf);
            data.remove_prefix(lf + 1);
            if (!line.text.empty() && line.text.back() == '\r') {
                line.text.remove_suffix(1);
                line.crlf = true;
            }
        }
        lines.push_back(line);
    }
    return lines;
}

std::optional<RecordFault> CheckLine(const InputLine& line) {
    if (line.text.size() != kRecordSize)
        return RecordFault{kRecordLength, Cp("Rekord ma ") + std::to_string(line.text.size()) +
                                              Cp(" znaków zamiast 1000")};
    if (!line.crlf) return RecordFault{kRecordLineEnd, Cp("Rekord nie kończy się znakami CR LF")};
    return CheckRecord(line.text);
}

std::optional<RecordFault> CheckRecord(std::string_view record) {
    if (record.size() != kRecordSize)
        return RecordFault{kRecordLength, Cp("Rekord ma ") + std::to_string(record.size()) +
                                              Cp(" znaków zamiast 1000")};
    for (size_t i = 0; i < record.size(); ++i) {
        auto c = static_cast<unsigned char>(record[i]);
        if (c < 0x20 || c == 0x7F)
            return RecordFault{kRecordControlChar, Cp("Niedozwolony znak o kodzie ") +
                                                       std::to_string(c) + Cp(" w pozycji ") +
                                                       std::to_string(i + 1)};
    }
    for (const Field& f : Layout()) {
        if (auto fault = CheckField(
                f, record.substr(static_cast<size_t>(f.pos - 1), static_cast<size_t>(f.width))))
            return fault;
    }
    return std::nullopt;
}

std::string PluNumberOf(std::string_view record) {
    if (record.size() < 9) return std::string();
    std::string_view plu = record.substr(1, 8);
    return AllDigits(plu) ? std::string(plu) : std::string();
}

}  // namespace krv::smeth
