// Statements using the forms of Fortran 90 to 2018, in free and fixed
// source form: each is found with its descriptors, written back the same,
// and the file still compiles, before and after an edit.
#include "source_helpers.h"

namespace {

struct SStatementCase {
    const char* file;  // in the data folder
    long long line;
    long long column;
    std::vector<std::string> texts;
    std::string repeated;  // every field's repeated sample, joined (cut after 60 characters)
};

void PrintTo(const SStatementCase& c, std::ostream* os)
{
    *os << c.file << ":" << c.line;
}

class LaterStatement : public ::testing::TestWithParam<SStatementCase> {};

TEST_P(LaterStatement, OpensWithItsFieldsAndWritesBackTheSame)
{
    const SStatementCase& c = GetParam();
    const std::string strOriginal = ReadWholeFile(std::string(QUILLMARK_SOURCE_DATA) + "/" + c.file);
    CTempDir dir;
    CSourceRecorder presenter(MessageAnswer::NO);
    const CRecordingInto recording(presenter);
    const std::string strFile = dir.Write(c.file, strOriginal);
    CLocatedStatement list;
    ASSERT_EQ(LocateStatement(list, c.line, c.column, strFile, 1), LOCATE_FOUND)
        << (presenter.m_messages.empty() ? "" : presenter.m_messages[0].text);
    EXPECT_EQ(Texts(list), c.texts);
    std::string strRepeated;
    for (int i = 0; i < list.size() && strRepeated.size() < 60; ++i) {
        std::string s;
        list.GetRepeatedSample(i, s);
        strRepeated += s;
    }
    EXPECT_EQ(strRepeated.substr(0, 60), c.repeated);

    // A statement of one line is written as it stood; one over several
    // lines is laid out anew, with the same descriptors.
    const bool bOneLine = list.m_arrLines.size() == 1;
    ASSERT_EQ(WriteStatement(list, 0), 1);
    if (bOneLine) {
        EXPECT_EQ(ReadWholeFile(strFile), strOriginal);
    }
    CLocatedStatement after;
    ASSERT_EQ(LocateStatement(after, c.line, c.column, strFile, 1), LOCATE_FOUND);
    EXPECT_EQ(Texts(after), c.texts);
    if (HaveCompiler()) {
        EXPECT_TRUE(Compiles(strFile, dir.Path())) << ReadWholeFile(strFile);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, LaterStatement,
    ::testing::Values(
        SStatementCase{"later_standards.f90", 8, 12, {"\"n =\"", "I6"}, "n =123456"},
        SStatementCase{"later_standards.f90", 9, 9, {"\"n =\"", "I6"}, "n =123456"},
        SStatementCase{
            "later_standards.f90", 11, 1, {"\"x =\"", "F8.3", "1X", "\"say \"\"hi\"\"\""}, "x =1234.123 say \"hi\""},
        SStatementCase{
            "later_standards.f90", 12, 12, {"100A"}, "abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghij"},
        SStatementCase{"later_standards.f90", 13, 12, {"A", "*(", "1X", "F8.3", ")"}, "abcdefghij 1234.123"},
        SStatementCase{"later_standards.f90", 14, 12, {"*(", "I5", ":", "','", ")"}, "12345,"},
        SStatementCase{"later_standards.f90", 15, 12, {}, ""},
        SStatementCase{"later_standards.f90",
                       16,
                       12,
                       {"I0", "1X", "I0.3", "1X", "B0", "1X", "O0", "1X", "Z0", "1X", "F0.3"},
                       "1234567 1234567 10101010 1234567 12345678 1234567.123"},
        SStatementCase{"later_standards.f90",
                       17,
                       12,
                       {"G0", "1X", "G0.3", "1X", "E0.3", "1X", "ES0.3", "1X", "EN0.3", "D0.3"},
                       "1234567.1234567 0.123E+7 0.123E+7 1.123E+6 1.123E+60.123D+7"},
        SStatementCase{"later_standards.f90",
                       18,
                       12,
                       {"RU", "F8.3", "RD", "RZ", "RN", "RC", "RP", "DC", "F8.3", "DP", "F8.3"},
                       "1234.1231234,1231234.123"},
        SStatementCase{"later_standards.f90",
                       21,
                       1,
                       {"999F10.4", "\"it's\"", "1000000E15.7"},
                       "12345.123412345.123412345.123412345.123412345.123412345.1234"},
        SStatementCase{"later_standards.f90", 23, 12, {"DT'list'(10, 2)", "2DT"}, ""},
        SStatementCase{"later_standards.for", 10, 1, {"\"N =\"", "I6", "\" say \"\"hi\"\"\""}, "N =123456 say \"hi\""},
        SStatementCase{"later_standards.for", 11, 17, {"\"N =\"", "I6"}, "N =123456"},
        SStatementCase{"later_standards.for", 12, 13, {"\"N =\"", "I6"}, "N =123456"},
        SStatementCase{"later_standards.for", 14, 1, {}, ""},
        SStatementCase{"later_standards.for", 16, 1, {"A", "*(", "1X", "F8.3", ")"}, "abcdefghij 1234.123"},
        SStatementCase{"later_standards.for",
                       18,
                       1,
                       {"I0", "1X", "I0.3", "1X", "Z0", "1X", "F0.3", "1X", "G0", "1X", "E0.3", "1X", "ES0.3"},
                       "1234567 1234567 12345678 1234567.123 1234567.1234567 0.123E+"},
        SStatementCase{"later_standards.for",
                       21,
                       1,
                       {"RU", "F8.3", "RD", "RZ", "RN", "RC", "RP", "DC", "F8.3", "DP", "F8.3"},
                       "1234.1231234,1231234.123"},
        SStatementCase{"later_standards.for",
                       23,
                       1,
                       {"999F10.4", "1000000E15.7", "* (", "I5", ":", "','", ")"},
                       "12345.123412345.123412345.123412345.123412345.123412345.1234"},
        SStatementCase{"later_standards.for", 25, 1, {"DT'list'(10, 2)", "2DT"}, ""}));

// Edits to such statements: a derived constant keeps its own delimiter and
// the format string doubles only its own quote; the empty list takes new
// fields. The results compile.
class LaterEdit : public SourceTest {
protected:
    void ExpectSavedAndCompiling(const std::string& strExpected)
    {
        ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
        EXPECT_EQ(Contents(), strExpected);
        if (HaveCompiler()) {
            EXPECT_TRUE(Compiles(m_strFile, m_dir.Path())) << Contents();
        }
    }
};

TEST_F(LaterEdit, ATypedSampleKeepsTheConstantsDelimiterInEitherString)
{
    const std::string strHead = "program p\n  integer :: n = 1\n";
    ASSERT_EQ(Locate("q.f90", strHead + "  print \"(\"\"n =\"\", I6)\", n\nend program\n", 3, 9), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetSample(0, "m \"q\" it's"));
    EXPECT_EQ(m_list.At(0).Text(), "\"m \"\"q\"\" it's\"");
    ExpectSavedAndCompiling(strHead + "  print \"(\"\"m \"\"\"\"q\"\"\"\" it's\"\", I6)\", n\nend program\n");

    ASSERT_EQ(Locate("r.f90", strHead + "  write(*, '(\"n =\", I6)') n\nend program\n", 3, 12), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetSample(0, "it's \"q\""));
    ExpectSavedAndCompiling(strHead + "  write(*, '(\"it''s \"\"q\"\"\", I6)') n\nend program\n");
}

TEST_F(LaterEdit, TheEmptyListTakesNewFieldsAndStaysEmptyOtherwise)
{
    const std::string strFixed = "      PROGRAM P\n      WRITE (6, 110)\n  110 FORMAT()\n      END\n";
    ASSERT_EQ(Locate("e.for", strFixed, 3), LOCATE_FOUND);
    EXPECT_EQ(m_list.size(), 0);
    EXPECT_EQ(CommitStatement(m_list, 0, 0), 1);
    EXPECT_EQ(Contents(), strFixed);

    ASSERT_EQ(Locate("e.for", strFixed, 3), LOCATE_FOUND);
    ASSERT_TRUE(m_list.InsertDescriptor(0, "\"done\""));
    ASSERT_TRUE(m_list.InsertDescriptor(1, "*("));
    ASSERT_TRUE(m_list.InsertDescriptor(2, "I0"));
    ASSERT_TRUE(m_list.InsertDescriptor(3, ")"));
    ExpectSavedAndCompiling("      PROGRAM P\n      WRITE (6, 110)\n  110 FORMAT(\"done\", *(I0))\n      END\n");
}

TEST_F(LaterEdit, TheStrictTableStillRefusesTheLaterForms)
{
    CStrictTable strict;
    const std::string strFile = "  100 FORMAT(I5, *(F8.3))\n  110 FORMAT()\n  120 FORMAT(\"n =\", I6)\n      END\n";
    EXPECT_NE(Locate("s.for", strFile, 1), LOCATE_FOUND);
    EXPECT_NE(Locate("s.for", strFile, 2), LOCATE_FOUND);
    EXPECT_EQ(Locate("s.for", strFile, 3), LOCATE_FOUND);
}

}  // namespace
