// Writing in the file's own layout: open a statement, edit its fields (retype,
// insert, remove, nothing), save with WRITE_KEEP_LAYOUT and compare the whole
// file with the bytes expected; every saved file still compiles where
// gfortran is installed. Then a property over the real sample files: a
// random single edit of any statement changes no line but the edited
// field's (a retyped one) and reads back as intended.
#include <sys/stat.h>

#include <random>

#include "field_commands.h"
#include "kept_layout.h"
#include "source_helpers.h"
#include "string_table.h"

namespace {

using Strings = std::vector<std::string>;

struct SKeptCase {
    const char* pszName;
    const char* pszFile;
    std::string strBefore;
    long long nLine;
    long long nColumn;
    Strings edits;  // "t<n>:TEXT" typed and left, "i<n>:TEXT" New Field before n, "r<n>" Remove Field
    std::string strAfter;
    bool bKept = true;  // false: the layout cannot be kept, the statement is rebuilt
};

void PrintTo(const SKeptCase& c, std::ostream* os)
{
    *os << c.pszName;
}

const std::string kFixedProgram = "      PROGRAM T\n      WRITE (6, 100) 1, 2.0, 3.0\n";
const std::string kFreeProgram = "program t\n  write (6, 100) 1, 2.0, 3.0\n";

// The two-line statement of the brief's example, with a comment line between
// its lines and a comment after its first line.
const std::string kTwoLines = "  100 FORMAT(1X,I6,4X,F11.3,4X, ! widths\n"
                              "C     the exponent form\n"
                              "     $       E13.5)\n";

// A group opener followed by a line end (LAPACK's c_zblat3.f has one) or a
// blank: fixed form, free form, one line.
const std::string kGroupOpenerLines[] = {"  100 FORMAT(E12.3E1, 2( \n     &I5))\n",
                                         "100 format(E12.3E1, 2( &\n   I5))\n", "  100 FORMAT(E12.3E1, 2( I5))\n"};

const SKeptCase kCases[] = {
    {"a retyped field takes the old one's place, everything else stays",
     "a.f",
     kFixedProgram + kTwoLines + "      END\n",
     3,
     1,
     {"t1:I8"},
     kFixedProgram +
         "  100 FORMAT(1X,I8,4X,F11.3,4X, ! widths\nC     the exponent form\n     $       E13.5)\n      END\n"},
    {"a retyped field on a continuation line",
     "a.f",
     kFixedProgram + kTwoLines + "      END\n",
     3,
     1,
     {"t5:e14.6"},
     kFixedProgram +
         "  100 FORMAT(1X,I6,4X,F11.3,4X, ! widths\nC     the exponent form\n     $       e14.6)\n      END\n"},
    {"an inserted field takes the list's bare comma",
     "a.f",
     kFixedProgram + kTwoLines + "      END\n",
     3,
     1,
     {"i2:A3"},
     kFixedProgram +
         "  100 FORMAT(1X,I6,A3,4X,F11.3,4X, ! widths\nC     the exponent form\n     $       E13.5)\n      END\n"},
    {"an inserted field at the end goes after the last one",
     "a.f",
     kFixedProgram + kTwoLines + "      END\n",
     3,
     1,
     {"i6:I2"},
     kFixedProgram +
         "  100 FORMAT(1X,I6,4X,F11.3,4X, ! widths\nC     the exponent form\n     $       E13.5,I2)\n      END\n"},
    {"a removed field takes the separator after it",
     "a.f",
     kFixedProgram + kTwoLines + "      END\n",
     3,
     1,
     {"r2"},
     kFixedProgram +
         "  100 FORMAT(1X,I6,F11.3,4X, ! widths\nC     the exponent form\n     $       E13.5)\n      END\n"},
    {"the last field of a line removed takes the separator before it",
     "a.f",
     kFixedProgram + kTwoLines + "      END\n",
     3,
     1,
     {"r4"},
     kFixedProgram +
         "  100 FORMAT(1X,I6,4X,F11.3, ! widths\nC     the exponent form\n     $       E13.5)\n      END\n"},
    {"a field alone on its line removed takes its line",
     "a.f",
     kFixedProgram + "  100 FORMAT(1X, I6,\n     $   F11.3,\n     $   E13.5)\n      END\n",
     3,
     1,
     {"r2"},
     kFixedProgram + "  100 FORMAT(1X, I6,\n     $   E13.5)\n      END\n"},
    {"the last field alone on its line removed takes the comma before it",
     "a.f",
     kFixedProgram + "  100 FORMAT(1X, I6,\n     $   F11.3)\n      END\n",
     3,
     1,
     {"r2"},
     kFixedProgram + "  100 FORMAT(1X, I6\n     $   )\n      END\n"},
    {"nothing changed after an edit taken back",
     "a.f",
     kFixedProgram + kTwoLines + "      END\n",
     3,
     1,
     {"t1:I7", "t1:I6"},
     kFixedProgram + kTwoLines + "      END\n"},
    {"a retype, an insertion and a removal at once",
     "a.f",
     kFixedProgram + "  100 FORMAT( 1X, I6, 4X, F11.3, 4X, E13.5 )\n      END\n",
     3,
     1,
     {"t1:I9", "r2", "i4:'|'"},
     kFixedProgram + "  100 FORMAT( 1X, I9, F11.3, 4X, '|', E13.5 )\n      END\n"},
    {"a group keeps its blanks; a field inserted before its parenthesis gets a comma",
     "a.f",
     kFixedProgram + "  100 FORMAT( 1X, 3( I5, 'x' ) )\n      END\n",
     3,
     1,
     {"t2:I4", "i4:I2"},
     kFixedProgram + "  100 FORMAT( 1X, 3( I4, 'x', I2 ) )\n      END\n"},
    // A group opener's text ends at its "(": the blank or line end after it
    // is the file's, and stays when the opener is retyped.
    {"a retyped group opener keeps the line end after it",
     "a.f",
     kFixedProgram + kGroupOpenerLines[0] + "      END\n",
     3,
     1,
     {"t1:3("},
     kFixedProgram + "  100 FORMAT(E12.3E1, 3( \n     &I5))\n      END\n"},
    {"free form: a retyped group opener keeps the & and line end after it, an insertion follows",
     "a.f90",
     kFreeProgram + kGroupOpenerLines[1] + "end program t\n",
     3,
     1,
     {"t1:3(", "i3:I2"},
     kFreeProgram + "100 format(E12.3E1, 3( &\n   I5, I2))\nend program t\n"},
    {"a retyped group opener keeps the blank after it",
     "a.f",
     kFixedProgram + kGroupOpenerLines[2] + "      END\n",
     3,
     1,
     {"t1:4("},
     kFixedProgram + "  100 FORMAT(E12.3E1, 4( I5))\n      END\n"},
    {"a line that would pass column 72 is broken after a separator, the next stays",
     "a.f",
     kFixedProgram +
         "  100 FORMAT(1X,'A long heading that fills the line up to column 72',I6,\n     $       E13.5)\n      END\n",
     3,
     1,
     {"t2:F12.4"},
     kFixedProgram + "  100 FORMAT(1X,'A long heading that fills the line up to column 72',\n     + F12.4,\n"
                     "     $       E13.5)\n      END\n"},
    {"a constant split over fixed-form lines survives a retype beside it",
     "a.f",
     kFixedProgram + "  100 FORMAT(I3,'a constant that runs on past column seventy-two into\n"
                     "     $ the next line',I4)\n      END\n",
     3,
     1,
     {"t2:I5", "t0:I2"},
     kFixedProgram + "  100 FORMAT(I2,'a constant that runs on past column seventy-two into\n"
                     "     $ the next line',I5)\n      END\n"},
    {"a removed slash leaves its neighbours a comma",
     "a.f",
     kFixedProgram + "  100 FORMAT(1X/I6,2X/F11.3)\n      END\n",
     3,
     1,
     {"r1", "r3"},
     kFixedProgram + "  100 FORMAT(1X,I6,2X,F11.3)\n      END\n"},
    {"a Hollerith constant split over fixed-form lines survives retypes beside it",
     "a.f",
     kFixedProgram + "  100 FORMAT(I3,60H" + std::string(53, 'h') + "\n     $" + std::string(7, 'h') +
         ",I4)\n      END\n",
     3,
     1,
     {"t0:I2", "t2:I5"},
     kFixedProgram + "  100 FORMAT(I2,60H" + std::string(53, 'h') + "\n     $" + std::string(7, 'h') +
         ",I5)\n      END\n"},
    {"free form: a constant continued with & on both ends survives",
     "a.f90",
     kFreeProgram + "100 format (1x, 'a constant &\n     &split over lines', i6)\nend program t\n",
     3,
     1,
     {"t2:i7"},
     kFreeProgram + "100 format (1x, 'a constant &\n     &split over lines', i7)\nend program t\n"},
    {"a Hollerith constant stays as it is",
     "a.f",
     kFixedProgram + "  100 FORMAT(1X,5HAB, D,I6)\n      END\n",
     3,
     1,
     {"t2:I3"},
     kFixedProgram + "  100 FORMAT(1X,5HAB, D,I3)\n      END\n"},
    {"a sequence number beyond column 72 stays where it stands",
     "a.f",
     kFixedProgram + "  100 FORMAT(1X,I6)" + std::string(54, ' ') + "SEQ00010\n      END\n",
     3,
     1,
     {"t1:I10"},
     kFixedProgram + "  100 FORMAT(1X,I10)" + std::string(53, ' ') + "SEQ00010\n      END\n"},
    {"a format string keeps its doubled quotes",
     "w.f",
     "      PROGRAM T\n      WRITE (6, '(1X, ''n ='', I5)') 1\n      END\n",
     2,
     17,
     {"t2:I7", "i2:'x'"},
     "      PROGRAM T\n      WRITE (6, '(1X, ''n ='', ''x'', I7)') 1\n      END\n"},
    {"a format string over fixed-form lines",
     "w.f",
     "      PROGRAM T\n      WRITE (6, '(1X, I5,\n     $  F7.2)') 1, 2.0\n      END\n",
     2,
     17,
     {"t2:F8.3"},
     "      PROGRAM T\n      WRITE (6, '(1X, I5,\n     $  F8.3)') 1, 2.0\n      END\n"},
    {"free form: & on both ends and a comment after the &",
     "a.f90",
     kFreeProgram + "100 format (1x, i6, &   ! first\n     & 4x, f11.3)\nend program t\n",
     3,
     1,
     {"t3:F12.4", "r0"},
     kFreeProgram + "100 format (i6, &   ! first\n     & 4x, F12.4)\nend program t\n"},
    {"free form: an insertion on a continuation line",
     "a.f90",
     kFreeProgram + "100 format (1x, i6, &\n  4x, f11.3)\nend program t\n",
     3,
     1,
     {"i3:A2"},
     kFreeProgram + "100 format (1x, i6, &\n  4x, A2, f11.3)\nend program t\n"},
    {"free form: a line past 132 characters is broken with & on both ends",
     "a.f90",
     kFreeProgram + "100 format (1x, '" + std::string(95, 'x') + "', i6, 4x, f11.3)\nend program t\n",
     3,
     1,
     {"t4:F12.4", "i4:'" + std::string(10, 'y') + "'"},
     kFreeProgram + "100 format (1x, '" + std::string(95, 'x') + "', i6, 4x, &\n      & '" + std::string(10, 'y') +
         "', F12.4)\nend program t\n"},
    {"a removal that leaves only a comment keeps it where it stood, as a comment line",
     "a.f",
     kFixedProgram + "  100 FORMAT(1X,\n     $   F11.3, ! the value\n     $   E13.5)\n      END\n",
     3,
     1,
     {"r1"},
     kFixedProgram + "  100 FORMAT(1X,\n          ! the value\n     $   E13.5)\n      END\n"},
    {"free form: the first field alone on its line, with a comment after it, removed",
     "a.f90",
     kFreeProgram + "100 format ( &  ! open\n     i5, &  ! one\n! between\n     f8.2, e12.4)\nend program t\n",
     3,
     1,
     {"r0"},
     kFreeProgram + "100 format ( &  ! open\n         ! one\n! between\n     f8.2, e12.4)\nend program t\n"},
    {"a list written comma first: a field alone on its line removed takes the comma before it",
     "a.f",
     kFixedProgram + "  100 FORMAT(I6\n     4  , F11.3\n     5  , E13.5)\n      END\n",
     3,
     1,
     {"r1"},
     kFixedProgram + "  100 FORMAT(I6\n     5  , E13.5)\n      END\n"},
    {"a list written comma first: the last field removed leaves the parenthesis on its line",
     "a.f",
     kFixedProgram + "  100 FORMAT(I6\n     4  , F11.3\n     5  , E13.5)\n      END\n",
     3,
     1,
     {"r2"},
     kFixedProgram + "  100 FORMAT(I6\n     4  , F11.3\n     5  )\n      END\n"},
    {"free form: comma first, then a comma last; a field alone on its line and the last one removed",
     "a.f90",
     kFreeProgram + "100 format (i6 &\n   & , f11.3 &\n   & , e13.5, &\n   & 1x)\nend program t\n",
     3,
     1,
     {"r1", "r2"},
     kFreeProgram + "100 format (i6 &\n   & , e13.5 &\n   & )\nend program t\n"},
};

class KeptLayoutSave : public SourceTest {
protected:
    // Applies the case's edits as the window does them; false when one is refused.
    bool Edit(const Strings& edits)
    {
        for (const std::string& edit : edits) {
            const std::size_t nColon = edit.find(':');
            const int index = std::stoi(edit.substr(1, nColon));
            const std::string text = nColon == std::string::npos ? std::string() : edit.substr(nColon + 1);
            if (edit[0] == 't') {
                TypeIntoField(m_list, index, ROW_TEXT, text.c_str());
                LeaveField(m_list, index, ROW_TEXT);
                if (m_list.At(index).StatementText() != text)
                    return false;
            } else if (edit[0] == 'i') {
                if (!InsertField(m_list, index, text.c_str()).Ok())
                    return false;
            } else if (!RemoveField(m_list, index).Ok()) {
                return false;
            }
        }
        return true;
    }

