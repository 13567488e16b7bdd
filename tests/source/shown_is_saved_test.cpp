// What the fields show is what a save writes: every statement a user can
// open and edit either saves and reads back exactly as it was shown, or is
// refused where the text is typed or the file is opened, with its message;
// never when OK is pressed. Each case was once refused at OK or saved
// wrongly. gfortran, where it is installed, runs the program before and
// after the save.
#include <array>
#include <cstdio>

#include "field_commands.h"
#include "source_helpers.h"
#include "string_table.h"

namespace {

using Strings = std::vector<std::string>;

enum Outcome {
    SAVES,            // the edits are taken, the save writes them, the file reads back as shown
    REFUSED_AT_OPEN,  // the statement does not open: nMessage says why
    EDIT_REFUSED,     // the last edit is refused where it is made: nMessage says why (0: a typed
                      // text taken back); the statement still saves as shown
    REFUSED_AT_OK,    // OK refuses what the fields hold, as it refuses unbalanced parentheses
};

struct SCase {
    const char* pszName;
    const char* pszFile;
    std::string strContents;
    long long nLine;
    long long nColumn;
    Strings edits;  // "i<n>:TEXT" New Field, "r<n>" Remove Field, "t<n>:TEXT" typed and left, "v<n>:VALUE"
    Outcome outcome;
    int nMessage;
    // What the program prints after the save, where gfortran runs it; empty:
    // the same as before.
    std::string strOutputAfter;
};

void PrintTo(const SCase& c, std::ostream* os)
{
    *os << c.pszName;
}

const std::string kProgram = "      PROGRAM T\n";
const std::string kEnd = "      END\n";

std::string Repeat(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

const SCase kCases[] = {
    // A descriptor too narrow for its digits prints asterisks, as Fortran
    // prints them, with a value and without one.
    {"a field too narrow for its digits, typed with a value",
     "a.for",
     kProgram + "      WRITE (6, 100) 42.0\n  100 FORMAT (F7.2)\n" + kEnd,
     3,
     7,
     {"v0:42", "t0:F4.5"},
     SAVES,
     0,
     "****\n"},
    {"a field too narrow for its digits, in the file",
     "b.for",
     kProgram + "      WRITE (6, 100) 42.0\n  100 FORMAT (F4.5)\n" + kEnd,
     3,
     7,
     {},
     SAVES,
     0,
     ""},
    // Text after the list inside a format string stays inside the string.
    {"text after the list inside a free-form format string",
     "c.f90",
     "program t\ninteger :: n = 3\nwrite (6, '(i5) it''s') n\nend program t\n",
     3,
     11,
     {"t0:i6"},
     SAVES,
     0,
     "     3\n"},
    {"text after the list inside a fixed-form format string",
     "d.for",
     kProgram + "      N = 3\n      WRITE (6, '(I5) ''X''') N\n" + kEnd,
     3,
     17,
     {},
     SAVES,
     0,
     ""},
    {"a format string closed after its list, its statement continued",
     "e.for",
     kProgram + "      N = 3\n      M = 4\n      WRITE (6, '(2I5)''X') N,\n     +  M\n" + kEnd,
     4,
     17,
     {"t0:2I6"},
     SAVES,
     0,
     "     3     4\n"},
    // A constant after the format string that goes on over the next line
    // holds the blanks up to column 72: they would move.
    {"a constant after the statement continued on the next line",
     "f.for",
     kProgram + "      N = 3\n      WRITE (6, '(I5,A)') N, 'abc\n     +def'\n" + kEnd,
     3,
     17,
     {},
     REFUSED_AT_OPEN,
     IDS_TAIL_CONSTANT_CONTINUED,
     ""},
    {"a fixed-form format string without its closing quote",
     "g.for",
     kProgram + "      PRINT '(I5,\n     +  I7)\n" + kEnd,
     2,
     13,
     {},
     REFUSED_AT_OPEN,
     IDS_NO_CLOSING_QUOTE,
     ""},
    // Hollerith constants may hold "!", quotes and "&": they are read by
    // their count, in the file as in a field.
    {"a Hollerith constant holding a comment mark, fixed form",
     "h.for",
     kProgram + "      WRITE (6, 100)\n  100 FORMAT (5HAB!CD, 'abc\n     +def')\n" + kEnd,
     3,
     1,
     {"i0:1X"},
     SAVES,
     0,
     " AB!CDabc" + std::string(45, ' ') + "def\n"},
    {"a Hollerith constant holding a quote, fixed form",
     "i.for",
     kProgram + "      WRITE (6, 100)\n  100 FORMAT (5HAB'CD, 'abc\n     +def')\n" + kEnd,
     3,
     1,
     {"i0:1X"},
     SAVES,
     0,
     " AB'CDabc" + std::string(45, ' ') + "def\n"},
    {"a Hollerith constant holding a comment mark, over free-form lines",
     "j.f90",
     "program t\nwrite (6, 100) 3\n100 format (1x, 5hab!cd, i5)\nend program t\n",
     3,
     1,
     {"i3:F12.5", "i3:F12.5", "i3:F12.5", "i3:F12.5", "i3:F12.5", "i3:F12.5", "i3:F12.5", "i3:F12.5", "i3:F12.5",
      "i3:F12.5"},
     SAVES,
     0,
     ""},
    {"a Hollerith constant continued with its & in free form",
     "k.f90",
     "program t\nwrite (6, 100) 3\n100 format (1x, 9hab!cd&\n&wxyz, i5)\nend program t\n",
     3,
     1,
     {"t2:i6"},
     SAVES,
     0,
     " ab!cdwxyz     3\n"},
    // A field holds one descriptor: what follows a constant is refused as
    // it is typed, as the same text is refused in a file.
    {"a character after a constant, typed",
     "l.for",
     kProgram + "      WRITE (6, 100) 3\n  100 FORMAT (1X, I5)\n" + kEnd,
     3,
     1,
     {"t0:'a'x"},
     EDIT_REFUSED,
     0,
     ""},
    // In a file, a constant and the item beside it need no comma, as
    // compilers read them; the save writes one.
    {"a character after a constant, in the file",
     "m.for",
     kProgram + "      WRITE (6, 100) 3\n  100 FORMAT ('a'x, I5\"b\"  \"c\")\n" + kEnd,
     3,
     1,
     {"t2:I6"},
     SAVES,
     0,
     "a      3bc\n"},
    // A count and a blank is a group's count: only "(" may follow it.
    {"a repeat count and a blank, typed",
     "n.for",
     kProgram + "      WRITE (6, 100) 42, 7\n  100 FORMAT (I5)\n" + kEnd,
     3,
     1,
     {"t0:2 I5"},
     EDIT_REFUSED,
     0,
     ""},
    {"a repeat count and a blank, in the file",
     "o.for",
     kProgram + "      WRITE (6, 100) 42, 7\n  100 FORMAT (2 I5)\n" + kEnd,
     3,
     1,
     {},
     REFUSED_AT_OPEN,
     IDS_PARSE_FAILED,
     ""},
    // A Hollerith constant longer than a line goes on over the next one, to
    // column 72, as a character constant does.
    {"a long Hollerith constant, inserted in fixed form",
     "p.for",
     kProgram + "      WRITE (6, 100) 42\n  100 FORMAT (I5)\n" + kEnd,
     3,
     1,
     {"i0:70HABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ"},
     SAVES,
     0,
     "ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ   42\n"},
    {"a long Hollerith constant over two fixed-form lines",
     "q.for",
     kProgram +
         "      WRITE (6, 100) 42\n  100 FORMAT (70HABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDE\n"
         "     +FGHIJABCDEFGHIJ, I5)\n" +
         kEnd,
     3,
     1,
     {"t1:I6"},
     SAVES,
     0,
     "ABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJABCDEFGHIJ    42\n"},
    // A carriage return inside a line would be read as a line end once the
    // line is rewritten.
    {"a carriage return inside a statement line",
     "r.for",
     kProgram + "      N = 3\n      WRITE (6, '(I5)') N" + std::string(46, ' ') + "\rABC\n" + kEnd,
     3,
     17,
     {},
     REFUSED_AT_OPEN,
     IDS_CARRIAGE_RETURN,
     ""},
    {"a carriage return typed into a text",
     "s.for",
     kProgram + "      WRITE (6, 100) 3\n  100 FORMAT (I5)\n" + kEnd,
     3,
     1,
     {"t0:I5\r"},
     EDIT_REFUSED,
     0,
     ""},
    // Text that is never split goes on the next line rather than past
    // column 72.
    {"a format string that opens in column 72",
     "t.for",
     kProgram + "      N = 3\n      WRITE (6," + std::string(56, ' ') + "'\n     +(I5)') N\n" + kEnd,
     3,
     72,
     {"t0:I6"},
     SAVES,
     0,
     "     3\n"},
    // A group holds at least one descriptor.
    {"Remove Field of a group's only descriptor",
     "u.for",
     kProgram + "      WRITE (6, 100) 42, 7\n  100 FORMAT (1X, 2(I5))\n" + kEnd,
     3,
     1,
     {"r2"},
     EDIT_REFUSED,
     IDS_EMPTY_GROUP,
     ""},
    {"New Field of a ) right after a group's opener",
     "v.for",
     kProgram + "      WRITE (6, 100) 4, 2, 7\n  100 FORMAT (1X, 2(I5), I2)\n" + kEnd,
     3,
     1,
     {"i2:)"},
     EDIT_REFUSED,
     IDS_EMPTY_GROUP,
     ""},
    {"New Field of a group's opener right before a )",
     "v2.for",
     kProgram + "      WRITE (6, 100) 4, 2, 7\n  100 FORMAT (1X, 2(I5), I2)\n" + kEnd,
     3,
     1,
     {"i3:3("},
     EDIT_REFUSED,
     IDS_EMPTY_GROUP,
     ""},
    {"an empty group made by typing",
     "w.for",
     kProgram + "      WRITE (6, 100) 42, 7\n  100 FORMAT (I5, A2)\n" + kEnd,
     3,
     1,
     {"t0:(", "t1:)"},
     REFUSED_AT_OK,
     IDS_EMPTY_GROUP_EXIT,
     ""},
    // A doubled quote split between column 72 and column 7 is one quote.
    {"a constant with a doubled quote at column 72, inserted",
     "x.for",
     kProgram + "      WRITE (6, 100) 42\n  100 FORMAT (I5)\n" + kEnd,
     3,
     1,
     {"i0:'" + std::string(56, 'A') + "''BBBBBBBBBB'"},
     SAVES,
     0,
     std::string(56, 'A') + "'BBBBBBBBBB   42\n"},
    {"a doubled quote split at column 72 in the file",
     "y.for",
     kProgram + "      WRITE (6, 100) 42\n  100 FORMAT ('" + std::string(56, 'A') + "'\n     +'BBBBBBBBBB', I5)\n" +
         kEnd,
     3,
     1,
     {"t1:I6"},
     SAVES,
     0,
     std::string(56, 'A') + "'BBBBBBBBBB    42\n"},
    // A format made of two strings is no list in one of them.
    {"a format made by concatenating strings",
     "z.f90",
     "program t\ninteger :: n = 3\nwrite (6, '(i5, ' // 'a)') n, 'x'\nend program t\n",
     3,
     11,
     {},
     REFUSED_AT_OPEN,
     IDS_PARSE_FAILED,
     ""},
    // Blank lines between a statement's lines are read through, as comment
    // lines are.
    {"blank lines between continuation lines, fixed form",
     "ba.for",
     kProgram + "      WRITE (6, 100) 42, 7\n  100 FORMAT (I5,\n\n     +  I3)\n" + kEnd,
     3,
     1,
     {"t0:I6"},
     SAVES,
     0,
     "    42  7\n"},
    {"blank lines between continuation lines, free form",
     "bb.f90",
     "program t\nwrite (6, 900) 42, 7\n900 format &\n\n   \n(i5, &\n\n  i3)\nend program t\n",
     3,
     1,
     {"t0:i6"},
     SAVES,
     0,
     "    42  7\n"},
    {"a blank line inside a free-form statement, found by fuzzing",
     "bc.f90",
     "110 format()1x,5Hnx,5Hn , &   &! the fiI6\n  \n (   Xif\r\r\r\r\r\r\r\r\r\r a, ! after\t t\x8fhe lis:\n",
     1,
     1,
     {},
     REFUSED_AT_OPEN,
     IDS_CARRIAGE_RETURN,
     ""},
    // A constant continued onto a free-form line without a leading & goes
    // on at that line's first non-blank, as compilers read it.
    {"a constant continued without & in a free-form FORMAT",
     "ca.f90",
     "program t\nwrite (6, 100) 7\n100 format ('HELLO&\n     WORLD', i2)\nend program t\n",
     3,
     1,
     {"t1:i3"},
     SAVES,
     0,
     "HELLOWORLD  7\n"},
    {"a constant continued without & in a free-form format string",
     "cb.f90",
     "program t\nwrite (6, '(\"HELLO&\n     WORLD\", i2)') 7\nend program t\n",
     2,
     11,
     {"t1:i3"},
     SAVES,
     0,
     "HELLOWORLD  7\n"},
    // A constant split at the line's end is never split inside a
    // character's bytes; fixed form counts its columns in bytes.
    {"a constant of two-byte characters split in free form",
     "ua.f90",
     "program t\nwrite (6, 100) 7\n100 format ('" + Repeat("\xc3\xa9", 40) + "', i2)\nend program t\n",
     3,
     1,
     {"t1:i3"},
     SAVES,
     0,
     Repeat("\xc3\xa9", 40) + "  7\n"},
    {"a constant of two- and three-byte characters split in fixed form",
     "ub.for",
     kProgram + "      WRITE (6, 100) 7\n  100 FORMAT (I2)\n" + kEnd,
     3,
     1,
     {"i0:'" + Repeat("a\xc3\xa9\xe2\x82\xac", 30) + "'"},
     SAVES,
     0,
     Repeat("a\xc3\xa9\xe2\x82\xac", 30) + " 7\n"},
    // A fixed-form format string's constant goes on to column 72 and over
    // the next line: its length stays the same.
    {"a fixed-form format string whose constant is continued",
     "fc.for",
     kProgram + "      WRITE (6, '(''" + std::string(40, 'A') + "\n     +BBBBBBBBBB'', I5)') 42\n" + kEnd,
     2,
     17,
     {"t1:I6"},
     SAVES,
     0,
     std::string(40, 'A') + std::string(12, ' ') + "BBBBBBBBBB    42\n"},
};

// Whether a text is valid UTF-8.
bool IsValidUtf8(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (n == 0 || i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += n;
    }
    return true;
}

// Compiles and runs a program; its standard output, or "(no compiler)".
std::string RunProgram(const std::string& strFile, const std::filesystem::path& dir)
{
    if (!HaveCompiler())
        return "(no compiler)";
    const std::string strExe = (dir / "prog").string();
    const std::string strCommand = "cd '" + dir.string() + "' && gfortran -w -o '" + strExe + "' '" + strFile +
                                   "' > /dev/null 2>&1 && '" + strExe + "'";
    std::string out;
    if (FILE* pipe = popen(strCommand.c_str(), "r")) {
        std::array<char, 256> buffer{};
        while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
            out += buffer.data();
        if (pclose(pipe) != 0)
            return "(did not compile or run)\n" + out;
    }
    return out;
}

// Applies one edit as the front ends make it; its result.
CResult ApplyEdit(CDescriptorList& list, const std::string& strEdit, int& nCurrent)
{
    const char chCode = strEdit[0];
    const std::size_t nColon = strEdit.find(':');
    const int index = std::stoi(strEdit.substr(1, nColon - 1));
    const std::string strText = nColon == std::string::npos ? std::string() : strEdit.substr(nColon + 1);
    nCurrent = index;
    switch (chCode) {
    case 'i': return InsertField(list, index, strText.c_str());
    case 'r': return RemoveField(list, index);
    case 'v': return ChangeFieldValue(list, index, strText.c_str());
    default: break;
    }
    const bool bTaken = TypeIntoField(list, index, ROW_TEXT, strText.c_str()) != 0;
    LeaveField(list, index, ROW_TEXT);
    return bTaken ? CResult() : CResult::Declined();
}

class ShownIsSaved : public SourceTest, public ::testing::WithParamInterface<SCase> {};

TEST_P(ShownIsSaved, OrRefusedWhereItIsTypedOrOpened)
{
    const SCase& c = GetParam();
    const std::string strBefore = RunProgram(m_dir.Write(c.pszFile, c.strContents), m_dir.Path());
    const int nLocated = Locate(c.pszFile, c.strContents, c.nLine, c.nColumn);
    if (c.outcome == REFUSED_AT_OPEN) {
        EXPECT_NE(nLocated, LOCATE_FOUND);
        ASSERT_FALSE(m_presenter.m_messages.empty());
        EXPECT_EQ(m_presenter.m_messages[0].nStringId, c.nMessage) << Message();
        EXPECT_EQ(Contents(), c.strContents);
        return;
    }
    ASSERT_EQ(nLocated, LOCATE_FOUND) << Message();

    int nCurrent = 0;
    CResult last;
    for (const std::string& strEdit : c.edits)
        last = ApplyEdit(m_list, strEdit, nCurrent);
    if (c.outcome == EDIT_REFUSED) {
        EXPECT_FALSE(last.Ok());
        EXPECT_EQ(last.StringId(), c.nMessage) << MessageOf(last);
    } else {
        EXPECT_TRUE(last.Ok()) << MessageOf(last);
    }
    const Strings shown = [&] {
        Strings texts;
        for (int i = 0; i < m_list.size(); ++i)
            texts.push_back(m_list.At(i).StatementText());
        return texts;
    }();

    const int bSaved = CommitStatement(m_list, nCurrent, 0);
    if (c.outcome == REFUSED_AT_OK) {
        EXPECT_EQ(bSaved, 0);
        EXPECT_EQ(m_presenter.m_messages.back().nStringId, c.nMessage) << Message();
        EXPECT_EQ(Contents(), c.strContents);
        return;
    }
    ASSERT_EQ(bSaved, 1) << m_presenter.m_messages.back().text;
    // Read back, the statement holds what the fields showed, and the rest of
    // the statement is as it was.
    CLocatedStatement back;
    ASSERT_EQ(LocateStatement(back, c.nLine, c.nColumn, m_strFile), LOCATE_FOUND) << Contents();
    EXPECT_EQ(Texts(back), shown) << Contents();
    EXPECT_EQ(back.m_strHead, m_list.m_strHead);
    EXPECT_EQ(back.m_strInnerTail, m_list.m_strInnerTail);
    EXPECT_EQ(back.m_strTail, m_list.m_strTail);
    if (c.edits.empty() || c.outcome == EDIT_REFUSED) {
        EXPECT_EQ(Contents(), c.strContents) << "nothing changed, and the file stays as it was";
    }
    if (IsValidUtf8(c.strContents)) {
        EXPECT_TRUE(IsValidUtf8(Contents())) << "no character is cut in two: " << Contents();
    }
    // Every line of a fixed-form file keeps to column 72.
    if (m_list.m_bFixedForm) {
        std::size_t nFrom = 0;
        for (std::size_t n; (n = Contents().find('\n', nFrom)) != std::string::npos; nFrom = n + 1)
            EXPECT_LE(n - nFrom, 72u) << Contents();
    }
    if (HaveCompiler()) {
        EXPECT_EQ(RunProgram(m_strFile, m_dir.Path()), c.strOutputAfter.empty() ? strBefore : c.strOutputAfter)
            << Contents();
    }
}

INSTANTIATE_TEST_SUITE_P(Statements, ShownIsSaved, ::testing::ValuesIn(kCases));

}  // namespace
