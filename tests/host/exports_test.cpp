// The exported functions as a host meets them.
#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

#include "fakes/manual_clock.h"
#include "fakes/test_library.h"
#include "krvdll.h"
#include "platform/clock.h"
#include "support/exception.h"

namespace krv::test {
namespace {

// A host that loads the library through the header's function-pointer types
// calls exactly the exported functions: a type that drifted from its
// declaration would corrupt the stack (32-bit) or the arguments.
#define KRV_SAME_TYPE(name) \
    static_assert(std::is_same_v<decltype(&KRVDLL##name), KRVDLL##name##Fn>, #name);
KRV_SAME_TYPE(TypBiblioteki)
KRV_SAME_TYPE(Wlasciwosci)
KRV_SAME_TYPE(WlasciwosciUrzadzenia)
KRV_SAME_TYPE(RejestrujBiblioteke)
KRV_SAME_TYPE(RejestrujCallback)
KRV_SAME_TYPE(ZwolnijBiblioteke)
KRV_SAME_TYPE(SerKasJakSzukacParagonu)
KRV_SAME_TYPE(SerKasOpisOkna)
KRV_SAME_TYPE(SerKasPokazOkno)
KRV_SAME_TYPE(SerKasNazwaZasobuDzielonego)
KRV_SAME_TYPE(SerKasOperacja)
KRV_SAME_TYPE(SerKasPodtrzymajSesje)
KRV_SAME_TYPE(UstawJezykKomponentow)
KRV_SAME_TYPE(Parametr)
KRV_SAME_TYPE(TekstListyParametru)
#undef KRV_SAME_TYPE

struct Buffer {
    char data[KRV_TEXT_BUFFER];
    Buffer() { std::memset(data, 'X', sizeof data); }
    std::string Text() const { return std::string(data, strnlen(data, sizeof data)); }
    bool Terminated() const { return data[KRV_TEXT_MAX] == '\0'; }
};

TEST(ExportsTest, LibraryDescribesItself) {
    EXPECT_EQ(KRVDLLTypBiblioteki(), 2);
    Buffer b;
    KRVDLLWlasciwosci(b.data, 1);
    EXPECT_EQ(b.Text(), "Digi SM (Ethernet)");
    EXPECT_TRUE(b.Terminated());
    KRVDLLWlasciwosci(b.data, 2);
    EXPECT_EQ(b.Text(), "TV_Tarvisco");
    KRVDLLWlasciwosci(b.data, 3);
    EXPECT_EQ(b.Text(),
              W("Testowano na:\r\nSM-300BJ wer. 14.84, SM-500 wer. 15.93c\r\nSM_eth.exe wer. "
                "1.0.0.0 z 27.11.2001"));
    for (int code : {4, 101, 104, -1}) {
        KRVDLLWlasciwosci(b.data, code);
        EXPECT_EQ(b.Text(), "") << code;
    }
    KRVDLLWlasciwosci(b.data, 105);
    EXPECT_EQ(b.Text(), "1");
    KRVDLLWlasciwosci(b.data, 102);
    EXPECT_EQ(b.Text(), "0");
    for (int i : {0, 1, 7}) {
        EXPECT_EQ(KRVDLLSerKasOpisOkna(b.data, i), 0);
        EXPECT_EQ(b.Text(), "");
    }
}

TEST(ExportsTest, NullPointersNeverCrash) {
    KRVDLLWlasciwosci(nullptr, 1);
    KRVDLLZwolnijBiblioteke(nullptr);
    KRVDLLRejestrujCallback(nullptr, nullptr, KRV_CB_ADD_MESSAGE);
    EXPECT_EQ(KRVDLLSerKasOpisOkna(nullptr, 0), 0);
    EXPECT_EQ(KRVDLLParametr(102, 18, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 4);
    EXPECT_EQ(KRVDLLTekstListyParametru(nullptr, 0, nullptr), 0);
    EXPECT_EQ(KRVDLLTekstListyParametru("DigiSM_Zlacze", 1, nullptr), 1);
    Buffer b;
    EXPECT_EQ(KRVDLLSerKasOperacja(nullptr, nullptr, nullptr, b.data, KRV_OP_EXPORT, 0), 0);
    KRVDLLSerKasNazwaZasobuDzielonego(nullptr, nullptr, b.data);
    KRVDLLSerKasPodtrzymajSesje(nullptr, nullptr, b.data, 0, 0);
    EXPECT_EQ(KRVDLLSerKasJakSzukacParagonu(nullptr, nullptr, nullptr, nullptr, nullptr), 0);

    TestLibrary t;
    t.host.params["DigiSM_AdresIP"] = "127.0.0.1:9100";
    KRVDLLWlasciwosciUrzadzenia(t.handle, t.host.Device(), nullptr, 1104);
    KRVDLLSerKasNazwaZasobuDzielonego(t.handle, t.host.Device(), nullptr);
    // A null session slot means no session; a null text buffer gives an empty text.
    EXPECT_EQ(
        KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, nullptr, KRV_OP_SALES_IMPORT, 0),
        0);
    KRVDLLSerKasPodtrzymajSesje(t.handle, nullptr, nullptr, 1, 1);
    int32_t x = 5;
    EXPECT_EQ(KRVDLLSerKasJakSzukacParagonu(t.handle, t.host.Device(), &x, nullptr, nullptr), 0);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(KRVDLLSerKasPokazOkno(t.handle, t.host.Device(), 0, 1, nullptr, nullptr), 0);
}

TEST(ExportsTest, DeviceQueriesGoThroughATemporaryAction) {
    TestLibrary t;
    t.host.params["DigiSM_AdresIP"] = "  127.0.0.1:9100 ";
    Buffer b;
    KRVDLLSerKasNazwaZasobuDzielonego(t.handle, t.host.Device(), b.data);
    EXPECT_EQ(b.Text(), "127.0.0.1:9100");
    KRVDLLWlasciwosciUrzadzenia(t.handle, t.host.Device(), b.data, 1104);
    EXPECT_EQ(b.Text(), "-1");
    KRVDLLWlasciwosciUrzadzenia(t.handle, t.host.Device(), b.data, 1101);
    EXPECT_EQ(b.Text(), "0");
    KRVDLLWlasciwosciUrzadzenia(t.handle, t.host.Device(), b.data, 1103);
    EXPECT_EQ(b.Text(), "");
    // Every query asked the host for the device data of a fresh action.
    EXPECT_EQ(t.host.CountCalls(KRV_CB_DEVICE_DATA), 4);
}

TEST(ExportsTest, UnsupportedOperationsAreRejectedUnderTheirNames) {
    TestLibrary t;
    Buffer b;
    std::strcpy(b.data, "in");
    EXPECT_EQ(
        KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, b.data, KRV_OP_SALES_IMPORT, 0),
        0);
    std::vector<std::string> expected = {
        "Podczas wykonywania operacji 'import sprzedaży' wystąpił błąd:",
        "Urządzenie nie obsługuje zleconego typu operacji"};
    EXPECT_EQ(t.host.MessagesUtf8(), expected);
    EXPECT_EQ(t.host.messages[1].kind, KRV_MSG_ERROR);
    EXPECT_EQ(b.Text(), "in");  // the environment text goes back to the caller

    t.host.messages.clear();
    KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, b.data, 17, 0);
    EXPECT_EQ(t.host.MessagesUtf8()[0],
              "Podczas wykonywania operacji 'operacja [17]' wystąpił błąd:");
    t.host.messages.clear();
    KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, b.data, KRV_OP_CONNECTION_TEST, 0);
    EXPECT_EQ(t.host.MessagesUtf8()[0],
              "Podczas wykonywania operacji 'test połączenia' wystąpił błąd:");
    t.host.messages.clear();
    KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, b.data, KRV_OP_LISTEN, 0);
    EXPECT_EQ(t.host.MessagesUtf8()[0], "Podczas wykonywania operacji 'nasłuch' wystąpił błąd:");
}

