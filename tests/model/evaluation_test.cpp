// Evaluation: the two directions, the "??????" marker, the repeat limit, the
// last good state, and the modes passed from each descriptor to the next.
#include <gtest/gtest.h>

#include "model_helpers.h"

namespace {

TEST(Evaluation, TheStrictTableTakesRepeatCountsUpTo99)
{
    CStrictTable strict;
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.InsertDescriptor(0, "99I5"));
    EXPECT_EQ(list.At(0).Repeat(), 99);
    EXPECT_FALSE(list.SetText(0, "100I5"));
    EXPECT_EQ(list.At(0).Sample(), "??????");
    EXPECT_EQ(list.At(0).Repeat(), 1);
    EXPECT_EQ(list.At(0).Kind(), KIND_NONE);
    EXPECT_EQ(list.m_bInvalid, 1);
}

TEST(Evaluation, AFailedTextLeavesTheMarkerAndRevertRestoresTheGoodState)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.InsertDescriptor(0, "3I5"));
    EXPECT_FALSE(list.SetText(0, "Q5"));
    EXPECT_EQ(list.At(0).Text(), "Q5");
    EXPECT_EQ(list.At(0).Sample(), "??????");
    EXPECT_EQ(list.At(0).Kind(), KIND_NONE);
    EXPECT_EQ(list.At(0).Repeat(), 1);
    const auto seen = Revisions(list);
    list.RevertToGood(0);
    EXPECT_EQ(list.m_bInvalid, 0);
    EXPECT_EQ(list.At(0).Text(), "3I5");
    EXPECT_EQ(list.At(0).Sample(), "12345");
    EXPECT_EQ(list.At(0).Kind(), KIND_IW);
    EXPECT_EQ(list.At(0).Repeat(), 3);
    EXPECT_EQ(ChangedSince(list, seen, 0), 1);
}

TEST(Evaluation, AFailedSampleLeavesTheMarkerInTheTextAndKeepsTheTypedSample)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.InsertDescriptor(0, "2F7.3"));
    EXPECT_FALSE(list.SetSample(0, "125"));
    EXPECT_EQ(list.At(0).Text(), "??????");
    EXPECT_EQ(list.At(0).Sample(), "125");
    EXPECT_EQ(list.At(0).Kind(), KIND_FWD);  // kind and count are left as they were
    EXPECT_EQ(list.At(0).Repeat(), 2);
    list.RevertToGood(0);
    EXPECT_EQ(list.At(0).Text(), "2F7.3");
    EXPECT_EQ(list.At(0).Sample(), "123.123");
}

TEST(Evaluation, EveryEvaluationMarksTheDescriptorChanged)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "F7.3"}));
    const auto seen = Revisions(list);
    EXPECT_FALSE(list.SetText(0, "Q5"));
    EXPECT_EQ(ChangedSince(list, seen, 0), 1);
    EXPECT_EQ(ChangedSince(list, seen, 1), 0) << "a failed evaluation touches nothing after it";
    ASSERT_TRUE(list.SetText(0, "I6"));
    EXPECT_EQ(ChangedSince(list, seen, 1), 0) << "F7.3 depends on nothing an I6 changes";
}

TEST(Modes, TheFirstDescriptorStartsFromZero)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5"}));
    ASSERT_TRUE(list.InsertDescriptor(0, "F7.3"));
    EXPECT_EQ(list.At(0).Scale(), 0);
    EXPECT_EQ(list.At(0).Plus(), 0);
}

TEST(Modes, PlusSignModePassesOnUntilSSOrS)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"SP", "I5", "SS", "I5", "SP", "S", "I5"}));
    EXPECT_EQ(list.At(1).Plus(), 1);
    EXPECT_EQ(list.At(3).Plus(), 0);
    EXPECT_EQ(list.At(6).Plus(), 0);
    // Changing the SP to SS reaches both I5.
    ASSERT_TRUE(list.SetText(0, "SS"));
    EXPECT_EQ(list.At(1).Plus(), 0);
    EXPECT_EQ(list.At(1).Sample(), "12345");
    ASSERT_TRUE(list.SetText(2, "SP"));
    EXPECT_EQ(list.At(3).Sample(), "+1234");
    EXPECT_EQ(list.At(6).Sample(), "12345");
}

