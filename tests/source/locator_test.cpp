// Locating the statement: FORMAT statements and format strings, both source
// forms, continuation and comment lines, the cursor column, and every
// message the locator gives.
#include <sys/stat.h>

#include "fortran_tokens.h"
#include "source_helpers.h"
#include "statement_text.h"
#include "string_table.h"

namespace {

using Strings = std::vector<std::string>;
using Lines = std::vector<int>;

// --- fixed form -----------------------------------------------------------

TEST_F(SourceTest, FixedFormatStatementOnOneLine)
{
    ASSERT_EQ(Locate("prog.for", "      PROGRAM P\n  100 FORMAT(I5, F7.3)\n      END\n", 2, 7), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "F7.3"}));
    EXPECT_EQ(m_list.m_strHead, "  100 FORMAT");
    EXPECT_EQ(m_list.m_strTail, "\n");
    EXPECT_EQ(m_list.m_arrLines, (Lines{2}));
    EXPECT_EQ(m_list.m_nFirstLine, 2);
    EXPECT_EQ(m_list.m_chDelimiter, 'f');
    EXPECT_EQ(m_list.m_bFixedForm, 1);
    EXPECT_EQ(m_list.m_nParenBlanks, 0);
    EXPECT_EQ(m_list.m_strFileName, m_strFile);
    EXPECT_TRUE(m_presenter.m_messages.empty());
}

