// krvhost's answers to every host function, called through the pointers it
// registers, as the library calls them: a stand-in library keeps what
// krvhost hands over, and the answers are checked against the profile.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "host.h"
#include "krvdll.h"
#include "profile.h"
#include "window.h"

namespace krv::test {
namespace {

using namespace krv::host;
namespace fs = std::filesystem;

// What the stand-in library was handed.
std::map<int32_t, void*> g_registered;
int g_handle = 0;

void* KRV_CALL Register(void*, void*, void*, void*) { return &g_handle; }
void KRV_CALL RegisterCallback(void*, void* fn, int32_t code) { g_registered[code] = fn; }
void KRV_CALL Free(void*) {}
// One parameter: DigiSM_Timeout, default 30.
int32_t KRV_CALL Parameter(int32_t group, int32_t index, char* name, char*, char* def, char*, char*,
                           int32_t*) {
    if (group != 101 || index != 0) return KRV_PARAM_NONE;
    std::strcpy(name, "DigiSM_Timeout");
    std::strcpy(def, "30");
    return KRV_PARAM_INTEGER;
}
int32_t KRV_CALL NoChoices(const char*, int32_t, char*) { return 0; }

template <typename Fn>
Fn Callback(int32_t code) {
    EXPECT_TRUE(g_registered.count(code)) << "callback " << code << " not registered";
    return reinterpret_cast<Fn>(g_registered[code]);
}

struct Fixture {
    fs::path dir = fs::temp_directory_path() /
                   ("krvhost_callbacks_" + std::to_string(reinterpret_cast<uintptr_t>(this)));
    LibraryApi api;
    Profile profile;
    std::FILE* sink = std::tmpfile();
    OperationWindow window{sink, false, false};
    std::unique_ptr<Host> host;

    explicit Fixture(const std::string& profile_text) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "device.ini") << profile_text;
        profile = Profile((dir / "device.ini").string());
        std::string error;
        EXPECT_TRUE(profile.Load(&error)) << error;
        api.RejestrujBiblioteke = &Register;
        api.RejestrujCallback = &RegisterCallback;
        api.ZwolnijBiblioteke = &Free;
        api.Parametr = &Parameter;
        api.TekstListyParametru = &NoChoices;
        g_registered.clear();
        host = std::make_unique<Host>(api, profile, window, nullptr);
        EXPECT_TRUE(host->Start(&error)) << error;
    }
    ~Fixture() {
        host.reset();
        std::fclose(sink);
        fs::remove_all(dir);
    }
    void* Cookie() { return host.get(); }
    std::string Notes() {
        std::fflush(sink);
        std::rewind(sink);
        std::string out;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, sink)) > 0) out.append(buf, n);
        return out;
    }
};

TEST(HostCallbacks, RatesAndWeightedFormatsComeFromTheProfileInOrder) {
    Fixture f(
        "[device]\nvat = 23, 8,x,5,0,-1\nformat.10 = C\nformat.2 = B\nformat.1 = A\n"
        "format.x = ignored\n");
    auto rate = Callback<KrvVatRateFn>(KRV_CB_VAT_RATES);
    auto prec = Callback<KrvVatRateFn>(KRV_CB_VAT_RATES_PREC);
    // Whole percent; in hundredths the positive ones times 100, the markers
    // 0 and -1 as they are; the item that is not a number left out.
    const int32_t percent[] = {23, 8, 5, 0, -1}, hundredths[] = {2300, 800, 500, 0, -1};
    for (int32_t i = 0; i < 5; ++i) {
        int32_t r = 77, h = 77;
        EXPECT_EQ(rate(f.Cookie(), nullptr, i, &r), 1);
        EXPECT_EQ(prec(f.Cookie(), nullptr, i, &h), 1);
        EXPECT_EQ(r, percent[i]) << i;
        EXPECT_EQ(h, hundredths[i]) << i;
    }
    int32_t r = 77;
    EXPECT_EQ(rate(f.Cookie(), nullptr, 5, &r), 0) << "past the end";
    EXPECT_EQ(rate(f.Cookie(), nullptr, -1, &r), 0);
    EXPECT_EQ(r, 77) << "untouched when there is no rate";
    EXPECT_EQ(rate(f.Cookie(), nullptr, 0, nullptr), 1) << "a null slot never crashes";

    auto format = Callback<KrvWeightedFormatFn>(KRV_CB_WEIGHTED_FORMATS);
    char text[KRV_TEXT_BUFFER];
    const char* expected[] = {"A", "B", "C"};  // by number: 10 after 2
    for (int32_t i = 0; i < 3; ++i) {
        ASSERT_EQ(format(f.Cookie(), nullptr, i, text), 1) << i;
        EXPECT_STREQ(text, expected[i]);
    }
    EXPECT_EQ(format(f.Cookie(), nullptr, 3, text), 0);
    EXPECT_EQ(format(f.Cookie(), nullptr, -1, text), 0);

    // Rates in hundredths given on their own line are taken as they are.
    f.profile.Set("device", "vat_prec", "2250,0");
    int32_t h = 0;
    EXPECT_EQ(prec(f.Cookie(), nullptr, 0, &h), 1);
    EXPECT_EQ(h, 2250);
    EXPECT_EQ(prec(f.Cookie(), nullptr, 2, &h), 0) << "only the hundredths line counts";
    EXPECT_EQ(rate(f.Cookie(), nullptr, 0, &h), 1);
    EXPECT_EQ(h, 23) << "whole percent still from vat";
}

