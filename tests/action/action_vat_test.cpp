// The action's VAT sets and orderings, their storage and the dialog road.
#include <gtest/gtest.h>

#include "action/action_base.h"
#include "action/stawki_kolejne.h"
#include "action/vat_dialog.h"
#include "fakes/test_library.h"
#include "platform/ui.h"
#include "support/exception.h"

namespace krv::test {
namespace {

constexpr int32_t E = TKSStawkiKolejne::kPusta;
const std::string kWhole = "TV_Tarvisco_PosortowaneStawkiVat";
const std::string kPrec = "TV_Tarvisco_PosortowaneStawkiVatPrec";

std::vector<int32_t> Slots(const TKSStawkiKolejne& s) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < TKSStawkiKolejne::kSloty; ++i) v.push_back(s.GetWartosci(i));
    return v;
}

std::vector<int32_t> Values(const TMacSetOfIntegers& set) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < set.GetCount(); ++i) v.push_back(set.GetValues(i));
    return v;
}

// An action with fewer device positions than the base's ten.
struct FourPlaces : TKSActionBase {
    using TKSActionBase::TKSActionBase;
    std::string NazwaZasobuDzielonego() override { return "four"; }
    int32_t IleMaxStawekKolejnych() const override { return 4; }
};

TEST(ActionVatTest, HostSetsAreReadOnce) {
    TestLibrary t;
    t.host.vatRates = {23, 8, 5, 0, -1};
    auto a = t.Action();
    EXPECT_EQ(Values(a->GetStawkiDostepne()), (std::vector<int32_t>{23, 8, 5, 0, -1}));
    // Without KRV_CB_VAT_RATES_PREC the hundredths come from KRV_CB_VAT_RATES.
    EXPECT_EQ(Values(a->GetStawkiDostepnePrec()), (std::vector<int32_t>{2300, 800, 500, 0, -1}));
    int asked = t.host.CountCalls(KRV_CB_VAT_RATES);
    a->GetStawkiDostepne();
    a->GetStawkiDostepnePrec();
    EXPECT_EQ(t.host.CountCalls(KRV_CB_VAT_RATES), asked);
}

TEST(ActionVatTest, OrderingFromTheHostSetWhenNoneIsStored) {
    TestLibrary t;
    t.host.vatRates = {0, 5, 8, 23};
    auto a = t.Action();
    EXPECT_EQ(Slots(a->GetStawkiKolejne()), (std::vector<int32_t>{23, 8, 5, 0, E, E, E, E, E, E}));
    // Read once: later calls do not ask the host again.
    int asked = t.host.CountCalls(KRV_CB_PARAMETER_VALUE);
    a->GetStawkiKolejne();
    EXPECT_EQ(t.host.CountCalls(KRV_CB_PARAMETER_VALUE), asked);

    TestLibrary t2;
    t2.host.vatRates = {0, 5, 8, 23, 7, 6};
    FourPlaces four(&t2.Lib(), t2.host.Device());
    EXPECT_EQ(Slots(four.GetStawkiKolejne()),
              (std::vector<int32_t>{6, 7, 23, 8, E, E, E, E, E, E}));
}

TEST(ActionVatTest, StoredOrderingsAndTheCarryOverIntoHundredths) {
    TestLibrary t;
    t.host.vatRates = {0, 5};
    t.host.params[kWhole] = "23\r\n8";
    auto a = t.Action();
    EXPECT_EQ(Slots(a->GetStawkiKolejne()), (std::vector<int32_t>{23, 8, E, E, E, E, E, E, E, E}));
    // No hundredths ordering yet: the whole-percent one is carried over.
    EXPECT_EQ(Slots(a->GetStawkiKolejnePrec()),
              (std::vector<int32_t>{2300, 800, E, E, E, E, E, E, E, E}));

    TestLibrary both;
    both.host.params[kWhole] = "23\r\n8";
    both.host.params[kPrec] = "550\r\n-1";
    auto b = both.Action();
    EXPECT_EQ(Slots(b->GetStawkiKolejnePrec()),
              (std::vector<int32_t>{550, -1, E, E, E, E, E, E, E, E}));

    TestLibrary none(false);
    none.host.vatRatesPrec = {550, 2300};
    none.host.RegisterAll(none.handle);
    none.host.params[kPrec] = "  \r\n ";
    auto c = none.Action();
    EXPECT_EQ(Slots(c->GetStawkiKolejnePrec()),
              (std::vector<int32_t>{2300, 550, E, E, E, E, E, E, E, E}));

    TestLibrary cut;
    cut.host.params[kWhole] = "1\r\n2\r\n3\r\n4\r\n5\r\n6";
    FourPlaces four(&cut.Lib(), cut.host.Device());
    EXPECT_EQ(four.GetStawkiKolejne().IleUstawionych(), 4);
    EXPECT_EQ(four.GetStawkiKolejnePrec().IleUstawionych(), 4);
}