TEST_F(SourceTest, FixedFormKeywordPlacement)
{
    EXPECT_EQ(Locate("a.f", "100 FORMAT(I5)\n", 1), LOCATE_FAILED);
    EXPECT_EQ(Message(), "Format statement must begin past column 6");
    EXPECT_EQ(Locate("b.f", "  100 FORMAT (  I5)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_strHead, "  100 FORMAT ");
    EXPECT_EQ(m_list.m_nParenBlanks, 2);
    EXPECT_EQ(Locate("c.f", "      100 format(i5)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"i5"}));
    // Without a label the keyword is the first word: the line is searched
    // for a format string instead.
    EXPECT_EQ(Locate("d.f", "      FORMAT(I5)\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Message(1), "Cannot find descriptor list\nThe cursor must be positioned on the first line of\n"
                          "a FORMAT statement or an I/O edit descriptor");
}

TEST_F(SourceTest, FixedFormTabsExpandToTheirColumns)
{
    EXPECT_EQ(SFixedLine("100\tFORMAT(I5)").image, "100   FORMAT(I5)");
    EXPECT_EQ(SFixedLine("\t1X, I5)").image, "     1X, I5)");  // a tab before a digit: the continuation column
    EXPECT_EQ(SFixedLine("\t\tX").image, "      \tX");
    EXPECT_EQ(SFixedLine("123456\tX").image, "123456\tX");
    EXPECT_EQ(SFixedLine(std::string(80, 'x')).image, std::string(72, 'x'));
    ASSERT_EQ(Locate("t.f", "100\tFORMAT(I5,\n\t1X)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "X"}));  // continuation mark 1, text "X)"
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 2}));
}

TEST_F(SourceTest, FixedFormContinuationAndCommentLines)
{
    // Blank lines are comment lines too: the statement goes on past them.
    const std::string strFile = "  100 FORMAT(1X, I5,\n"
                                "C     a comment between the lines\n"
                                "*     another\n"
                                "     +  F7.3,\n"
                                "     1  A3,\n"
                                "\n"
                                "     +  I9)\n"
                                "\n"
                                "      END\n";
    ASSERT_EQ(Locate("c.for", strFile, 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"1X", "I5", "F7.3", "A3", "I9"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 4, 5, 7}));
    EXPECT_EQ(m_list.m_arrOriginalLines.size(), 7u);
}

TEST_F(SourceTest, FixedFormLabelInColumnOneIsNotAComment)
{
    // A statement directly followed by another labelled FORMAT with its own
    // continuation lines: the second must not become part of the first.
    const std::string strFile = "99999 FORMAT(' first', I5)\n"
                                "99998 FORMAT(' second',\n"
                                "     *       I6)\n";
    ASSERT_EQ(Locate("l.f", strFile, 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"' first'", "I5"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1}));
    ASSERT_EQ(Locate("l.f", strFile, 2), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"' second'", "I6"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{2, 3}));
    // A ! as first non-blank character is a comment anywhere but in column 6.
    ASSERT_EQ(Locate("m.f", "  100 FORMAT(I5,\n   ! note\n     !  I6)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "I6"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 3}));
}

TEST_F(SourceTest, FixedFormConstantAcrossLinesKeepsTheBlanksUpToColumn72)
{
    const std::string strFirst = "  100 FORMAT('Hello,";  // 20 columns; the constant goes on
    const std::string strFile = strFirst + "\n     + world', I3)\n";
    ASSERT_EQ(Locate("s.f", strFile, 1), LOCATE_FOUND);
    ASSERT_EQ(m_list.size(), 2);
    EXPECT_EQ(m_list.At(0).Text(), "'Hello," + std::string(72 - strFirst.size(), ' ') + " world'");
    EXPECT_EQ(m_list.At(0).Sample(), "Hello," + std::string(52, ' ') + " world");
}

TEST_F(SourceTest, FixedFormCommentMarkInsideAConstantIsText)
{
    ASSERT_EQ(Locate("q.f", "  100 FORMAT('Hi!', I5, ! count\n     +       F7.3)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"'Hi!'", "I5", "F7.3"}));
}

TEST_F(SourceTest, FixedFormFormatString)
{
    const std::string strLine = "      WRITE (6, '(1X, I5)') N\n";
    ASSERT_EQ(Locate("w.for", strLine, 1, 17), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"1X", "I5"}));
    EXPECT_EQ(m_list.m_strHead, "      WRITE (6, ");
    EXPECT_EQ(m_list.m_chDelimiter, '\'');
    EXPECT_EQ(m_list.m_strTail, ") N\n");
    EXPECT_EQ(m_list.m_nParenBlanks, 0);
    // The cursor anywhere in the constant or after it finds it; before it, nothing.
    EXPECT_EQ(Locate("w.for", strLine, 1, 40), LOCATE_FOUND);
    EXPECT_EQ(Locate("w.for", strLine, 1, 16), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("w.for", strLine, 1, 0), LOCATE_NO_LIST);
    EXPECT_EQ(m_list.m_strFileName, "");
}

TEST_F(SourceTest, FormatStringsWithDoubledQuotesAndTwoConstants)
{
    ASSERT_EQ(Locate("d.for", "      PRINT '(''A'', I2)', 5\n", 1, 13), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"'A'", "I2"}));
    const std::string strTwo = "      WRITE (6, '(I5)') N, '(A3)'\n";
    ASSERT_EQ(Locate("e.for", strTwo, 1, 20), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5"}));
    ASSERT_EQ(Locate("e.for", strTwo, 1, 30), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"A3"}));
    // Double quotes delimit a constant too; a single quote inside is text.
    ASSERT_EQ(Locate("f.for", "      WRITE (6, \"(A, 'x''y')\") S\n", 1, 18), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"A", "'x''y'"}));
    EXPECT_EQ(m_list.m_chDelimiter, '"');
}

TEST_F(SourceTest, FixedFormFormatStringOverContinuationLines)
{
    const std::string strFirst = "      WRITE (6, '(1X, I5,";
    const std::string strFile = strFirst + "\nC comment\n     + F7.3)') N\n      X = 1\n";
    ASSERT_EQ(Locate("v.for", strFile, 1, 17), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"1X", "I5", "F7.3"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 3}));
    EXPECT_EQ(m_list.m_strTail, ") N\n");
    // Closed on its first line: the statement ends there even with a
    // continuation line after it.
    ASSERT_EQ(Locate("u.for", "      WRITE (6, '(I5)') N,\n     +  M\n", 1, 17), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_arrLines, (Lines{1}));
}

// --- free form ------------------------------------------------------------