TEST(ExportsTest, ForeignSessionWaitsOneSecondAndLeavesTheBuffer) {
    TestLibrary t;
    int session = 1;
    void* slot = &session;
    Buffer b;
    std::strcpy(b.data, "inwentura");
    ManualClock clock;
    platform::ScopedClock use(clock);
    EXPECT_EQ(KRVDLLSerKasOperacja(t.handle, t.host.Device(), &slot, b.data, KRV_OP_EXPORT, 0), 1);
    EXPECT_EQ(clock.Sleeps(), std::vector<int32_t>{1000});
    ASSERT_EQ(t.host.messages.size(), 1u);
    EXPECT_EQ(t.host.MessagesUtf8()[0], "Oczekiwanie na zamknięcie sesji 'inwentura'");
    EXPECT_EQ(t.host.messages[0].kind, KRV_MSG_ORDINARY);
    EXPECT_EQ(b.Text(), "inwentura");
    EXPECT_EQ(t.host.CountCalls(KRV_CB_PARAMETER_VALUE), 0);  // the operation never ran

    // Keep-alive with a foreign session leaves the buffer as it was.
    std::strcpy(b.data, "typ");
    KRVDLLSerKasPodtrzymajSesje(t.handle, &slot, b.data, 1, 1);
    EXPECT_EQ(b.Text(), "typ");
    void* none = nullptr;
    KRVDLLSerKasPodtrzymajSesje(t.handle, &none, b.data, 1, 1);
    EXPECT_EQ(b.Text(), "typ");
}

