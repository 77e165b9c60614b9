// A host that breaks the rules of its callbacks: endless lists, absurd VAT
// rates, a translation function that registers itself again while it runs, a
// host that frees the library from inside a callback.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/test_library.h"
#include "host/host_call.h"
#include "krvdll.h"
#include "scale/scale_fixture.h"
#include "support/exception.h"

namespace krv::test {
namespace {

// --- a weighted-format list that never ends ---

int g_formatCalls = 0;
int32_t KRV_CALL EndlessFormats(void*, void*, int32_t, char* format) {
    ++g_formatCalls;
    // Ends anyway after far too many entries, so that a library without a
    // bound fails this test instead of hanging it.
    if (g_formatCalls > 200000) return 0;
    std::strcpy(format, "28SSSSSK????K");
    return 1;
}

std::vector<int32_t> Values(const TMacSetOfIntegers& set) {
    std::vector<int32_t> v;
    for (int32_t i = 0; i < set.GetCount(); ++i) v.push_back(set.GetValues(i));
    return v;
}

TEST(HostileHostTest, EndlessWeightedFormatListIsBoundedAndInterruptible) {
    TestLibrary t;
    KRVDLLRejestrujCallback(t.handle, reinterpret_cast<void*>(&EndlessFormats),
                            KRV_CB_WEIGHTED_FORMATS);
    g_formatCalls = 0;
    auto a = t.Action();
    EXPECT_EQ(a->GetFormatyWazone().size(), 10000u);
    EXPECT_EQ(g_formatCalls, 10000);
    EXPECT_EQ(t.host.CountCalls(KRV_CB_INTERRUPT), 99);  // asked every 100 entries, never stopped

    // The user's interruption reaches the list.
    g_formatCalls = 0;
    t.host.interruptAfter = 3;
    auto b = t.Action();
    EXPECT_THROW(b->GetFormatyWazone(), EAbort);
    EXPECT_LT(g_formatCalls, 10000);
    EXPECT_GE(g_formatCalls, 100);
}

TEST(HostileHostTest, WholePercentRateTooLargeToScaleIsLeftOut) {
    // Without KRV_CB_VAT_RATES_PREC the whole-percent rates are scaled by 100;
    // a rate that would wrap round is no rate, as in a stored rate list.
    TestLibrary t(true, {KRV_CB_VAT_RATES_PREC});
    t.host.vatRates = {23, INT32_MAX, 21474836, 21474837, -1};
    auto a = t.Action();
    EXPECT_EQ(Values(a->GetStawkiDostepnePrec()), (std::vector<int32_t>{2300, 2147483600, -1}));
}

// --- a translation function that registers KRV_CB_TRANSLATE again while it runs ---

void* g_library = nullptr;
int g_firstCalls = 0;

int32_t KRV_CALL SecondTranslation(char* out, int32_t size, const char*, const char* key) {
    std::string text = std::string("T2:") + key;
    std::strncpy(out, text.c_str(), static_cast<size_t>(size));
    return 1;
}

int32_t KRV_CALL FirstTranslation(char*, int32_t, const char*, const char*) {
    if (++g_firstCalls == 1)
        KRVDLLRejestrujCallback(g_library, reinterpret_cast<void*>(&SecondTranslation),
                                KRV_CB_TRANSLATE);
    return 0;  // no translation: the default text
}

TEST(HostileHostTest, TranslationRegisteredAgainDuringALookup) {
    TestLibrary t;
    g_library = t.handle;
    g_firstCalls = 0;
    KRVDLLRejestrujCallback(t.handle, reinterpret_cast<void*>(&FirstTranslation), KRV_CB_TRANSLATE);
    // A refused operation: the final catcher looks up several texts in a row
    // through the translation object it fetched once.
    char buf[KRV_TEXT_BUFFER] = "";
    KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, buf, KRV_OP_SALES_IMPORT, 0);
    EXPECT_EQ(g_firstCalls, 1);
    // The first text had no translation; the later ones came from the
    // function registered while the first lookup ran.
    std::string all;
    for (const std::string& m : t.host.MessagesUtf8()) all += m + "\n";
    EXPECT_NE(all.find("T2:"), std::string::npos) << all;
    g_library = nullptr;
}

// --- a host that frees the library from inside a callback of an export ---

// The host of the running row: at the freeAt-th call of `code` it first asks
// the library something on the same handle (a nested call), then frees the
// handle twice and asks again.
struct FreeingHost {
    TestLibrary* t = nullptr;
    int32_t code = 0;
    int freeAt = 0, seen = 0;
    size_t callsAtFree = 0;  // the host's calls recorded when it freed the library
    std::string nestedBefore, nestedAfter;
    bool freed = false;
} g_freeing;

void MaybeFree(int32_t code) {
    FreeingHost& h = g_freeing;
    if (code != h.code || ++h.seen != h.freeAt) return;
    char buf[KRV_TEXT_BUFFER] = "x";
    KRVDLLWlasciwosciUrzadzenia(h.t->handle, h.t->host.Device(), buf, 1101);
    h.nestedBefore = buf;
    KRVDLLZwolnijBiblioteke(h.t->handle);
    KRVDLLZwolnijBiblioteke(h.t->handle);
    h.freed = true;
    h.callsAtFree = h.t->host.calls.size();
    std::strcpy(buf, "x");
    KRVDLLWlasciwosciUrzadzenia(h.t->handle, h.t->host.Device(), buf, 1101);
    h.nestedAfter = buf;
}

template <typename Fn>
Fn Fake(int32_t code) {
    return reinterpret_cast<Fn>(FakeHost::Function(code));
}

int32_t KRV_CALL FreeingInterrupt(void* c, void* d) {
    int32_t answer = Fake<KrvInterruptFn>(KRV_CB_INTERRUPT)(c, d);
    MaybeFree(KRV_CB_INTERRUPT);
    return answer;
}
int32_t KRV_CALL FreeingAdd(void* c, void* d, int32_t kind, const char* text) {
    int32_t answer = Fake<KrvMessageFn>(KRV_CB_ADD_MESSAGE)(c, d, kind, text);
    MaybeFree(KRV_CB_ADD_MESSAGE);
    return answer;
}
int32_t KRV_CALL FreeingChange(void* c, void* d, int32_t kind, const char* text) {
    int32_t answer = Fake<KrvMessageFn>(KRV_CB_CHANGE_LAST_MESSAGE)(c, d, kind, text);
    MaybeFree(KRV_CB_CHANGE_LAST_MESSAGE);
    return answer;
}
int32_t KRV_CALL FreeingStore(void* c, void* d) {
    int32_t answer = Fake<KrvStoreFn>(KRV_CB_STORE_EXPORT_RESULT)(c, d);
    MaybeFree(KRV_CB_STORE_EXPORT_RESULT);
    return answer;
}
int32_t KRV_CALL FreeingTranslate(char* out, int32_t size, const char* section, const char* key) {
    int32_t answer = Fake<KrvTranslateFn>(KRV_CB_TRANSLATE)(out, size, section, key);
    MaybeFree(KRV_CB_TRANSLATE);
    return answer;
}

void* FreeingFunction(int32_t code) {
    switch (code) {
        case KRV_CB_INTERRUPT: return reinterpret_cast<void*>(&FreeingInterrupt);
        case KRV_CB_ADD_MESSAGE: return reinterpret_cast<void*>(&FreeingAdd);
        case KRV_CB_CHANGE_LAST_MESSAGE: return reinterpret_cast<void*>(&FreeingChange);
        case KRV_CB_STORE_EXPORT_RESULT: return reinterpret_cast<void*>(&FreeingStore);
        default: return reinterpret_cast<void*>(&FreeingTranslate);
    }
}

class FreedInCallbackTest : public ScaleTest {
  protected:
    // An export of two goods through the fake SM_eth.exe (the library asks
    // code 5 while it waits); with the host refusing to store the result it
    // fails at the end, through the final catcher.
    int32_t RunExport(TestLibrary& t, bool fails) {
        t.host.params = lib.host.params;
        t.host.exchangeDir = lib.host.exchangeDir;
        t.host.storeAnswer = fails ? 0 : 1;
        WriteFile(File("kasa.exp"),
                  "PLU;1;0;101;Schab;19.99;0;0;0;23;1;T;3;F;F;F;0;;0;DOD;;;;;0\r\n"
                  "PLU;2;0;102;Boczek;25.00;0;0;0;23;1;T;3;F;F;F;0;;0;DOD;;;;;0\r\n");
        char buf[KRV_TEXT_BUFFER] = "";
        void* session = nullptr;
        return KRVDLLSerKasOperacja(t.handle, t.host.Device(), &session, buf, KRV_OP_EXPORT, 0);
    }
};

TEST_F(FreedInCallbackTest, ReleaseWaitsForTheOutermostCallAndHappensOnce) {
    InstallFake("slow:150");  // long enough to be asked whether to interrupt
    for (int32_t code : {KRV_CB_INTERRUPT, KRV_CB_ADD_MESSAGE, KRV_CB_CHANGE_LAST_MESSAGE,
                         KRV_CB_STORE_EXPORT_RESULT, KRV_CB_TRANSLATE}) {
        for (bool fails : {false, true}) {
            // How often the export calls the code when nobody frees anything.
            int calls = 0;
            {
                TestLibrary plain;
                RunExport(plain, fails);
                calls = plain.host.CountCalls(code);
                bool failed = false;
                for (const auto& m : plain.host.messages) failed |= m.kind == KRV_MSG_ERROR;
                ASSERT_EQ(failed, fails) << code;
            }
            ASSERT_GT(calls, 0) << "the export never calls code " << code;
            for (int freeAt : {1, calls}) {
                SCOPED_TRACE("code " + std::to_string(code) +
                             (fails ? ", failing" : ", succeeding") + ", freed at call " +
                             std::to_string(freeAt) + " of " + std::to_string(calls));
                const size_t objects = HostCall::ObjectCount();
                TestLibrary t;
                KRVDLLRejestrujCallback(t.handle, FreeingFunction(code), code);
                g_freeing = {};
                g_freeing.t = &t;
                g_freeing.code = code;
                g_freeing.freeAt = freeAt;
                RunExport(t, fails);
                ASSERT_TRUE(g_freeing.freed);
                // The nested call before the free was answered; after it the
                // handle counts as null, and the host heard nothing more.
                EXPECT_EQ(g_freeing.nestedBefore, "0");
                EXPECT_EQ(g_freeing.nestedAfter, "");
                EXPECT_EQ(t.host.calls.size(), g_freeing.callsAtFree);
                // Gone once the export returned, and its translation with it.
                EXPECT_EQ(HostCall::ObjectCount(), objects);
                EXPECT_EQ(TKSLibrary::CurrentLg(), nullptr);
                char buf[KRV_TEXT_BUFFER] = "";
                EXPECT_EQ(
                    KRVDLLSerKasOperacja(t.handle, t.host.Device(), nullptr, buf, KRV_OP_EXPORT, 0),
                    0);
                EXPECT_EQ(t.host.calls.size(), g_freeing.callsAtFree);
                g_freeing = {};
            }  // ~TestLibrary frees the handle once more: nothing happens
        }
    }
}

}  // namespace
}  // namespace krv::test