TEST_F(SourceTest, FreeFormFormatStatement)
{
    const std::string strFile = "program p\n"
                                "100 format(1x, i5, &   ! trailing comment dropped\n"
                                "   ! a comment line\n"
                                "         & f7.3, &\n"
                                "   a3) ! kept in the tail\n";
    ASSERT_EQ(Locate("p.F90", strFile, 2, 1), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_bFixedForm, 0);
    EXPECT_EQ(Texts(m_list), (Strings{"1x", "i5", "f7.3", "a3"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{2, 4, 5}));
    EXPECT_EQ(m_list.m_strTail, " ! kept in the tail\n");
    EXPECT_EQ(m_list.m_strHead, "100 format");
    // Any column will do in free form.
    EXPECT_EQ(Locate("q.f90", "100 FORMAT(I5)\n", 1), LOCATE_FOUND);
}

TEST_F(SourceTest, FreeFormStatementsGoOnPastBlankLines)
{
    ASSERT_EQ(Locate("b.f90", "100 format(i5, &\n\n  f7.3)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"i5", "f7.3"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 3}));
    // The keyword alone on its line, the list after a blank line.
    ASSERT_EQ(Locate("b.f90", "900 format &\n   \n  (I3, &\n\n   &I4)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I3", "I4"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 3, 5}));
    // Inside a format string's constant too.
    ASSERT_EQ(Locate("b.f90", "write(6,'(\"AB&\n\n   &CD\")')\n", 1, 10), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"\"ABCD\""}));
}

TEST_F(SourceTest, FreeFormAmpersandInATrailingCommentContinuesNothing)
{
    const std::string strFile = "100 format(i5) ! see A & B\n200 format(i6)\n";
    ASSERT_EQ(Locate("c.f90", strFile, 1), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_arrLines, (Lines{1}));
    EXPECT_EQ(m_list.m_strTail, " ! see A & B\n");
}

TEST_F(SourceTest, LinesThatDoNotContinueTheStatementStayOutOfIt)
{
    // Each file's statement is line 1 alone: the next line is not a
    // continuation, and would be lost if a save rewrote it.
    struct {
        const char* pszFile;
        const char* pszText;
        int nColumn;
        const char* pszTail;
    } const cases[] = {
        // An & with more text after it continues nothing.
        {"a.f90", "100 format(i5) ; x = 1 & y\ny = 2\n", 1, " ; x = 1 & y\n"},
        // A format string left open without an & ends with its line.
        {"b.f90", "print '(i5)\nx = 1\n", 7, "\n"},
        // Blanks after a fixed-form statement do not push it past column 72.
        {"c.f", "  100 FORMAT(I5)                                                    \n      X = 1\n", 1, "\n"},
    };
    for (const auto& c : cases) {
        const int nResult = Locate(c.pszFile, c.pszText, 1, c.nColumn);
        ASSERT_EQ(nResult, LOCATE_FOUND) << c.pszText;
        EXPECT_EQ(m_list.m_arrLines, (Lines{1})) << c.pszText;
        EXPECT_EQ(m_list.m_strTail, c.pszTail) << c.pszText;
    }
}

TEST_F(SourceTest, WhatACommentHoldsIsNoStatement)
{
    // A "!" outside constants before the list makes the rest of the line a
    // comment; inside a constant or in the continuation column it does not.
    EXPECT_EQ(Locate("a.f90", "11 !0 format(i5)\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("b.f90", "11!0 format(i5)\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("c.f90", "write (*, *) n ! '(i5)'\n", 1, 18), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("d.for", "  100 FORMAT !(I5)\n", 1), LOCATE_NO_LIST);
    // FORMAT as a second word that follows no label is no FORMAT statement.
    ASSERT_EQ(Locate("f.f90", "  write (u, '(''Molden Format'')')\n", 1, 14), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"'Molden Format'"}));
    EXPECT_EQ(Locate("g.for", "      X FORMAT(I5)\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("e.f90", "print '(a)', '!'; write (*, '(i5)') n\n", 1, 30), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_strHead, "print '(a)', '!'; write (*, ");
}

TEST_F(SourceTest, FreeFormFormatStrings)
{
    const std::string strFile = "write (*, '(1x, i5, &\n"
                                "  ! comment\n"
                                "     & f7.3)') n, x\n";
    ASSERT_EQ(Locate("s.f90", strFile, 1, 12), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"1x", "i5", "f7.3"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 3}));
    EXPECT_EQ(m_list.m_strTail, ") n, x\n");
    // An & inside a constant that is not at the end of the line is text.
    ASSERT_EQ(Locate("t.f90", "print \"('a&b', i2)\", k\n", 1, 7), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"'a&b'", "i2"}));
}

