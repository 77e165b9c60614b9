// The copy-free field splitter must split and flag the end exactly as the
// copying one does: record parsers read optional fields through either.
#include "exportdata/field_views.h"

#include <gtest/gtest.h>

#include "exportdata/ljwords.h"

namespace krv::test {
namespace {

TEST(FieldViews, SplitsAndFlagsTheEndAsTLJWords) {
    for (const char* line : {"", ";", "a", "a;", ";a", "a;;b", "PLU;1;;x;", ";;;", "a;b;c"}) {
        SCOPED_TRACE(std::string("line \"") + line + "\"");
        TLJWords words(";");
        FieldViews views(';');
        ASSERT_EQ(views.Init(line), words.Init(line));
        for (int i = -1; i <= words.GetCount(); ++i) {
            EXPECT_EQ(views[i], words[i]) << "field " << i;
            EXPECT_EQ(views.EndReached, words.EndReached) << "after field " << i;
        }
        // Split once more from the copying splitter: the same fields.
        FieldViews again(';');
        again.Init(words);
        EXPECT_EQ(again.GetCount(), words.GetCount());
        for (int i = 0; i < words.GetCount(); ++i) EXPECT_EQ(again[i], words[i]);
    }
}

TEST(FieldViews, ANewLineClearsTheEndFlag) {
    FieldViews v(';');
    v.Init("a");
    EXPECT_EQ(v[3], "");
    EXPECT_TRUE(v.EndReached);
    v.Init("a;b;c;d");
    EXPECT_FALSE(v.EndReached);
    EXPECT_EQ(v[3], "d");
    EXPECT_FALSE(v.EndReached);
}

}  // namespace
}  // namespace krv::test
