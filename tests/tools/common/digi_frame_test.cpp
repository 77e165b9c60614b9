// The DIGI frames that sm_eth builds from goods-file records, and the
// simulator's decoder that reads them back.
#include <gtest/gtest.h>

#include <random>

#include "codepage.h"
#include "digi_frame.h"
#include "digi_record.h"
#include "plu_record.h"
#include "record_check.h"
#include "support/cp1250.h"

namespace krv::test {
namespace {

using tools::CodePage;
using tools::digi::Decode;
using tools::digi::Frame;
using tools::digi::FromHex;
using tools::digi::Hex;

std::string Bytes(const char* hex) { return FromHex(hex).value(); }

const CodePage& Cp1250Page() {
    static const CodePage page = CodePage::Named("windows-1250").value();
    return page;
}

// The record that matches the 61-byte frame known to load on a real scale:
// PLU 1, 284.39, weighed, label 17, barcode format 5, barcode 22000140000000,
// sell-by 3 days, sell date, packed date and packed time printed, a 7-character
// name in font 7 and a 17-character name line in font 3.
PluFields ReferenceGoods() {
    PluFields f;
    f.plu = 1;
    f.price = 28439;
    f.by_piece = false;
    f.label_format = 17;
    f.barcode_format = 5;
    f.barcode = "2200014000000";  // + the flag digit 0
    f.sell_by = true;
    f.sell_by_days = 3;
    f.pack_date = true;
    f.pack_time = true;
    f.font = 7;
    f.name = Utf8ToCp1250("Kiełbas");
    f.line_font = 3;
    f.name_lines[0] = Utf8ToCp1250("\"Śląska swojska\"!");
    return f;
}

TEST(DigiFrame, ReferenceRecordGivesTheKnownFrameByteForByteApartFromTheText) {
    PluFields goods = ReferenceGoods();
    std::string record = BuildRecord(goods);
    ASSERT_FALSE(smeth::CheckRecord(record));
    smeth::DigiFrame frame = smeth::DigiFrameOf(record, Cp1250Page(), smeth::LocalSettings{});

    // The known frame with our texts in place of its own (same fonts, lengths, terminators).
    std::string expected = Bytes(
        "F1 25 00 00 00 01 00 3B 54 00 0D 26 01 00 02 84 39 11 05 22 00 01 40 00 00 00 00 03 01 "
        "01");
    expected += Bytes("07 07") + goods.name + Bytes("0D");
    expected += Bytes("03 11") + goods.name_lines[0] + Bytes("0C 00");
    ASSERT_EQ(expected.size(), 61u);
    EXPECT_EQ(Hex(frame.bytes), Hex(expected));
    EXPECT_EQ(frame.lacking, 0);

    // The same goods for a Russian scale: the Polish letters it lacks become '?'.
    smeth::DigiFrame cyrillic =
        smeth::DigiFrameOf(record, CodePage::Named("cp866").value(), smeth::LocalSettings{});
    EXPECT_EQ(cyrillic.bytes.size(), 61u);
    EXPECT_EQ(cyrillic.bytes.substr(32, 7), "Kie?bas");
    EXPECT_EQ(cyrillic.lacking, 3);  // ł, Ś, ą
}

TEST(DigiFrame, DeleteAndClearFrames) {
    EXPECT_EQ(Hex(tools::digi::EncodeDelete({140, 141})), "F3 25 00 00 01 40 00 00 01 41");
    EXPECT_EQ(Hex(tools::digi::EncodeClear()), "F2 25");
    // A delete record of the goods file is a delete of its PLU only.
    PluFields goods = ReferenceGoods();
    goods.operation = 1;
    goods.plu = 12345678;
    smeth::DigiFrame del =
        smeth::DigiFrameOf(BuildRecord(goods), Cp1250Page(), smeth::LocalSettings{});
    EXPECT_EQ(Hex(del.bytes), "F3 25 12 34 56 78");

    std::string error;
    std::optional<Frame> f = Decode(Bytes("F3 25 00 00 01 40 00 00 01 41"), &error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->kind, Frame::Kind::kDelete);
    EXPECT_EQ(f->deleted, (std::vector<uint32_t>{140, 141}));
    f = Decode(Bytes("F2 25"), &error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->kind, Frame::Kind::kClear);

    // Where a receiver's frame ends: a delete has no length, but the next
    // command byte (never a packed digit pair) ends it.
    using tools::digi::FrameSize;
    EXPECT_EQ(FrameSize(Bytes("F3 25 00 00 00 30 F3 25 00 00 00 30")), 6u);
    EXPECT_EQ(FrameSize(Bytes("F3 25 00 00 00 30 F2 25")), 6u);
    EXPECT_EQ(FrameSize(Bytes("F3 25 00 00 00 30 00 00")), SIZE_MAX) << "may go on";
    EXPECT_EQ(FrameSize(Bytes("F2 25 F2 25")), 2u);
    EXPECT_EQ(FrameSize(Bytes("F1 25 00 00 00 01 00")), 0u) << "length not yet there";
    EXPECT_EQ(FrameSize(Bytes("F1 25 00 00 00 01 00 3B")), 61u);
}

TEST(DigiFrame, SettingsLeaveOutTheMessageAndIngredientNumbers) {
    smeth::LocalSettings settings;
    settings.special_message.reset();
    settings.ingredient_number = 9;
    std::string bytes =
        smeth::DigiFrameOf(BuildRecord(ReferenceGoods()), Cp1250Page(), settings).bytes;
    EXPECT_EQ(bytes.size(), 60u);
    EXPECT_EQ(static_cast<unsigned char>(bytes[11]), 0x24) << "name and ingredient number only";
    EXPECT_EQ(bytes[28], 9);
    EXPECT_EQ(bytes[7], 58) << "the record length follows";
}

// Text without trailing blanks (the record pads them away) from the whole
// Windows-1250 range of printable characters.
std::string RandomText(std::mt19937& rng, size_t max) {
    static const std::string alphabet = Utf8ToCp1250("abcXYZ 0189-,.\"'&ąćęłńóśźżĄĆĘŁŃÓŚŹŻ€äü§");
    std::string s(std::uniform_int_distribution<size_t>(0, max)(rng), ' ');
    for (char& c : s)
        c = alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
}

TEST(DigiFrame, RandomRecordsComeBackFromTheDecoderWithEveryField) {
    std::mt19937 rng(20261208);
    auto number = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int round = 0; round < 400; ++round) {
        PluFields g;
        g.plu = number(0, 99999999);
        g.font = number(0, 9);
        g.line_font = number(0, 9);
        g.description_font = number(0, 9);
        g.name = RandomText(rng, 29);
        for (std::string& l : g.name_lines) l = number(0, 1) ? RandomText(rng, 29) : "";
        for (std::string& l : g.ingredients) l = number(0, 2) == 0 ? RandomText(rng, 49) : "";
        g.price = number(0, 99999999);
        g.by_piece = number(0, 1);
        g.weighed_by_quantity = number(0, 1);
        g.label_format = number(0, 99);
        g.barcode_format = number(0, 99);
        g.barcode =
            std::to_string(number(1000000, 9999999)) + std::to_string(number(100000, 999999));
        g.sell_by = number(0, 1);
        g.sell_by_days = number(0, 999);
        g.use_by = number(0, 1);
        g.use_by_days = number(0, 999);
        g.pack_date = number(0, 1);
        g.pack_time = number(0, 1);
        std::string record = BuildRecord(g);
        ASSERT_FALSE(smeth::CheckRecord(record)) << round;

        smeth::DigiFrame frame = smeth::DigiFrameOf(record, Cp1250Page(), smeth::LocalSettings{});
        std::string error;
        std::optional<Frame> f = Decode(frame.bytes, &error);
        ASSERT_TRUE(f) << round << ": " << error << "\n" << Hex(frame.bytes);
        ASSERT_EQ(f->kind, Frame::Kind::kWrite);
        const tools::digi::PluRecord& d = f->record;
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(d.plu, static_cast<uint32_t>(g.plu));
        EXPECT_EQ(d.price, static_cast<uint32_t>(g.price));
        EXPECT_EQ(d.by_piece, g.by_piece);
        EXPECT_EQ(d.label_format, g.label_format);
        EXPECT_EQ(d.barcode_format, g.barcode_format);
        EXPECT_EQ(d.barcode, g.barcode + (!g.by_piece && g.weighed_by_quantity ? "1" : "0"));
        EXPECT_EQ(d.print_sell_date, g.sell_by);
        EXPECT_EQ(d.sell_by_days, g.sell_by ? std::optional<int>(g.sell_by_days) : std::nullopt);
        bool use_by = g.use_by && g.use_by_days != 0;
        EXPECT_EQ(d.print_use_by_date, use_by);
        EXPECT_EQ(d.use_by_days, use_by ? std::optional<int>(g.use_by_days) : std::nullopt);
        EXPECT_EQ(d.print_packed_date, g.pack_date);
        EXPECT_EQ(d.print_packed_time, g.pack_time);
        EXPECT_EQ(d.special_message, 1);
        EXPECT_EQ(d.ingredient_number, 1);

        std::vector<tools::digi::TextLine> name, block;
        if (!g.name.empty()) name.push_back({g.font, g.name});
        for (const std::string& l : g.name_lines)
            if (!l.empty()) name.push_back({g.line_font, l});
        for (const std::string& l : g.ingredients)
            if (!l.empty()) block.push_back({g.description_font, l});
        EXPECT_EQ(d.name, name);
        EXPECT_EQ(d.text_block, block);
    }
}

// A write frame may leave out the barcode fields; the record read from it
// must encode to a frame that reads back the same (what the simulator stores
// is what it would send on).
TEST(DigiFrame, FrameWithoutBarcodeDataReadsAsTheBarcodeTheEncoderSendsForNone) {
    // Status 2 has only the label-format bit: no barcode format, no barcode data.
    const std::string frame = Bytes(
        "F1 25 00 00 00 01 00 3B 54 00 01 00 00 00 39 11 05 22 00 00 00 00 00 00 00 00 00 00 00 00 "
        "00 00 00 00"
        " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    std::string error;
    std::optional<Frame> f = Decode(frame, &error);
    ASSERT_TRUE(f) << error;
    EXPECT_EQ(f->record.plu, 1u);
    EXPECT_EQ(f->record.price, 391105u);
    EXPECT_EQ(f->record.label_format, 0x22);
    EXPECT_EQ(f->record.barcode_format, 0);
    EXPECT_EQ(f->record.barcode, "00000000000000");
    std::optional<Frame> back = Decode(tools::digi::EncodeWrite(f->record), &error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->record, f->record);
    // An empty barcode is sent as 14 zeros, and read back as them.
    std::optional<Frame> none = Decode(tools::digi::EncodeWrite(tools::digi::PluRecord{}), &error);
    ASSERT_TRUE(none) << error;
    EXPECT_EQ(none->record.barcode, "00000000000000");
}

TEST(DigiFrame, DecoderRefusesWhatItCannotRead) {
    const std::string good = tools::digi::EncodeWrite(tools::digi::PluRecord{});
    std::string error;
    ASSERT_TRUE(Decode(good, &error)) << error;
    auto with = [&](size_t at, unsigned char value) {
        std::string b = good;
        b[at] = static_cast<char>(value);
        return b;
    };
    std::string padded = good + std::string(4, '\0');
    padded[7] = static_cast<char>(padded[7] + 4);  // a longer length, zero padding: still read
    EXPECT_TRUE(Decode(padded, &error)) << error;
    for (const std::string& bad : {
             with(0, 0xF4),   // unknown command
             with(1, 0x26),   // another file
             with(2, 0x0A),   // PLU digit out of range
             with(7, 0x30),   // length does not match
             with(10, 0x1D),  // main group: a field of unknown size
             with(11, 0x01),  // quantity symbol
             with(12, 0x08),  // packed date from the clock
             with(13, 0xA0),  // price digit out of range
             good.substr(0, good.size() - 1),
             Bytes("F3 25 00 00 01"),  // half a PLU number
             Bytes("F3 25"),           // nothing to delete
             Bytes("F2 25 00"),        // clear with a body
             Bytes("F1"),
         }) {
        error.clear();
        EXPECT_FALSE(Decode(bad, &error)) << Hex(bad);
        EXPECT_FALSE(error.empty()) << Hex(bad);
    }
    // A name line whose length runs past the record.
    tools::digi::PluRecord named;
    named.name = {{1, "abc"}};
    std::string frame = tools::digi::EncodeWrite(named);
    frame[frame.size() - 6] = 9;
    EXPECT_FALSE(Decode(frame, &error));
}

TEST(CodePage, PolishTextInTheScalesPages) {
    const std::string text = Utf8ToCp1250("Zażółć gęślą jaźń €");
    struct Case {
        const char* name;
        const char* hex;  // of "ażółć" after the Z
        int lacking;
    };
    for (const Case& c :
         {Case{"cp852", "61 BE A2 88 86", 1}, Case{"ISO-8859-2", "61 BF F3 B3 E6", 1},
          Case{"Windows-1250", "61 BF F3 B3 E6", 0}, Case{"866", "61 3F 3F 3F 3F", 10}}) {
        std::optional<CodePage> page = CodePage::Named(c.name);
        ASSERT_TRUE(page) << c.name;
        int lacking = 0;
        std::string out = page->FromCp1250(text, &lacking);
        EXPECT_EQ(out.size(), text.size());
        EXPECT_EQ(Hex(out.substr(1, 5)), c.hex) << c.name;
        EXPECT_EQ(lacking, c.lacking) << c.name;
        if (c.lacking == 1) {
            EXPECT_EQ(page->ToUtf8(out), "Zażółć gęślą jaźń ?") << c.name;
        }
    }
    EXPECT_FALSE(CodePage::Named("utf-8"));
    EXPECT_FALSE(CodePage::Named(""));
}

}  // namespace
}  // namespace krv::test
