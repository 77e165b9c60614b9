#include "record_check.h"

#include <gtest/gtest.h>

#include "error_codes.h"
#include "plu_record.h"
#include "support/cp1250.h"

namespace krv::test {
namespace {

using namespace krv::smeth;

// A record in which every free text is filled, so that any position outside
// the free texts holds a digit, a blank or a constant.
PluFields FullRecord() {
    PluFields s;
    s.plu = 12345678;
    s.name = "Nazwa towaru na całą szerokość pola";
    for (auto& line : s.name_lines) line = "Linia nazwy o pełnej długości ....";
    for (auto& line : s.ingredients) line = std::string(60, 'i');
    s.sell_by = s.use_by = s.pack_date = s.pack_time = true;
    s.sell_by_days = 12;
    s.use_by_days = 999;
    return s;
}

TEST(RecordCheck, RecordsOfTheBuilderPass) {
    PluFields weighed;
    weighed.by_piece = false;
    weighed.weighed_by_quantity = true;
    weighed.price = 99999999;
    PluFields deleted;
    deleted.operation = 1;
    deleted.plu = 0;
    PluFields polish;
    polish.name = Utf8ToCp1250("Żółć gęślą jaźń");
    polish.ingredients[0] = Utf8ToCp1250("składniki: mąka, śmietana");
    for (const PluFields& s : {PluFields{}, weighed, deleted, polish, FullRecord()})
        EXPECT_EQ(CheckRecord(BuildRecord(s)), std::nullopt) << BuildRecord(s);
}

// Every position outside the free texts is checked: one wrong character there
// is found, while the same character in a free text passes.
TEST(RecordCheck, EveryFormattedPositionIsChecked) {
    const std::string good = BuildRecord(FullRecord());
    auto in_free_text = [](int pos) {
        if (pos >= 11 && pos <= 39) return true;  // name
        for (int start : {40, 70, 100})
            if (pos > start && pos < start + 30) return true;  // name line text
        for (int i = 0; i < 15; ++i)
            if (pos > 186 + 50 * i && pos < 186 + 50 * (i + 1)) return true;  // ingredient text
        return false;
    };
    for (int pos = 1; pos <= 1000; ++pos) {
        std::string bad = good;
        bad[static_cast<size_t>(pos - 1)] = 'X';
        EXPECT_EQ(CheckRecord(bad).has_value(), !in_free_text(pos)) << "position " << pos;
    }
}

struct Mutation {
    int pos;
    std::string text;
    int code;
    std::string fragment;  // UTF-8, looked for in the error text
};

TEST(RecordCheck, FaultsNameTheFieldAndTheRule) {
    const std::vector<Mutation> cases = {
        {1, "2", kRecordOperation, "operacja '2'"},
        {1, " ", kRecordOperation, "operacja ' '"},
        {5, "A", kRecordDigits, "„numer PLU” (znaki 2-9) musi zawierać cyfry, jest '000A0001'"},
        {10, "x", kRecordDigits, "rozmiar czcionki"},
        {130, " ", kRecordDigits, "„cena” (znaki 130-137)"},
        {138, "2", kRecordValue, "(znaki 138-138) musi mieć wartość 0 lub 1, jest '2'"},
        {139, "a", kRecordDigits, "format etykiety"},
        {150, "-", kRecordDigits, "kod kreskowy"},
        {156, "2", kRecordValue, "wagowo-ilościowego"},
        {157, "0002", kRecordValue, "musi mieć wartość 0001, jest '0002'"},
        {162, "1x3", kRecordDigits, "dni do sprzedaży"},
        {177, "1200", kRecordValue, "musi mieć wartość 0000 lub 1000"},
        {185, "2", kRecordValue, "musi mieć wartość 1 lub 3"},
        {40, "A", kRecordDigits, "linia nazwy 1"},
        {236, "-", kRecordDigits, "linia składu 2"},
        {939, "0", kRecordValue, "stała końcowa"},
        {20, "\t", kRecordControlChar, "kodzie 9 w pozycji 20"},
        {1000, "\x7f", kRecordControlChar, "w pozycji 1000"},
    };
    const std::string good = SimpleRecord(1);
    for (const Mutation& m : cases) {
        std::string bad = good;
        bad.replace(static_cast<size_t>(m.pos - 1), m.text.size(), m.text);
        std::optional<RecordFault> fault = CheckRecord(bad);
        ASSERT_TRUE(fault.has_value()) << "position " << m.pos;
        EXPECT_EQ(fault->code, m.code) << "position " << m.pos;
        EXPECT_NE(Cp1250ToUtf8(fault->text).find(m.fragment), std::string::npos)
            << "position " << m.pos << ": " << Cp1250ToUtf8(fault->text);
    }
}

TEST(RecordCheck, TextsAreWindows1250) {
    std::string bad = SimpleRecord(1);
    bad[134] = 'a';
    EXPECT_EQ(CheckRecord(bad)->text,
              Utf8ToCp1250("Pole „cena” (znaki 130-137) musi zawierać cyfry, jest '00000a00'"));
}

TEST(RecordCheck, LinesNeedTheExactLengthAndCrLf) {
    const std::string rec = SimpleRecord(7);
    EXPECT_EQ(CheckLine({1, rec, true}), std::nullopt);

    std::optional<RecordFault> f = CheckLine({1, rec, false});
    ASSERT_TRUE(f);
    EXPECT_EQ(f->code, kRecordLineEnd);

    for (size_t size : {0, 999, 1001}) {
        std::string text = (rec + "0").substr(0, size);
        f = CheckLine({1, text, true});
        ASSERT_TRUE(f) << size;
        EXPECT_EQ(f->code, kRecordLength);
        EXPECT_EQ(Cp1250ToUtf8(f->text),
                  "Rekord ma " + std::to_string(size) + " znaków zamiast 1000");
    }
}

TEST(RecordCheck, SplitInputNumbersLinesAndKeepsTheirEnds) {
    auto lines = SplitInput("a\r\nbb\ncc\r\nd");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "a");
    EXPECT_TRUE(lines[0].crlf);
    EXPECT_EQ(lines[1].text, "bb");
    EXPECT_FALSE(lines[1].crlf);  // LF alone is not the record end
    EXPECT_TRUE(lines[2].crlf);
    EXPECT_EQ(lines[3].text, "d");
    EXPECT_FALSE(lines[3].crlf);  // no line end after the last record
    EXPECT_EQ(lines[3].number, 4);

    EXPECT_EQ(SplitInput("x\r\ny\r\n").size(), 2u);  // a final line end gives no empty line
    EXPECT_TRUE(SplitInput("").empty());
    lines = SplitInput("\r\n\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "");
    lines = SplitInput("a\rb\r\n");  // a lone CR stays inside the line
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "a\rb");
}

TEST(RecordCheck, PluNumberOnlyWhenItIsDigits) {
    EXPECT_EQ(PluNumberOf(SimpleRecord(4711)), "00004711");
    EXPECT_EQ(PluNumberOf("0123\t5678"), "");
    EXPECT_EQ(PluNumberOf("0123"), "");
}

}  // namespace
}  // namespace krv::test
