// The VAT dialog's window module on POSIX: the library opens the dialog
// through a module loaded on demand, and ends as "cancel" with a message that
// says what is missing when there is no module or no display.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <cstdlib>
#include <string>

#include "platform/posix/vat_window_loader.h"

namespace krv::test {
namespace {

platform::VatWindowModel Model() {
    platform::VatWindowModel m;
    m.caption = "Stawki";
    m.rows[0].items = {"", "23"};
    m.rows[0].selected = 1;
    return m;
}

TEST(VatWindowModuleTest, MissingModuleCancelsAndSaysWhatToInstall) {
    platform::VatWindowModel m = Model();
    std::string message;
    EXPECT_EQ(
        platform::ShowVatWindowFrom("/nonexistent/libtarvisco_vatwindow.so", m, nullptr, &message),
        platform::kVatWindowCancel);
    EXPECT_NE(message.find("/nonexistent/libtarvisco_vatwindow.so"), std::string::npos) << message;
    EXPECT_NE(message.find("FLTK"), std::string::npos) << message;
    EXPECT_EQ(m.rows[0].selected, 1);  // cancel leaves the picks alone

    // A shared object that is not the module is refused the same way.
    message.clear();
    EXPECT_EQ(platform::ShowVatWindowFrom("libc.so.6", m, nullptr, &message),
              platform::kVatWindowCancel);
    EXPECT_NE(message.find("not the module"), std::string::npos) << message;
}

TEST(VatWindowModuleTest, LookedForBesideTheLibrary) {
    std::string path = platform::VatWindowModulePath();
    EXPECT_EQ(path.front(), '/');
    EXPECT_NE(path.find("/libtarvisco_vatwindow.so"), std::string::npos);
}

#ifdef TARVISCO_VAT_WINDOW_MODULE
TEST(VatWindowModuleTest, NoDisplayCancelsWithAMessage) {
    const char* old = std::getenv("DISPLAY");
    std::string saved = old ? old : "";
    unsetenv("DISPLAY");
    platform::VatWindowModel m = Model();
    std::string message;
    int32_t result = platform::ShowVatWindowFrom(TARVISCO_VAT_WINDOW_MODULE, m, nullptr, &message);
    if (old) setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(result, platform::kVatWindowCancel);
    EXPECT_NE(message.find("no display"), std::string::npos) << message;
}
#endif

}  // namespace
}  // namespace krv::test
#endif
