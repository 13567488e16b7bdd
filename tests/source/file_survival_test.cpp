// What a save keeps of the user's file around and inside the statement:
// sequence numbers, comments, the last line's missing line end, bytes that
// are no text, the length of free-form lines; and what it refuses to write
// because it would not read back the same.
#include <algorithm>

#include "source_helpers.h"

namespace {

using namespace std::string_literals;

struct SSave {
    const char* pszName;
    const char* pszFile;  // its suffix decides the source form
    std::string strBefore;
    long long nLine;
    long long nColumn;
    int nField;             // the field typed into, or -1 for a save without an edit
    const char* pszText;    // what is typed
    std::string strAfter;   // the file afterwards
    bool bProgram = false;  // a whole program, which must still compile
};

std::string Padded(const std::string& line, const std::string& strSequence)
{
    return line + std::string(72 - line.size(), ' ') + strSequence;
}

const std::string kLong1 = "  100 FORMAT('Records read:', I8, 'Records written:', I8, ";
const std::string kLong2 = "     + 'Elapsed seconds:', F10.2)";

const std::string kComment59 = "! " + std::string(57, 'c');
const std::string kFreeLine1 = "f10.0, f10.1, f10.2, f10.3, f10.4, f10.5, f10.6, f10.7, ";
const std::string kFreeLine2 = "f10.8, f10.9, f10.0, f10.1, f10.2, f10.3, i3";
const std::string kFreeList = kFreeLine1 + kFreeLine2;
std::string Commas()
{
    std::string s;
    for (int i = 0; i < 40; ++i)
        s += "a,";
    return s;
}
const std::string kCommas = Commas();

const SSave kSaves[] = {
    // Columns 73 to 80 stay with the line whose place the new line takes.
    {"sequence numbers", "seq.for",
     Padded("      PROGRAM P", "PROG0010") + "\n" + Padded(kLong1, "PROG0020") + "\n" + Padded(kLong2, "PROG0030") +
         "\n      END\n",
     2, 7, 1, "I9",
     Padded("      PROGRAM P", "PROG0010") + "\n" +
         Padded("  100 FORMAT('Records read:', I9, 'Records written:', I8, ", "PROG0020") + "\n" +
         Padded(kLong2, "PROG0030") + "\n      END\n",
     true},
    {"sequence numbers, no edit", "seq.for", Padded(kLong1, "PROG0020") + "\n" + Padded(kLong2, "PROG0030") + "\n", 1,
     7, -1, "", Padded(kLong1, "PROG0020") + "\n" + Padded(kLong2, "PROG0030") + "\n"},
    // A comment between descriptors stays on its line while the line keeps
    // its place, else it follows the statement as a comment line.
    {"fixed-form comment kept on its line", "c.for", kLong1 + "! counts\n" + kLong2 + " ! time\n      END\n", 1, 7, 1,
     "I9", "  100 FORMAT('Records read:', I9, 'Records written:', I8, ! counts\n" + kLong2 + " ! time\n      END\n",
     true},
    {"fixed-form comment after a shorter statement", "c.for",
     "  100 FORMAT(I5, ! first\n     + F7.3) ! tail\n      END\n", 1, 7, 0, "I6",
     "  100 FORMAT(I6, F7.3) ! tail\n! first\n      END\n", true},
    {"fixed-form comment line and sequence numbers", "c.for",
     Padded("  100 FORMAT(I5, ! first", "SEQ1") + "\n" + Padded("     + F7.3)", "SEQ2") + "\n      END\n", 1, 7, 0,
     "I6", Padded("  100 FORMAT(I6, F7.3)", "SEQ1") + "\n! first\n      END\n", true},
    // A comment stays at the end of its line only after a separator: with a
    // descriptor last on the line, the comment would join its text.
    {"a comment after a line that ends with a descriptor", "c.for",
     "  100 FORMAT(1X, ! note\n     + 'a') " + std::string(60, 'R') + "\n", 1, 7, 1, "'bbbbbbbbb'",
     "  100 FORMAT(1X, 'bbbbbbbbb'\n! note\n     +) " + std::string(60, 'R') + "\n"},
    {"free-form comment after a continuation", "c.f90",
     "100 format('Records read:', i8, 'Records written:', i8, & ! counts\n"
     "      & 'Elapsed seconds:', f10.2) ! time\nend\n",
     1, 1, 1, "i9",
     "100 format('Records read:', i9, 'Records written:', i8, & ! counts\n"
     "      & 'Elapsed seconds:', f10.2) ! time\nend\n",
     true},
    {"free-form comment after a shorter statement", "c.f90",
     "100 format(i5, &   ! first part\n           f7.2) ! tail\nend\n", 1, 1, 0, "i6",
     "100 format(i6, f7.2) ! tail\n! first part\nend\n", true},
    // The comments of old lines that no new line replaces follow the
    // statement.
    {"comments of a four-line statement saved on two", "c.for",
     "      PROGRAM P\n  100 FORMAT('Records read:', I8, ! first\n     +  'Records written:', ! second\n"
     "     +   I8, ! third\n     +  'Elapsed seconds:', F10.2)\n      END\n",
     2, 7, 1, "I9",
     "      PROGRAM P\n  100 FORMAT('Records read:', I9, 'Records written:', I8, ! first\n"
     "     + 'Elapsed seconds:', F10.2)\n! second\n! third\n      END\n",
     true},
    // A free-form line with its comment stays within 132 characters.
    {"a free-form comment that just fits its line", "c.f90",
     "program p\n100 format(i5, & " + kComment59 + "\n  " + kFreeList + ")\nend\n", 2, 1, 0, "i6",
     "program p\n100 format(i6, " + kFreeLine1 + "& " + kComment59 + "\n      & " + kFreeLine2 + ")\nend\n", true},
    {"a free-form comment one character too long for its line", "c.f90",
     "program p\n100 format(i5, & " + kComment59 + "c\n  " + kFreeList + ")\nend\n", 2, 1, 0, "i6",
     "program p\n100 format(i6, " + kFreeLine1 + "&\n" + kComment59 + "c\n      & " + kFreeLine2 + ")\nend\n", true},
    // A line that ends inside a constant split after one of its commas takes
    // no comment: it would join the constant.
    {"a comment on a line that a split constant ends", "c.f90",
     "program p\n100 format(i5, & ! first\n  '" + kCommas + "', i3)\nend\n", 2, 1, 0, "i6",
     "program p\n100 format(i6, '" + kCommas.substr(0, 56) + "&\n! first\n      &" + kCommas.substr(56) +
         "', i3)\nend\n",
     true},
    // The file's last line keeps having no line end, in either line end style.
    {"no final line end", "e.for", "      PROGRAM P\n  100 FORMAT(I5)", 2, 7, 0, "I6",
     "      PROGRAM P\n  100 FORMAT(I6)"},
    {"no final line end, CR LF", "e.for", "      PROGRAM P\r\n  100 FORMAT(I5,\r\n     + A3)", 2, 7, 0, "I6",
     "      PROGRAM P\r\n  100 FORMAT(I6, A3)"},
    // A blank line between the statement's lines that comes last once the
    // statement is shorter keeps its line end, or it would be gone.
    {"a blank line left last in a file without a final line end", "e.for", "  100 FORMAT(I5,\n\n     + A3)", 1, 7, 0,
     "I6", "  100 FORMAT(I6, A3)\n\n"},
    // Bytes that are no text outside the statement are copied as they are.
    {"a NUL byte in a comment line", "n.for", "  100 FORMAT(I5,\nC  \0 x\n     + F7.3)\n"s, 1, 7, 0, "I6",
     "  100 FORMAT(I6, F7.3)\nC  \0 x\n"s},
    // A zero in column 6 starts a statement; it continues none.
    {"zero in the continuation column", "z.for", "  100 FORMAT(I5)\n     0CONTINUE\n", 1, 7, 0, "I6",
     "  100 FORMAT(I6)\n     0CONTINUE\n"},
    // A stray quote after the list, with text in columns 73 on: the line
    // is shorter once rebuilt, and its end is still no part of the tail.
    {"a quote after the list, text past column 72", "q.for",
     Padded(kLong1, "SEQ1") + "\n" + Padded("     +   'Elapsed seconds:', F10.2) \"x", "SEQ2") + "\n", 1, 7, 1, "I9",
     Padded("  100 FORMAT('Records read:', I9, 'Records written:', I8, ", "SEQ1") + "\n" +
         Padded(kLong2 + " \"x", "SEQ2") + "\n"},
    // Blanks that end the line after the opening parenthesis are no
    // layout to keep in front of the first descriptor.
    {"the list begins on a continuation line", "p.for",
     Padded("  100 FORMAT(", "SEQ1") + "\n" + Padded("     +   I5, A3)", "SEQ2") + "\n      END\n", 1, 7, 0, "I6",
     Padded("  100 FORMAT(I6, A3)", "SEQ1") + "\n      END\n", true},
    {"a comment right after the opening parenthesis", "p.for", "  100 FORMAT( ! note\n     +   I5, A3)\n      END\n", 1,
     7, 0, "I6", "  100 FORMAT(I6, A3)\n! note\n      END\n", true},
    // Blanks around a typed text and a line end before a separator are
    // layout, not text: the statement saves and reads back.
    {"a typed text with blanks around it", "b.for", "  100 FORMAT(I5, A3)\n", 1, 7, 0, " I6 ",
     "  100 FORMAT(I6, A3)\n"},
    {"a group's parenthesis on a continuation line", "g.for", "  100 FORMAT(2(I5, 1X\n     + ), A3)\n", 1, 7, 1, "I6",
     "  100 FORMAT(2(I6, 1X), A3)\n"},
    // A quote in the text after the list reads back the same.
    {"a quote after the list", "q.for", "  100 FORMAT(I5) 'x\n      END\n", 1, 7, 0, "I55",
     "  100 FORMAT(I55) 'x\n      END\n"},
};

class Save : public SourceTest, public ::testing::WithParamInterface<SSave> {};

TEST_P(Save, KeepsWhatTheFileHeld)
{
    const SSave& c = GetParam();
    ASSERT_EQ(Locate(c.pszFile, c.strBefore, c.nLine, c.nColumn), LOCATE_FOUND) << Message();
    if (c.nField >= 0) {
        ASSERT_TRUE(m_list.SetText(c.nField, c.pszText));
    }
    ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
    EXPECT_EQ(Contents(), c.strAfter);
    // It reads back as it was written, and still compiles.
    CLocatedStatement after;
    ASSERT_EQ(LocateStatement(after, c.nLine, c.nColumn, m_strFile, 0), LOCATE_FOUND);
    ASSERT_EQ(after.size(), m_list.size());
    for (int i = 0; i < after.size(); ++i)
        EXPECT_EQ(after.At(i).Text(), m_list.At(i).StatementText()) << "field " << i;
    EXPECT_EQ(after.m_strTail, m_list.m_strTail);
    if (c.bProgram && HaveCompiler()) {
        EXPECT_TRUE(Compiles(m_strFile, m_dir.Path())) << c.strAfter;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, Save, ::testing::ValuesIn(kSaves), [](const ::testing::TestParamInfo<SSave>& info) {
    std::string name = info.param.pszName;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    return name;
});

TEST_F(SourceTest, AStatementHoldingANulByteIsLeftAsItIs)
{
    // In the text after the list, and as a line that reads as a continuation.
    const std::string strTail = "      PROGRAM P\n  100 FORMAT(I5, F7.3)   \0 tail bytes\n      END\n"s;
    EXPECT_EQ(Locate("a.f", strTail, 2, 7), LOCATE_FAILED);
    EXPECT_EQ(Message(), "The statement holds a NUL byte in line 2\nIt cannot be edited without changing it");
    EXPECT_EQ(m_list.size(), 0);
    const std::string strLine = "      PROGRAM P\n  100 FORMAT(I5, F7.3)\n\0\0\0\0\0\0\0\n      END\n"s;
    m_presenter.m_messages.clear();
    EXPECT_EQ(Locate("b.f", strLine, 2, 7), LOCATE_FAILED);
    EXPECT_EQ(Message(), "The statement holds a NUL byte in line 3\nIt cannot be edited without changing it");
    EXPECT_EQ(Contents(), strLine);
}

TEST_F(SourceTest, ALongFreeFormLineIsContinuedRatherThanGrowingPast132)
{
    // 129 characters: a short format string and a long I/O list. Rebuilt with
    // its separators the line would pass 132 characters.
    const std::string strWrite =
        "  write(6, '(/5x, a, i8, a, i8/)') 'number of records read from the input file:', nread, "
        "', written:', nwritten + nskipped + 0000";
    ASSERT_EQ(strWrite.size(), 129u);
    const std::string strFile = "program p\n  integer :: nread = 1, nwritten = 2, nskipped = 3\n" + strWrite +
                                "\nend program p\n";
    ASSERT_EQ(Locate("long.f90", strFile, 3, 12), LOCATE_FOUND) << Message();
    ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
    const std::string strAfter = Contents();
    std::size_t nFrom = 0;
    for (std::size_t nEnd; (nEnd = strAfter.find('\n', nFrom)) != std::string::npos; nFrom = nEnd + 1)
        EXPECT_LE(nEnd - nFrom, 132u) << strAfter.substr(nFrom, nEnd - nFrom);
    if (HaveCompiler()) {
        EXPECT_TRUE(Compiles(m_strFile, m_dir.Path())) << strAfter;
    }
    // A line that was longer already may stay as long, but grows no longer.
    const std::string strLonger = strWrite + ", nread, nread, nread";
    ASSERT_EQ(Locate("longer.f90", "program p\n" + strLonger + "\nend program p\n", 2, 12), LOCATE_FOUND);
    ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
    const std::string strLongerAfter = Contents();
    nFrom = 0;
    std::size_t nLongest = 0;
    for (std::size_t nEnd; (nEnd = strLongerAfter.find('\n', nFrom)) != std::string::npos; nFrom = nEnd + 1)
        nLongest = std::max(nLongest, nEnd - nFrom);
    EXPECT_LE(nLongest, strLonger.size());
}

TEST_F(SourceTest, AStatementThatWouldNotReadBackIsNotWritten)
{
    // A line end typed into a constant would end the line inside it, and the
    // constant would read back with blanks in its place: it is refused as it
    // is typed, before any save.
    const std::string strFile = "      PROGRAM P\n  100 FORMAT(I5)\n      END\n";
    ASSERT_EQ(Locate("r.for", strFile, 2, 7), LOCATE_FOUND);
    EXPECT_FALSE(m_list.SetText(0, "'ab\ncd'"));
    EXPECT_EQ(Contents(), strFile);
    EXPECT_EQ(m_dir.Listing(), "r.for ");
    // The check itself: lines that read back to another tail do not pass.
    ASSERT_TRUE(m_list.SetText(0, "I6"));
    EXPECT_TRUE(StatementReadsBack(m_list, {"  100 FORMAT(I6)"}));
    EXPECT_FALSE(StatementReadsBack(m_list, {"  100 FORMAT(I6) X"}));
    EXPECT_FALSE(StatementReadsBack(m_list, {"  100 FORMAT(I7)"}));
}

}  // namespace
