// Which goods go to the scale, and with which PLU number and barcode.
#include <gtest/gtest.h>

#include "fakes/test_library.h"
#include "scale/tarvisco_action.h"

namespace krv::test {
namespace {

class FormatujKod : public ::testing::Test {
  protected:
    void SetUp() override {
        lib.host.weightedFormats = {"27SSSSSK????K", "28SSSSSK????K", "29GGSSSSS???K"};
        action = lib.Action();
        a = dynamic_cast<TarviscoAction*>(action.get());
        ASSERT_NE(a, nullptr);
        a->KodyKD = 0;
        a->SkadPlu = 0;
        a->KodPocz = 1;
        a->KodKonc = 99999;
        a->PrzedrWagowy = "27";
        a->FormatKodu = 1;
    }
    // The PLU number and barcode, or "-" when the goods stay out.
    std::string Run(const std::string& kod, int plu = 42, bool wazony = true) {
        KSTowRec r;
        r.kod = kod;
        r.plu = plu;
        r.czy_wazony = wazony;
        std::string number, barcode;
        if (!a->FormatujKodWazony(r, number, barcode)) return "-";
        return number + " " + barcode;
    }

    TestLibrary lib;
    std::unique_ptr<TKSActionBase> action;
    TarviscoAction* a = nullptr;
};

TEST_F(FormatujKod, ShortCodes) {
    EXPECT_EQ(Run("123"), "00000042 2700123000000");
    EXPECT_EQ(Run("0012"), "00000042 2700012000000");  // leading zeros go, then the part is padded
    EXPECT_EQ(Run("99999"), "00000042 2799999000000");
    EXPECT_EQ(Run("100000"), "-");       // above the range
    EXPECT_EQ(Run("0"), "-");            // below it
    EXPECT_EQ(Run("12a"), "-");          // not a number: 0
    EXPECT_EQ(Run("00000000001"), "-");  // more than 10 characters
    EXPECT_EQ(Run("0000000001"), "00000042 2700001000000");
    EXPECT_EQ(Run("123", 42, false), "00000042 2700123000000");  // weighing not asked here

    a->KodPocz = 100;
    a->KodKonc = 200;
    EXPECT_EQ(Run("99"), "-");
    EXPECT_EQ(Run("100"), "00000042 2700100000000");
    EXPECT_EQ(Run("200"), "00000042 2700200000000");
    EXPECT_EQ(Run("201"), "-");
}

TEST_F(FormatujKod, PluNumberFromTheCode) {
    a->SkadPlu = 1;
    EXPECT_EQ(Run("0012"), "00000012 2700012000000");
    EXPECT_EQ(Run("123", 7), "00000123 2700123000000");
    a->SkadPlu = 0;
    EXPECT_EQ(Run("123", 123456789), "123456789 2700123000000");  // too wide: the caller refuses
    EXPECT_EQ(Run("123", -5), "-0000005 2700123000000");
}

TEST_F(FormatujKod, TemplatesAndPrefixes) {
    a->FormatKodu = 3;  // literal 0 after the goods digits
    EXPECT_EQ(Run("123"), "00000042 2700123000000");
    a->FormatKodu = 8;  // ten goods digits
    a->KodKonc = 99999999;
    EXPECT_EQ(Run("1234567"), "00000042 2700012345670");
    a->FormatKodu = 1;
    a->PrzedrWagowy = "2";  // padded in front
    EXPECT_EQ(Run("5"), "00000042 0200005000000");
    a->PrzedrWagowy = "2345";  // cut
    EXPECT_EQ(Run("5"), "00000042 2300005000000");
}

TEST_F(FormatujKod, FullCodes) {
    a->KodyKD = 1;
    EXPECT_EQ(Run("2812345?????0"), "00000042 2812345000000");
    EXPECT_EQ(Run("2812345?????0", 42, false), "-");            // not weighed
    EXPECT_EQ(Run("2812345????0"), "-");                        // 12 characters
    EXPECT_EQ(Run("9912345?????0"), "00000042 9912345000000");  // no parse needed

    a->SkadPlu = 1;  // the goods digits of the code
    EXPECT_EQ(Run("2800345?????0"), "00000345 2800345000000");
    EXPECT_EQ(Run("2800000?????0"), "00000000 2800000000000");
    EXPECT_EQ(Run("9912345?????0"), "-");  // no format for prefix 99
    EXPECT_EQ(Run("291200345???0"), "00000345 2912003450000");
}

TEST_F(FormatujKod, SubgroupFilter) {
    a->KodyKD = 1;
    a->SkadPlu = 1;
    a->SubgroupOnly = true;
    a->Subgroup = 12;
    EXPECT_EQ(Run("291200345???0"), "00000345 2912003450000");
    EXPECT_EQ(Run("291300345???0"), "-");  // group 13
    EXPECT_EQ(Run("2812345?????0"), "-");  // a format without group digits
    // The group is read even when the PLU number is the goods number.
    a->SkadPlu = 0;
    EXPECT_EQ(Run("291200345???0", 7), "00000007 2912003450000");
    EXPECT_EQ(Run("291300345???0", 7), "-");
    // Short codes have no group: the filter does not apply.
    a->KodyKD = 0;
    EXPECT_EQ(Run("123", 7), "00000007 2700123000000");
}

}  // namespace
}  // namespace krv::test
