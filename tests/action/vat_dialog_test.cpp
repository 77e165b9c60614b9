// The VAT dialog's behaviour, without a window.
#include "action/vat_dialog.h"

#include <gtest/gtest.h>

#include "action/stawki_kolejne.h"
#include "fakes/test_library.h"

namespace krv::test {
namespace {

constexpr int32_t E = TKSStawkiKolejne::kPusta;

TMacSetOfIntegers Rates(std::initializer_list<int32_t> values) {
    TMacSetOfIntegers set(100);
    for (int32_t v : values) set.Add(v);
    return set;
}

std::vector<std::string> Labels(const TFrmStawkiNaKasie& d) {
    std::vector<std::string> out;
    for (const auto& row : d.Model().rows) out.push_back(row.label);
    return out;
}

TEST(VatDialogTest, DisplayFormBothWays) {
    TFrmStawkiNaKasie whole(nullptr, false, nullptr);
    EXPECT_EQ(whole.ToDispFormat(23), "23");
    EXPECT_EQ(whole.ToDispFormat(0), "0");
    EXPECT_EQ(whole.ToDispFormat(150), "100");
    EXPECT_EQ(whole.ToDispFormat(-1), "zw");
    EXPECT_EQ(whole.ToDispFormat(-999), "<pusta>");
    EXPECT_EQ(whole.ToDispFormat(-2), "<pusta>");
    EXPECT_EQ(whole.FromDispFormat("ZW"), -1);
    EXPECT_EQ(whole.FromDispFormat(" zW "), -1);
    EXPECT_EQ(whole.FromDispFormat(" 23 "), 23);
    EXPECT_EQ(whole.FromDispFormat("22.6"), 23);
    EXPECT_EQ(whole.FromDispFormat("<pusta>"), E);
    EXPECT_EQ(whole.FromDispFormat("abc"), E);
    EXPECT_EQ(whole.FromDispFormat(""), E);
    EXPECT_EQ(whole.FromDispFormat("1e300"), E);

    TFrmStawkiNaKasie prec(nullptr, true, nullptr);
    EXPECT_EQ(prec.ToDispFormat(2300), "23.00");
    EXPECT_EQ(prec.ToDispFormat(550), "5.50");
    EXPECT_EQ(prec.ToDispFormat(0), "0.00");
    EXPECT_EQ(prec.ToDispFormat(15000), "150.00");  // no cap in hundredths
    EXPECT_EQ(prec.ToDispFormat(-1), "zw");
    EXPECT_EQ(prec.FromDispFormat("23.00"), 2300);
    EXPECT_EQ(prec.FromDispFormat("8.7"), 870);
    EXPECT_EQ(prec.FromDispFormat("0.29"), 29);
    EXPECT_EQ(prec.FromDispFormat("5.504"), 550);
    EXPECT_EQ(prec.FromDispFormat("Zw"), -1);
    EXPECT_EQ(prec.FromDispFormat("x"), E);
    // Every rate the dialog can show reads back as itself.
    for (int32_t v = 0; v <= 10000; ++v)
        ASSERT_EQ(prec.FromDispFormat(prec.ToDispFormat(v)), v) << v;
    for (int32_t v = -1; v <= 100; ++v) ASSERT_EQ(whole.FromDispFormat(whole.ToDispFormat(v)), v);
}

TEST(VatDialogTest, CaptionsAndEmptyEntryComeFromTheTranslation) {
    TestLibrary t;
    t.host.translations["kstools_fstavat/Caption"] = "VAT rates";
    t.host.translations["kstools_fstavat/btn_okCaption"] = "Fine";
    t.host.translations["kstools_fstavat/TFrmStawSetStawkstr"] = "(none)";
    t.host.translations["kstools_fstavat/TFrmStawToDispForeturn"] = "(empty)";
    TFrmStawkiNaKasie d(nullptr, false, t.Lib().GetLgLink());
    EXPECT_EQ(d.Model().caption, "VAT rates");
    EXPECT_EQ(d.Model().okCaption, "Fine");
    EXPECT_EQ(d.Model().cancelCaption, "Anuluj");
    EXPECT_EQ(d.ToDispFormat(E), "(empty)");
    d.SetStawkiMarket(Rates({23}));
    EXPECT_EQ(d.Model().rows[4].items, (std::vector<std::string>{"(none)", "23"}));

    TFrmStawkiNaKasie plain(nullptr, false, nullptr);
    EXPECT_EQ(plain.Model().caption, "Stawki VAT na kasie");
    EXPECT_EQ(plain.Model().okCaption, "OK");
    // The special row starts hidden, unlabelled, with the exempt value.
    EXPECT_FALSE(plain.GetSpecjalnaWidoczna());
    EXPECT_EQ(plain.Model().specialLabel, "");
    EXPECT_EQ(plain.Model().specialText, "zw");
    EXPECT_EQ(Labels(plain)[9], "10:");
}

TEST(VatDialogTest, ListsShowTheHostSetAndSelectTheOrdering) {
    TFrmStawkiNaKasie d(nullptr, true, nullptr);
    d.SetStawkiMarket(Rates({0, 500, 2300, -1}));
    for (const auto& row : d.Model().rows) {
        EXPECT_EQ(row.items, (std::vector<std::string>{"<pusta>", "0.00", "5.00", "23.00", "zw"}));
        EXPECT_EQ(row.selected, 0);
    }

    TKSStawkiKolejne ordering;
    ordering.SetWartosci(0, 2300);
    ordering.SetWartosci(1, -1);
    ordering.SetWartosci(2, 800);  // not a host rate: the empty entry
    ordering.SetWartosci(3, 0);
    d.SetStawkiUrzadzenia(ordering, true);
    const auto& rows = d.Model().rows;
    EXPECT_EQ(rows[0].selected, 3);
    EXPECT_EQ(rows[1].selected, 4);
    EXPECT_EQ(rows[2].selected, 0);
    EXPECT_EQ(rows[3].selected, 1);
    EXPECT_EQ(rows[4].selected, 0);
    EXPECT_TRUE(rows[0].enabled);
    EXPECT_TRUE(d.Model().okEnabled);

    // Read back: what is selected, the empty entry and no selection alike.
    d.Model().rows[2].selected = 2;
    d.Model().rows[0].selected = -1;
    TKSStawkiKolejne back;
    back.SetWartosci(9, 700);
    d.GetStawkiUrzadzenia(back);
    EXPECT_EQ(back.SpiszDoTekstuParametru(),
              "-999\r\n-1\r\n500\r\n0\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");

    d.SetStawkiUrzadzenia(ordering, false);
    for (const auto& row : d.Model().rows) EXPECT_FALSE(row.enabled);
    EXPECT_FALSE(d.Model().okEnabled);
}

TEST(VatDialogTest, RowCountLabelsAndSpecialRow) {
    TFrmStawkiNaKasie d(nullptr, false, nullptr);
    d.SetIloscStawek(3);
    for (size_t i = 0; i < 10; ++i) EXPECT_EQ(d.Model().rows[i].visible, i < 3) << i;
    d.SetIloscStawek(10);
    EXPECT_TRUE(d.Model().rows[9].visible);

    d.SetNazwaStawki("0");
    EXPECT_EQ(Labels(d), (std::vector<std::string>{
                             "0:", "1:", "2:", "3:", "4:", "5:", "6:", "7:", "8:", "9:"}));
    d.SetNazwaStawki("12");
    EXPECT_EQ(Labels(d)[9], "21:");
    d.SetNazwaStawki("A");
    EXPECT_EQ(Labels(d), (std::vector<std::string>{
                             "A:", "B:", "C:", "D:", "E:", "F:", "G:", "H:", "I:", "J:"}));
    d.SetNazwaStawki("Pierwsza");  // the first character counts
    EXPECT_EQ(Labels(d)[1], "Q:");
    d.SetNazwaStawki("-1");  // not a number of 0 or more: characters from '-'
    EXPECT_EQ(Labels(d)[0], "-:");
    EXPECT_EQ(Labels(d)[1], ".:");
    d.SetNazwaStawki("");  // nothing to start from: the labels stay
    EXPECT_EQ(Labels(d)[1], ".:");

    d.StawkaSpecjalna("Opak.", -1);
    d.SetSpecjalnaWidoczna(true);
    EXPECT_TRUE(d.GetSpecjalnaWidoczna());
    EXPECT_EQ(d.Model().specialLabel, "Opak.");
    EXPECT_EQ(d.Model().specialText, "zw");
    d.StawkaSpecjalna("X", 8);
    EXPECT_EQ(d.Model().specialText, "8");
    d.SetSpecjalnaWidoczna(false);
    EXPECT_FALSE(d.GetSpecjalnaWidoczna());
}

}  // namespace
}  // namespace krv::test
