#include "exportdata/towrec.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>

#include "exportdata/ljwords.h"
#include "fakes/test_library.h"
#include "support/exception.h"

namespace krv::test {
namespace {

// A goods line of tag and 19 mandatory fields, with some fields replaced and
// optional fields appended.
std::string Line(std::map<int, std::string> with = {}, std::vector<std::string> optional = {}) {
    std::vector<std::string> f = {"PLU",   "12",   "7",    "5901234123457",
                                  "Chleb", "1998", "1500", "1700",
                                  "1800",  "23",   "1",    "F",
                                  "0",     "F",    "F",    "T",
                                  "0",     "",     "3",    "AKT"};
    for (auto& [i, v] : with) f[static_cast<size_t>(i)] = v;
    for (auto& v : optional) f.push_back(v);
    std::string line;
    for (size_t i = 0; i < f.size(); ++i) line += (i ? ";" : "") + f[i];
    return line;
}

KSTowRec Read(const std::string& line) {
    KSTowRec r;
    r.FromLine(line, nullptr);
    return r;
}

std::string FormatError() { return W("Nieprawidłowy format pliku eksportowego"); }

TEST(KSTowRecTest, MandatoryFieldsOfAShortLine) {
    KSTowRec r = Read(Line());
    EXPECT_EQ(r.plu, 12);
    EXPECT_EQ(r.koldod, 7);
    EXPECT_EQ(r.kod, "5901234123457");
    EXPECT_EQ(r.nazwa, "Chleb");
    EXPECT_EQ(r.cena, 1998);
    EXPECT_EQ(r.cena_hurt, 1500);
    EXPECT_EQ(r.cena_noc, 1700);
    EXPECT_EQ(r.cena_dod, 1800);
    EXPECT_EQ(r.stawka, 23);
    EXPECT_EQ(r.jedn, 1);
    EXPECT_FALSE(r.czy_wazony);
    EXPECT_TRUE(r.cena_otwarta);
    EXPECT_EQ(r.kod_opakowania, "0");
    EXPECT_EQ(r.plu_opakowania, 0);
    EXPECT_EQ(r.nr_asort, 3);
    EXPECT_EQ(r.status, kStatusUpdate);
    EXPECT_EQ(r.org_status, kStatusUpdate);
    EXPECT_EQ(r.org_barcode, r.kod);
    // Every optional field takes its default.
    EXPECT_EQ(r.opis1, "");
    EXPECT_EQ(r.opis2, "");
    EXPECT_EQ(r.PKWiU, "");
    EXPECT_EQ(r.SWW, "");
    EXPECT_EQ(r.opis3, "");
    EXPECT_EQ(r.TerminW, 0);
    EXPECT_EQ(r.poziom_cen, -1);
    EXPECT_EQ(r.ile_w_kodzie, 1000);
    EXPECT_EQ(r.stawka_prec, 2300);
    EXPECT_EQ(r.nazwa_pelna, "");
    EXPECT_EQ(r.ile_jedn, 0);
    EXPECT_EQ(r.nr_buf, -1);
    EXPECT_FALSE(r.tr_ok);

    EXPECT_EQ(Read(Line({{9, "-1"}})).stawka_prec, -1);
    EXPECT_EQ(Read(Line({{17, "44"}, {11, "t"}, {13, "T"}, {14, "f"}})).plu_opakowania, 44);
    KSTowRec b = Read(Line({{11, "t"}, {13, "T"}, {14, "T"}, {15, "f"}}));
    EXPECT_TRUE(b.czy_wazony);
    EXPECT_TRUE(b.wagowo_ilosciowy);
    EXPECT_TRUE(b.opakowanie);
    EXPECT_FALSE(b.cena_otwarta);
    // Prices read the leading number; a text without one is 0.
    KSTowRec c = Read(Line({{5, "12.5zl"}, {6, ""}, {7, "x"}}));
    EXPECT_EQ(c.cena, 12.5);
    EXPECT_EQ(c.cena_hurt, 0);
    EXPECT_EQ(c.cena_noc, 0);
    for (const char* s : {"DOD", "AKT", "CEN", "USU"})
        EXPECT_EQ(StatusWord(Read(Line({{19, s}})).status), std::string(s));
}

TEST(KSTowRecTest, LongLinesWithEveryOptionalField) {
    // 33 fields: field 30 is the precise VAT rate.
    KSTowRec r = Read(Line({}, {"opis 1", "opis 2", "10.89.1", "SWW9", "14", "-1", "1000", "opis 3",
                                "opis 4", "2.5", "850", "Chleb razowy pelny", "6.9"}));
    EXPECT_EQ(r.opis1, "opis 1");
    EXPECT_EQ(r.opis2, "opis 2");
    EXPECT_EQ(r.PKWiU, "10.89.1");
    EXPECT_EQ(r.SWW, "SWW9");
    EXPECT_EQ(r.TerminW, 14);
    EXPECT_EQ(r.opis3, "opis 3");
    EXPECT_EQ(r.opis4, "opis 4");
    EXPECT_EQ(r.fd_dod_rabat_tow, 2.5);
    EXPECT_EQ(r.stawka_prec, 850);
    EXPECT_EQ(r.nazwa_pelna, "Chleb razowy pelny");
    EXPECT_EQ(r.ile_jedn, 6);  // truncated
    EXPECT_EQ(r.cena, 1998);

    // 30 fields: no precise rate; it comes from stawka and no field is used.
    KSTowRec s = Read(Line({}, {"a", "b", "", "", "7d", "x", "y", "c", "d", "1"}));
    EXPECT_EQ(s.TerminW, 7);  // C rule: leading digits
    EXPECT_EQ(s.poziom_cen, -1);
    EXPECT_EQ(s.ile_w_kodzie, 1000);
    EXPECT_EQ(s.stawka_prec, 2300);
    EXPECT_EQ(s.nazwa_pelna, "");
    // 31 fields with a non-numeric precise rate: 0.
    EXPECT_EQ(Read(Line({}, {"", "", "", "", "", "", "", "", "", "", "zw"})).stawka_prec, 0);
    // Field 20 alone: field 21 is read as well (empty), the rest default.
    KSTowRec t = Read(Line({}, {"only"}));
    EXPECT_EQ(t.opis1, "only");
    EXPECT_EQ(t.poziom_cen, -1);
    EXPECT_EQ(t.ile_w_kodzie, 1000);
}

TEST(KSTowRecTest, PriceLevelAndPriceScale) {
    auto withLevel = [](const char* level, const char* scale) {
        return Read(Line({}, {"", "", "", "", "", level, scale}));
    };
    EXPECT_EQ(withLevel("1", "1000").cena, 1500);  // wholesale
    EXPECT_EQ(withLevel("2", "1000").cena, 1800);  // level 2: the additional price
    EXPECT_EQ(withLevel("3", "1000").cena, 1700);  // level 3: the night price
    EXPECT_EQ(withLevel("4", "1000").cena, 1998);
    EXPECT_EQ(withLevel("-1", "").cena, 1998);

    KSTowRec half = withLevel("", "500");
    EXPECT_EQ(half.ile_w_kodzie, 500);
    EXPECT_EQ(half.cena, 999);
    EXPECT_EQ(half.cena_hurt, 750);
    EXPECT_EQ(half.cena_noc, 850);
    EXPECT_EQ(half.cena_dod, 900);
    // Level first, then scale; the scaled price is rounded to whole grosze.
    KSTowRec both = Read(Line({{6, "1501"}}, {"", "", "", "", "", "1", "333"}));
    EXPECT_EQ(both.cena, 500);  // 1501 * 0.333 = 499.833
    EXPECT_EQ(both.cena_hurt, 500);
    EXPECT_EQ(Read(Line({{5, "3"}}, {"", "", "", "", "", "", "500"})).cena, 2);  // 1.5 rounds up
    EXPECT_EQ(withLevel("", "abc").ile_w_kodzie, 1000);
}

TEST(KSTowRecTest, NumbersAsTheCRuleReadsThemWhateverTheLocale) {
    // A host that switched to a locale with a decimal comma must still get
    // its prices with the point.
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    bool polish = false;
    for (const char* name : {"pl_PL.UTF-8", "pl_PL.utf8", "Polish_Poland.1250", "pl-PL"})
        if (!polish && std::setlocale(LC_ALL, name)) polish = true;
    const struct Case {
        const char* text;
        double price;
    } cases[] = {
        {"1999.60", 1999.60}, {" \t12.5", 12.5}, {"+3.25", 3.25}, {"-7", -7},
        {"1e3", 1000},        {".5", 0.5},       {"5.", 5},       {"12,50", 12},
        {"+-1", 0},           {"-", 0},          {"0x10", 16},  // hexadecimal, as the C library
                                                                // reads it
    };
    for (const Case& c : cases) EXPECT_EQ(Read(Line({{5, c.text}})).cena, c.price) << c.text;
    // Too large for a double: infinite, so that no price is made of it.
    EXPECT_TRUE(std::isinf(Read(Line({{5, "1e999"}})).cena));
    EXPECT_EQ(Read(Line({{5, "1e-999"}})).cena, 0);
    // Whole numbers of the shelf life: leading digits; too large is 0.
    EXPECT_EQ(Read(Line({}, {"", "", "", "", " +21d"})).TerminW, 21);
    EXPECT_EQ(Read(Line({}, {"", "", "", "", "-2147483648"})).TerminW, INT32_MIN);
    EXPECT_EQ(Read(Line({}, {"", "", "", "", "2147483648"})).TerminW, 0);
    EXPECT_EQ(Read(Line({}, {"", "", "", "", "99999999999999999999"})).TerminW, 0);
    std::setlocale(LC_ALL, saved.c_str());
    if (!polish) GTEST_SKIP() << "no Polish locale here: read in the C locale only";
}

TEST(KSTowRecTest, FormatAndConversionErrors) {
    auto expectFormat = [](const std::string& line) {
        try {
            Read(line);
            ADD_FAILURE() << "accepted: " << line;
        } catch (const EConvertError&) {
            ADD_FAILURE() << "conversion error for: " << line;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), FormatError()) << line;
        }
    };
    expectFormat(Line({{19, "akt"}}));
    expectFormat(Line({{19, "XYZ"}}));
    expectFormat(Line({{19, ""}}));
    expectFormat(Line({{11, "X"}}));
    expectFormat(Line({{13, ""}}));
    expectFormat(Line({{15, "1"}}));
    for (int field : {1, 2, 9, 10, 12, 18}) {
        EXPECT_THROW(Read(Line({{field, ""}})), EConvertError) << field;
        EXPECT_THROW(Read(Line({{field, "1x"}})), EConvertError) << field;
    }
    EXPECT_THROW(Read(Line({{17, "x"}})), EConvertError);
    EXPECT_THROW(Read("PLU;1;2;3"), EConvertError);  // mandatory fields missing
    EXPECT_THROW(Read("PLU"), EConvertError);

