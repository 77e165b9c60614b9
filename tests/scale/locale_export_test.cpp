// A whole export through the exported functions gives the same files when the
// host has switched the process to a Polish locale (decimal comma) as in the C
// locale: the prices of the goods file are read with their point.
#include "fakes/polish_locale.h"
#include "scale/scale_fixture.h"

namespace krv::test {
namespace {

// Prices in hundredths with a fraction: 1999.60 is 2000 on the scale, and
// 1999 only when the fraction is lost.
const char* const kGoods =
    "PLU;1;0;101;Schab;1999.60;1500.25;0;0;23;1;T;3;F;F;F;0;;0;DOD;;;;;7\r\n"
    "PLU;2;0;102;Boczek;12.5e2;0;0;0;23;1;F;0;F;F;F;0;;0;AKT;;;;;0\r\n"
    "EUR;43125.5\r\n";

class LocaleExport : public ScaleTest {
  protected:
    struct Files {
        std::string plu, result, scales, program;
    };
    Files Run() {
        fs::remove(File("wynik.exp"));
        WriteFile(File("kasa.exp"), kGoods);
        InstallFake("ok");
        EXPECT_EQ(Export(), 0);
        EXPECT_TRUE(Errors().empty()) << AllMessages();
        return {ReadFile(File("digism.exp")), ReadFile(File("wynik.exp")),
                ReadFile(File("wagi.ini")), ReadFile(File("sm_eth.ini"))};
    }
};

TEST_F(LocaleExport, PolishLocaleChangesNoFile) {
    Files c = Run();
    ASSERT_EQ(c.plu.size(), 2u * 1002u);
    // The price field follows the name lines; 2000 and 1250, not 1999 and 12.
    EXPECT_NE(c.plu.find("00002000"), std::string::npos);
    EXPECT_NE(c.plu.find("00001250"), std::string::npos);
    EXPECT_EQ(c.result, "PLU;1;0;101;DOD\r\nPLU;2;0;102;AKT\r\n");

    PolishLocale polish;
    if (!polish.Active()) GTEST_SKIP() << polish.Why();
    Files pl = Run();
    EXPECT_EQ(pl.plu, c.plu);
    EXPECT_EQ(pl.result, c.result);
    EXPECT_EQ(pl.scales, c.scales);
    EXPECT_EQ(pl.program, c.program);
}

}  // namespace
}  // namespace krv::test
