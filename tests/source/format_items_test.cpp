// The statements that use the statement opened and what each field edits
// for each of them, as the window and quillmark-text --items show them: a
// FORMAT used by two WRITEs, a format string stopped by ":" and refused, a
// PRINT behind a logical IF with items too long to show whole, a FORMAT no
// statement uses, and the matching again after an edit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "descriptor_list.h"
#include "format_items.h"
#include "temp_dir.h"

namespace {

struct SExpectedField {
    const char* pszShown;  // the items shown over the field
    bool bReused;
    NoItem noItem;
    const char* pszFinding;  // a part of the finding's words ("" for none)
};

struct SCase {
    const char* pszName;
    const char* pszFile;  // its suffix gives the source form
    const char* pszText;
    long long nLine;  // where the statement opened stands
    long long nColumn;
    std::size_t nUses;
    std::size_t nUse;  // the use looked at
    const char* pszStatus;
    std::vector<SExpectedField> fields;
};

constexpr NoItem kNone = NoItem::NONE;
constexpr NoItem kEnded = NoItem::LIST_ENDED;
constexpr NoItem kColon = NoItem::COLON;

const char* const kTwoWrites = "      PROGRAM P\n"
                               "      INTEGER N, I\n"
                               "      REAL X(3), Y(3)\n"
                               "  100 FORMAT (I5, F8.3, :, 1X,\n"
                               "     $        (F6.1))\n"
                               "      WRITE (6, 100) N, X(I), (Y(J), J=1,3)\n"
                               "      WRITE (6, 100) N\n"
                               "      END\n";

const SCase kCases[] = {
    {"the first of two WRITEs: reversion to the group, three records",
     "two.f",
     kTwoWrites,
     5,
     9,
     2,
     0,
     "WRITE (6, 100) at line 6: 3 items, 3 records",
     {{"N", false, kNone, ""},
      {"X(I)", false, kNone, ""},
      {"", false, kNone, ""},
      {"", false, kNone, ""},
      {"", false, kNone, "items 4 to 5 start a new record at the group of line 5"},
      {"(Y(J), J=1,3)", true, kNone, ""},
      {"", false, kNone, ""}}},
    {"the second of them: the list ends at the second field",
     "two.f",
     kTwoWrites,
     4,
     1,
     2,
     1,
     "WRITE (6, 100) at line 7: 1 item, 1 record",
     {{"N", false, kNone, ""},
      {"", false, kEnded, ""},
      {"", false, kNone, ""},
      {"", false, kNone, ""},
      {"", false, kNone, ""},
      {"", false, kEnded, ""},
      {"", false, kNone, ""}}},
    {"a format string: refused, and a colon before the field left",
     "one.f90",
     "program q\n  real :: r\n  write (*, '(I5, :, F6.2)') r\nend program\n",
     3,
     15,
     1,
     0,
     "write (*, '(I5, :, F6.2)') at line 3: 1 item, 1 record",
     {{"r", false, kNone, "Expected INTEGER for item 1 in formatted transfer, got REAL"},
      {"", false, kNone, ""},
      {"", false, kColon, ""}}},
    {"a PRINT behind a logical IF, its items shortened",
     "print.f90",
     "program q\n  integer :: n, k(9)\n  real :: total_of_everything(9)\n"
     "  if (n > 0) print 200, total_of_everything, k\n200 format (9F8.2 / 9I4)\nend program\n",
     5,
     1,
     1,
     0,
     "print 200 at line 4: 2 items, 2 records",
     {{"total_of_everyt\xE2\x80\xA6", false, kNone, ""}, {"", false, kNone, ""}, {"k", false, kNone, ""}}},
    {"a section whose length is not known before run time: nothing after it is said",
     "section.f90",
     "program q\n  integer :: n, k(9)\n  write (*, '(I5, I3)') k(1:n)\nend program\n",
     3,
     14,
     1,
     0,
     "write (*, '(I5, I3)') at line 3: 1 item, records not known",
     {{"", false, kNone, ""}, {"", false, kNone, ""}}},
};

TEST(FormatItems, EachFieldsItemsStateAndFindingForTheUseInView)
{
    for (const SCase& c : kCases) {
        SCOPED_TRACE(c.pszName);
        CTempDir dir;
        const std::string file = dir.Write(c.pszFile, c.pszText);
        bool bRead = false;
        const SFormatItems found = FormatItemsInFile(file, SOURCE_FORM_BY_SUFFIX, "", c.nLine, c.nColumn, &bRead);
        ASSERT_TRUE(bRead);
        EXPECT_EQ(found.strNone, "");
        ASSERT_EQ(found.uses.size(), c.nUses);
        for (std::size_t i = 1; i < found.uses.size(); ++i)
            EXPECT_LT(found.uses[i - 1].report.place.nLine, found.uses[i].report.place.nLine);
        const SStatementUse& use = found.uses[c.nUse];
        EXPECT_EQ(use.strStatus, c.pszStatus);
        ASSERT_EQ(use.fields.size(), c.fields.size());
        for (std::size_t k = 0; k < c.fields.size(); ++k) {
            SCOPED_TRACE("field " + std::to_string(k) + " " + use.report.fields[k].strField);
            const SFieldUse& field = use.fields[k];
            const SExpectedField& expected = c.fields[k];
            EXPECT_EQ(field.strShown, expected.pszShown);
            EXPECT_EQ(field.bReused, expected.bReused);
            EXPECT_EQ(field.noItem, expected.noItem);
            if (*expected.pszFinding == '\0')
                EXPECT_EQ(field.strFinding, "");
            else
                EXPECT_NE(field.strFinding.find(expected.pszFinding), std::string::npos) << field.strFinding;
            // what the tooltip, the status line and the screen reader say holds it all
            const std::string words = FieldUseText(field);
            EXPECT_NE(words.find(field.strItems), std::string::npos) << words;
            EXPECT_NE(words.find(field.strFinding), std::string::npos) << words;
            EXPECT_EQ(words.find("edits no item") != std::string::npos, field.noItem != NoItem::NONE) << words;
        }
    }
}

TEST(FormatItems, AFormatNoStatementUsesSaysSo)
{
    CTempDir dir;
    const std::string file = dir.Write("none.f", "      PROGRAM P\n  100 FORMAT (I5)\n      WRITE (6, 200) 1\n"
                                                 "  200 FORMAT (I3)\n      END\n");
    const SFormatItems none = FormatItemsInFile(file, SOURCE_FORM_BY_SUFFIX, "", 2, 12);
    EXPECT_TRUE(none.uses.empty());
    EXPECT_EQ(none.strNone, "No READ, WRITE or PRINT statement uses this FORMAT statement");
    EXPECT_EQ(FormatItemsInFile(file, SOURCE_FORM_BY_SUFFIX, "", 4, 12).uses.size(), 1u);
}

// An edit matches the items again at once: a refusal goes and comes back,
// a field added takes the item the list ran out before, and a colon
// inserted stops the transfer before the fields after it.
TEST(FormatItems, MatchedAgainAsTheListIsEdited)
{
    CTempDir dir;
    const std::string file = dir.Write("again.f90", "program q\n  real :: r\n  integer :: n\n"
                                                    "  write (*, 100) r, n\n100 format (I5)\nend program\n");
    SFormatItems found = FormatItemsInFile(file, SOURCE_FORM_BY_SUFFIX, "", 5, 1);
    ASSERT_EQ(found.uses.size(), 1u);
    SStatementUse& use = found.uses.front();
    ASSERT_EQ(use.fields.size(), 1u);
    EXPECT_NE(use.fields[0].strFinding.find("Expected INTEGER for item 1"), std::string::npos);
    EXPECT_TRUE(use.fields[0].bReused);  // n in a second record

    const struct {
        const char* pszList;
        std::vector<std::string> shown;
        std::vector<NoItem> noItems;
        std::vector<bool> findings;
        const char* pszStatus;
    } kEdits[] = {
        {"(F5.1, I3)", {"r", "n"}, {kNone, kNone}, {false, false}, "write (*, 100) at line 4: 2 items, 1 record"},
        {"(F5.1, F3.1)", {"r", "n"}, {kNone, kNone}, {false, true}, "write (*, 100) at line 4: 2 items, 1 record"},
        {"(F5.1, I3, F4.1)",
         {"r", "n", ""},
         {kNone, kNone, kEnded},
         {false, false, false},
         "write (*, 100) at line 4: 2 items, 1 record"},
        {"(F5.1, I3, :, F4.1)",
         {"r", "n", "", ""},
         {kNone, kNone, kNone, kColon},
         {false, false, false, false},
         "write (*, 100) at line 4: 2 items, 1 record"},
    };
    for (const auto& edit : kEdits) {
        SCOPED_TRACE(edit.pszList);
        CDescriptorList list;
        ASSERT_TRUE(list.Split(edit.pszList).Ok());
        MatchUseAgain(use, list);
        EXPECT_EQ(use.strStatus, edit.pszStatus);
        ASSERT_EQ(use.fields.size(), edit.shown.size());
        for (std::size_t k = 0; k < edit.shown.size(); ++k) {
            EXPECT_EQ(use.fields[k].strShown, edit.shown[k]) << k;
            EXPECT_EQ(use.fields[k].noItem, edit.noItems[k]) << k;
            EXPECT_EQ(use.fields[k].strFinding.empty(), !edit.findings[k]) << k << ": " << use.fields[k].strFinding;
        }
    }
}

// Each field's sample for the statement's items, typed from the
// declarations: an integer and a logical under G, a character item of
// declared length under A and Aw, a whole array under a repeated edit and a
// repeated group, a section of it; a real, a substring of unknown length and
// an undeclared name under IMPLICIT NONE keep the field's own sample, as
// does a field that edits no item. Matched again after an edit, and a value
// of the user's own is kept.
TEST(FormatItems, EachFieldsSampleFollowsItsItemsTypes)
{
    CTempDir dir;
    const std::string file = dir.Write("typed.f90", "program t\n  implicit none\n  integer :: n, k(3)\n"
                                                    "  logical :: l\n  character(len=5) :: c, w(4)\n  real :: r\n"
                                                    "  write (*, 100) n, l, c, c, k, w(2:3), r, c(1:2), u\n"
                                                    "100 format (G8.2, G0, A, A7, 3G4.1, 2(A3), G9.2, A, A, I5)\n"
                                                    "end program\n");
    SFormatItems found = FormatItemsInFile(file, SOURCE_FORM_BY_SUFFIX, "", 8, 1);
    ASSERT_EQ(found.uses.size(), 1u);
    SStatementUse& use = found.uses.front();
    const struct {
        const char* pszSample;
        bool bTyped;
    } kExpected[] = {
        {"12345678", true},     {"T", true},           {"abcde", true},       {"  abcde", true},
        {"123412341234", true}, {"", false},           {"abc", true},         {"abc", true},
        {"12.12E+12", false},   {"abcdefghij", false}, {"abcdefghij", false}, {"12345", false},
    };
    ASSERT_EQ(use.fields.size(), std::size(kExpected));
    for (std::size_t k = 0; k < use.fields.size(); ++k) {
        SCOPED_TRACE("field " + std::to_string(k) + " " + use.report.fields[k].strField);
        EXPECT_EQ(use.fields[k].strSample, kExpected[k].pszSample);
        EXPECT_EQ(use.fields[k].bTypedSample, kExpected[k].bTyped);
    }

    CDescriptorList list;
    ASSERT_TRUE(list.Split("(L3, G0, A, A2)").Ok());
    ASSERT_TRUE(list.SetValue(1, "F"));
    MatchUseAgain(use, list);
    ASSERT_EQ(use.fields.size(), 4u);
    EXPECT_FALSE(use.fields[0].bTypedSample);  // an integer under L: its bytes
    EXPECT_EQ(use.fields[0].strSample, "  T");
    EXPECT_FALSE(use.fields[1].bTypedSample);  // the user's own value
    EXPECT_EQ(use.fields[1].strSample, "F");
    EXPECT_EQ(use.fields[2].strSample, "abcde");
    EXPECT_EQ(use.fields[3].strSample, "ab");
}

TEST(FormatItems, ShortenedByCharactersNotBytes)
{
    EXPECT_EQ(ShortenedText("abc", 3), "abc");
    EXPECT_EQ(ShortenedText("abcd", 3), "ab\xE2\x80\xA6");
    EXPECT_EQ(ShortenedText("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 3), "\xC3\xA9\xC3\xA9\xE2\x80\xA6");
    EXPECT_EQ(ShortenedText("", 3), "");
}

}  // namespace
