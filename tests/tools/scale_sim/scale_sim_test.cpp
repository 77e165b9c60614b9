#include <gtest/gtest.h>

#include "options.h"
#include "plu_table.h"

namespace krv::test {
namespace {

using namespace krv::scalesim;

TEST(ScaleSimOptions, ReadsEveryOption) {
    Options o;
    std::string error;
    ASSERT_TRUE(ParseOptions(
        {"--port=0", "--port-file", "p", "--state", "s", "--drop-after", "3", "--delay-ms=250",
         "--mute", "--once", "--reject", "12:E42:Brak: miejsca", "--reject=7:1:"},
        &o, &error))
        << error;
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.port_file, "p");
    EXPECT_EQ(o.state_file, "s");
    EXPECT_EQ(o.drop_after, 3);
    EXPECT_EQ(o.delay_ms, 250);
    EXPECT_TRUE(o.mute);
    EXPECT_EQ(o.max_connections, 1);
    ASSERT_EQ(o.rejects.size(), 2u);
    EXPECT_EQ(o.rejects[0].plu, 12);
    EXPECT_EQ(o.rejects[0].code, "E42");
    EXPECT_EQ(o.rejects[0].text, "Brak: miejsca");  // colons after the code belong to the text
    EXPECT_EQ(o.rejects[1].text, "");
}

TEST(ScaleSimOptions, RejectTextBecomesWindows1250) {
    Options o;
    std::string error;
    ASSERT_TRUE(ParseOptions({"--reject", "5:9:Zła cena"}, &o, &error));
    EXPECT_EQ(o.rejects[0].text,
              "Z\xb3"
              "a cena");
}

TEST(ScaleSimOptions, RefusesBadInput) {
    for (std::vector<std::string> args :
         std::vector<std::vector<std::string>>{{"--port", "70000"},
                                               {"--port"},
                                               {"--drop-after", "0"},
                                               {"--delay-ms", "-1"},
                                               {"--reject", "x:1:t"},
                                               {"--reject", "12"},
                                               {"--reject", "12: bad:t"},
                                               {"--mute=1"},
                                               {"--bogus"},
                                               {"--state", ""}}) {
        Options o;
        std::string error;
        EXPECT_FALSE(ParseOptions(args, &o, &error)) << args[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(PluTable, StateFileIsSortedAndReadsBack) {
    PluTable t;
    t.Put("00000020", std::string(1000, 'b'));
    t.Put("00000003", std::string(1000, 'a'));
    t.Put("00000020", std::string(1000, 'c'));  // replaces
    EXPECT_EQ(t.Serialize(), "00000003\t" + std::string(1000, 'a') + "\n00000020\t" +
                                 std::string(1000, 'c') + "\n");
    EXPECT_TRUE(t.Erase("00000003"));
    EXPECT_FALSE(t.Erase("00000003"));

    std::string error;
    auto back = PluTable::Parse(t.Serialize(), &error);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Serialize(), t.Serialize());
    EXPECT_FALSE(PluTable::Parse("123\tabc\n", &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
}

}  // namespace
}  // namespace krv::test