TEST_F(SourceTest, ALongFreeFormLineIsReadWhole)
{
    std::string strList = "(1x";
    for (int i = 0; i < 300; ++i)
        strList += ", i" + std::to_string(i % 9 + 1);
    strList += ")";
    const std::string strLine = "write (*, '" + strList + "') k\n";
    ASSERT_GT(strLine.size(), 1000u);
    ASSERT_EQ(Locate("long.f90", "program p\n" + strLine + "end\n", 2, 12), LOCATE_FOUND);
    EXPECT_EQ(m_list.size(), 301);
    EXPECT_EQ(m_list.m_strTail, ") k\n");
}

TEST_F(SourceTest, LastLineWithoutLineEndIsCollected)
{
    ASSERT_EQ(Locate("n.for", "  100 FORMAT(I5,\n     + A3)", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "A3"}));
    EXPECT_EQ(m_list.m_strTail, "\n");
    ASSERT_EQ(Locate("n.f90", "100 format(i5, &\n a3)", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"i5", "a3"}));
}

TEST_F(SourceTest, CarriageReturnsAreLineEndsNotText)
{
    ASSERT_EQ(Locate("r.for", "      X = 1\r\n  100 FORMAT(I5,\r\n     + A3) !x\r\n", 2), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "A3"}));
    EXPECT_EQ(m_list.m_strTail, " !x\n");
    EXPECT_EQ(m_list.m_strLineEnd, "\r\n");
    ASSERT_EQ(Locate("r.f90", "write (*, '(i5)') k\r\n", 1, 12), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_strTail, ") k\n");
}

TEST_F(SourceTest, LineNumbersBeyond16Bits)
{
    std::string strFile;
    for (int i = 1; i < 70000; ++i)
        strFile += "C     line " + std::to_string(i) + "\n";
    strFile += "70000 FORMAT(I5,\n     + A3)\n";
    ASSERT_EQ(Locate("big.for", strFile, 70000), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_nFirstLine, 70000);
    EXPECT_EQ(m_list.m_arrLines, (Lines{70000, 70001}));
}

// --- blank lines and failures ----------------------------------------------

TEST_F(SourceTest, BlankLinesStartNewStatements)
{
    EXPECT_EQ(Locate("n.for", "      X = 1\n   \t \n", 2), LOCATE_BLANK);
    ASSERT_TRUE(NewStatement(m_list, 2, m_strFile, NEW_STATEMENT_TEXT));
    EXPECT_EQ(Texts(m_list), (Strings{"'First Descriptor'"}));
    EXPECT_EQ(m_list.m_strHead, "  100 FORMAT");  // a label of its own, right-aligned in columns 1 to 5
    EXPECT_EQ(m_list.m_strTail, "\n");
    EXPECT_TRUE(m_list.m_arrLines.empty());
    EXPECT_EQ(m_list.m_chDelimiter, 'f');
    // Past the last line nothing is blank: no line is there, whether or not
    // the last one ends with a line end. A form feed is no blank.
    EXPECT_EQ(Locate("n.for", "      X = 1\n", 2), LOCATE_FAILED);
    EXPECT_EQ(Message(), "Line 2 was not found in file \"" + m_strFile + "\"");
    EXPECT_EQ(Locate("n.for", "      X = 1", 2), LOCATE_FAILED);
    EXPECT_EQ(Locate("n.for", "      X = 1\n\n", 3), LOCATE_FAILED);
    EXPECT_EQ(Locate("n.for", "      X = 1\n\f\n", 2), LOCATE_NO_LIST);
    // A new statement there would take the continuation line after it from
    // the statement it continues.
    m_presenter.m_messages.clear();
    EXPECT_EQ(Locate("n.for", "      X = 1 +\n\nC note\n     + 2\n", 2), LOCATE_FAILED);
    EXPECT_EQ(Message(), "A new statement cannot start on line 2\nThe line after it continues the statement before it");
    EXPECT_EQ(Locate("n.for", "      X = 1\n\nC note\n      Y = 2\n", 2), LOCATE_BLANK);
    EXPECT_EQ(m_list.m_arrOriginalLines.size(), 1u);
}

#ifndef _WIN32
TEST_F(SourceTest, ANameThatIsNoRegularFileSaysSoAndNeverBlocks)
{
    // A FIFO with no writer would block a plain open; devices never end.
    const std::string strFifo = m_dir.File("fifo.f");
    ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
    const std::string names[] = {strFifo, "/dev/null", "/dev/zero"};
    for (const std::string& strName : names) {
        m_presenter.m_messages.clear();
        EXPECT_EQ(LocateStatement(m_list, 1, 1, strName, 1), LOCATE_FAILED) << strName;
        EXPECT_EQ(Message(0),
                  "Unable to open file \"" + strName + "\"\nNot a regular file (a device, a pipe or a socket)");
    }
}
#endif

