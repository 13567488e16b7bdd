// Splitting descriptor-list texts into descriptors: separators, groups,
// character and Hollerith constants, comments, the tail, and failures
// reported with their column.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "model_helpers.h"

namespace {

using Strings = std::vector<std::string>;

struct SSplitCase {
    const char* text;
    Strings descriptors;
    const char* tail;
};

void PrintTo(const SSplitCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class SplitText : public ::testing::TestWithParam<SSplitCase> {};

TEST_P(SplitText, YieldsTheDescriptorsAndTheTail)
{
    const SSplitCase& c = GetParam();
    CDescriptorList list(TestTable());
    SSplitLayout layout;
    const std::string strText = c.text;
    ASSERT_TRUE(list.Split(strText, &layout).Ok()) << c.text;
    EXPECT_EQ(Texts(list), c.descriptors) << c.text;
    EXPECT_EQ(strText.substr(layout.nClose + 1), c.tail) << c.text;
    // Each descriptor's span in the text starts with its text.
    ASSERT_EQ(layout.descriptors.size(), c.descriptors.size()) << c.text;
    for (std::size_t i = 0; i < c.descriptors.size(); ++i)
        EXPECT_EQ(strText.compare(layout.descriptors[i].nOffset, c.descriptors[i].size(), c.descriptors[i]), 0)
            << c.text << " descriptor " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SplitText,
    ::testing::Values(
        SSplitCase{"(I5, 2X, F7.3)\n", {"I5", "2X", "F7.3"}, "\n"},
        SSplitCase{"(1PE12.4/2(I3,:,'a,b'))\n", {"1P", "E12.4", "/", "2(", "I3", ":", "'a,b'", ")"}, "\n"},
        SSplitCase{"(3Ha,b,I2)\n", {"3Ha,b", "I2"}, "\n"}, SSplitCase{"(//A)\n", {"/", "/", "A"}, "\n"},
        SSplitCase{"(2 (I5))\n", {"2 (", "I5", ")"}, "\n"}, SSplitCase{"(A,'it''s')\n", {"A", "'it''s'"}, "\n"},
        SSplitCase{"($)\n", {"$"}, "\n"}, SSplitCase{"(2PF7.3, -1P E12.4)\n", {"2P", "F7.3", "-1P", "E12.4"}, "\n"},
        SSplitCase{"(3/I5)\n", {"3/", "I5"}, "\n"}, SSplitCase{"( 2( I5 ) )\n", {"2(", "I5", ")"}, "\n"},
        SSplitCase{"(I5 , F7.3 )) N\n", {"I5", "F7.3"}, ") N\n"}, SSplitCase{"(I5,\\,:)\n", {"I5", "\\", ":"}, "\n"},
        SSplitCase{"(I5/,/A)\n", {"I5", "/", "/", "A"}, "\n"},
        SSplitCase{"(I5,   ! count\n  F7.3)\n", {"I5", "F7.3"}, "\n"}, SSplitCase{"  ! lead\n(I5)\n", {"I5"}, "\n"},
        SSplitCase{"(4H)(,/,I2)\n", {"4H)(,/", "I2"}, "\n"}, SSplitCase{"(0H,I5)\n", {"0H", "I5"}, "\n"},
        SSplitCase{"(3Hab  , 1X\n   )\n", {"3Hab ", "1X"}, "\n"}, SSplitCase{"('')\n", {"''"}, "\n"},
        SSplitCase{"(I5)", {"I5"}, ""}));

// Blanks and line ends are insignificant between the digits of a count, a
// width or a digit count, as gfortran reads them: each list reads as the
// same list written without them, field by field, sample for sample (the
// texts keep their blanks).
TEST(Split, BlanksBetweenDigitsAreInsignificant)
{
    const std::pair<const char*, const char*> kLists[] = {
        {"(I 1 0)", "(I10)"},
        {"(1 0X, I2)", "(10X, I2)"},
        {"(T 1 0, I3)", "(T10, I3)"},
        {"(E 1 2 . 4 E 3)", "(E12.4E3)"},
        {"(I1 0)", "(I10)"},
        {"(I1\n0)", "(I10)"},
        {"(1 0 (I3))", "(10(I3))"},
        {"(2 0 1X, I3)", "(201X, I3)"},
        {"(F 9 . 4, 1 2A)", "(F9.4, 12A)"},
    };
    for (const auto& [pszSpaced, pszPacked] : kLists) {
        SCOPED_TRACE(pszSpaced);
        CDescriptorList spaced(TestTable()), packed(TestTable());
        ASSERT_TRUE(spaced.Split(pszSpaced, nullptr).Ok());
        ASSERT_TRUE(packed.Split(pszPacked, nullptr).Ok());
        ASSERT_EQ(spaced.size(), packed.size());
        for (int i = 0; i < spaced.size(); ++i) {
            EXPECT_EQ(spaced.At(i).Kind(), packed.At(i).Kind()) << "field " << i;
            EXPECT_EQ(spaced.At(i).Sample(), packed.At(i).Sample()) << "field " << i;
            EXPECT_EQ(spaced.At(i).Repeat(), packed.At(i).Repeat()) << "field " << i;
        }
    }
}

struct SFailCase {
    const char* text;
    int column;
};

void PrintTo(const SFailCase& c, std::ostream* os)
{
    *os << "'" << c.text << "'";
}

class SplitFailure : public ::testing::TestWithParam<SFailCase> {};

// The one message a failed split gives: its text, and the column it concerns.
std::string SplitFailureText(CDescriptorList& list, const char* text, long long* pColumn = nullptr)
{
    const CResult result = list.Split(text);
    if (result.Ok() || result.Messages().size() != 1)
        return "(no single message)";
    if (pColumn != nullptr)
        *pColumn = result.Messages()[0].nColumn;
    return MessageText(result.Messages()[0]);
}

TEST_P(SplitFailure, ReportsTheColumnWhereTheScanStopped)
{
    const SFailCase& c = GetParam();
    CDescriptorList list(TestTable());
    long long nColumn = 0;
    EXPECT_EQ(SplitFailureText(list, c.text, &nColumn), "FORMAT parse failed in column " + std::to_string(c.column))
        << c.text;
    EXPECT_EQ(nColumn, c.column) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Lists, SplitFailure,
                         ::testing::Values(SFailCase{"(I5\n", 5},     // ends before the list is closed
                                           SFailCase{"I5)\n", 1},     // no opening parenthesis
                                           SFailCase{"(2 I5)\n", 4},  // the number is taken as a group count
                                           SFailCase{"(I5,,A3)\n", 5},
                                           SFailCase{"(I5,Q7)\n", 7},  // at the separator after the descriptor
                                           SFailCase{"(5Habc)\n", 9},  // a Hollerith constant runs past the end
                                           SFailCase{"(2Q,I5)\n", 4}, SFailCase{"(I5\xe9)\n", 5}, SFailCase{"", 1},
                                           // blanks part it, but not into descriptors
                                           SFailCase{"(I5 B C)\n", 8}, SFailCase{"(I5 2(I5))\n", 9}));

TEST(SplitFailure, AScaleFactorFailsAfterItsLetter)
{
    CDescriptorList list(TestTable());
    EXPECT_EQ(SplitFailureText(list, "(I5, +-2P)\n"), "FORMAT parse failed in column 10");
}

TEST(SplitFailure, TheStrictTableRefusesDollar)
{
    CStrictTable strict;
    CDescriptorList list(TestTable());
    EXPECT_EQ(SplitFailureText(list, "($)\n"), "FORMAT parse failed in column 3");
}

TEST(Split, ReplacesTheWholeList)
{
    CDescriptorList list(TestTable());
    ASSERT_TRUE(list.Split("(I5, A3, L2)\n"));
    ASSERT_TRUE(list.Split("(F7.3)\n"));
    EXPECT_EQ(Texts(list), Strings{"F7.3"});
    EXPECT_EQ(list.At(0).Prev(), nullptr);
}

TEST(Split, LeavesTheTextItWasGivenUnchanged)
{
    const std::string strOriginal = "(1PE12.4/2(I3,:,'a,b'), 3Hx,y)) tail\n";
    std::string strText = strOriginal;
    CDescriptorList list(TestTable());
    SSplitLayout layout;
    ASSERT_TRUE(list.Split(strText, &layout));
    EXPECT_EQ(strText, strOriginal);
    EXPECT_EQ(strText.substr(layout.nClose), ")) tail\n") << "the layout's close is the list's closing parenthesis";
}

TEST(Split, NestingDeeperThanAnyRealFormatFailsInsteadOfOverflowingTheStack)
{
    CDescriptorList list(TestTable());
    const std::string strDeep = std::string(200, '(') + "I5" + std::string(200, ')') + "\n";
    EXPECT_TRUE(list.Split(strDeep.c_str()));
    EXPECT_EQ(list.size(), 2 * 199 + 1);
    const std::string strTooDeep = std::string(100000, '(') + "I5" + std::string(100000, ')') + "\n";
    const CResult result = list.Split(strTooDeep);
    EXPECT_FALSE(result.Ok());
    EXPECT_EQ(result.Messages().size(), 1u);
}

}  // namespace
