// A host that breaks the rules of its callbacks: endless lists, absurd VAT
// rates, a translation function that registers itself again while it runs.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "fakes/test_library.h"
#include "krvdll.h"
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

}  // namespace
}  // namespace krv::test
