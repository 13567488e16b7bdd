// The list's index operations: insertion and removal with their links and
// re-evaluation, the parenthesis check, print columns and commas.
#include <gtest/gtest.h>

#include "model_helpers.h"

namespace {

// The links must mirror the array order.
void ExpectLinked(const CDescriptorList& list)
{
    for (int i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list.At(i).Prev(), i == 0 ? nullptr : &list.At(i - 1)) << i;
        EXPECT_EQ(list.At(i).Next(), i + 1 == list.size() ? nullptr : &list.At(i + 1)) << i;
    }
}

TEST(InsertDescriptor, LinksTheNewDescriptorAtAnyPosition)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.InsertDescriptor(0, "I5"));
    ASSERT_TRUE(list.InsertDescriptor(0, "A3"));
    ASSERT_TRUE(list.InsertDescriptor(2, "F7.3"));
    ASSERT_TRUE(list.InsertDescriptor(1, "2X"));
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"A3", "2X", "I5", "F7.3"}));
    ExpectLinked(list);
    EXPECT_EQ(list.m_bInvalid, 0);
}

TEST(InsertDescriptor, ATextThatIsNoDescriptorLeavesTheListUnchanged)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "F7.3"}));
    EXPECT_FALSE(list.InsertDescriptor(1, "F7."));
    EXPECT_EQ(list.m_bInvalid, 1);
    EXPECT_EQ(Texts(list), (std::vector<std::string>{"I5", "F7.3"}));
    ExpectLinked(list);
}

TEST(InsertDescriptor, ADescriptorFailingAtItsPositionIsTakenOutAgain)
{
    // A ")" after a 99( whose group already prints near the limit evaluates
    // alone but fails where it is inserted (the strict table refuses a group
    // printing more than the limit).
    CStrictTable strict;
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"99(", "99(", "99(", "99(", "I1", ")", ")", ")", "I5"}));
    const std::string strBefore = list.At(8).Sample();
    const auto seen = Revisions(list);
    EXPECT_FALSE(list.InsertDescriptor(8, ")"));
    EXPECT_EQ(list.m_bInvalid, 1);
    EXPECT_EQ(list.size(), 9);
    ExpectLinked(list);
    EXPECT_EQ(ChangedSince(list, seen, 8), 0);
    EXPECT_EQ(list.At(8).Sample(), strBefore);
}

TEST(InsertDescriptor, AModeDescriptorReachesTheDescriptorsAfterIt)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5"}));
    ASSERT_TRUE(list.InsertDescriptor(0, "SP"));
    EXPECT_EQ(list.At(1).Plus(), 1);
    EXPECT_EQ(list.At(1).Sample(), "+1234");
    ASSERT_TRUE(list.RemoveDescriptor(0));
    EXPECT_EQ(list.At(0).Plus(), 0);
    EXPECT_EQ(list.At(0).Sample(), "12345");
}

TEST(RemoveDescriptor, KeepsTheLinksAndReevaluatesEverythingAfter)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "A3"}));
    ASSERT_TRUE(list.RemoveDescriptor(0));
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list.At(0).Prev(), nullptr);
    EXPECT_EQ(list.At(0).Next(), nullptr);

    CDescriptorList tabs;
    ASSERT_TRUE(Append(tabs, {"I5", "I3", "T10", "2P", "F7.3"}));
    ASSERT_TRUE(tabs.SetValue(4, "1.5"));
    ASSERT_TRUE(tabs.RemoveDescriptor(1));
    EXPECT_EQ(tabs.At(1).Sample(), "     ");  // the tab's column moved back
    ASSERT_TRUE(tabs.RemoveDescriptor(2));
    EXPECT_EQ(tabs.At(2).Scale(), 0);
    EXPECT_EQ(tabs.At(2).Sample(), "  1.500");
    ExpectLinked(tabs);

    CDescriptorList last;
    ASSERT_TRUE(Append(last, {"I5", "A3", "L2"}));
    ASSERT_TRUE(last.RemoveDescriptor(2));
    ExpectLinked(last);
    ASSERT_TRUE(last.RemoveDescriptor(1));
    ASSERT_TRUE(last.RemoveDescriptor(0));
    EXPECT_EQ(last.size(), 0);
    EXPECT_EQ(last.RemoveDescriptor(0), 0);
}

TEST(RemoveDescriptor, LeavesTheMatchingParenthesisAndTheListUnbalanced)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"2(", "I5", ")"}));
    ASSERT_TRUE(list.RemoveDescriptor(0));
    EXPECT_EQ(list.IsBalanced(), 0);
    EXPECT_EQ(list.At(1).Sample(), "??????");
}

TEST(RemoveDescriptor, EvaluatesADescriptorBeingTypedInItsOwnDirection)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "F7.3"}));
    ASSERT_TRUE(list.SetSample(1, "1.5"));
    ASSERT_TRUE(list.RemoveDescriptor(0));
    EXPECT_EQ(list.At(0).Text(), "F3.1");
    EXPECT_EQ(list.At(0).Sample(), "1.5");
}

TEST(IsBalanced, CountsOnlyKindsAndOrder)
{
    CDescriptorList a;
    ASSERT_TRUE(Append(a, {")", "("}));
    EXPECT_EQ(a.IsBalanced(), 0);
    CDescriptorList b;
    ASSERT_TRUE(Append(b, {"2(", "I5", "(", "A3", ")", ")"}));
    EXPECT_EQ(b.IsBalanced(), 1);
    CDescriptorList c;
    ASSERT_TRUE(Append(c, {"(", "I5"}));
    EXPECT_EQ(c.IsBalanced(), 0);
}

TEST(IsBalanced, AnOpenerTakenBackCountsAgain)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"(", "I5", ")"}));
    EXPECT_FALSE(list.SetText(0, "(("));
    EXPECT_EQ(list.IsBalanced(), 0);
    list.RevertToGood(0);
    EXPECT_EQ(list.IsBalanced(), 1);
}

TEST(GetColumn, CountsRepeatedSamplesBackToTheLastRecordEnd)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"3I5", "A2", "/", "I3", "2/", "F7.3", "\\", "L2"}));
    EXPECT_EQ(list.At(0).GetColumn(), 0);
    EXPECT_EQ(list.At(1).GetColumn(), 15);
    EXPECT_EQ(list.At(2).GetColumn(), 17);
    EXPECT_EQ(list.At(3).GetColumn(), 0);
    EXPECT_EQ(list.At(5).GetColumn(), 0);
    EXPECT_EQ(list.At(7).GetColumn(), 0);
}

TEST(GetRepeatedSample, WritesTheSampleRepeatCountTimes)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"3I5", "I5"}));
    std::string s;
    list.GetRepeatedSample(0, s);
    EXPECT_EQ(s, "123451234512345");
    list.GetRepeatedSample(1, s);
    EXPECT_EQ(s, "12345");
    EXPECT_EQ(list.GetTextLength(0), 3);
    EXPECT_EQ(list.GetSampleLength(0), 5);
}

TEST(NeedsComma, IsZeroAfterAnOpenerBeforeACloseAndAtTheEnd)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(Append(list, {"I5", "2(", "A3", "L2", ")", "F7.3"}));
    std::vector<int> commas;
    for (int i = 0; i < list.size(); ++i)
        commas.push_back(list.At(i).NeedsComma());
    EXPECT_EQ(commas, (std::vector<int>{1, 0, 1, 0, 1, 0}));
}

}  // namespace