TEST(Modes, ScaleFactorPassesOnSigned)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"2P", "F7.3", "(", "E12.4", ")", "BN", "BZ", "F7.3"}));
    for (int i = 1; i < list.size(); ++i)
        EXPECT_EQ(list.At(i).Scale(), 2) << i;  // groups, BN and BZ do not reset it
    ASSERT_TRUE(list.SetText(0, "-1P"));
    EXPECT_EQ(list.At(7).Scale(), -1);
    ASSERT_TRUE(list.SetText(0, "100000P"));
    EXPECT_EQ(list.At(7).Scale(), 2147483647);
}

TEST(Modes, ADescriptorThatStopsBeingAModeGivesTheOthersTheirModesBack)
{
    // SP, I5: turning the SP into an X must show I5 without its sign again.
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"SP", "I5", "2P", "F7.3"}));
    ASSERT_TRUE(list.SetValue(3, "1.5"));
    EXPECT_EQ(list.At(1).Sample(), "+1234");
    ASSERT_TRUE(list.SetText(0, "X"));
    EXPECT_EQ(list.At(1).Sample(), "12345");
    EXPECT_EQ(list.At(3).Plus(), 0);
    ASSERT_TRUE(list.SetText(2, "I2"));
    EXPECT_EQ(list.At(3).Scale(), 0);
    EXPECT_EQ(list.At(3).Sample(), "  1.500");
}

TEST(Modes, AModeDescriptorTakenBackPassesItsOwnModesOnAgain)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"2P", "F7.3"}));
    ASSERT_TRUE(list.SetValue(1, "1.5"));
    EXPECT_EQ(list.At(1).Sample(), "150.000");
    EXPECT_FALSE(list.SetText(0, "2Q"));  // fails; the F7.3 keeps its modes meanwhile
    list.RevertToGood(0);
    EXPECT_EQ(list.At(0).Scale(), 2);
    // A later evaluation of the F7.3 inherits the scale factor of the 2P.
    ASSERT_TRUE(list.SetValue(1, "2.5"));
    EXPECT_EQ(list.At(1).Sample(), "250.000");

    // And the plus mode of an SP: a field retyped after the SP was taken
    // back prints its plus sign.
    CDescriptorList signs;
    ASSERT_TRUE(Append(signs, {"SP", "I5"}));
    EXPECT_FALSE(signs.SetText(0, "SPX"));
    signs.RevertToGood(0);
    ASSERT_TRUE(signs.SetText(1, "I6"));
    EXPECT_EQ(signs.At(1).Sample(), "+12345");
}

TEST(Dependents, TabsAndGroupClosesAreRenderedAgainAfterAnyChangeBeforeThem)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "T10", "2(", "I2", ")", "T20"}));
    EXPECT_EQ(list.At(1).Sample(), "     ");
    EXPECT_EQ(list.At(4).Sample(), "12");
    EXPECT_EQ(list.At(5).Sample(), std::string(6, ' '));
    ASSERT_TRUE(list.SetText(0, "I7"));
    EXPECT_EQ(list.At(1).Sample(), "   ");
    ASSERT_TRUE(list.SetText(3, "I3"));
    EXPECT_EQ(list.At(4).Sample(), "123");
    EXPECT_EQ(list.At(5).Sample(), std::string(4, ' '));
}

TEST(Dependents, ANonModeChangeLeavesOtherDescriptorsAlone)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "F7.3", "A3"}));
    const auto seen = Revisions(list);
    ASSERT_TRUE(list.SetText(0, "I6"));
    EXPECT_EQ(ChangedSince(list, seen, 1), 0);
    EXPECT_EQ(ChangedSince(list, seen, 2), 0);
}

TEST(SetValue, ARefusedValueKeepsTheOldOneAndTheDescriptorValid)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.InsertDescriptor(0, "I5"));
    ASSERT_TRUE(list.SetValue(0, "42"));
    EXPECT_EQ(list.At(0).Sample(), "   42");
    ASSERT_TRUE(list.SetValue(0, "abc"));  // not a failure: asterisks
    EXPECT_EQ(list.At(0).Sample(), "*****");
    ASSERT_TRUE(list.SetValue(0, "42"));
    // A descriptor whose own text no longer evaluates refuses any value.
    EXPECT_FALSE(list.SetText(0, "Q5"));
    EXPECT_EQ(list.SetValue(0, "7"), 0);
    EXPECT_EQ(list.At(0).Value(), "42");
}

TEST(Strictness, TheStrictTableRejectsWidthlessFormsOnEvaluation)
{
    CStrictTable strict;
    CDescriptorList list(TestTable());
    EXPECT_FALSE(list.InsertDescriptor(0, "F"));
    EXPECT_FALSE(list.InsertDescriptor(0, "$"));
    EXPECT_TRUE(list.InsertDescriptor(0, "F7.3"));
}

}  // namespace
