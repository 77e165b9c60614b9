#include "action/action_base.h"

#include <gtest/gtest.h>

#include "fakes/manual_clock.h"
#include "fakes/test_library.h"
#include "support/exception.h"

namespace krv::test {
namespace {

using Msg = FakeHost::Message;

std::string Sep() { return std::string(1, KRV_STATUS_SEPARATOR); }

TEST(ActionBaseTest, DeviceDataComesFromTheHostAtConstruction) {
    TestLibrary t;
    t.host.exchangeDir = "/tmp/exchange/";
    auto a = t.Action();
    EXPECT_EQ(a->daneInt1, 7);
    EXPECT_EQ(a->daneInt2, 8);
    EXPECT_EQ(a->daneTekst1, "device");
    EXPECT_EQ(a->katalogWymiany, "/tmp/exchange/");

    TestLibrary bare(false);
    auto b = bare.Action();
    EXPECT_EQ(b->daneInt1, -1);
    EXPECT_EQ(b->daneInt2, 0);
    EXPECT_EQ(b->katalogWymiany, "");
}

TEST(ActionBaseTest, CarelessHostTextIsCutAtTheBufferSize) {
    TestLibrary t;
    t.host.overfill = 'Z';
    t.host.exchangeDir = std::string(400, 'd');
    t.host.params["Name"] = std::string(500, 'v');
    auto a = t.Action();
    EXPECT_EQ(a->katalogWymiany, std::string(260, 'd'));
    EXPECT_EQ(a->daneTekst1, "device" + std::string(294, 'Z'));
    EXPECT_EQ(a->WartoscParametru("Name"), std::string(300, 'v'));
}

TEST(ActionBaseTest, PercentLineWithZeroMaximumRunsToHundred) {
    TestLibrary t;
    auto a = t.Action();
    a->MsgAdd("Wczytywanie", lpvPercent, 0);
    EXPECT_EQ(a->ProgressMax(), 1);
    ASSERT_EQ(t.host.messages.size(), 1u);
    EXPECT_EQ(t.host.messages[0].text, "Wczytywanie:" + Sep() + "0 %");
    EXPECT_EQ(t.host.messages[0].kind, KRV_MSG_ORDINARY);
    a->MsgP(1);
    ASSERT_EQ(t.host.messages.size(), 2u);
    EXPECT_EQ(t.host.messages[1].code, KRV_CB_CHANGE_LAST_MESSAGE);
    EXPECT_EQ(t.host.messages[1].text, "Wczytywanie:" + Sep() + "100 %");
    a->MsgP(1);  // unchanged position: nothing sent
    EXPECT_EQ(t.host.messages.size(), 2u);
}

TEST(ActionBaseTest, MultiLineTextGetsTheSuffixOnItsLastLineOnly) {
    TestLibrary t;
    auto a = t.Action();
    a->MsgAdd("first\r\nsecond", lpvFinished, 100);
    ASSERT_EQ(t.host.messages.size(), 2u);
    EXPECT_EQ(t.host.messages[0].text, "first");
    EXPECT_EQ(t.host.messages[1].text, "second" + Sep() + "OK");
    EXPECT_EQ(a->ProgressLine(), "second");
    a->MsgAdd("", lpvFailed, 5);  // an empty text changes nothing
    EXPECT_EQ(t.host.messages.size(), 2u);
    EXPECT_EQ(a->ProgressState(), lpvFinished);
}

TEST(ActionBaseTest, CountLineAndStateChanges) {
    TestLibrary t;
    auto a = t.Action();
    a->MsgAdd(" - do dodania", lpvCount, 100);
    a->MsgP(42);
    // Texts reach the host trimmed.
    EXPECT_EQ(t.host.messages.back().text, "- do dodania:" + Sep() + "42");
    a->MsgS(lpvFailed);
    EXPECT_EQ(t.host.messages.back().code, KRV_CB_CHANGE_LAST_MESSAGE);
    EXPECT_EQ(t.host.messages.back().kind, KRV_MSG_ERROR);
    EXPECT_EQ(t.host.messages.back().text, "- do dodania");
    size_t n = t.host.messages.size();
    a->MsgS(lpvFailed);
    EXPECT_EQ(t.host.messages.size(), n);
    a->MsgP(50);  // not running any more: nothing sent
    EXPECT_EQ(t.host.messages.size(), n);
    a->MsgS(lpvFinished);
    EXPECT_EQ(t.host.messages.back().text, "- do dodania" + Sep() + "OK");
    a->MsgS(lpvWarning);
    EXPECT_EQ(t.host.messages.back().kind, KRV_MSG_WARNING);
}

TEST(ActionBaseTest, PercentUsesTheStoredPositionWhenTheStateSwitches) {
    TestLibrary t;
    auto a = t.Action();
    a->MsgAdd("Zapis", lpvCount, 8);
    a->MsgP(2);
    a->MsgS(lpvPercent);
    EXPECT_EQ(t.host.messages.back().text, "Zapis:" + Sep() + "25 %");
}

TEST(ActionBaseTest, LastMessageIsRememberedAndCutAtTheSeparator) {
    TestLibrary t;
    auto a = t.Action();
    a->DodajKomunikat(KRV_MSG_ORDINARY, "Czekam" + Sep() + "12");
    EXPECT_EQ(a->PodajOstatniKomunikat(true), "Czekam");
    EXPECT_EQ(a->PodajOstatniKomunikat(false), "Czekam" + Sep() + "12");
    EXPECT_EQ(a->ZmienOstatniKomunikat(KRV_MSG_ORDINARY, "Czekam" + Sep() + "11"),
              "Czekam" + Sep() + "12");
    EXPECT_EQ(t.host.messages.back().code, KRV_CB_CHANGE_LAST_MESSAGE);
}

TEST(ActionBaseTest, FinalCatcherForms) {
    TestLibrary t;
    auto a = t.Action();
    EAbort abort;
    a->OstatecznePrzechwycenieBledu("eksport", &abort);
    ASSERT_EQ(t.host.messages.size(), 1u);
    EXPECT_EQ(t.host.MessagesUtf8()[0], "Operacja 'eksport' została przerwana");
    EXPECT_EQ(t.host.messages[0].kind, KRV_MSG_ERROR);
    EXPECT_EQ(a->ProgressState(), lpvFailed);

    t.host.messages.clear();
    a->OstatecznePrzechwycenieBledu("eksport", nullptr);
    EXPECT_EQ(t.host.MessagesUtf8()[0],
              "Podczas wykonywania operacji 'eksport' wystąpił nierozpoznawalny błąd");

    t.host.messages.clear();
    Exception plain(W("Brak pliku"));
    a->OstatecznePrzechwycenieBledu("eksport", &plain);
    ASSERT_EQ(t.host.messages.size(), 2u);
    EXPECT_EQ(t.host.MessagesUtf8()[0], "Podczas wykonywania operacji 'eksport' wystąpił błąd:");
    EXPECT_EQ(t.host.MessagesUtf8()[1], "Brak pliku");
    EXPECT_EQ(t.host.messages[1].kind, KRV_MSG_ERROR);

    t.host.messages.clear();
    EMException em(3, "Tytul", "Opis pierwszy");
    em.AddTopic(4, "Drugi", "Opis drugi");
    a->OstatecznePrzechwycenieBledu("eksport", &em);
    std::vector<std::string> expected = {"Podczas wykonywania operacji 'eksport' wystąpił błąd:",
                                         "[3] Tytul", "Opis pierwszy", "[4] Drugi", "Opis drugi"};
    EXPECT_EQ(t.host.MessagesUtf8(), expected);

    // A std::exception of the runtime counts as an ordinary failure.
    t.host.messages.clear();
    std::runtime_error std_error("disk full");
    a->OstatecznePrzechwycenieBledu("eksport", &std_error);
    EXPECT_EQ(t.host.MessagesUtf8().back(), "disk full");
}

TEST(ActionBaseTest, FinalCatcherUsesTranslations) {
    TestLibrary t;
    t.host.translations["kstools_KSLib/TKSActioOstateczstr_00002"] = "Operation '";
    t.host.translations["kstools_KSLib/TKSActioOstateczstr_00003"] = "' was interrupted";
    auto a = t.Action();
    EAbort abort;
    a->OstatecznePrzechwycenieBledu("export", &abort);
    EXPECT_EQ(t.host.messages.back().text, "Operation 'export' was interrupted");
}

TEST(ActionBaseTest, InterruptionWithoutHostFunctionMeansInterrupt) {
    TestLibrary t(true, {KRV_CB_INTERRUPT});
    auto a = t.Action();
    EXPECT_TRUE(a->CzyPrzerwac());
    EXPECT_THROW(a->SprawdzCzyPrzerwac(), EAbort);
}

TEST(ActionBaseTest, SharedResourceIsRetriedUntilHeldOrInterrupted) {
    ManualClock clock;
    platform::ScopedClock use(clock);
    TestLibrary t;
    t.host.resourceAnswer = 0;
    t.host.interruptAfter = 2;
    auto a = t.Action();
    EXPECT_THROW(a->ZajmijZasobSterownika("192.0.2.1"), EAbort);
    EXPECT_EQ(t.host.CountCalls(KRV_CB_TAKE_RESOURCE), 3);
    EXPECT_EQ(t.host.CountCalls(KRV_CB_INTERRUPT), 3);
    // A pause between the tries, none after the interruption.
    EXPECT_EQ(clock.Sleeps(), (std::vector<int32_t>{100, 100}));

    // Taking the resource without a way to release it: never asked, and
    // without KRV_CB_INTERRUPT the abort is immediate.
    TestLibrary noRelease(true, {KRV_CB_INTERRUPT, KRV_CB_RELEASE_RESOURCE});
    auto b = noRelease.Action();
    EXPECT_THROW(b->ZajmijZasobSterownika("x"), EAbort);
    EXPECT_EQ(noRelease.host.CountCalls(KRV_CB_TAKE_RESOURCE), 0);

    TestLibrary granted;
    auto c = granted.Action();
    EXPECT_NO_THROW(c->ZajmijZasobSterownika("  scale  "));
    EXPECT_EQ(granted.host.calls.back().texts[0], "scale");
}

TEST(ActionBaseTest, StoringResultsFailsLoudlyWhenTheHostRefuses) {
    TestLibrary t;
    t.host.storeAnswer = 0;
    auto a = t.Action();
    try {
        a->ZapiszWynikEksportu();
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Błąd zapisu wyniku eksportu do bazy danych"));
    }
    EXPECT_THROW(a->ZapiszKasaImp(), Exception);
    EXPECT_THROW(a->ZapiszParagonImp(), Exception);
    t.host.storeAnswer = 1;
    EXPECT_NO_THROW(a->ZapiszWynikEksportu());

    TestLibrary missing(true, {KRV_CB_STORE_EXPORT_RESULT});
    EXPECT_THROW(missing.Action()->ZapiszWynikEksportu(), Exception);
}

TEST(ActionBaseTest, WeightedFormatsAreLoadedOnceAndStopAtAnEmptyText) {
    TestLibrary t;
    t.host.weightedFormats = {" 28SSSSSK????K ", "29xxx", "", "30never"};
    auto a = t.Action();
    std::vector<std::string> expected = {"28SSSSSK????K", "29xxx"};
    EXPECT_EQ(a->GetFormatyWazone(), expected);
    a->GetFormatyWazone();
    EXPECT_EQ(t.host.CountCalls(KRV_CB_WEIGHTED_FORMATS), 3);
}

TEST(ActionBaseTest, BaseOperationRejectsEveryType) {
    TestLibrary t;
    auto a = t.Action();
    HKRVDLLSRODOWISKO env;
    try {
        a->TKSActionBase::Operacja(env, KRV_OP_EXPORT, 0);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), W("Urządzenie nie obsługuje zleconego typu operacji"));
    }
    EXPECT_EQ(a->TKSActionBase::WlasciwosciUrzadzenia(1103), "0");
    EXPECT_EQ(a->TKSActionBase::WlasciwosciUrzadzenia(1104), "");
}