TEST_F(SourceTest, MessagesForWhatCannotBeLocated)
{
    EXPECT_EQ(LocateStatement(m_list, 1, 1, m_dir.File("missing.for"), 1), LOCATE_FAILED);
    // The system's reason on a line of its own.
    EXPECT_EQ(Message(0), "Unable to open file \"" + m_dir.File("missing.for") + "\"\nNo such file or directory");
    EXPECT_EQ(m_presenter.m_messages[0].nStringId, IDS_CANNOT_OPEN_FILE_BECAUSE);
    EXPECT_EQ(LocateStatement(m_list, 1, 1, m_dir.Path().string(), 1), LOCATE_FAILED) << "a folder is no source";
    EXPECT_EQ(Message(1), "Unable to open file \"" + m_dir.Path().string() + "\"\nIs a directory");
    EXPECT_EQ(Locate("z.for", "  100 FORMAT(I5)\n", 0), LOCATE_FAILED);
    EXPECT_EQ(Message(2), "Second command line parameter must be a line number");
    EXPECT_EQ(Locate("z.for", "  100 FORMAT(I5)\n", -5), LOCATE_FAILED);
    EXPECT_EQ(Message(3), "Second command line parameter must be a line number");
    EXPECT_EQ(Locate("z.for", "  100 FORMAT(I5,,A3)\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Message(4), "FORMAT parse failed in column 17") << "the column in the file, at the second comma";
    EXPECT_EQ(m_presenter.m_messages[4].nLine, 1);
    EXPECT_EQ(m_presenter.m_messages[4].nColumn, 17);
    EXPECT_EQ(Message(5), "Not a valid descriptor list\nThe cursor must be positioned on the first line of\n"
                          "a FORMAT statement or an I/O edit descriptor");
    EXPECT_TRUE(m_list.m_arrLines.empty());
    EXPECT_EQ(m_list.m_strFileName, "");
}

TEST_F(SourceTest, AReadOnlyFileAsksBeforeGoingOn)
{
    const std::string strFile = m_dir.Write("ro.for", "  100 FORMAT(I5)\n");
    ASSERT_EQ(chmod(strFile.c_str(), 0444), 0);
    m_presenter.m_answer = MessageAnswer::YES;
    EXPECT_EQ(LocateStatement(m_list, 1, 1, strFile, 1), LOCATE_FOUND);
    EXPECT_EQ(Message(), "The file \"" + strFile +
                             "\" is read-only; changes will be saved to a different file\n"
                             "Continue anyway?");
    EXPECT_EQ(m_presenter.m_messages[0].style, kYesNoQuestion);
    m_presenter.m_answer = MessageAnswer::NO;
    EXPECT_EQ(LocateStatement(m_list, 1, 1, strFile, 1), LOCATE_FAILED);
    m_presenter.m_answer = MessageAnswer::YES;
    EXPECT_EQ(LocateStatement(m_list, 1, 1, strFile, 0), LOCATE_FAILED) << "unattended: the answer counts as No";
}

// The characters of a constant read from inside it, and where it closes.
std::string ConstantRead(std::string_view piece, char chQuote, bool& bClosed, std::size_t& nEnd)
{
    const SCharacterRest constant = ReadCharacterRest(piece, chQuote);
    EXPECT_EQ(constant.offsets.size(), constant.strValue.size());
    for (std::size_t i = 0; i < constant.offsets.size(); ++i)
        EXPECT_EQ(piece[constant.offsets[i]], constant.strValue[i]) << "each character where it stands";
    bClosed = constant.bClosed;
    nEnd = constant.nEnd;
    return constant.strValue;
}

TEST(ReadCharacterRest, TakesTheConstantsContentOut)
{
    bool bClosed = false;
    std::size_t nEnd = 0;
    EXPECT_EQ(ConstantRead("(''A'', I2)') N", '\'', bClosed, nEnd), "('A', I2)");
    EXPECT_TRUE(bClosed);
    EXPECT_EQ(nEnd, 12u) << "after the closing quote";
    EXPECT_EQ(ConstantRead("(I5, &  ", '\'', bClosed, nEnd), "(I5, &  ");
    EXPECT_FALSE(bClosed);
    EXPECT_TRUE(EndsWithAmpersand("(I5, &  "));
    EXPECT_FALSE(EndsWithAmpersand("a&b"));
    EXPECT_EQ(LastNonWhite("(I5, &  "), 5u);
    EXPECT_EQ(ConstantRead("it's\"\"\"", '"', bClosed, nEnd), "it's\"");
    EXPECT_TRUE(bClosed);
}

TEST(SourceForm, FollowsTheSuffixUnlessAnOptionChooses)
{
    struct SCase {
        const char* pszName;
        int bFixed;
    };
    const SCase cases[] = {
        {"a.f90", 0}, {"dir.x/A.F90", 0}, {"a.f95", 0}, {"a.F95", 0},  {"a.f03", 0},        {"a.F03", 0},
        {"a.f08", 0}, {"b.F08", 0},       {"a.for", 1}, {"a.f", 1},    {"a.F", 1},          {"a.ftn", 1},
        {"a.f77", 1}, {"a.f18", 1},       {"f90", 1},   {"a.f900", 1}, {"dir.f90/prog", 1}, {"a.f90.bak", 1},
    };
    for (const SCase& c : cases) {
        EXPECT_EQ(IsFixedForm(c.pszName), c.bFixed) << c.pszName;
        EXPECT_EQ(IsFixedForm(c.pszName, SOURCE_FORM_FIXED), 1) << c.pszName;
        EXPECT_EQ(IsFixedForm(c.pszName, SOURCE_FORM_FREE), 0) << c.pszName;
    }
}

TEST_F(SourceTest, AnOptionOverridesTheFormOfTheSuffix)
{
    const std::string strFree = "900 format (i5, &\n   & f7.2)\n";
    ASSERT_EQ(Locate("p.F", strFree, 1), LOCATE_FAILED) << "fixed form by its suffix: the keyword stands in column 5";
    m_presenter.m_messages.clear();
    ASSERT_EQ(LocateStatement(m_list, 1, 1, m_strFile, 1, SOURCE_FORM_FREE), LOCATE_FOUND) << Message();
    EXPECT_EQ(m_list.m_bFixedForm, 0);
    EXPECT_EQ(Texts(m_list), (Strings{"i5", "f7.2"}));
    EXPECT_EQ(Locate("q.f90", "  100 FORMAT(I5,\n     + F7.2)\n", 1), LOCATE_NO_LIST)
        << "free form: the + line is no continuation, and the list stays open";
    ASSERT_EQ(LocateStatement(m_list, 1, 1, m_strFile, 1, SOURCE_FORM_FIXED), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "F7.2"}));
}

}  // namespace