    int CommitKeepingLayout(std::string* pWrittenTo = nullptr)
    {
        const CResult result = CommitStatement(m_list, m_list.Site(), -1, m_presenter, pWrittenTo, WRITE_KEEP_LAYOUT);
        m_presenter.Record(result);
        return result.Ok() ? 1 : 0;
    }
};

class KeptLayout : public KeptLayoutSave, public ::testing::WithParamInterface<SKeptCase> {};

TEST_P(KeptLayout, TheSavedFileHoldsExactlyTheExpectedBytes)
{
    const SKeptCase& c = GetParam();
    ASSERT_EQ(Locate(c.pszFile, c.strBefore, c.nLine, c.nColumn), LOCATE_FOUND) << Message();
    if (HaveCompiler()) {
        ASSERT_TRUE(Compiles(m_strFile, m_dir.Path())) << "the sample itself must compile";
    }
    const Strings texts = Texts(m_list);
    ASSERT_TRUE(Edit(c.edits));
    std::vector<std::vector<std::string>> groups;
    EXPECT_EQ(BuildKeptLayout(m_list, m_list.Site(), groups), c.bKept);
    std::string strWrittenTo;
    ASSERT_EQ(CommitKeepingLayout(&strWrittenTo), 1) << Message();
    EXPECT_EQ(strWrittenTo, m_strFile);
    EXPECT_EQ(Contents(), c.strAfter);
    CLocatedStatement after;
    ASSERT_EQ(LocateStatement(after, c.nLine, c.nColumn, m_strFile), LOCATE_FOUND) << Message();
    EXPECT_EQ(Texts(after), Texts(m_list));
    if (HaveCompiler()) {
        EXPECT_TRUE(Compiles(m_strFile, m_dir.Path())) << Contents();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, KeptLayout, ::testing::ValuesIn(kCases));

class KeptLayoutWrite : public KeptLayoutSave {};

// A statement that would come out as it was is not written: the file keeps
// its bytes and its modification time, and the save succeeds, naming it.
TEST_F(KeptLayoutWrite, NothingChangedWritesNothing)
{
    ASSERT_EQ(Locate("a.f", kFixedProgram + kTwoLines + "      END\n", 3, 1), LOCATE_FOUND);
    struct stat before {};
    ASSERT_EQ(::stat(m_strFile.c_str(), &before), 0);
    // An old time, which any write would change.
    const std::string strTouch = "touch -d '2001-02-03 04:05:06' '" + m_strFile + "'";
    ASSERT_EQ(std::system(strTouch.c_str()), 0);
    ASSERT_EQ(::stat(m_strFile.c_str(), &before), 0);
    std::string strWrittenTo;
    const CResult result = CommitStatement(m_list, m_list.Site(), 1, m_presenter, &strWrittenTo, WRITE_KEEP_LAYOUT);
    EXPECT_TRUE(result.Ok());
    EXPECT_EQ(strWrittenTo, m_strFile);
    struct stat after {};
    ASSERT_EQ(::stat(m_strFile.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(Contents(), kFixedProgram + kTwoLines + "      END\n");

    // The empty list, which no descriptor places, is not written either.
    const std::string strEmpty = kFixedProgram + "  100 FORMAT (  )\n      END\n";
    ASSERT_EQ(Locate("e.f", strEmpty, 3, 1), LOCATE_FOUND);
    ASSERT_EQ(std::system(("touch -d '2001-02-03 04:05:06' '" + m_strFile + "'").c_str()), 0);
    ASSERT_EQ(::stat(m_strFile.c_str(), &before), 0);
    EXPECT_EQ(CommitKeepingLayout(), 1);
    ASSERT_EQ(::stat(m_strFile.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(Contents(), strEmpty);
}

// A group opener's text ends at its "(" in every layout; the default save
// rebuilds the statement without the blank or line end after it, and the
// rebuilt statement reads back the same.
TEST_F(KeptLayoutWrite, AGroupOpenersTextEndsAtItsParenthesis)
{
    const std::string kRebuilt[] = {"  100 FORMAT(E12.3E1, 2(I5))\n", "100 format(E12.3E1, 2(I5))\n",
                                    "  100 FORMAT(E12.3E1, 2(I5))\n"};
    const Strings kTexts{"E12.3E1", "2(", "I5", ")"};
    for (int i = 0; i < 3; ++i) {
        const bool bFree = i == 1;
        const std::string strProgram = bFree ? kFreeProgram : kFixedProgram;
        const std::string strEnd = bFree ? "end program t\n" : "      END\n";
        const char* pszName = bFree ? "g.f90" : "g.f";
        ASSERT_EQ(Locate(pszName, strProgram + kGroupOpenerLines[i] + strEnd, 3, 1), LOCATE_FOUND) << Message();
        EXPECT_EQ(Texts(m_list), kTexts) << kGroupOpenerLines[i];
        ASSERT_EQ(WriteStatement(m_list, 0), 1) << Message();
        EXPECT_EQ(Contents(), strProgram + kRebuilt[i] + strEnd);
        CLocatedStatement again;
        ASSERT_EQ(LocateStatement(again, 3, 1, m_strFile), LOCATE_FOUND) << Contents();
        EXPECT_EQ(Texts(again), kTexts);
        if (HaveCompiler()) {
            EXPECT_TRUE(Compiles(m_strFile, m_dir.Path())) << Contents();
        }
    }
}

// The safe writer's guarantees hold for the kept layout too: a file changed
// since the statement was read is not overwritten.
TEST_F(KeptLayoutWrite, AFileChangedMeanwhileIsLeftAlone)
{
    ASSERT_EQ(Locate("a.f", kFixedProgram + kTwoLines + "      END\n", 3, 1), LOCATE_FOUND);
    const std::string strChanged = kFixedProgram + kTwoLines + "C     changed by someone else\n      END\n";
    m_dir.Write("a.f", strChanged);
    TypeIntoField(m_list, 1, ROW_TEXT, "I8");
    LeaveField(m_list, 1, ROW_TEXT);
    EXPECT_EQ(CommitKeepingLayout(), 0);
    ASSERT_FALSE(m_presenter.m_messages.empty());
    EXPECT_EQ(m_presenter.m_messages.back().nStringId, IDS_FILE_CHANGED);
    EXPECT_EQ(Contents(), strChanged);
}

// Descriptors that are not the ones the statement was read into (a list
// split anew) cannot be placed: the statement is rebuilt, and reads back.
TEST_F(KeptLayoutWrite, DescriptorsOfAnotherReadingAreRebuilt)
{
    ASSERT_EQ(Locate("a.f", kFixedProgram + kTwoLines + "      END\n", 3, 1), LOCATE_FOUND);
    ASSERT_TRUE(m_list.Split("(1X,I6,4X,F11.3,4X,E13.5)\n").Ok());
    std::vector<std::vector<std::string>> groups;
    EXPECT_FALSE(BuildKeptLayout(m_list, m_list.Site(), groups));
    ASSERT_EQ(CommitKeepingLayout(), 1) << Message();
    EXPECT_EQ(Contents(), kFixedProgram + "  100 FORMAT(1X, I6, 4X, F11.3, 4X, E13.5)\n! widths\n"
                                          "C     the exponent form\n      END\n");
}

// The text with its width one larger ("F11.3" -> "F12.3"), or empty when it
// has no width to widen.
std::string Wider(const std::string& text)
{
    std::size_t n = 0;
    while (n < text.size() && std::isdigit(static_cast<unsigned char>(text[n])))
        ++n;
    const std::size_t nLetters = n;
    while (n < text.size() && std::isalpha(static_cast<unsigned char>(text[n])))
        ++n;
    const std::string letters = text.substr(nLetters, n - nLetters);
    const std::size_t nDigits = n;
    while (n < text.size() && std::isdigit(static_cast<unsigned char>(text[n])))
        ++n;
    static const Strings kNoWidth = {"X", "x", "P", "p", "H", "h", "T", "t", "TL", "tl", "TR", "tr"};
    if (letters.empty() || n == nDigits || n - nDigits > 6 ||
        std::find(kNoWidth.begin(), kNoWidth.end(), letters) != kNoWidth.end())
        return std::string();
    return text.substr(0, nDigits) + std::to_string(std::stoi(text.substr(nDigits, n - nDigits)) + 1) + text.substr(n);
}

class KeptLayoutProperty : public ::testing::TestWithParam<const char*> {};

// Every statement of a sample file, one random edit each (a field widened,
// a field inserted, a field removed), saved keeping the layout: a widened
// field changes its own line alone, and every save reads back with exactly
// the intended fields; the file still compiles.
TEST_P(KeptLayoutProperty, ARandomEditChangesOnlyItsLineAndReadsBack)
{
    const std::string strName = GetParam();
    const std::string strOriginal = ReadWholeFile(std::string(QUILLMARK_SOURCE_DATA) + "/" + strName);
    ASSERT_FALSE(strOriginal.empty());
    const std::string strCompileOptions;
    const SourceForm form = SOURCE_FORM_BY_SUFFIX;
    const std::vector<std::string> lines = SplitLines(strOriginal);
    CTempDir dir;
    CSourceRecorder presenter(MessageAnswer::NO);
    const CRecordingInto recording(presenter);
    std::mt19937 random(20261208);
    int nSaved = 0;
    int nInPlace = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const long long nLine = static_cast<long long>(i) + 1;
        for (long long nColumn = 1; nColumn <= static_cast<long long>(lines[i].size()); ++nColumn) {
            const char c = lines[i][static_cast<std::size_t>(nColumn - 1)];
            if (nColumn > 1 && c != '\'' && c != '"')
                continue;
            const std::string strFile = dir.Write(strName, strOriginal);
            CLocatedStatement list;
            if (LocateStatement(list, nLine, nColumn, strFile, 1, form) != LOCATE_FOUND ||
                (nColumn == 1 && list.m_chDelimiter != 'f') || list.size() == 0)
                continue;
            const std::string strWhere = strName + ":" + std::to_string(nLine) + ":" + std::to_string(nColumn);
            const int nKind = static_cast<int>(random() % 3);
            const int index = static_cast<int>(random() % static_cast<unsigned>(list.size()));
            const std::string strWider = Wider(list.At(index).StatementText());
            long long nFieldLine = 0;
            if (nKind == 0 && !strWider.empty()) {
                nFieldLine = list.m_arrDescriptorPlaces[static_cast<std::size_t>(index)].nLine;
                TypeIntoField(list, index, ROW_TEXT, strWider.c_str());
                LeaveField(list, index, ROW_TEXT);
            } else if (nKind == 1) {
                ASSERT_TRUE(InsertField(list, index, "A7").Ok()) << strWhere;
            } else if (!RemoveField(list, index).Ok() || !list.IsBalanced() || FindEmptyGroup(list) >= 0) {
                continue;
            }
            const Strings intended = Texts(list);
            const CResult saved = CommitStatement(list, list.Site(), -1, presenter, nullptr, WRITE_KEEP_LAYOUT);
            if (!saved.Ok())
                continue;  // refused as the rebuild refuses it (a statement no layout keeps whole)
            ++nSaved;
            if (HaveCompiler()) {
                EXPECT_TRUE(Compiles(strFile, dir.Path(), strCompileOptions)) << strWhere << "\n"
                                                                              << ReadWholeFile(strFile);
            }
            CLocatedStatement after;
            // The format string is found again at its opening quote, which
            // an edit does not move.
            const long long nOpening = list.m_chDelimiter == 'f' ? 1
                                                                 : static_cast<long long>(list.m_strHead.size()) + 1;
            ASSERT_EQ(LocateStatement(after, nLine, nOpening, strFile, 1, form), LOCATE_FOUND) << strWhere;
            EXPECT_EQ(Texts(after), intended) << strWhere << "\n" << ReadWholeFile(strFile);
            if (nFieldLine == 0)
                continue;
            const std::vector<std::string> rewritten = SplitLines(ReadWholeFile(strFile));
            ASSERT_EQ(rewritten.size(), lines.size()) << strWhere;
            for (std::size_t k = 0; k < lines.size(); ++k) {
                if (static_cast<long long>(k) + 1 != nFieldLine) {
                    EXPECT_EQ(rewritten[k], lines[k]) << strWhere << " line " << k + 1;
                }
            }
            ++nInPlace;
        }
    }
    EXPECT_GT(nSaved, 0);
    EXPECT_GT(nInPlace, 0);
}

INSTANTIATE_TEST_SUITE_P(SampleFiles, KeptLayoutProperty,
                         ::testing::Values("report.for", "analysis.f90", "layout.F90", "layout.F",
                                           "later_standards.for", "later_standards.f90"));

}  // namespace
