// The DIGI SM record builder: every field at its place, both description
// modes, the cutting of ingredient texts and the values that must not fit.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

#include "scale/plu_record.h"
#include "scale/tarvisco_action.h"

namespace krv::test {
namespace {

KSTowRec Towar() {
    KSTowRec r;
    r.plu = 42;
    r.kod = "123";
    r.nazwa = "Schab";
    r.cena = 1999;
    r.precyzja = 3;
    r.czy_wazony = true;
    r.status = kStatusAdd;
    return r;
}

PluLayout Uklad() {
    PluLayout l;
    l.RozmiarCzcionki = 6;
    l.RozmiarCzcionkiOpis = 3;
    l.FormatEtyk = 17;
    l.FormatKodu = 1;
    return l;
}

std::string Rekord(const KSTowRec& r, const PluLayout& l, int op = 0,
                   const std::string& plu = "00000042", const std::string& kod = "2700123000000") {
    std::string out;
    DopiszRekordPlu(out, r, op, plu, PoleCeny(r, l.PoziomCen), kod, l);
    return out;
}

// 1-based positions as in the record's description.
std::string Pole(const std::string& rec, size_t from, size_t to) {
    return rec.substr(from - 1, to - from + 1);
}

TEST(PluRecord, EveryFieldAtItsPlace) {
    KSTowRec r = Towar();
    r.wagowo_ilosciowy = true;
    r.TerminW = 12;
    PluLayout l = Uklad();
    l.DataSprzed = l.DataWazn = l.DataPakow = l.GodzinaPakow = true;
    std::string rec = Rekord(r, l);

    ASSERT_EQ(rec.size(), 1002u);
    EXPECT_EQ(rec.substr(1000), "\r\n");
    EXPECT_EQ(Pole(rec, 1, 1), "0");
    EXPECT_EQ(Pole(rec, 2, 9), "00000042");
    EXPECT_EQ(Pole(rec, 10, 10), "6");
    EXPECT_EQ(Pole(rec, 11, 39), "Schab" + std::string(24, ' '));
    EXPECT_EQ(Pole(rec, 40, 129), std::string(90, ' '));
    EXPECT_EQ(Pole(rec, 130, 137), "00001999");
    EXPECT_EQ(Pole(rec, 138, 138), "0");  // weighed, not by piece
    EXPECT_EQ(Pole(rec, 139, 140), "17");
    EXPECT_EQ(Pole(rec, 141, 142), "01");
    EXPECT_EQ(Pole(rec, 143, 156), "27001230000001");  // weight-or-count flag
    EXPECT_EQ(Pole(rec, 157, 160), "0001");
    EXPECT_EQ(Pole(rec, 161, 164), "1012");
    EXPECT_EQ(Pole(rec, 165, 168), "0000");
    EXPECT_EQ(Pole(rec, 169, 172), "1012");
    EXPECT_EQ(Pole(rec, 173, 176), "1000");
    EXPECT_EQ(Pole(rec, 177, 180), "1000");
    EXPECT_EQ(Pole(rec, 181, 184), "0000");
    EXPECT_EQ(Pole(rec, 185, 185), "3");
    EXPECT_EQ(Pole(rec, 186, 935), std::string(750, ' '));
    EXPECT_EQ(Pole(rec, 936, 1000), "000 " + std::string(61, '0'));
}

TEST(PluRecord, FlagsFollowPieceGoodsAndSwitches) {
    KSTowRec r = Towar();
    r.precyzja = 0;  // by piece
    r.wagowo_ilosciowy = true;
    r.TerminW = 0;
    PluLayout l = Uklad();
    l.DataSprzed = true;
    l.DataWazn = true;  // but no days: no use-by date
    std::string rec = Rekord(r, l);
    EXPECT_EQ(Pole(rec, 138, 138), "1");
    EXPECT_EQ(Pole(rec, 143, 156), "27001230000000");  // by piece: flag 0 whatever the goods say
    EXPECT_EQ(Pole(rec, 161, 164), "1000");            // sell-by flag alone
    EXPECT_EQ(Pole(rec, 169, 172), "0000");
    EXPECT_EQ(Pole(rec, 173, 180), "00000000");
    EXPECT_EQ(Pole(rec, 185, 185), "1");

    r.TerminW = 1500;
    l.DataSprzed = false;
    rec = Rekord(r, l);
    EXPECT_EQ(Pole(rec, 161, 164), "0000");  // days only with the flag
    EXPECT_EQ(Pole(rec, 169, 172), "1999");  // limited to 999
    r.TerminW = -5;
    EXPECT_EQ(DniTerminu(r), 0);
    EXPECT_EQ(Pole(Rekord(r, l), 169, 172), "0000");
}

TEST(PluRecord, DeleteRecordsAreWholeRecords) {
    KSTowRec r = Towar();
    r.status = kStatusDelete;
    std::string rec = Rekord(r, Uklad(), 1);
    ASSERT_EQ(rec.size(), 1002u);
    EXPECT_EQ(rec[0], '1');
    EXPECT_EQ(Pole(rec, 11, 15), "Schab");
    EXPECT_EQ(Pole(rec, 130, 137), "00001999");
}

TEST(PluRecord, NameIsCutOrPadded) {
    KSTowRec r = Towar();
    r.nazwa = std::string(40, 'N');
    EXPECT_EQ(Pole(Rekord(r, Uklad()), 11, 40), std::string(29, 'N') + " ");
    r.nazwa = "Ser";
    EXPECT_EQ(Pole(Rekord(r, Uklad()), 11, 39), "Ser" + std::string(26, ' '));
    // Windows-1250 letters are single bytes and keep the width.
    r.nazwa = "\xA3\xF3\xBF\x6B\x6F";
    EXPECT_EQ(Pole(Rekord(r, Uklad()), 11, 39), "\xA3\xF3\xBF\x6B\x6F" + std::string(24, ' '));
}

TEST(PluRecord, PriceLevelAndRounding) {
    KSTowRec r = Towar();
    r.cena = 100;
    r.cena_hurt = 200.4;
    r.cena_noc = 300.6;
    r.cena_dod = 99999999.4;
    EXPECT_EQ(PoleCeny(r, 0), "00000100");
    EXPECT_EQ(PoleCeny(r, 1), "00000200");
    EXPECT_EQ(PoleCeny(r, 2), "00000301");
    EXPECT_EQ(PoleCeny(r, 3), "99999999");
    EXPECT_EQ(PoleCeny(r, 7), "00000100");  // any other level: retail
    r.cena = -0.0;
    EXPECT_EQ(PoleCeny(r, 0), "00000000");
    r.cena = 42.5;  // half away from zero, not to even
    EXPECT_EQ(PoleCeny(r, 0), "00000043");
    r.cena = 2500.5;
    EXPECT_EQ(PoleCeny(r, 0), "00002501");
}

TEST(PluRecord, PricesThatDoNotFitAreRefused) {
    KSTowRec r = Towar();
    for (double bad :
         {-1.0, -0.4, 99999999.5, 123456789.0, 1e300, std::numeric_limits<double>::quiet_NaN(),
          std::numeric_limits<double>::infinity()}) {
        r.cena = bad;
        EXPECT_EQ(PoleCeny(r, 0), "") << bad;
    }
}

TEST(PluRecord, NameLinesFromDescriptions) {
    KSTowRec r = Towar();
    r.opis1 = "Wędzony";
    r.opis2 = "";
    r.opis3 = std::string(35, 'x');
    r.opis4 = "never in name lines";
    PluLayout l = Uklad();
    EXPECT_EQ(Pole(Rekord(r, l), 40, 129), std::string(90, ' '));  // switch off

    l.EksportujOpisy = true;
    std::string rec = Rekord(r, l);
    EXPECT_EQ(Pole(rec, 40, 69), "3" + std::string("Wędzony") + std::string(29 - 8, ' '));
    EXPECT_EQ(Pole(rec, 70, 99), std::string(30, ' '));  // empty description: blank line
    EXPECT_EQ(Pole(rec, 100, 129), "3" + std::string(29, 'x'));
    EXPECT_EQ(Pole(rec, 186, 935), std::string(750, ' '));  // no ingredient lines in this mode
}

TEST(PluRecord, IngredientLinesFromChosenDescriptions) {
    KSTowRec r = Towar();
    r.opis1 = "mąka";
    r.opis2 = "&woda";
    r.opis3 = "sól";
    r.opis4 = "&cukier";
    PluLayout l = Uklad();
    l.DescriptionMode = 1;
    l.EksportujOpisy = true;  // not used in this mode
    l.Desc = {true, true, false, true};
    std::string rec = Rekord(r, l);
    auto line = [&](int n) { return Pole(rec, 186 + 50 * (n - 1), 185 + 50 * n); };
    auto pad = [](const std::string& s) { return "3" + s + std::string(49 - s.size(), ' '); };
    EXPECT_EQ(line(1), pad("mąka"));
    EXPECT_EQ(line(2), pad("woda"));
    EXPECT_EQ(line(3), pad("cukier"));
    EXPECT_EQ(line(4), std::string(50, ' '));
    EXPECT_EQ(Pole(rec, 40, 129), std::string(90, ' '));  // name lines stay blank

    l.Desc = {false, false, false, false};
    EXPECT_EQ(Pole(Rekord(r, l), 186, 935), std::string(750, ' '));
}

TEST(PluRecord, CuttingIngredientText) {
    using V = std::vector<std::string>;
    EXPECT_EQ(PotnijSkladniki(""), V{});
    EXPECT_EQ(PotnijSkladniki("sól&pieprz"), (V{"sól", "pieprz"}));
    // 120 characters without "&": 49, 49 and 22.
    std::string t(120, 'a');
    t[49] = 'b';
    t[98] = 'c';
    V lines = PotnijSkladniki(t);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string(49, 'a'));
    EXPECT_EQ(lines[1], "b" + std::string(48, 'a'));
    EXPECT_EQ(lines[2], "c" + std::string(21, 'a'));
    // 49 characters is one line; 50 are two.
    EXPECT_EQ(PotnijSkladniki(std::string(49, 'x')).size(), 1u);
    EXPECT_EQ(PotnijSkladniki(std::string(50, 'x')), (V{std::string(49, 'x'), "x"}));
    // A part before "&" longer than 49 is cut at 49 and the "&" kept for later.
    EXPECT_EQ(PotnijSkladniki(std::string(60, 'y') + "&z"),
              (V{std::string(49, 'y'), std::string(11, 'y'), "z"}));
    // A trailing "&" opens one more, empty line; "&&" an empty one between.
    EXPECT_EQ(PotnijSkladniki("a&"), (V{"a", ""}));
    EXPECT_EQ(PotnijSkladniki("a&&b"), (V{"a", "", "b"}));
    // At most fifteen lines; the rest is dropped.
    std::string many;
    for (int i = 0; i < 20; ++i) many += "w" + std::to_string(i) + "&";
    lines = PotnijSkladniki(many);
    ASSERT_EQ(lines.size(), 15u);
    EXPECT_EQ(lines[14], "w14");
}

TEST(PluRecord, FifteenIngredientLinesFillTheRecord) {
    KSTowRec r = Towar();
    r.opis1 = std::string(49 * 16, 'q');
    PluLayout l = Uklad();
    l.DescriptionMode = 1;
    l.Desc = {true, false, false, false};
    l.RozmiarCzcionkiOpis = 9;
    std::string rec = Rekord(r, l);
    ASSERT_EQ(rec.size(), 1002u);
    for (int n = 0; n < 15; ++n)
        EXPECT_EQ(Pole(rec, 186 + 50 * n, 235 + 50 * n), "9" + std::string(49, 'q'));
    EXPECT_EQ(Pole(rec, 936, 939), "000 ");
}

TEST(PluRecord, UnusualBytesKeepTheWidth) {
    KSTowRec r = Towar();
    r.nazwa = std::string("a\0b%s%n", 7);  // a zero byte and printf directives stay text
    r.opis1 = r.nazwa;
    PluLayout l = Uklad();
    l.EksportujOpisy = true;
    std::string rec = Rekord(r, l);
    ASSERT_EQ(rec.size(), 1002u);
    EXPECT_EQ(Pole(rec, 11, 17), r.nazwa);
    EXPECT_EQ(Pole(rec, 130, 137), "00001999");
}

TEST(DigiTemplate, EveryFormatNumber) {
    const std::map<int, std::string> composable = {
        {1, "xxSSSSSK????K"},  {3, "xxSSSSS0????K"},  {4, "xxSSSSSS????K"},  {5, "xxSSSSS?????K"},
        {8, "xxSSSSSSSSSSK"},  {9, "xxSSSS??????K"},  {13, "xxSSSSSK????K"}, {14, "xxSSSSSS????K"},
        {15, "xxSSSSK?????K"}, {17, "xxSSS???????K"}, {18, "xxSS????????K"}, {21, "xxSSSSSK????K"},
    };
    for (int f = -1; f <= 23; ++f) {
        auto it = composable.find(f);
        EXPECT_EQ(DigiTemplate(f), it == composable.end() ? "" : it->second) << f;
        if (it != composable.end()) {
            EXPECT_EQ(DigiTemplate(f).size(), 13u);
        }
    }
}

}  // namespace
}  // namespace krv::test