namespace {

// Each descriptor's text, as it stands in the file at the place the site
// keeps for it (a format string's doubled quotes doubled again).
void ExpectPlacesHoldTheTexts(const CLocatedStatement& statement, const std::string& strFile)
{
    std::vector<std::string> lines;
    std::size_t nFrom = 0;
    for (std::size_t n; (n = strFile.find('\n', nFrom)) != std::string::npos; nFrom = n + 1)
        lines.push_back(strFile.substr(nFrom, n - nFrom));
    ASSERT_EQ(statement.m_arrDescriptorPlaces.size(), static_cast<std::size_t>(statement.size()));
    for (int i = 0; i < statement.size(); ++i) {
        const SSourcePlace& place = statement.m_arrDescriptorPlaces[static_cast<std::size_t>(i)];
        ASSERT_GE(place.nLine, 1);
        ASSERT_LE(place.nLine, static_cast<long long>(lines.size()));
        const std::string& line = lines[static_cast<std::size_t>(place.nLine - 1)];
        const std::string strText = statement.m_chDelimiter == 'f'
                                        ? statement.At(i).StatementText()
                                        : QuoteText(statement.At(i).StatementText(), statement.m_chDelimiter);
        // (a text that goes on on the next line: as far as its first line holds it)
        const std::size_t nAt = static_cast<std::size_t>(place.nColumn - 1);
        const std::size_t nLength = std::min(strText.size(), line.size() - std::min(nAt, line.size()));
        EXPECT_TRUE(nLength > 0 && line.compare(nAt, nLength, strText, 0, nLength) == 0)
            << "descriptor " << i << " " << strText << " at " << place.nLine << ":" << place.nColumn << "\n"
            << strFile;
    }
}

}  // namespace

