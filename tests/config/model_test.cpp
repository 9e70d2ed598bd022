#include "config/error_text.h"
#include "config/shared_state.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

using namespace tavik;

TEST(Model, LookupsFindFirstItemByTagAndRefuseBadReferences)
{
    SharedState s;
    s.frames.resize(2);
    s.frames[1].groups.resize(2);
    s.frames[1].groups[0].items.resize(1);
    s.frames[1].groups[1].items.resize(2);
    s.frames[1].groups[0].items[0].CPTag = "B";
    s.frames[1].groups[1].items[0].CPTag = "A";
    s.frames[1].groups[1].items[1].CPTag = "A";
    s.frames[1].groups[1].items[1].i_idx = 1;

    CPItem *a = findItemByTag(s, 1, "A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->i_idx, 0);
    EXPECT_EQ(findItemByTag(s, 1, "a"), nullptr);
    EXPECT_EQ(findItemByTag(s, 0, "A"), nullptr);
    EXPECT_THROW(findItemByTag(s, 2, "A"), RuntimeError);

    EXPECT_EQ(&itemAt(s, {1, 1, 1}), &s.frames[1].groups[1].items[1]);
    EXPECT_THROW(itemAt(s, {1, 0, 1}), RuntimeError);
    EXPECT_THROW(itemAt(s, CPRef::none()), RuntimeError);
}

TEST(ErrorText, StrPutsABlankBeforeNonNegativeNumbers)
{
    EXPECT_EQ(Str(0LL), " 0");
    EXPECT_EQ(Str(-3LL), "-3");
    EXPECT_EQ(Str(2700.0), " 2700");
    EXPECT_EQ(Str(1.2e-5), " 1.2E-05");
    EXPECT_EQ(Str(-0.5), "-0.5");
    EXPECT_EQ(standardErrorText(9, "Subscript out of range", "CP Load"),
        "Error  9 (Subscript out of range) in <CP Load>     ");
    EXPECT_EQ(exitingErrorText(91, "x", "doConfigs"), "Error  91 (x) in <doConfigs>     \r\nExiting");
}
