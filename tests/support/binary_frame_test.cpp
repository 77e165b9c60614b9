#include "support/binary_frame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "support/cp1250.h"
#include "support/exception.h"

namespace krv::test {
namespace {

// A frame whose Compose writes what the test asked for.
class Frame : public TBinaryFrame {
  public:
    using TBinaryFrame::TBinaryFrame;
    int composed = 0;
    int analyzed = 0;

  protected:
    void Compose() override { ++composed; }
    void Analyze() override { ++analyzed; }
};

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return Cp1250ToUtf8(e.Message());
    }
    return "(no exception)";
}

TEST(TBinaryFrameTest, FieldsFollowEachOtherAndNumbersTravelMostSignificantFirst) {
    Frame f;
    EXPECT_EQ(f.Data()[0], 0xFF);  // a fresh buffer
    int s = f.AddField(2);
    int t = f.AddTextField(3);
    int b = f.AddBCDField(2);
    int l = f.AddField(4);
    EXPECT_EQ(f.FieldPosition(l), 7u);
    EXPECT_EQ(f.GetDataSize(), 11u);
    f.SetFieldAsShort(s, 0x1234);
    f.SetFieldAsString(t, "AB");
    f.SetFieldAsString(b, "123");
    f.SetFieldAsInteger(l, 0x01020304);
    uint8_t* wire = f.GetFrame();
    EXPECT_EQ(f.composed, 1);
    const uint8_t want[] = {0x12, 0x34, 'A', 'B', ' ', 0x23, 0x01, 1, 2, 3, 4};
    EXPECT_EQ(std::memcmp(wire, want, sizeof want), 0);

    // Received in wire order, Process restores the values.
    Frame in;
    in.AddField(2), in.AddTextField(3), in.AddBCDField(2), in.AddField(4);
    std::memcpy(in.Data(), want, sizeof want);
    in.Process();
    EXPECT_EQ(in.analyzed, 1);
    EXPECT_EQ(in.GetFieldAsShort(s), 0x1234);
    EXPECT_EQ(in.GetFieldAsString(t), "AB ");  // text keeps its byte order
    EXPECT_EQ(in.GetFieldAsString(b), "0123");
    EXPECT_EQ(in.GetFieldAsInteger(l), 0x01020304);

    Frame native;
    native.SetNativeOrder(true);
    native.AddField(2);
    native.SetFieldAsShort(0, 0x1234);
    EXPECT_EQ(native.GetFrame()[0], 0x34);
}

TEST(TBinaryFrameTest, ZeroTerminatedTextsMoveTheFieldsBehindThem) {
    Frame f;
    int name = f.AddTextField(0);
    int n = f.AddField(2);
    EXPECT_EQ(f.FieldKind(name), TBinaryFrame::kZeroText);
    f.SetFieldAsString(name, "hello");
    EXPECT_EQ(f.FieldLength(name), 6u);
    EXPECT_EQ(f.FieldPosition(n), 6u);
    f.SetFieldAsShort(n, 7);
    EXPECT_EQ(f.GetFieldAsString(name), "hello");

    uint8_t received[16] = {'x', 'y', 0, 0x00, 0x05, 0xEE};
    Frame in(received, sizeof received);
    in.AddTextField(0);
    in.AddField(2);
    in.Process();
    EXPECT_EQ(in.FieldLength(0), 3u);
    EXPECT_EQ(in.GetFieldAsString(0), "xy");
    EXPECT_EQ(in.GetFieldAsShort(1), 5);
}