TEST(ExportsTest, LongTextsAreCutAndTerminated) {
    TestLibrary t;
    Buffer b;
    std::memset(b.data, 'A', sizeof b.data);  // no terminator in the caller's text
    KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, b.data, KRV_OP_SALES_IMPORT, 0);
    EXPECT_TRUE(b.Terminated());
    EXPECT_EQ(b.Text(), std::string(300, 'A'));

    t.host.params["DigiSM_AdresIP"] = std::string(299, 'x') + "yz";
    KRVDLLSerKasNazwaZasobuDzielonego(t.handle, t.host.Device(), b.data);
    EXPECT_EQ(b.Text(), std::string(299, 'x') + "y");
    EXPECT_TRUE(b.Terminated());
}

TEST(ExportsTest, TranslationObjectIsReplacedWhenRegisteredAgain) {
    TestLibrary t;
    t.host.translations["tarvisco_dgaction/TKSLibraParametrAOpis_00001"] = "IP address";
    EXPECT_NE(TKSLibrary::CurrentLg(), nullptr);
    const TMLgExtTools* first = t.Lib().GetLgLink();
    t.host.Register(t.handle, KRV_CB_TRANSLATE);
    EXPECT_NE(t.Lib().GetLgLink(), nullptr);
    EXPECT_EQ(TKSLibrary::CurrentLg(), t.Lib().GetLgLink());
    (void)first;
    Buffer name, desc, def, lo, hi;
    KRVDLLParametr(101, 1, name.data, desc.data, def.data, lo.data, hi.data, nullptr);
    EXPECT_EQ(desc.Text(), "IP address");
    KRVDLLZwolnijBiblioteke(t.handle);
    t.handle = nullptr;
    EXPECT_EQ(TKSLibrary::CurrentLg(), nullptr);
    KRVDLLParametr(101, 1, name.data, desc.data, def.data, lo.data, hi.data, nullptr);
    EXPECT_EQ(desc.Text(), "Adres IP");
}

TEST(ExportsTest, LanguageNumberReachesTheSupportPackage) {
    KRVDLLUstawJezykKomponentow(3);
    EXPECT_EQ(EMException::Language, 3);
    KRVDLLUstawJezykKomponentow(0);
}

}  // namespace
}  // namespace krv::test