    // The texts come from the translation.
    TestLibrary t;
    t.host.translations["kstools_KSExpBuf/KSTowRecFromLineExceptio"] = "bad status";
    t.host.translations["kstools_KSExpBuf/KSTowRecBoolExceptio"] = "bad flag";
    KSTowRec r;
    try {
        r.FromLine(Line({{19, "NEW"}}), t.Lib().GetLgLink());
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "bad status");
    }
    try {
        KSTowRec::Bool('Y', t.Lib().GetLgLink());
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "bad flag");
    }
}

TEST(KSTowRecTest, ClearCenaAktAndReuse) {
    KSTowRec r = Read(Line({}, {"x", "y", "PK", "SW", "5", "2", "1000"}));
    EXPECT_EQ(r.CenaAkt(1), 1500);
    EXPECT_EQ(r.CenaAkt(2), 1700);
    EXPECT_EQ(r.CenaAkt(3), 1800);
    EXPECT_EQ(r.CenaAkt(0), r.cena);
    EXPECT_EQ(r.CenaAkt(9), r.cena);
    r.fd_nr_src_buf = 3;
    r.Clear();
    EXPECT_EQ(r.kod_opakowania, "0");
    EXPECT_EQ(r.status, kStatusNone);
    EXPECT_EQ(r.opis1, "");
    EXPECT_EQ(r.PKWiU, "PK");  // left for FromLine to set
    EXPECT_EQ(r.fd_nr_src_buf, 3);
    // The same record read again from a short line loses every old value.
    TLJWords w;
    w.Delimiter = std::string(";");
    w.Init(Line());
    r.FromLine(w, nullptr);
    EXPECT_EQ(r.PKWiU, "");
    EXPECT_EQ(r.opis1, "");
    EXPECT_EQ(r.TerminW, 0);
}

}  // namespace
}  // namespace krv::test
