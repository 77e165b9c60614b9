// The write frame's decoder as a property: a record with every optional
// field reads back whole, and every frame cut short of its end (its length
// field made to agree, so that the cut is found inside the record) is refused
// with a reason, never read as a record.
#include <gtest/gtest.h>

#include "digi_frame.h"

namespace krv::test {
namespace {

using tools::digi::Decode;
using tools::digi::Frame;
using tools::digi::Hex;

TEST(DigiFrameProperty, EveryCutOfAFullRecordIsRefusedWithAReason) {
    tools::digi::PluRecord full;
    full.plu = 12345678;
    full.by_piece = true;
    full.print_sell_date = full.print_use_by_date = full.print_packed_date = true;
    full.print_packed_time = true;
    full.price = 99999999;
    full.label_format = 17;
    full.barcode_format = 5;
    full.barcode = "12345678901234";
    full.sell_by_days = 9999;
    full.use_by_days = 12;
    full.special_message = 200;
    full.ingredient_number = 7;
    full.name = {{1, "Ser gouda"}, {2, ""}, {3, "plastry"}};
    full.text_block = {{4, "mleko, sól"}, {5, "podpuszczka"}};
    const std::string frame = tools::digi::EncodeWrite(full);
    std::string error;
    std::optional<Frame> read = Decode(frame, &error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(read->record, full);

    for (size_t size = 0; size < frame.size(); ++size) {
        std::string cut = frame.substr(0, size);
        if (size >= 8) {
            cut[6] = static_cast<char>((size - 2) >> 8);
            cut[7] = static_cast<char>((size - 2) & 0xFF);
        }
        error.clear();
        EXPECT_FALSE(Decode(cut, &error)) << size << ": " << Hex(cut);
        EXPECT_FALSE(error.empty()) << size << ": " << Hex(cut);
    }
}

}  // namespace
}  // namespace krv::test
