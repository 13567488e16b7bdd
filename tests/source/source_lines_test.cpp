// What a source line holds besides statement text: labels, which a new
// statement must not repeat, and preprocessor lines, which the statement's
// reader passes over.
#include "source_helpers.h"
#include "source_lines.h"

namespace {

TEST(LineLabel, IsTheLabelFieldOrTheFirstWord)
{
    struct SCase {
        const char* pszLine;
        int bFixed;
        int nLabel;
    };
    const SCase cases[] = {
        {"  100 FORMAT(I5)", 1, 100},
        {"100   CONTINUE", 1, 100},
        {"1 2 0 X = 1", 1, 120},
        {"99999 CONTINUE", 1, 99999},
        {"100\tCONTINUE", 1, 100},
        {"C 100 comment", 1, 0},
        {"      X = 100", 1, 0},
        {"     +100", 1, 0},
        {"#line 100", 1, 0},
        {"", 1, 0},
        {"100 format (i5)", 0, 100},
        {"   2000 continue", 0, 2000},
        {"! 100", 0, 0},
        {"x = 100", 0, 0},
        {"123456 continue", 0, 0},
        {"& 100", 0, 0},
        {"\t300 continue", 0, 300},
        {"", 0, 0},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(LineLabel(c.pszLine, c.bFixed), c.nLabel) << c.pszLine;
}

TEST(FindFreeLabel, TakesTheSmallestFreeMultipleOfTenFromOneHundred)
{
    struct SCase {
        std::string strText;
        int bFixed;
        int nLabel;
    };
    const SCase cases[] = {
        {"      END\n", 1, 100},
        {"   10 X = 1\n   99 Y = 2\n  101 Z = 3\n", 1, 100},
        {"  100 X = 1\n  110 Y = 2\n  130 Z = 3\n", 1, 120},
        {"  110 X = 1\n  100 Y = 2\n", 1, 120},  // wherever in the file they stand
        {"C 100 is only a comment\n", 1, 100},
        {"100 x = 1\n  110 y = 2\nz = 120\n", 0, 120},
    };
    for (const SCase& c : cases) {
        CLineReader reader;
        reader.OpenText(c.strText);
        EXPECT_EQ(FindFreeLabel(reader, c.bFixed), c.nLabel) << c.strText;
    }
    // Every candidate taken: none is free.
    std::string strAll;
    for (int n = 100; n < 100000; n += 10)
        strAll += std::to_string(n) + " continue\n";
    CLineReader reader;
    reader.OpenText(strAll);
    EXPECT_EQ(FindFreeLabel(reader, 0), 0);
    reader.OpenText(strAll.substr(0, strAll.rfind("99990")));
    EXPECT_EQ(FindFreeLabel(reader, 0), 99990);
}

TEST(NewStatementHead, PutsTheLabelWhereItsFormWantsIt)
{
    EXPECT_EQ(NewStatementHead(100, 1), "  100 FORMAT");
    EXPECT_EQ(NewStatementHead(10000, 1), "10000 FORMAT");
    EXPECT_EQ(NewStatementHead(100, 0), "100 FORMAT");
}

TEST(Directives, AreClassifiedByTheirWord)
{
    EXPECT_TRUE(IsPreprocessorLine("#ifdef X", 1));
    EXPECT_FALSE(IsPreprocessorLine(" #ifdef X", 1)) << "fixed form: only column 1";
    EXPECT_TRUE(IsPreprocessorLine("  #  endif", 0));
    EXPECT_FALSE(IsPreprocessorLine("x = 1 # 2", 0));
    EXPECT_EQ(ClassifyDirective("#ifdef X"), DIRECTIVE_OPEN);
    EXPECT_EQ(ClassifyDirective("# if defined(X)"), DIRECTIVE_OPEN);
    EXPECT_EQ(ClassifyDirective("#ifndef X"), DIRECTIVE_OPEN);
    EXPECT_EQ(ClassifyDirective("#else"), DIRECTIVE_BRANCH);
    EXPECT_EQ(ClassifyDirective("#elif Y"), DIRECTIVE_BRANCH);
    EXPECT_EQ(ClassifyDirective("#endif /* X */"), DIRECTIVE_CLOSE);
    EXPECT_EQ(ClassifyDirective("#include \"a.h\""), DIRECTIVE_INCLUDE);
    EXPECT_EQ(ClassifyDirective("#define N 3"), DIRECTIVE_OTHER);
    EXPECT_EQ(ClassifyDirective("#"), DIRECTIVE_OTHER);
}

// --- a new statement on a blank line ----------------------------------------

TEST_F(SourceTest, ANewStatementTakesAFreeLabelAndCompiles)
{
    struct SCase {
        const char* pszName;
        std::string strText;
        long long nLine;
        std::string strHead;
    };
    const SCase cases[] = {
        {"a.f", "      PROGRAM P\n      PRINT 100, 1\n  100 FORMAT(I3)\n\n      END\n", 4, "  110 FORMAT"},
        {"b.f90", "program p\n  print 100, 1\n100 format (i3)\n110 continue\n\nend program p\n", 5, "120 FORMAT"},
        {"c.f95", "program p\n\n  goto 100\n100 continue\nend program p\n", 2, "110 FORMAT"},
    };
    for (const SCase& c : cases) {
        ASSERT_EQ(Locate(c.pszName, c.strText, c.nLine), LOCATE_BLANK) << c.pszName;
        ASSERT_TRUE(NewStatement(m_list, c.nLine, m_strFile, NEW_STATEMENT_TEXT)) << c.pszName;
        EXPECT_EQ(m_list.m_strHead, c.strHead) << c.pszName;
        EXPECT_EQ(StatementLabel(m_list),
                  c.strHead.substr(0, c.strHead.find(" FORMAT")).substr(c.strHead.find_first_not_of(' ')))
            << c.pszName;
        // A save without an edit leaves a file that compiles and reads the
        // new statement back.
        ASSERT_EQ(WriteStatement(m_list, 0), 1) << c.pszName << ": " << Message();
        if (HaveCompiler()) {
            EXPECT_TRUE(Compiles(m_strFile, m_dir.Path())) << Contents();
        }
        CLocatedStatement again;
        ASSERT_EQ(LocateStatement(again, c.nLine, 1, m_strFile, 1), LOCATE_FOUND) << Contents();
        EXPECT_EQ(again.m_strHead, c.strHead);
        EXPECT_EQ(Texts(again), (std::vector<std::string>{"'First Descriptor'"}));
    }
}

TEST_F(SourceTest, ANewStatementNeedsAFreeLabel)
{
    std::string strAll = "program p\n";
    for (int n = 100; n < 100000; n += 10)
        strAll += std::to_string(n) + " continue\n";
    strAll += "\nend program p\n";
    const long long nBlank = 9992;
    ASSERT_EQ(Locate("full.f90", strAll, nBlank), LOCATE_BLANK);
    EXPECT_EQ(NewStatement(m_list, nBlank, m_strFile, NEW_STATEMENT_TEXT), 0);
    EXPECT_EQ(Message(), "No label is free for a new FORMAT statement in file \"" + m_strFile +
                             "\"\nEvery multiple of 10 from 100 to 99990 is in use");
}

TEST_F(SourceTest, ANewStatementCannotStartInsideAFreeFormStatement)
{
    // Blank and comment lines may stand between a line that ends with & and
    // its continuation: a statement there would become the continuation.
    struct SCase {
        std::string strText;
        long long nLine;  // the blank line
        int nResult;
    };
    const SCase cases[] = {
        {"x = 1 + &\n\n    2\n", 2, LOCATE_FAILED},
        {"x = 1 + &\n! note\n\n#ifdef A\n    2\n", 3, LOCATE_FAILED},
        {"s = 'a&\n  &b' // &\n\n 'c'\n", 3, LOCATE_FAILED},
        {"s = 'a&'\n\n", 2, LOCATE_BLANK},
        {"x = 1 ! and &\n\n", 2, LOCATE_BLANK},
        {"x = 1 + &\n  2\n\n", 3, LOCATE_BLANK},
    };
    for (const SCase& c : cases) {
        m_presenter.m_messages.clear();
        EXPECT_EQ(Locate("f.f90", c.strText, c.nLine), c.nResult) << c.strText;
        if (c.nResult == LOCATE_FAILED) {
            EXPECT_EQ(Message(), "A new statement cannot start on line " + std::to_string(c.nLine) +
                                     "\nThe line after it continues the statement before it");
        }
    }
}

}  // namespace