TEST(HostCallbacks, ParametersAreReadChangedStoredAndReloaded) {
    Fixture f("[parameters]\nDigiSM_Timeout = 45\n[hidden]\nLastRun = 7\n");
    auto value = Callback<KrvParameterValueFn>(KRV_CB_PARAMETER_VALUE);
    auto change = Callback<KrvChangeParameterFn>(KRV_CB_CHANGE_PARAMETER);
    auto refresh = Callback<KrvNotifyFn>(KRV_CB_REFRESH_PARAMETERS);
    auto read = [&](const char* name) {
        char v[KRV_TEXT_BUFFER] = "junk";
        EXPECT_EQ(value(f.Cookie(), nullptr, name, v), 1);
        return std::string(v);
    };
    EXPECT_EQ(read(" DigiSM_Timeout "), "45") << "the name trimmed";
    EXPECT_EQ(read("LastRun"), "7") << "a hidden parameter";
    EXPECT_EQ(read("NoSuch"), "");
    EXPECT_EQ(read(nullptr), "") << "a null name is no name";

    // A catalogue name goes to [parameters], any other to [hidden]; both on disk.
    EXPECT_EQ(change(f.Cookie(), nullptr, "DigiSM_Timeout", " 60 "), 1);
    EXPECT_EQ(change(f.Cookie(), nullptr, "Counter", "3"), 1);
    EXPECT_EQ(change(f.Cookie(), nullptr, "  ", "3"), 0) << "no name, nothing stored";
    Profile disk(f.profile.Path());
    std::string error;
    ASSERT_TRUE(disk.Load(&error)) << error;
    EXPECT_EQ(disk.Get("parameters", "DigiSM_Timeout"), "60");
    EXPECT_EQ(disk.Get("hidden", "Counter"), "3");

    // Changed behind krvhost's back: read again on the library's request.
    std::ofstream(f.profile.Path()) << "[parameters]\nDigiSM_Timeout = 90\n";
    EXPECT_EQ(read("DigiSM_Timeout"), "60") << "not before the refresh";
    EXPECT_EQ(refresh(f.Cookie(), nullptr), 1);
    EXPECT_EQ(read("DigiSM_Timeout"), "90");
    std::ofstream(f.profile.Path()) << "not a profile line\n";
    EXPECT_EQ(refresh(f.Cookie(), nullptr), 1);
    EXPECT_EQ(read("DigiSM_Timeout"), "90") << "an unreadable profile keeps the old values";
    EXPECT_NE(f.Notes().find("WARN: krvhost: "), std::string::npos) << f.Notes();
    std::ofstream(f.profile.Path()) << "";
    EXPECT_EQ(refresh(f.Cookie(), nullptr), 1);
    EXPECT_EQ(read("DigiSM_Timeout"), "30") << "unset: the catalogue's default";

    // A profile that cannot be written: the change is refused.
    fs::remove_all(f.dir);
    EXPECT_EQ(change(f.Cookie(), nullptr, "Counter", "4"), 0);
    EXPECT_NE(f.Notes().find("ERROR: krvhost: "), std::string::npos) << f.Notes();
}