TEST(ActionVatTest, SavingWritesTheStoredForm) {
    TestLibrary t;
    t.host.params[kWhole] = "23\r\n8";
    auto a = t.Action();
    a->GetStawkiKolejne().SetWartosci(2, -1);
    a->ZapiszStawkiKolejne();
    EXPECT_EQ(t.host.StoredValue(kWhole),
              "23\r\n8\r\n-1\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
    // The hundredths ordering is carried over from what was just saved.
    a->ZapiszStawkiKolejnePrec();
    EXPECT_EQ(t.host.StoredValue(kPrec),
              "2300\r\n800\r\n-1\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");

    // A fresh action reads back what was saved.
    auto again = t.Action();
    EXPECT_EQ(Slots(again->GetStawkiKolejne()), Slots(a->GetStawkiKolejne()));

    t.host.refuseStore = true;
    try {
        a->ZapiszStawkiKolejne();
        FAIL() << "a refused store must end the operation";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Błąd zapisu własnego parametru '") + kWhole + "' do bazy danych");
    }
}

// Puts a scripted user in place of the window for one test.
struct ScriptedWindow {
    std::vector<platform::VatWindowModel> seen;
    std::vector<void*> owners;
    explicit ScriptedWindow(std::function<int32_t(platform::VatWindowModel&)> user) {
        TFrmStawkiNaKasie::SetWindowRunner([this, user](platform::VatWindowModel& m, void* owner) {
            seen.push_back(m);
            owners.push_back(owner);
            return user(m);
        });
    }
    ~ScriptedWindow() { TFrmStawkiNaKasie::SetWindowRunner({}); }
};

int ChangeCalls(const FakeHost& h, const std::string& name) {
    int n = 0;
    for (const auto& c : h.calls)
        if (c.code == KRV_CB_CHANGE_PARAMETER && c.texts[0] == name) ++n;
    return n;
}

TEST(ActionVatTest, ConfirmedDialogSavesThePicks) {
    TestLibrary t;
    t.host.vatRates = {0, 5, 8, 23};
    auto a = t.Action();
    int window = 0;
    platform::SetApplicationWindow(&window);
    ScriptedWindow user([](platform::VatWindowModel& m) {
        m.rows[1].selected = 2;  // "5" instead of "8"
        m.rows[4].selected = 0;
        return TFrmStawkiNaKasie::kResultOk;
    });
    a->WyswietlOknoStawekNaKasie("1", true, "");
    platform::SetApplicationWindow(nullptr);

    ASSERT_EQ(user.seen.size(), 1u);
    EXPECT_EQ(user.owners[0], &window);
    const auto& shown = user.seen[0];
    EXPECT_EQ(shown.rows[0].items, (std::vector<std::string>{"<pusta>", "0", "5", "8", "23"}));
    EXPECT_EQ(shown.rows[0].selected, 4);
    EXPECT_EQ(shown.rows[1].selected, 3);
    EXPECT_EQ(shown.rows[0].label, "1:");
    EXPECT_TRUE(shown.rows[9].visible);
    EXPECT_FALSE(shown.specialVisible);
    EXPECT_TRUE(shown.okEnabled);

    EXPECT_EQ(ChangeCalls(t.host, kWhole), 1);
    EXPECT_EQ(t.host.StoredValue(kWhole),
              "23\r\n5\r\n5\r\n0\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
    EXPECT_EQ(a->GetStawkiKolejne().GetWartosci(1), 5);
}

TEST(ActionVatTest, CancelledOrReadOnlyDialogSavesNothing) {
    TestLibrary t;
    t.host.vatRates = {8, 23};
    auto a = t.Action();
    {
        ScriptedWindow user([](platform::VatWindowModel& m) {
            m.rows[0].selected = 0;
            return TFrmStawkiNaKasie::kResultCancel;
        });
        a->WyswietlOknoStawekNaKasie("A", true, "");
        EXPECT_EQ(user.seen[0].rows[2].label, "C:");
    }
    {
        ScriptedWindow user([](platform::VatWindowModel& m) {
            m.rows[0].selected = 0;
            return TFrmStawkiNaKasie::kResultOk;
        });
        a->WyswietlOknoStawekNaKasie("0", false, "Opak.");
        const auto& shown = user.seen[0];
        EXPECT_FALSE(shown.okEnabled);
        EXPECT_FALSE(shown.rows[3].enabled);
        EXPECT_TRUE(shown.specialVisible);
        EXPECT_EQ(shown.specialLabel, "Opak.");
        EXPECT_EQ(shown.specialText, "zw");
    }
    EXPECT_EQ(t.host.CountCalls(KRV_CB_CHANGE_PARAMETER), 0);
    EXPECT_EQ(a->GetStawkiKolejne().GetWartosci(0), 23);
}

TEST(ActionVatTest, HundredthsDialogSavesTheHundredthsOrdering) {
    TestLibrary t(false);
    t.host.vatRatesPrec = {550, 2300, -1};
    t.host.RegisterAll(t.handle);
    FourPlaces a(&t.Lib(), t.host.Device());
    ScriptedWindow user([](platform::VatWindowModel& m) {
        m.rows[0].selected = 1;  // 5.50
        m.rows[1].selected = 3;  // zw
        return TFrmStawkiNaKasie::kResultOk;
    });
    a.WyswietlOknoStawekNaKasiePrec("1", true, "");
    const auto& shown = user.seen[0];
    EXPECT_EQ(shown.rows[0].items, (std::vector<std::string>{"<pusta>", "5.50", "23.00", "zw"}));
    EXPECT_EQ(shown.rows[0].selected, 3);  // ordering from the set: -1, 2300, 550
    EXPECT_TRUE(shown.rows[3].visible);
    EXPECT_FALSE(shown.rows[4].visible);
    EXPECT_EQ(ChangeCalls(t.host, kPrec), 1);
    EXPECT_EQ(ChangeCalls(t.host, kWhole), 0);
    EXPECT_EQ(t.host.StoredValue(kPrec),
              "550\r\n-1\r\n550\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
}

}  // namespace
}  // namespace krv::test
