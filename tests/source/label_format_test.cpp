// Following a READ, WRITE or PRINT's label to its FORMAT statement, and the
// index of a file's statements: both read the file as the locator does.
#include <cctype>
#include <iterator>
#include <string>
#include <vector>

#include "io_format.h"
#include "source_helpers.h"
#include "statement_index.h"
#include "string_table.h"

namespace {

struct SFollowCase {
    const char* pszName;
    const char* pszFile;
    const char* pszText;
    long long nLine;    // the I/O statement's line
    long long nColumn;  // the cursor
    long long nOpened;  // the first line of the statement opened; 0: none
    const char* pszFirst;
    int nRefusal = IDS_NO_LIST;  // none opened: why
};

const SFollowCase kFollowCases[] = {
    {"fixed WRITE", "a.f", "      PROGRAM P\n      WRITE (6, 100) X\n  100 FORMAT (I5, F7.2)\n      END\n", 2, 7, 3,
     "I5"},
    {"fixed keywords any case", "a.f", "      program p\n      write(unit=6,fmt=100) x\n  100 format (A3)\n      end\n",
     2, 7, 3, "A3"},
    {"FMT= before UNIT=", "a.f", "      PROGRAM P\n      WRITE(FMT=100, UNIT=6) X\n  100 FORMAT (I2)\n      END\n", 2,
     7, 3, "I2"},
    {"READ with a label", "a.f", "      PROGRAM P\n      READ (5,100) N\n  100 FORMAT (I9)\n      END\n", 2, 9, 3,
     "I9"},
    {"PRINT label", "a.f", "      PROGRAM P\n  100 FORMAT (E12.4)\n      PRINT 100, X\n      END\n", 3, 7, 2, "E12.4"},
    {"READ label, list", "a.f", "      PROGRAM P\n      READ 100, N\n  100 FORMAT (I3)\n      END\n", 2, 7, 3, "I3"},
    {"labels compare as numbers", "a.f", "      PROGRAM P\n      WRITE (6, 0100) X\n  100 FORMAT (L2)\n      END\n", 2,
     7, 3, "L2"},
    {"leading zeros on the FORMAT", "a.f", "      PROGRAM P\n      WRITE (6, 100) X\n00100 FORMAT (L3)\n      END\n", 2,
     7, 3, "L3"},
    {"fixed form blanks inside the label", "a.f",
     "      PROGRAM P\n      WRITE (6, 1 0 0) X\n  100 FORMAT (L4)\n      END\n", 2, 7, 3, "L4"},
    {"continued control list", "a.f",
     "      PROGRAM P\n      WRITE (6,\nC a comment between\n     +       100) X,\n     +  Y\n"
     "  100 FORMAT (2F8.3)\n      END\n",
     2, 7, 6, "2F8.3"},
    {"behind a logical IF", "a.f",
     "      PROGRAM P\n      IF (X .GT. 0) WRITE (6, 200) X\n  200 FORMAT (F5.1)\n      END\n", 2, 7, 3, "F5.1"},
    {"free form", "a.f90", "program p\n  write (6, 100) x\n100 format (i5)\nend program p\n", 2, 3, 3, "i5"},
    {"free form continued", "a.f90",
     "program p\n  write (unit=6, &\n     ! note\n     & fmt=100) x\n100 format (a)\nend program p\n", 2, 3, 5, "a"},
    {"free form PRINT", "a.f90", "program p\n100 format (es10.3)\n  print 100, x\nend program p\n", 3, 3, 2, "es10.3"},
    {"label in another program unit is not taken", "a.f",
     "      SUBROUTINE A\n  100 FORMAT (I1)\n      END\n      SUBROUTINE B\n      WRITE (6, 100) X\n      END\n", 5, 7,
     0, nullptr, IDS_LABEL_NOT_FOUND},
    {"the unit's own FORMAT, not an earlier unit's", "a.f",
     "      SUBROUTINE A\n  100 FORMAT (I1)\n      END\n      SUBROUTINE B\n      WRITE (6, 100) X\n"
     "  100 FORMAT (I2)\n      END\n",
     5, 7, 6, "I2"},
    {"the host's label is not an internal procedure's", "a.f90",
     "program p\n100 format (i1)\ncontains\nsubroutine s\n  write (6, 100) 1\nend subroutine s\nend program p\n", 5, 3,
     0, nullptr, IDS_LABEL_NOT_FOUND},
    {"an internal procedure's own FORMAT", "a.f90",
     "program p\n100 format (i1)\ncontains\nsubroutine s\n  write (6, 100) 1\n100 format (i2)\nend subroutine s\n"
     "end program p\n",
     5, 3, 6, "i2"},
    {"list-directed", "a.f", "      PROGRAM P\n      WRITE (6, *) X\n  100 FORMAT (I5)\n      END\n", 2, 7, 0, nullptr},
    {"a variable format", "a.f", "      PROGRAM P\n      WRITE (6, F100) X\n  100 FORMAT (I5)\n      END\n", 2, 7, 0,
     nullptr},
    {"a namelist", "a.f", "      PROGRAM P\n      WRITE (6, NML=G) \n  100 FORMAT (I5)\n      END\n", 2, 7, 0, nullptr},
    {"an array element assigned", "a.f", "      PROGRAM P\n      WRITE(6, 100) = 1\n  100 FORMAT (I5)\n      END\n", 2,
     7, 0, nullptr},
    {"two statements on a line, the cursor on the second's keyword", "a.f",
     "      PROGRAM P\n      WRITE (6, 300) I; WRITE (6, 200) I\n  200 FORMAT (I5)\n  300 FORMAT (I3)\n      END\n", 2,
     25, 3, "I5"},
    {"two statements on a line, the cursor on the first's keyword", "a.f",
     "      PROGRAM P\n      WRITE (6, 300) I; WRITE (6, 200) I\n  200 FORMAT (I5)\n  300 FORMAT (I3)\n      END\n", 2,
     7, 4, "I3"},
    {"two format strings on a line, the cursor on the second's keyword", "a.f",
     "      PROGRAM P\n      PRINT '(I3)', I; PRINT '(I5)', I\n      END\n", 2, 25, 2, "I5"},
    {"a format string, the cursor on its statement's keyword", "a.f",
     "      PROGRAM P\n      PRINT '(I3)', I; PRINT '(I5)', I\n      END\n", 2, 7, 2, "I3"},
    {"a byte-order mark before line 1", "a.f", "\xEF\xBB\xBF  100 FORMAT (I5)\n      WRITE (6, 100) X\n      END\n", 2,
     7, 1, "I5"},
    {"the format string is its own", "a.f",
     "      PROGRAM P\n      WRITE (6, '(I4)') N\n  100 FORMAT (I5)\n      END\n", 2, 18, 2, "I4"},
};

class FollowLabel : public SourceTest, public ::testing::WithParamInterface<SFollowCase> {};

TEST_P(FollowLabel, OpensTheFormatOfItsUnit)
{
    const SFollowCase& c = GetParam();
    m_strFile = m_dir.Write(c.pszFile, c.pszText);
    SStatementRequest request;
    request.strFile = m_strFile;
    request.nLine = c.nLine;
    request.nColumn = c.nColumn;
    const CResult opened = OpenStatement(request, m_list, m_list.Site(), m_presenter);
    if (c.nOpened == 0) {
        ASSERT_FALSE(opened.Ok());
        EXPECT_EQ(opened.StringId(), c.nRefusal);
        EXPECT_EQ(Contents(), c.pszText);
        return;
    }
    ASSERT_TRUE(opened.Ok()) << MessageText(opened.Messages().front());
    EXPECT_EQ(m_list.m_nFirstLine, c.nOpened);
    ASSERT_GT(m_list.size(), 0);
    EXPECT_EQ(m_list.At(0).Text(), c.pszFirst);
}

INSTANTIATE_TEST_SUITE_P(Statements, FollowLabel, ::testing::ValuesIn(kFollowCases),
                         [](const ::testing::TestParamInfo<SFollowCase>& info) {
                             std::string name;
                             for (const char* p = info.param.pszName; *p != '\0'; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// OK after following a label writes the FORMAT statement, not the WRITE.
TEST_F(SourceTest, FollowedLabelWritesTheFormatStatement)
{
    const std::string text = "      PROGRAM P\n      WRITE (6, 100) X\n  100 FORMAT (I5)\n      END\n";
    m_strFile = m_dir.Write("w.f", text);
    SStatementRequest request{m_strFile, 2, 7};
    ASSERT_TRUE(OpenStatement(request, m_list, m_list.Site(), m_presenter).Ok());
    ASSERT_TRUE(m_list.SetText(0, "I7"));
    ASSERT_EQ(CommitStatement(m_list, 0, 1), 1);
    EXPECT_EQ(Contents(), "      PROGRAM P\n      WRITE (6, 100) X\n  100 FORMAT (I7)\n      END\n");
}

// A label that names no FORMAT statement of its unit: the files the unit
// INCLUDEs (beside the file) are searched, and the FORMAT opens, and is
// saved, where it stands; else the message names the label, the line and
// where it was looked for.
TEST_F(SourceTest, ALabelNotInItsUnitIsLookedForInTheFilesItIncludes)
{
    const std::string main = "      PROGRAM P\n      INCLUDE 'fmts.h'\n      WRITE (6, 100) X\n"
                             "      WRITE (6, 300) X\n      END\n";
    m_strFile = m_dir.Write("m.f", main);
    const std::string strIncluded = m_dir.Write("fmts.h", "C     formats\n  100 FORMAT (I5)\n");
    SStatementRequest request{m_strFile, 3, 7};
    ASSERT_TRUE(OpenStatement(request, m_list, m_list.Site(), m_presenter).Ok());
    EXPECT_EQ(m_list.m_strFileName, strIncluded);
    EXPECT_EQ(m_list.m_nFirstLine, 2);
    ASSERT_TRUE(m_list.SetText(0, "I7"));
    ASSERT_EQ(CommitStatement(m_list, 0, 1), 1);
    EXPECT_EQ(ReadWholeFile(strIncluded), "C     formats\n  100 FORMAT (I7)\n");
    EXPECT_EQ(Contents(), main);

    const struct {
        const char* pszText;
        int nId;
        const char* pszWords;
    } kMissing[] = {
        {main.c_str(), IDS_LABEL_NOT_FOUND_INCLUDED,
         "Line 4 names FORMAT label 300, but no FORMAT statement of "
         "its program unit, nor of the files it includes (fmts.h)"},
        {"      PROGRAM P\n      WRITE (6, 100) X\n      WRITE (6, 300) X\n  110 FORMAT (I5)\n      END\n",
         IDS_LABEL_NOT_FOUND, "Line 3 names FORMAT label 300, but no FORMAT statement of its program unit has"},
    };
    for (const auto& c : kMissing) {
        m_strFile = m_dir.Write("m.f", c.pszText);
        CLocatedStatement located;
        const CResult opened = OpenStatement({m_strFile, c.nId == IDS_LABEL_NOT_FOUND ? 3 : 4, 7}, located,
                                             located.Site(), m_presenter);
        ASSERT_FALSE(opened.Ok());
        EXPECT_EQ(opened.StringId(), c.nId);
        EXPECT_NE(MessageText(opened.Messages().front()).find(c.pszWords), std::string::npos)
            << MessageText(opened.Messages().front());
    }
}

// A byte-order mark before the statement on line 1 is kept on save.
TEST_F(SourceTest, AByteOrderMarkBeforeLineOneIsKept)
{
    const std::string text = "\xEF\xBB\xBF  100 FORMAT (I5)\n      WRITE (6, 100) X\n      END\n";
    m_strFile = m_dir.Write("b.f", text);
    SStatementRequest request{m_strFile, 1, 7};
    ASSERT_TRUE(OpenStatement(request, m_list, m_list.Site(), m_presenter).Ok());
    EXPECT_EQ(m_list.m_strHead, "  100 FORMAT ");
    ASSERT_TRUE(m_list.SetText(0, "I7"));
    ASSERT_EQ(CommitStatement(m_list, 0, 1), 1);
    EXPECT_EQ(Contents(), "\xEF\xBB\xBF  100 FORMAT (I7)\n      WRITE (6, 100) X\n      END\n");
}

// The format an I/O statement's text names: the label's value, or the
// offset of the constant; "" when none is read.
struct SIoCase {
    const char* pszText;
    const char* pszFormats;  // "L100" a label, "C12" a constant at offset 12, then > (output) or < (input)
                             // and the I/O list's text in brackets; space separated
};

const SIoCase kIoCases[] = {
    {"WRITE (6, 100) X", "L100>[X]"},
    {"write(unit=6,fmt=0100)", "L100>[]"},
    {"WRITE (FMT = 10, UNIT = 6)", "L10>[]"},
    {"READ (5, '(I5)') N", "C9<[N]"},
    {"READ (UNIT=5, FMT='(A)', IOSTAT=K) S", "C18<[S]"},
    {"PRINT '(A)', 'x'", "C6>['x']"},
    {"PRINT 100", "L100>[]"},
    {"READ 100, N", "L100<[N]"},
    {"READ *, N", ""},
    {"WRITE (6, *) '(I5)'", ""},
    {"WRITE (6, F) X", ""},
    {"WRITE (6, L100) X", ""},
    {"WRITE (6, 100 + 1) X", ""},
    {"WRITE (6, 123456) X", ""},
    {"WRITE (6, 0) X", ""},
    {"WRITE (6, NML=G)", ""},
    {"WRITE (UNIT=6, 100) X", ""},
    {"WRITE (6) X", ""},
    {"WRITE(1, 2) = 3", ""},
    {"WRITEX = 1", ""},
    {"PRINT = 5", ""},
    {"IF (A .GT. B) PRINT 200, A", "L200>[A]"},
    {"X = 1; WRITE (6, 300) X, Y(I); PRINT '(A)', 'y'", "L300>[X, Y(I)] C37>['y']"},
    {"WRITE (6, 100) 'it''s (I5)' ! WRITE (6, 200)", "L100>['it''s (I5)']"},
};

TEST(IoFormat, ReadsTheFormatOfTheControlList)
{
    for (const SIoCase& c : kIoCases) {
        std::string strGot;
        for (const SIoFormat& format : ReadIoFormats(c.pszText))
            strGot += std::string(strGot.empty() ? "" : " ") + (format.kind == IO_FORMAT_LABEL ? "L" : "C") +
                      std::to_string(format.kind == IO_FORMAT_LABEL ? format.nLabel
                                                                    : static_cast<int>(format.nOffset)) +
                      (format.bInput ? "<[" : ">[") +
                      std::string(c.pszText).substr(format.nListFrom, format.nListTo - format.nListFrom) + "]";
        EXPECT_EQ(strGot, c.pszFormats) << c.pszText;
    }
}

const char* const kIndexed = "      PROGRAM P\n"                         // 1
                             "      WRITE (6, 100) X\n"                  // 2
                             "  100 FORMAT (1X, 'Sum:',\n"               // 3
                             "C     a comment inside\n"                  // 4
                             "     +        F10.3)\n"                    // 5
                             "      WRITE (6, '(I5, ''!'')') N\n"        // 6
                             "      PRINT '(A)', 'x'\n"                  // 7
                             "      READ (5, *) N\n"                     // 8
                             "      X = 1 ! '(I9)' in a comment\n"       // 9
                             "  200 FORMAT (I3,  2X)   ! the comment\n"  // 10
                             "      WRITE (6,\n"                         // 11
                             "     + '(F4.1)') X\n"                      // 12
                             "  300 FORMAT (I3\n"                        // 13
                             "      END\n";                              // 14

// Free form: format strings that open on continuation lines, after a
// leading "&" or without one, with comment lines between.
const char* const kIndexedFree = "program p\n"                              // 1
                                 "  write (6, &\n"                          // 2
                                 "     '(I5)') n\n"                         // 3
                                 "  print &\n"                              // 4
                                 "  ! a comment between\n"                  // 5
                                 "    & \"(A, &\n"                          // 6
                                 "    &  I2)\", 'x', 1\n"                   // 7
                                 "  write (6, '(F4.1)') x ; write (6, &\n"  // 8
                                 "  '(I3)') n\n"                            // 9
                                 "end\n";

// Each statement is listed at the line and column that open it (a format
// string inside its opening quote, on whichever line the quote stands), and
// opens there. In the fixed-form file, line 13's list never closes.
TEST_F(SourceTest, IndexListsWhatOpens)
{
    struct SExpected {
        long long nLine;
        long long nColumn;
        int nLabel;
        bool bString;
        const char* pszList;
    };
    const struct {
        const char* pszName;
        const char* pszText;
        std::vector<SExpected> expected;
    } cases[] = {
        {"index.f",
         kIndexed,
         {{3, 7, 100, false, "(1X, 'Sum:', F10.3)"},
          {6, 18, 0, true, "(I5, '!')"},
          {7, 14, 0, true, "(A)"},
          {10, 7, 200, false, "(I3, 2X)"},
          {12, 9, 0, true, "(F4.1)"}}},
        {"index.f90", kIndexedFree, {{3, 7, 0, true, "(I5)"}, {6, 8, 0, true, "(A, I2)"}, {8, 14, 0, true, "(F4.1)"}}},
        // A carriage return of its own at the end of a line: that statement
        // cannot be edited, and is not listed; CR LF line ends are line ends.
        // A UTF-8 byte-order mark is no part of line 1.
        {"bom.f", "\xEF\xBB\xBF   10 FORMAT (I3)\n      PRINT 10, 1\n", {{1, 7, 10, false, "(I3)"}}},
        {"cr.f",
         "   10 FORMAT (I3)\r\r\n   20 FORMAT (I4)\r\n      PRINT '(A)', 'x'\r\n",
         {{2, 7, 20, false, "(I4)"}, {3, 14, 0, true, "(A)"}}},
    };
    for (const auto& c : cases) {
        m_strFile = m_dir.Write(c.pszName, c.pszText);
        std::vector<SIndexedStatement> statements;
        ASSERT_TRUE(IndexStatements(m_strFile, SOURCE_FORM_BY_SUFFIX, TestTable(), statements).Ok());
        ASSERT_EQ(statements.size(), c.expected.size()) << c.pszName;
        for (std::size_t i = 0; i < statements.size(); ++i) {
            const SExpected& e = c.expected[i];
            EXPECT_EQ(statements[i].nLine, e.nLine) << c.pszName << " " << i;
            EXPECT_EQ(statements[i].nColumn, e.nColumn) << c.pszName << " " << i;
            EXPECT_EQ(statements[i].nLabel, e.nLabel) << c.pszName << " " << i;
            EXPECT_EQ(statements[i].bString, e.bString) << c.pszName << " " << i;
            EXPECT_EQ(statements[i].strList, e.pszList) << c.pszName << " " << i;
            SStatementRequest request{m_strFile, e.nLine, e.nColumn};
            CLocatedStatement located;
            ASSERT_TRUE(OpenStatement(request, located, located.Site(), m_presenter).Ok()) << c.pszName << " " << i;
            EXPECT_EQ(located.m_nFirstLine, e.nLine) << c.pszName << " " << i;
        }
    }
}

// Every statement of the bundled examples opens where the index says, in
// both source forms.
TEST_F(SourceTest, IndexOfTheExamplesOpens)
{
    for (const char* pszName : {"report.for", "report.f90"}) {
        const std::string strFile = std::string(QUILLMARK_EXAMPLES) + "/" + pszName;
        std::vector<SIndexedStatement> statements;
        ASSERT_TRUE(IndexStatements(strFile, SOURCE_FORM_BY_SUFFIX, TestTable(), statements).Ok());
        EXPECT_EQ(statements.size(), 3U) << pszName;
        for (const SIndexedStatement& s : statements) {
            SStatementRequest request{strFile, s.nLine, s.nColumn};
            CLocatedStatement located;
            CSourceRecorder recorder;
            CResult result;
            EXPECT_EQ(LocateStatement(request, located, located.Site(), recorder, result), LOCATE_FOUND) << s.nLine;
        }
    }
}

TEST_F(SourceTest, IndexOfAFileThatCannotBeRead)
{
    std::vector<SIndexedStatement> statements(1);
    const CResult result = IndexStatements(m_dir.File("missing.f"), SOURCE_FORM_BY_SUFFIX, TestTable(), statements);
    EXPECT_FALSE(result.Ok());
    EXPECT_TRUE(statements.empty());
}

}  // namespace