TEST(ActionBaseTest, ForwardersPassTheirValuesAndNeutralAnswersWithoutHost) {
    TestLibrary t;
    auto a = t.Action();
    EXPECT_EQ(a->WstrzymajOperacje("  keep  ", 17), 17);
    EXPECT_EQ(t.host.calls.back().texts[0], "  keep  ");  // not trimmed
    int32_t counters[2] = {5, 6};
    a->ZapiszStanICzasLicznika(counters, 2, "12:00");
    EXPECT_EQ(t.host.calls.back().ints[1], 5);
    EXPECT_EQ(a->DodajTowarZKasy("a", 9, "b", 2, "c", "d", 3, 1, 2, 3, 4, 5, 6, "e"), 9);
    t.host.goods["590"] = "PLU;1";
    std::string rec;
    EXPECT_TRUE(a->OdczytajTowar(" 590 ", rec));
    EXPECT_EQ(rec, "PLU;1");

    TestLibrary none(false);
    auto b = none.Action();
    EXPECT_EQ(b->WstrzymajOperacje("x", 3), -1);
    EXPECT_EQ(b->DodajTowarZKasy("a", 9, "b", 2, "c", "d", 3, 1, 2, 3, 4, 5, 6, "e"), -1);
    EXPECT_FALSE(b->OdczytajTowar("590", rec));
    EXPECT_EQ(b->WartoscParametru("DigiSM_AdresIP"), "");
    EXPECT_EQ(b->GetLgLink(), nullptr);
}

}  // namespace
}  // namespace krv::test