TEST(HostCallbacks, ResourcesAreTakenOnceAndTheRestAnswerAsAHostWithoutADatabase) {
    Fixture f("[device]\nname = Waga7\n");
    auto take = Callback<KrvResourceFn>(KRV_CB_TAKE_RESOURCE);
    auto release = Callback<KrvResourceFn>(KRV_CB_RELEASE_RESOURCE);
    EXPECT_EQ(take(f.Cookie(), nullptr, "127.0.0.1"), 1);
    EXPECT_EQ(take(f.Cookie(), nullptr, "127.0.0.1"), 0) << "busy until released";
    EXPECT_EQ(take(f.Cookie(), nullptr, "other"), 1);
    EXPECT_EQ(release(f.Cookie(), nullptr, "127.0.0.1"), 1);
    EXPECT_EQ(take(f.Cookie(), nullptr, "127.0.0.1"), 1);
    EXPECT_EQ(release(f.Cookie(), nullptr, "never taken"), 1);

    int32_t first = 0, second = 9;
    char name[KRV_TEXT_BUFFER], other[KRV_TEXT_BUFFER], dir[260];
    EXPECT_EQ(Callback<KrvDeviceDataFn>(KRV_CB_DEVICE_DATA)(f.Cookie(), nullptr, &first, &second,
                                                            name, other, dir),
              1);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_STREQ(name, "Waga7");
    EXPECT_EQ(std::string(dir), f.host->ExchangeDir());

    // krvhost keeps no goods or sales: it says so rather than pretend.
    char record[2048] = "junk";
    EXPECT_EQ(Callback<KrvReadGoodsFn>(KRV_CB_READ_GOODS)(f.Cookie(), nullptr, record, "123"), 0);
    EXPECT_STREQ(record, "");
    EXPECT_EQ(Callback<KrvStoreFn>(KRV_CB_STORE_IMPORT)(f.Cookie(), nullptr), 0);
    EXPECT_EQ(Callback<KrvStoreFn>(KRV_CB_STORE_RECEIPT)(f.Cookie(), nullptr), 0);
    EXPECT_EQ(Callback<KrvAddGoodsFn>(KRV_CB_ADD_GOODS_FROM_DEVICE)(
                  f.Cookie(), nullptr, "x", 0, "", 0, "", "", 0, 0, 0, 0, 0, 0, 0, ""),
              0);
    // The notices are taken and answered as asked.
    int32_t counters[2] = {1, 2};
    EXPECT_EQ(Callback<KrvNotifyFn>(KRV_CB_CLEAR_ALARM)(f.Cookie(), nullptr), 1);
    EXPECT_EQ(Callback<KrvSuspendFn>(KRV_CB_SUSPEND_OPERATION)(f.Cookie(), nullptr, "t", 5), 5);
    EXPECT_EQ(Callback<KrvCountersFn>(KRV_CB_STORE_COUNTERS)(f.Cookie(), nullptr, counters, 2), 1);
    EXPECT_EQ(Callback<KrvCountersTimeFn>(KRV_CB_STORE_COUNTERS_TIME)(f.Cookie(), nullptr, counters,
                                                                      2, "12:00"),
              1);
    EXPECT_FALSE(g_registered.count(KRV_CB_TRANSLATE)) << "no translation file, no function";
}

TEST(HostCallbacks, TheExportResultIsStoredOnlyWhenItCanBeRead) {
    Fixture f("");
    auto store = Callback<KrvStoreFn>(KRV_CB_STORE_EXPORT_RESULT);
    EXPECT_EQ(store(f.Cookie(), nullptr), 0) << "no wynik.exp";
    EXPECT_NE(f.Notes().find("the export result is not stored"), std::string::npos);
    std::ofstream(f.host->ExchangeDir() + "wynik.exp", std::ios::binary)
        << "PLU;1;0;200001;DOD\r\ngarbage\r\nPLU;2;0;;USU\r\n";
    EXPECT_EQ(store(f.Cookie(), nullptr), 1);
    std::string notes = f.Notes();
    EXPECT_NE(notes.find("not understood and skipped: 2"), std::string::npos) << notes;
    EXPECT_NE(notes.find("2 goods confirmed (DOD 1, AKT 0, CEN 0, USU 1)"), std::string::npos)
        << notes;
}

}  // namespace
}  // namespace krv::test
