#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "fakes/test_library.h"
#include "host/library.h"
#include "support/cp1250.h"
#include "support/exception.h"

namespace krv::test {
namespace {

struct Entry {
    int32_t kind;
    std::string name, description, def, lower, upper;
    int32_t flags;
};

Entry Get(int group, int index) {
    char n[301], d[301], v[301], lo[301], hi[301];
    for (char* b : {n, d, v, lo, hi}) std::memset(b, 'X', 301);
    int32_t flags = 99;
    Entry e;
    e.kind = KRVDLLParametr(group, index, n, d, v, lo, hi, &flags);
    e.name = n, e.description = Cp1250ToUtf8(d), e.def = v, e.lower = lo, e.upper = hi;
    e.flags = flags;
    return e;
}

std::string ListText(const char* list, int index) {
    char b[301];
    std::memset(b, 'X', sizeof b);
    int32_t r = KRVDLLTekstListyParametru(list, index, b);
    EXPECT_EQ(r, b[0] != '\0' ? 1 : 0);
    return Cp1250ToUtf8(b);
}

TEST(CatalogueTest, GroupsHoldSevenAndTwentyEntries) {
    for (int i = 0; i < 7; ++i) EXPECT_NE(Get(101, i).kind, KRV_PARAM_NONE) << i;
    for (int i = 0; i < 20; ++i) EXPECT_NE(Get(102, i).kind, KRV_PARAM_NONE) << i;
    for (auto [g, i] : {std::pair{101, 7}, {102, 20}, {103, 0}, {100, 0}, {101, -1}}) {
        Entry e = Get(g, i);
        EXPECT_EQ(e.kind, KRV_PARAM_NONE);
        EXPECT_EQ(e.name + e.description + e.def + e.lower + e.upper, "");
        EXPECT_EQ(e.flags, 0);
    }
    // Every name is unique: the host stores values under them.
    std::set<std::string> names;
    for (int g : {101, 102}) {
        for (int i = 0; i < 20; ++i) {
            if (Get(g, i).kind) {
                EXPECT_TRUE(names.insert(Get(g, i).name).second);
            }
        }
    }
}

TEST(CatalogueTest, EntriesCarryKindDefaultsAndLimits) {
    Entry timeout = Get(102, 18);
    EXPECT_EQ(timeout.kind, KRV_PARAM_INTEGER);
    EXPECT_EQ(timeout.name, "DigiSM_Timeout");
    EXPECT_EQ(timeout.def, "120");
    EXPECT_EQ(timeout.lower, "3");
    EXPECT_EQ(timeout.upper, "99999");
    EXPECT_EQ(timeout.description,
              "Digi SM - Timeout oczekiwania na zakończenie pracy sterownika (sek.)");

    Entry prefix = Get(102, 3);
    EXPECT_EQ(prefix.name, "DigiSM_PrzedrWagowy");
    EXPECT_EQ(prefix.lower + "-" + prefix.upper, "21-99");

    Entry name = Get(101, 2);
    EXPECT_EQ(name.name, "DigiSMNazwa");
    EXPECT_EQ(name.kind, KRV_PARAM_TEXT);
    EXPECT_EQ(name.def, "Waga1");

    Entry choice = Get(102, 5);
    EXPECT_EQ(choice.kind, KRV_PARAM_CHOICE);
    EXPECT_EQ(choice.def, "17");
    EXPECT_EQ(choice.lower + choice.upper, "");  // limits only for integers
    EXPECT_EQ(choice.flags, 0);

    Entry address = Get(101, 1);
    EXPECT_EQ(address.kind, KRV_PARAM_TEXT);
    // The default scale address is a private one, never a loopback or public one.
    EXPECT_TRUE(address.def.rfind("192.168.", 0) == 0 || address.def.rfind("10.", 0) == 0);

    EXPECT_EQ(Get(102, 6).description, "Digi SM - Data \"sprzedać do\" na etykiecie");
    EXPECT_EQ(Get(102, 12).description, "Digi SM - Wysyłaj Opis 1 (linie składników)");
}

TEST(CatalogueTest, ChoiceListsAreMatchedByTrimmedCaseInsensitiveName) {
    EXPECT_EQ(ListText("digism_formatetyk", 17), "F1");
    EXPECT_EQ(ListText("  DIGISM_FORMATETYK ", 0), "Domyślny");
    EXPECT_EQ(ListText("DigiSM_FormatEtyk", 24), "F8");
    EXPECT_EQ(ListText("digism_formatetyk", 25), "");
    for (int i = 0; i <= 20; ++i) EXPECT_NE(ListText("DigiSM_FormatKodu", i), "") << i;
    EXPECT_EQ(ListText("DigiSM_FormatKodu", 21), "");
    EXPECT_EQ(ListText("DigiSM_FormatKodu", -1), "");
    EXPECT_EQ(ListText("DigiSM_FormatKodu", 1), "F2 CCCCCC S XXXX S (niedozwolony)");
    EXPECT_EQ(ListText("DigiSM_FormatKodu", 20), ListText("DigiSM_FormatKodu", 0));
    EXPECT_EQ(ListText("DigiSM_AdresIP", 0), "");
    EXPECT_EQ(ListText("", 0), "");
    EXPECT_EQ(ListText("DigiSMDesc4", 1), "Tak");
    EXPECT_EQ(ListText("DigiSM_HideDrv", 0), "Nie");
    EXPECT_EQ(ListText("DigiSM_Zlacze", 0), "Plik");
    EXPECT_EQ(ListText("DigiSM_Zlacze", 1), "Ethernet");
    EXPECT_EQ(ListText("PoziomCen", 3), "Dodatkowa");
    EXPECT_EQ(ListText("DigiSM_KodyKD", 1), "Długie (np.280123?????]");
    EXPECT_EQ(ListText("DigiSM_DescriptionMode", 1), "linie składników");
    EXPECT_EQ(ListText("DigiSM_SkadPlu", 1), "Numer towaru z kodu kreskowego");
}

TEST(CatalogueTest, EveryChoiceParameterHasItsList) {
    for (int g : {101, 102})
        for (int i = 0; i < 20; ++i) {
            Entry e = Get(g, i);
            if (e.kind != KRV_PARAM_CHOICE) continue;
            EXPECT_NE(ListText(e.name.c_str(), 0), "") << e.name;
            int def = std::stoi(e.def);
            EXPECT_NE(ListText(e.name.c_str(), def), "") << e.name << " default " << def;
        }
}

TEST(CatalogueTest, TranslatedTextsComeFromTheHostFixedOnesDoNot) {
    TestLibrary t;
    t.host.translations["tarvisco_dgaction/TKSLibraTekstLisreturn_00007"] = "Default";
    t.host.translations["tarvisco_dgaction/TKSLibraTekstLisreturn_00001"] = "Yes";
    EXPECT_EQ(ListText("DigiSM_FormatEtyk", 0), "Default");
    EXPECT_EQ(ListText("DigiSM_DataWazn", 1), "Yes");
    EXPECT_EQ(ListText("DigiSM_Zlacze", 1), "Ethernet");
    size_t before = t.host.calls.size();
    ListText("DigiSM_FormatEtyk", 3);  // fixed: the host is not asked
    EXPECT_EQ(t.host.calls.size(), before);
}

TEST(LibraryTest, NamesMatchTrimmedAndCaseInsensitive) {
    EXPECT_TRUE(TKSLibrary::ZgodnaNazwaParametru("DigiSM_Zlacze", "  digism_zlacze "));
    EXPECT_FALSE(TKSLibrary::ZgodnaNazwaParametru("", ""));
    EXPECT_FALSE(TKSLibrary::ZgodnaNazwaParametru("  ", "  "));
    EXPECT_FALSE(TKSLibrary::ZgodnaNazwaParametru("DigiSM_Zlacze", "DigiSM_Zlacze2"));
    EXPECT_EQ(TKSLibrary::NazwaZTypem(" PosortowaneStawkiVat "),
              "TV_Tarvisco_PosortowaneStawkiVat");
}

TEST(LibraryTest, HundredthsRatesFallBackToWholePercent) {
    TestLibrary t;
    t.host.vatRates = {23, 8, 5, 0, -1};
    auto a = t.Action();
    t.Lib().WypelnijStawkiVATPrec(*a);
    auto& set = a->StawkiDostepnePrecSet();
    ASSERT_EQ(set.GetCount(), 5);
    std::vector<int32_t> got;
    for (int i = 0; i < set.GetCount(); ++i) got.push_back(set.GetValues(i));
    EXPECT_EQ(got, (std::vector<int32_t>{2300, 800, 500, 0, -1}));
    EXPECT_EQ(t.host.CountCalls(KRV_CB_VAT_RATES), 6);

    TestLibrary p;
    p.host.vatRates = {23};
    p.host.vatRatesPrec = {2300, 850};
    p.host.RegisterAll(p.handle);
    auto b = p.Action();
    p.Lib().WypelnijStawkiVATPrec(*b);
    EXPECT_EQ(b->StawkiDostepnePrecSet().GetValues(1), 850);
}

TEST(LibraryTest, SessionOfAnotherLibraryIsRefused) {
    TestLibrary t;
    EXPECT_NO_THROW(t.Lib().WeryfikujTypSesji(nullptr, "x"));
    int s;
    EXPECT_THROW(t.Lib().WeryfikujTypSesji(&s, "x"), Exception);
    std::string type = "t";
    EXPECT_TRUE(t.Lib().PodtrzymajSesje(nullptr, type, 0, true));
    EXPECT_FALSE(t.Lib().PodtrzymajSesje(nullptr, type, 0, false));
}

}  // namespace
}  // namespace krv::test
