// Window test of the VAT dialog: a fake host with the rates 0, 5, 8, 23 and
// "zw" and a stored ordering 23, 8, 5, zw; the simulated user moves the second
// position from 8 to the next item (23) and confirms with OK. The host must
// be asked once to store the changed ordering.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "action/action_base.h"
#include "fakes/test_library.h"
#include "simulated_user.h"

#ifndef _WIN32
// Under LeakSanitizer: the font cache that the toolkit fills through
// fontconfig lives until the process ends, by design.
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace krv::test {
namespace {

int Run(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    UserScript script;
    script.artifacts = argc > 1 ? argv[1] : ".";
    script.shotName = argc > 2 ? argv[2] : "vat_dialog";
    script.caption = "Stawki VAT na kasie";

    std::string why;
    if (!DisplayAvailable(why)) {
        std::printf("SKIPPED: %s\n", why.c_str());
        return 77;
    }

    // A dialog that nobody closes must not hold the test run.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        std::fprintf(stderr, "FAILED: the dialog was still open after 60 s\n");
        std::_Exit(1);
    }).detach();

    TestLibrary t;
    t.host.vatRates = {0, 5, 8, 23, -1};
    const std::string name = "TV_Tarvisco_PosortowaneStawkiVat";
    t.host.params[name] = "23\r\n8\r\n5\r\n-1";
    auto action = t.Action();

    std::string failure;
    std::thread user([&] { failure = RunUser(script); });
    action->WyswietlOknoStawekNaKasie("1", true, "");
    user.join();

    int failed = 0;
    auto check = [&](bool ok, const std::string& what) {
        std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
        if (!ok) ++failed;
    };
    check(failure.empty(), "simulated user " + (failure.empty() ? std::string("done") : failure));
    int stores = 0;
    for (const auto& c : t.host.calls)
        if (c.code == KRV_CB_CHANGE_PARAMETER && c.texts[0] == name) ++stores;
    check(stores == 1, "ordering stored once (" + std::to_string(stores) + " times)");
    const std::string expected =
        "23\r\n23\r\n5\r\n-1\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999";
    std::string stored = t.host.StoredValue(name);
    for (char& c : stored)
        if (c == '\r' || c == '\n') c = ' ';
    check(t.host.StoredValue(name) == expected, "stored ordering: " + stored);
    std::printf("pictures: %s/%s*.%s\n", script.artifacts.c_str(), script.shotName.c_str(),
#ifdef _WIN32
                "bmp"
#else
                "png"
#endif
    );
    return failed ? 1 : 0;
}

}  // namespace
}  // namespace krv::test

int main(int argc, char** argv) { return krv::test::Run(argc, argv); }