TEST_F(SourceTest, EachDescriptorsPlaceInTheFileIsKept)
{
    const std::vector<std::pair<const char*, std::string>> files = {
        {"a.for", "  100 FORMAT(I5,\n     +  F7.3, 'a''b',\n     +  3HA,B)\n"},
        {"b.for", "100\tFORMAT(I5, 2X)\n"},
        {"c.f90", "100 format(i5, &  ! count\n   & f7.3, 2(a3,/))\n"},
        {"d.for", "      WRITE (6, '(I5, ''x'', A)') N\n"},
        {"e.f90", "write (6, \"(i5, &\n      &'a\"\"b', f7.2)\") n\n"},
        {"f.for", "  100 FORMAT ('" + std::string(56, 'A') + "'\n     +'BB', 5HAB!CD, I5)\n"},
    };
    for (const auto& [pszName, strFile] : files) {
        const long long nColumn = strFile.find('\'') != std::string::npos && pszName[0] == 'd' ? 17 : 11;
        ASSERT_EQ(Locate(pszName, strFile, 1, nColumn), LOCATE_FOUND) << pszName << ": " << Message();
        ExpectPlacesHoldTheTexts(m_list, strFile);
    }
}

TEST_F(SourceTest, AnAmpersandThatNoLineFollowsContinuesNothing)
{
    // The statement's last line ends with "&" but only a comment line and
    // the end of the file follow: the & is the line's own text, kept by a
    // save, even when a Hollerith constant before it ends with an & too.
    for (const char* pszText : {"100 format(i5) &\n! the end\n", "110 format()1x,5Hn , && ! note\n"}) {
        ASSERT_EQ(Locate("a.f90", pszText, 1), LOCATE_FOUND) << pszText << Message();
        EXPECT_EQ(m_list.m_arrLines, (Lines{1})) << pszText;
        const std::string strTail = m_list.m_strTail;
        EXPECT_EQ(strTail.find('&') != std::string::npos, true) << strTail;
        ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
        EXPECT_EQ(Contents(), pszText);
    }
}

// Every line of a fixed-form file is found where it stands, whatever comes
// before it: with "\n" or "\r\n" line ends, with or without a final line end,
// the line one past the last is not there, and each FORMAT statement opens
// at its own offset with its own fields.
TEST_F(SourceTest, EveryLineIsFoundAtItsOffset)
{
    for (const std::string strEnd : {"\n", "\r\n"}) {
        for (const bool bFinalEnd : {true, false}) {
            std::string strFile;
            std::vector<long long> offsets;
            for (int i = 1; i <= 9; ++i) {
                offsets.push_back(static_cast<long long>(strFile.size()));
                strFile += i % 3 == 0 ? "   " + std::to_string(i) + "0 FORMAT(I" + std::to_string(i) + ")"
                                      : "      X = 1";
                if (i < 9 || bFinalEnd)
                    strFile += strEnd;
            }
            for (long long nLine = 1; nLine <= 10; ++nLine) {
                const int nResult = Locate("e.f", strFile, nLine, 7);
                const std::string strWhere = "line " + std::to_string(nLine) + (bFinalEnd ? "" : ", no final end");
                if (nLine == 10) {
                    EXPECT_EQ(nResult, LOCATE_FAILED) << strWhere;
                    EXPECT_NE(Message().find("Line 10 was not found"), std::string::npos) << Message();
                } else if (nLine % 3 == 0) {
                    ASSERT_EQ(nResult, LOCATE_FOUND) << strWhere;
                    EXPECT_EQ(m_list.m_nFirstLineOffset, offsets[static_cast<std::size_t>(nLine - 1)]) << strWhere;
                    EXPECT_EQ(Texts(m_list), std::vector<std::string>{"I" + std::to_string(nLine)}) << strWhere;
                    EXPECT_EQ(m_list.m_strLineEnd, strEnd) << strWhere;
                } else {
                    EXPECT_NE(nResult, LOCATE_FOUND) << strWhere;
                }
                m_presenter.m_messages.clear();
            }
        }
    }
}
