// A FORMAT whose list starts on a continuation line, and preprocessor and
// comment lines between a statement's lines: read past, written through,
// and the file still compiles.
#include "source_helpers.h"

namespace {

using Strings = std::vector<std::string>;
using Lines = std::vector<int>;

struct SContinuedCase {
    const char* pszName;
    std::string strText;
    long long nLine;
    Strings texts;
    std::string strHead;
    Lines lines;
};

// Both forms: the keyword ends its line and the list follows after comment
// and preprocessor lines.
const SContinuedCase kContinuedCases[] = {
    {"a.F90",
     "program p\n  write (6, 900) 1\n900 format &\n        (3x, 'a', &\n#ifdef FOO\n! a note\n#endif\n"
     "         i5, 'b')\nend program p\n",
     3,
     {"3x", "'a'", "i5", "'b'"},
     "900 format &\n        ",
     {3, 4, 8}},
    {"b.F90",
     "program p\n  write (6, 900) 1\n900 format & ! the header\n#define WIDTH 5\n   &(i5)\nend program p\n",
     3,
     {"i5"},
     "900 format &\n   &",
     {3, 5}},
    {"c.F",
     "      PROGRAM P\n      WRITE (6, 900) 1\n  900 FORMAT\n#ifdef X\nC     note\n#endif\n     +  (3X, 'a',\n"
     "     +  I5)\n      END\n",
     3,
     {"3X", "'a'", "I5"},
     "  900 FORMAT\n     +  ",
     {3, 7, 8}},
    {"d.f",
     "      PROGRAM P\n      WRITE (6, 900) 1\n  900 FORMAT ! header\n     &(I5)\n      END\n",
     3,
     {"I5"},
     "  900 FORMAT\n     &",
     {3, 4}},
};

TEST_F(SourceTest, AListOnAContinuationLineOpensSavesBackAndCompiles)
{
    for (const SContinuedCase& c : kContinuedCases) {
        SCOPED_TRACE(c.pszName);
        const std::filesystem::path dir = m_dir.Path();
        if (HaveCompiler()) {
            ASSERT_TRUE(Compiles(m_dir.Write(c.pszName, c.strText), dir)) << "the sample itself must compile";
        }
        ASSERT_EQ(Locate(c.pszName, c.strText, c.nLine), LOCATE_FOUND) << Message();
        EXPECT_EQ(Texts(m_list), c.texts);
        EXPECT_EQ(m_list.m_strHead, c.strHead);
        EXPECT_EQ(m_list.m_arrLines, c.lines);
        const std::vector<std::string> comments = m_list.m_arrLineComments;

        // Saved without an edit: every line that is no statement line stays,
        // and the statement reads back the same.
        ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
        const std::string strWritten = Contents();
        for (const char* pszKept :
             {"#ifdef", "#endif", "#define WIDTH 5", "! a note", "C     note", "! the header", "! header"})
            EXPECT_EQ(c.strText.find(pszKept) == std::string::npos, strWritten.find(pszKept) == std::string::npos)
                << pszKept << "\n"
                << strWritten;
        CLocatedStatement again;
        ASSERT_EQ(LocateStatement(again, c.nLine, 1, m_strFile, 1), LOCATE_FOUND) << strWritten;
        EXPECT_EQ(Texts(again), c.texts);
        EXPECT_EQ(again.m_strHead, c.strHead);
        if (HaveCompiler()) {
            EXPECT_TRUE(Compiles(m_strFile, dir)) << strWritten;
        }

        // Grown by a long field and shrunk again: still compiles, nothing lost.
        ASSERT_TRUE(again.InsertDescriptor(0, ("'" + std::string(60, 'x') + "'").c_str()));
        ASSERT_EQ(WriteStatement(again, 0), 1) << Message() << "\n" << Contents();
        if (HaveCompiler()) {
            EXPECT_TRUE(Compiles(m_strFile, dir)) << Contents();
        }
        CLocatedStatement grown;
        ASSERT_EQ(LocateStatement(grown, c.nLine, 1, m_strFile, 1), LOCATE_FOUND) << Contents();
        EXPECT_EQ(grown.size(), static_cast<int>(c.texts.size()) + 1);
        grown.RemoveDescriptor(0);
        ASSERT_EQ(WriteStatement(grown, 0), 1) << Message();
        CLocatedStatement shrunk;
        ASSERT_EQ(LocateStatement(shrunk, c.nLine, 1, m_strFile, 1), LOCATE_FOUND) << Contents();
        EXPECT_EQ(Texts(shrunk), c.texts);
        for (const std::string& strComment : comments)
            EXPECT_NE(Contents().find(strComment), std::string::npos) << strComment;
        if (HaveCompiler()) {
            EXPECT_TRUE(Compiles(m_strFile, dir)) << Contents();
        }
    }
}

TEST_F(SourceTest, ACommentInAListOnAContinuationLineStaysWithItsLine)
{
    // The keyword's line is the statement's first line: a comment on a line
    // of the list is that line's, and a save keeps it after that line.
    const std::string strFixed = "      PROGRAM P\n  100 FORMAT\n     1 (I3, ! first\n     2  I4)\n      END\n";
    ASSERT_EQ(Locate("h.f", strFixed, 2), LOCATE_FOUND) << Message();
    EXPECT_EQ(m_list.m_arrLineComments, (Strings{"", "! first", ""}));
    ASSERT_TRUE(m_list.InsertDescriptor(2, "I6"));
    ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
    EXPECT_EQ(Contents(), "      PROGRAM P\n  100 FORMAT\n     1 (I3, I4, I6)\n! first\n      END\n");

    ASSERT_EQ(Locate("h.f90", "program p\n100 format &\n  & (i3, & ! first\n  & i4, &\n  & i5)\nend\n", 2),
              LOCATE_FOUND)
        << Message();
    EXPECT_EQ(m_list.m_arrLineComments, (Strings{"", "! first", "", ""}));
}

TEST_F(SourceTest, PreprocessorLinesAreNoStatementLines)
{
    // "#endif" has a letter in column 6: it once read as a fixed-form
    // continuation line, went into the statement and was dropped by a save.
    ASSERT_EQ(Locate("e.F", "#ifdef X\n  100 FORMAT(I5)\n#endif\n      END\n", 2), LOCATE_FOUND);
    EXPECT_EQ(m_list.m_arrLines, (Lines{2}));
    EXPECT_EQ(m_list.m_strTail, "\n");
    ASSERT_EQ(WriteStatement(m_list, 0), 1);
    EXPECT_EQ(Contents(), "#ifdef X\n  100 FORMAT(I5)\n#endif\n      END\n");

    ASSERT_EQ(Locate("f.F", "  100 FORMAT(I5,\n#define N 3\n     + I3)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "I3"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 3}));
    ASSERT_EQ(Locate("g.F90", "100 format (i5, &\n  #ifdef X\n  #endif\n  & i3)\n", 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"i5", "i3"}));
    EXPECT_EQ(m_list.m_arrLines, (Lines{1, 4}));
}

TEST_F(SourceTest, LinesThatThePreprocessorChoosesAreNotOpened)
{
    // A rewrite breaks the lines anew: a condition around some of them
    // would then choose other text. Such a statement is left as it is.
    struct SCase {
        const char* pszName;
        std::string strText;
        int nLine;  // the line the message names
    };
    const SCase cases[] = {
        {"a.F", "  100 FORMAT(I5,\n#ifdef X\n     + I3,\n#endif\n     + I4)\n", 3},
        {"b.F", "  100 FORMAT(I5,\n#ifdef X\n     + I3)\n#else\n     + I4)\n#endif\n", 3},
        {"c.F90", "100 format (i5, &\n#include \"more.inc\"\n  i3)\n", 3},
        {"d.F90", "#ifdef X\n100 format (i5, &\n#else\n  i4, &\n#endif\n  i3)\n", 4},
    };
    for (const SCase& c : cases) {
        m_presenter.m_messages.clear();
        const long long nFirst = c.strText.rfind("#ifdef X\n", 0) == 0 ? 2 : 1;
        EXPECT_EQ(Locate(c.pszName, c.strText, nFirst), LOCATE_FAILED) << c.pszName;
        EXPECT_EQ(Message(), "Line " + std::to_string(c.nLine) +
                                 " of the statement stands inside a preprocessor condition or include\n"
                                 "The statement cannot be rewritten without changing what the preprocessor chooses")
            << c.pszName;
        EXPECT_EQ(Contents(), c.strText);
    }
    // A condition that opens and closes between two lines chooses none of them.
    ASSERT_EQ(Locate("e.F", "  100 FORMAT(I5,\n#ifdef X\n#define N 1\n#else\n#define N 2\n#endif\n     + I3)\n", 1),
              LOCATE_FOUND);
    EXPECT_EQ(Texts(m_list), (Strings{"I5", "I3"}));
}

TEST_F(SourceTest, AKeywordWithoutAListStillFindsNone)
{
    EXPECT_EQ(Locate("a.f90", "900 format &\n\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("b.f90", "900 format &\nx = 1\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("c.f90", "900 format &", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("d.f", "  900 FORMAT\n      X = 1\n", 1), LOCATE_NO_LIST);
    EXPECT_EQ(Locate("e.f", "  900 FORMAT ! (I5)\n", 1), LOCATE_NO_LIST);
    EXPECT_TRUE(m_list.m_arrLines.empty());
}

}  // namespace
