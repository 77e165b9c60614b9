#include "wire.h"

#include <gtest/gtest.h>

namespace krv::test {
namespace {

using namespace krv::tools::wire;

TEST(Wire, AnswersRoundTrip) {
    auto ok = ParseAnswer(OkAnswer("00000012").substr(0, 11));
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ok->ok);
    EXPECT_EQ(ok->plu, "00000012");

    std::string err = ErrAnswer("00000012", "E42",
                                "Brak miejsca\r\nw pami\xea"
                                "ci");
    ASSERT_EQ(err.find('\n'), err.size() - 1);  // one line, whatever the text held
    auto e = ParseAnswer(err.substr(0, err.size() - 1));
    ASSERT_TRUE(e);
    EXPECT_FALSE(e->ok);
    EXPECT_EQ(e->plu, "00000012");
    EXPECT_EQ(e->code, "E42");
    EXPECT_EQ(e->text,
              "Brak miejsca  w pami\xea"
              "ci");

    e = ParseAnswer("ERR 00000001 7");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->code, "7");
    EXPECT_EQ(e->text, "");
}

TEST(Wire, MalformedAnswersAreRefused) {
    for (const char* line :
         {"", "OK", "OK ", "OK 1 extra", "ERR 00000001", "ERR", "HELLO DIGISIM/1", "ok 1"})
        EXPECT_FALSE(ParseAnswer(line)) << line;
}

}  // namespace
}  // namespace krv::test
