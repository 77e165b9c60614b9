// The fake host's own guard: every suite relies on it to notice a library
// that calls back with handles other than the host's.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "fakes/fake_host.h"
#include "krvdll.h"

namespace krv::test {
namespace {

TEST(FakeHostTest, CallbacksWithForeignHandlesFailTheTest) {
    FakeHost host;
    int foreign = 0;
    auto add = reinterpret_cast<KrvMessageFn>(FakeHost::Function(KRV_CB_ADD_MESSAGE));
    auto param = reinterpret_cast<KrvParameterValueFn>(FakeHost::Function(KRV_CB_PARAMETER_VALUE));
    char value[KRV_TEXT_BUFFER] = "untouched";

    EXPECT_EQ(add(&host, host.Device(), KRV_MSG_ORDINARY, "own"), 1);
    EXPECT_NONFATAL_FAILURE(add(&host, &foreign, KRV_MSG_ORDINARY, "other device"), "got device");
    // A foreign cookie is neither dereferenced nor answered.
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(param(&foreign, host.Device(), "x", value), 0),
                            "no host's handle");
    EXPECT_STREQ(value, "untouched");
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0].text, "own");
}

}  // namespace
}  // namespace krv::test