TEST(TBinaryFrameTest, AccessorsHonourFieldLengths) {
    Frame f;
    int one = f.AddField(1), two = f.AddField(2), three = f.AddField(3), eight = f.AddField(8);
    int nine = f.AddField(9), text = f.AddTextField(4);
    f.SetFieldAsUChar(one, 0xAB);
    EXPECT_EQ(f.GetFieldAsShort(one), 0xAB);
    EXPECT_EQ(f.GetFieldAsUChar(one), 0xAB);
    f.SetFieldAsInteger(three, -1);  // the lowest three bytes only
    EXPECT_EQ(f.GetFieldAsInteger(three), 0xFFFFFF);
    EXPECT_EQ(f.GetFieldAsUInt(two), 0xFFFFu);  // untouched fresh bytes
    f.SetFieldAsI64(eight, -2);
    EXPECT_EQ(f.GetFieldAsI64(eight), -2);
    f.SetFieldAsUInt64(eight, 0x1122334455667788ull);
    EXPECT_EQ(f.GetFieldAsUInt64(eight), 0x1122334455667788ull);

    EXPECT_EQ(MessageOf([&] { f.SetFieldAsShort(one, 1); }),
              "SetFieldAsShort użyto do pola o długości <2!");
    EXPECT_EQ(MessageOf([&] { f.GetFieldAsShort(three); }),
              "GetFieldAsShort użyto do pola o długości >2!");
    EXPECT_EQ(MessageOf([&] { f.GetFieldAsInteger(eight); }),
              "GetFieldAsInteger użyto do pola o długości >4!");
    EXPECT_EQ(MessageOf([&] { f.GetFieldAsUInt(eight); }),
              "GetFieldAsUInt użyto do pola o długości >4!");
    EXPECT_EQ(MessageOf([&] { f.GetFieldAsI64(nine); }),
              "GetFieldAsI64 użyto do pola o długości >8!");
    EXPECT_EQ(MessageOf([&] { f.GetFieldAsUInt64(nine); }),
              "GetFieldAsUInt64 użyto do pola o długości >8!");
    EXPECT_NE(MessageOf([&] { f.GetFieldAsUChar(two); }), "(no exception)");
    EXPECT_EQ(MessageOf([&] { f.SetFieldAsString(two, "1"); }),
              "TBinaryFrame: Próba przypisania stringu do pola binarnego!");
    EXPECT_EQ(MessageOf([&] { f.GetFieldAsString(two); }),
              "TBinaryFrame: Próba odczytania stringu z pola binarnego!");
    f.SetFieldAsString(text, "ABCDEF");  // cut to the field
    EXPECT_EQ(f.GetFieldAsString(text), "ABCD");
    EXPECT_NE(MessageOf([&] { f.GetFieldAsShort(99); }), "(no exception)");
}

TEST(TBinaryFrameTest, BcdPacksFromTheEndAndRejectsNonDigits) {
    Frame f;
    int b = f.AddBCDField(3);
    f.SetFieldAsString(b, "123");
    EXPECT_EQ(f.Data()[0], 0x00);
    EXPECT_EQ(f.Data()[1], 0x01);
    EXPECT_EQ(f.Data()[2], 0x23);
    EXPECT_EQ(f.GetFieldAsString(b), "000123");
    f.SetFieldAsString(b, "98765432");  // too many digits: the last ones stay
    EXPECT_EQ(f.GetFieldAsString(b), "765432");
    EXPECT_FALSE(f.BCDError());

    f.Data()[1] = 0x1A;  // a low half above 9 is as wrong as a high one
    EXPECT_EQ(f.GetFieldAsString(b), "");
    EXPECT_TRUE(f.BCDError());
    f.ClearBCDError();
    f.Data()[1] = 0x9A;
    EXPECT_EQ(f.GetFieldAsString(b), "");
    EXPECT_TRUE(f.BCDError());
}

TEST(TBinaryFrameTest, LayoutsAndTextsThatDoNotFitTheBufferAreRefused) {
    uint8_t small[8] = {};
    Frame f(small, sizeof small);
    f.AddField(4);
    EXPECT_THROW(f.AddField(5), Exception);
    int t = f.AddTextField(0);
    EXPECT_THROW(f.SetFieldAsString(t, "abcd"), Exception);  // 4 + 5 > 8
    f.SetFieldAsString(t, "abc");
    EXPECT_EQ(f.GetFieldAsString(t), "abc");
    EXPECT_THROW(f.SetFieldAsUChar(f.AddTextField(0), 1), Exception);  // no byte to write

    // Received data without a terminating zero: the text ends with the
    // buffer; the field after it lies outside and refuses access.
    uint8_t junk[4] = {'a', 'b', 'c', 'd'};
    Frame in(junk, sizeof junk);
    in.AddTextField(0);
    in.AddField(2);
    in.Process();
    EXPECT_EQ(in.GetFieldAsString(0), "abcd");
    EXPECT_THROW(in.GetFieldAsShort(1), Exception);
}

}  // namespace
}  // namespace krv::test
