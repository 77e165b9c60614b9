// The VAT ordering: slots, stored form, reading from the host's rate set.
#include "action/stawki_kolejne.h"

#include <gtest/gtest.h>

namespace krv::test {
namespace {

std::vector<int32_t> Slots(const TKSStawkiKolejne& s) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < TKSStawkiKolejne::kSloty; ++i) v.push_back(s.GetWartosci(i));
    return v;
}

constexpr int32_t E = TKSStawkiKolejne::kPusta;

TEST(StawkiKolejneTest, SlotsAndTheirLimits) {
    TKSStawkiKolejne s;
    EXPECT_EQ(Slots(s), std::vector<int32_t>(10, E));
    EXPECT_EQ(s.IleUstawionych(), 0);

    s.SetWartosci(0, 23);
    s.SetWartosci(5, -1);
    s.SetWartosci(3, -2);  // below -1: empty
    s.SetWartosci(10, 8);  // outside: ignored
    s.SetWartosci(-1, 8);
    EXPECT_EQ(Slots(s), (std::vector<int32_t>{23, E, E, E, E, -1, E, E, E, E}));
    EXPECT_TRUE(s.GetUzywane(5));
    EXPECT_TRUE(s.GetZwolnione(5));
    EXPECT_FALSE(s.GetZwolnione(0));
    EXPECT_FALSE(s.GetUzywane(3));
    EXPECT_FALSE(s.GetUzywane(10));
    EXPECT_EQ(s.GetWartosci(10), E);
    EXPECT_EQ(s.GetWartosci(-1), E);
    // The gap does not shorten the count.
    EXPECT_EQ(s.IleUstawionych(), 6);

    s.ObetnijDoTylu(5);
    EXPECT_EQ(s.IleUstawionych(), 1);
    s.ObetnijDoTylu(-4);
    EXPECT_EQ(s.IleUstawionych(), 0);
}

TEST(StawkiKolejneTest, ReadingTheStoredForm) {
    TKSStawkiKolejne s;
    s.WczytajZTekstuParametru("23\r\n8\r\nabc\r\n-5", false);
    EXPECT_EQ(Slots(s), (std::vector<int32_t>{23, 8, E, E, E, E, E, E, E, E}));
    EXPECT_EQ(s.IleUstawionych(), 2);

    s.WczytajZTekstuParametru("23\r\n-1", true);
    EXPECT_EQ(Slots(s), (std::vector<int32_t>{2300, -1, E, E, E, E, E, E, E, E}));
    s.WczytajZTekstuParametru("0\n5\n", true);  // 0 stays 0, LF alone is a line break
    EXPECT_EQ(s.GetWartosci(0), 0);
    EXPECT_EQ(s.GetWartosci(1), 500);

    // Blanks around the text and the lines; only ten lines count.
    s.WczytajZTekstuParametru("\r\n 1 \r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11 \r\n",
                              false);
    EXPECT_EQ(Slots(s), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    // A rate too large to scale does not wrap round.
    s.WczytajZTekstuParametru("30000000", true);
    EXPECT_EQ(s.GetWartosci(0), E);
    // Reading empties what was there.
    s.WczytajZTekstuParametru("", false);
    EXPECT_EQ(s.IleUstawionych(), 0);
}

TEST(StawkiKolejneTest, StoredFormRoundTrip) {
    TKSStawkiKolejne s;
    s.SetWartosci(0, 23);
    s.SetWartosci(1, 8);
    s.SetWartosci(2, 5);
    s.SetWartosci(3, -1);
    const std::string text = "23\r\n8\r\n5\r\n-1\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999";
    EXPECT_EQ(s.SpiszDoTekstuParametru(), text);

    TKSStawkiKolejne back;
    back.WczytajZTekstuParametru(text, false);
    EXPECT_EQ(Slots(back), Slots(s));

    TKSStawkiKolejne gaps;
    gaps.SetWartosci(1, 2300);
    gaps.SetWartosci(9, 0);
    TKSStawkiKolejne gapsBack;
    gapsBack.WczytajZTekstuParametru(gaps.SpiszDoTekstuParametru(), false);
    EXPECT_EQ(Slots(gapsBack), Slots(gaps));
}

TEST(StawkiKolejneTest, FromTheHostSetLastValueFirst) {
    TMacSetOfIntegers set(100);
    for (int32_t v : {0, 5, 8, 23}) set.Add(v);
    TKSStawkiKolejne s;
    s.SetWartosci(7, 1);
    s.WczytajZListyDostepnychStawek(set);
    EXPECT_EQ(Slots(s), (std::vector<int32_t>{23, 8, 5, 0, E, E, E, E, E, E}));

    TMacSetOfIntegers many(100);
    for (int32_t v = 1; v <= 12; ++v) many.Add(v);
    many.Add(-7);
    s.WczytajZListyDostepnychStawek(many);
    EXPECT_EQ(Slots(s), (std::vector<int32_t>{E, 12, 11, 10, 9, 8, 7, 6, 5, 4}));
}

}  // namespace
}  // namespace krv::test
