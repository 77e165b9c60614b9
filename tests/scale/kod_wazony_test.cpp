// Weighted barcodes: composing after the scale's templates, parsing against
// a format list, lookup and the two normalisations.
#include "scale/kod_wazony.h"

#include <gtest/gtest.h>

#include "fakes/test_library.h"
#include "support/exception.h"

namespace krv::test {
namespace {

template <typename F>
std::string Failure(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

std::string Compose(const std::string& prefix, const std::string& goods, const std::string& wzorzec,
                    std::string* kod = nullptr, const std::string& group = "") {
    TKodWazony k;
    k.Przedrostek = prefix;
    k.CzescS = goods;
    k.Grupa = group;
    std::string result = k.Poskladaj(wzorzec, nullptr);
    if (kod) *kod = k.Kod;
    return result;
}

struct ComposeCase {
    const char* wzorzec;
    const char* prefix;
    const char* goods;
    const char* expected;
};

// Every template of the scale's barcode formats, for several goods numbers
// and prefixes.
const ComposeCase kScaleTemplates[] = {
    {"xxSSSSSK????K", "27", "123", "27001230?????"},
    {"xxSSSSSK????K", "28", "0012", "28000120?????"},
    {"xxSSSSSK????K", "1234", "99999", "12999990?????"},
    {"xxSSSSSK????K", "2", "1234567", "02123450?????"},
    {"xxSSSSS0????K", "27", "123", "27001230?????"},
    {"xxSSSSS0????K", "29", "7", "29000070?????"},
    {"xxSSSSSS????K", "27", "123", "27000123?????"},
    {"xxSSSSSS????K", "20", "654321", "20654321?????"},
    {"xxSSSSS?????K", "27", "123", "2700123??????"},
    {"xxSSSSS?????K", "21", "00000", "2100000??????"},
    {"xxSSSSSSSSSSK", "27", "123", "2700000001230"},
    {"xxSSSSSSSSSSK", "22", "9876543210", "2298765432100"},
    {"xxSSSS??????K", "27", "123", "270123???????"},
    {"xxSSSS??????K", "23", "12345", "231234???????"},
    {"xxSSSSK?????K", "27", "123", "2701230??????"},
    {"xxSSSSK?????K", "24", "1", "2400010??????"},
    {"xxSSS???????K", "27", "123", "27123????????"},
    {"xxSSS???????K", "25", "", "25000????????"},
    {"xxSS????????K", "27", "123", "2712?????????"},
    {"xxSS????????K", "26", "0009", "2609?????????"},
};

TEST(KodWazonyComposeTest, EveryScaleTemplate) {
    for (const auto& c : kScaleTemplates) {
        std::string kod;
        std::string result = Compose(c.prefix, c.goods, c.wzorzec, &kod);
        EXPECT_EQ(result, c.expected) << c.wzorzec << " " << c.prefix << " " << c.goods;
        EXPECT_EQ(result.size(), 13u);
        std::string zeros = c.expected;
        for (char& ch : zeros)
            if (ch == '?') ch = '0';
        EXPECT_EQ(kod, zeros) << c.wzorzec;
    }
    std::string kod;
    Compose("27", "123", "xxSSSSSK????K", &kod);
    EXPECT_EQ(kod, "2700123000000");
}

TEST(KodWazonyComposeTest, GroupRunIsFilledWithTheGroupDigits) {
    // Before, such a template never finished composing.
    EXPECT_EQ(Compose("27", "123", "xxGGSSSS????K", nullptr, "5"), "27050123?????");
    EXPECT_EQ(Compose("27", "123", "xxGGSSSS????K", nullptr, ""), "27000123?????");
    EXPECT_EQ(Compose("27", "123", "xxGGSSSS????K", nullptr, "123"), "27120123?????");
    std::string kod;
    EXPECT_EQ(Compose("27", "123", "xxSSSSSGG???K", &kod, "04"), "270012304????");
    EXPECT_EQ(kod, "2700123040000");
    EXPECT_EQ(Compose("27", "45", "xxSSSSG????KK", nullptr, "9"), "2700459??????");
}

TEST(KodWazonyComposeTest, OtherLettersAndComposingKeepsTheParsedFields) {
    // A literal digit takes its place.
    EXPECT_EQ(Compose("27", "123", "xxSSSSS1????K"), "27001231?????");

    TKodWazony k;
    k.Przedrostek = "27";
    k.CzescS = "0042";
    k.NumerTowaru = "keep";
    k.Poskladaj("xxSSSSSK????K", nullptr);
    EXPECT_EQ(k.CzescS, "0042");
    EXPECT_EQ(k.NumerTowaru, "keep");
    EXPECT_EQ(k.Kod, "2700042000000");
}

TEST(KodWazonyComposeTest, TemplatesThatCannotBeComposed) {
    EXPECT_EQ(Failure([] { Compose("27", "1", "xxSSSSSK????"); }),
              W("TKodWazony: nieprawidłowy format wcorca kodu"));
    EXPECT_EQ(Failure([] { Compose("27", "1", "xxSSSSSK????KK"); }),
              W("TKodWazony: nieprawidłowy format wcorca kodu"));
    EXPECT_EQ(Failure([] { Compose("27", "1", "xx00000K????K"); }),
              W("TKodWazony: brak cześci stałej \"S\" w formacie"));
    EXPECT_EQ(Failure([] { Compose("27", "1", "xxSSSSSK0000K"); }),
              W("TKodWazony: brak cześci zmiennej \"?\" w formacie"));
    EXPECT_EQ(Failure([] { Compose("27", "1", "xxSSSSSSSSSAK"); }),
              W("TKodWazony: brak cześci zmiennej \"?\" w formacie"));
    // A fixed code without a variable part is no such template.
    EXPECT_EQ(Compose("27", "1", "xxSSSSSSSSSSS"), "2700000000001");

    TestLibrary t;
    t.host.translations["kstools_Wazony/TKodWazoPoskladaExceptio"] = "bad template";
    TKodWazony k;
    EXPECT_EQ(Failure([&] { k.Poskladaj("x", t.Lib().GetLgLink()); }), "bad template");
}

const TKodWazony::FormatList kFormats = {
    "28SSSSSK????K", "29GGSSSSS???K",
    "28SSSSSS????K",  // never reached: the first 28 wins
    "2",              // too short to serve any prefix
};

TEST(KodWazonyParseTest, GoodsAndGroupDigits) {
    TKodWazony k(&kFormats);
    ASSERT_TRUE(k.Rozparsuj("2800123?????5", nullptr));
    EXPECT_EQ(k.CzescS, "00123");
    EXPECT_EQ(k.DlugoscS, 5);
    EXPECT_EQ(k.NumerTowaru, "123");
    EXPECT_EQ(k.Grupa, "");
    EXPECT_EQ(k.Przedrostek, "28");
    EXPECT_EQ(k.CzescStala, "2800123");
    EXPECT_EQ(k.Kod, "2800123000000");

    ASSERT_TRUE(k.Rozparsuj("2912034560???", nullptr));
    EXPECT_EQ(k.Grupa, "12");
    EXPECT_EQ(k.CzescS, "03456");
    EXPECT_EQ(k.NumerTowaru, "3456");
    EXPECT_EQ(k.DlugoscS, 5);
    EXPECT_EQ(k.CzescStala, "2912034560");

    ASSERT_TRUE(k.Rozparsuj("2800000123456", nullptr));  // no "?" at all
    EXPECT_EQ(k.NumerTowaru, "");
    EXPECT_EQ(k.CzescStala, "");
    EXPECT_EQ(k.Kod, "0000000000000");
}

TEST(KodWazonyParseTest, CodesThatDoNotFitLeaveEverythingEmpty) {
    TKodWazony k(&kFormats);
    ASSERT_TRUE(k.Rozparsuj("2800123?????5", nullptr));
    EXPECT_FALSE(k.Rozparsuj("2800123?????", nullptr));
    EXPECT_EQ(k.CzescS, "");
    EXPECT_EQ(k.Przedrostek, "");
    EXPECT_EQ(k.Kod, "");
    EXPECT_EQ(k.DlugoscS, 0);
    EXPECT_FALSE(k.Rozparsuj("2700123?????5", nullptr));  // no template for 27
    EXPECT_EQ(k.NumerTowaru, "");

    // A list passed in replaces the stored one.
    TKodWazony::FormatList other = {"27SSSSSK????K"};
    EXPECT_TRUE(k.Rozparsuj("2700123?????5", nullptr, &other));
    EXPECT_EQ(k.Formaty, &other);
    EXPECT_FALSE(k.Rozparsuj("2800123?????5", nullptr));
}

TEST(KodWazonyParseTest, FormatLookup) {
    TKodWazony k(&kFormats);
    EXPECT_EQ(k.ZnajdzFormat("2912034560???", nullptr), "29GGSSSSS???K");
    EXPECT_EQ(k.ZnajdzFormat("2800123?????5", nullptr), "28SSSSSK????K");
    EXPECT_EQ(Failure([&] { k.ZnajdzFormat("28001", nullptr); }),
              W("TKodWazony: Podany kod niby ważony, a nie ma odpowiedniej długości: 28001"));
    EXPECT_EQ(Failure([&] { k.ZnajdzFormat("2700123?????5", nullptr); }),
              W("TKodWazony: Nie znaleziono pasującego formatu dla kodu: 2700123?????5"));
}

TEST(KodWazonyParseTest, NoFormatListIsAlwaysAnError) {
    const std::string message = W("TKodWazony: formaty ważone nie zainicjowane!");
    TKodWazony k;
    EXPECT_EQ(Failure([&] { k.Rozparsuj("2800123?????5", nullptr); }), message);
    EXPECT_EQ(Failure([&] { k.ZnajdzFormat("2800123?????5", nullptr); }), message);
    EXPECT_EQ(Failure([&] { k.NormalizujNiepelny("2800123", nullptr); }), message);
    EXPECT_EQ(Failure([&] { k.NormalizujPelny("2800123?????5", nullptr); }), message);

    TestLibrary t;
    t.host.translations["kstools_Wazony/TKodWazoNormalizExceptio_00001"] = "no formats";
    EXPECT_EQ(Failure([&] { k.NormalizujPelny("28", t.Lib().GetLgLink()); }), "no formats");
}

TEST(KodWazonyNormaliseTest, IncompleteAndFullCodes) {
    const TKodWazony::FormatList list = {"28SSSSSK????K", "29SSSSSS????K", "28SSSS?????", "3"};
    TKodWazony k(&list);
    // Up to the check digit before the variable part ("K" counts as "?").
    EXPECT_EQ(k.NormalizujNiepelny("2800123", nullptr), "2800123??????");
    EXPECT_EQ(k.NormalizujNiepelny("29001234", nullptr), "29001234?????");
    EXPECT_EQ(k.NormalizujNiepelny("280012", nullptr), "280012???????");  // the third template
    EXPECT_EQ(k.NormalizujNiepelny("28001", nullptr), "28001");
    EXPECT_EQ(k.NormalizujNiepelny("27001", nullptr), "27001");
    EXPECT_EQ(k.NormalizujNiepelny("28", nullptr), "28");

    EXPECT_EQ(k.NormalizujPelny("2800123456789", nullptr), "2800123??????");
    EXPECT_EQ(k.NormalizujPelny("2900123456789", nullptr), "29001234?????");
    EXPECT_EQ(k.NormalizujPelny("28001234567", nullptr), "280012?????");  // length 11
    EXPECT_EQ(k.NormalizujPelny("2700123456789", nullptr), "2700123456789");
    EXPECT_EQ(k.NormalizujPelny("280012345678", nullptr), "280012345678");
}

}  // namespace
}  // namespace krv::test
