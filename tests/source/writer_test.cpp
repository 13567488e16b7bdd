// Writing the statement back: line building in both forms, merging with the
// file, and a save that either replaces the file completely or leaves it as
// it was.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "faulty_system_calls.h"
#include "source_helpers.h"
#include "string_table.h"

namespace {

using Strings = std::vector<std::string>;

// A list filled by hand: head, descriptors, tail and form.
void Fill(CLocatedStatement& list, const std::string& head, const Strings& texts, bool bFixed, char delimiter = 'f',
          const std::string& tail = "\n")
{
    list.Clear();
    ASSERT_TRUE(Append(list, texts));
    list.m_strHead = head;
    list.m_strTail = tail;
    list.m_bFixedForm = bFixed ? 1 : 0;
    list.m_chDelimiter = delimiter;
    list.m_nParenBlanks = 0;
}

std::string Joined(const Strings& lines)
{
    std::string s;
    for (const std::string& line : lines)
        s += line + "\n";
    return s;
}

const Strings kRecords = {"'Records read:'", "I8", "'Records written:'", "I8", "'Elapsed seconds:'", "F10.2"};

TEST(BuildStatement, OneLine)
{
    CLocatedStatement list;
    Fill(list, "  100 FORMAT", {"1X", "I5", "F7.2"}, true);
    EXPECT_EQ(Joined(BuildStatementLines(list)), "  100 FORMAT(1X, I5, F7.2)\n");
    list.m_nParenBlanks = 2;
    EXPECT_EQ(Joined(BuildStatementLines(list)), "  100 FORMAT(  1X, I5, F7.2)\n");
}

TEST(BuildStatement, FixedFormBreaksBeforeADescriptorThatDoesNotFit)
{
    CLocatedStatement list;
    Fill(list, "  100 FORMAT", kRecords, true);
    const Strings lines = BuildStatementLines(list);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "  100 FORMAT('Records read:', I8, 'Records written:', I8, ");
    EXPECT_EQ(lines[0].size(), 58u);
    EXPECT_EQ(lines[1], "     + 'Elapsed seconds:', F10.2)");
}

TEST(BuildStatement, FreeFormEndsContinuedLinesWithAmpersand)
{
    CLocatedStatement list;
    Fill(list, "100 FORMAT", kRecords, false);
    EXPECT_EQ(Joined(BuildStatementLines(list)), "100 FORMAT('Records read:', I8, 'Records written:', I8, &\n"
                                                 "      & 'Elapsed seconds:', F10.2)\n");
}

TEST(BuildStatement, ALongConstantIsSplitAtColumn72)
{
    const std::string strConstant = "'" + std::string(68, 'x') + "'";  // 70 characters
    CLocatedStatement list;
    Fill(list, "  100 FORMAT", {"I5", strConstant, "A3"}, true);
    Strings lines = BuildStatementLines(list);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 72u);
    EXPECT_EQ(lines[0], "  100 FORMAT(I5, " + strConstant.substr(0, 55));
    EXPECT_EQ(lines[1], "     +" + strConstant.substr(55) + ", A3)");

    Fill(list, "100 FORMAT", {"I5", strConstant, "A3"}, false);
    lines = BuildStatementLines(list);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "100 FORMAT(I5, " + strConstant.substr(0, 57) + "&");
    EXPECT_EQ(lines[0].size(), 73u);
    EXPECT_EQ(lines[1], "      &" + strConstant.substr(57) + ", A3)");
}

TEST(BuildStatement, A62CharacterTextInFreeFormIsWrittenNotLoopedOver)
{
    const std::string strConstant = "'" + std::string(60, 'y') + "'";
    CLocatedStatement list;
    Fill(list, "100 FORMAT", {std::string("'") + std::string(50, 'a') + "'", strConstant, "I2"}, false);
    const Strings lines = BuildStatementLines(list);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "      & " + strConstant + ", &");
    EXPECT_EQ(lines[2], "      & I2)");
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), 73u);
}

// A line never breaks right after a group's opening parenthesis (the
// blanks the break brings would join its text): whatever the heading's
// length, the opener, a nested one and the first descriptor in them stay on
// one line, and every statement built reads back as the list.
TEST(BuildStatement, AGroupOpenerStaysWithTheDescriptorAfterIt)
{
    for (const bool bFixed : {true, false}) {
        for (std::size_t n = 20; n <= 70; ++n) {
            CLocatedStatement list;
            Fill(list, bFixed ? "  130 FORMAT" : "130 format",
                 {"1X", "'" + std::string(n, 'x') + "'", "2(", "3(", "A20", ")", "I5", ")"}, bFixed);
            const Strings lines = BuildStatementLines(list);
            EXPECT_TRUE(StatementReadsBack(list, lines)) << n << Joined(lines);
            for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
                const std::string line = lines[i].substr(0, lines[i].find_last_not_of(" &") + 1);
                EXPECT_NE(line.back(), '(') << n << Joined(lines);
            }
        }
    }
}

TEST(BuildStatement, EveryTextLengthAndHeadLengthEndsInBoundedLines)
{
    for (const bool bFixed : {true, false}) {
        for (std::size_t nHead : {6u, 40u, 71u, 72u, 90u}) {
            for (std::size_t n = 1; n <= 150; ++n) {
                CLocatedStatement list;
                Fill(list, std::string(nHead, 'h'), {"I5", "'" + std::string(n, 'z') + "'", "I6"}, bFixed);
                const Strings lines = BuildStatementLines(list);
                std::string strBack;
                for (std::size_t i = 0; i < lines.size(); ++i) {
                    std::string line = lines[i];
                    if (!bFixed && i + 1 < lines.size()) {
                        ASSERT_EQ(line.back(), '&');
                        line.pop_back();
                    }
                    if (i > 0)
                        line.erase(0, bFixed ? 6 : 7);  // the continuation mark
                    strBack += line;
                }
                // Nothing lost: taking the marks out gives the statement back
                // up to the blanks that start continuation lines.
                std::string strCompact;
                for (char c : strBack)
                    if (c != ' ')
                        strCompact += c;
                EXPECT_EQ(strCompact, std::string(nHead, 'h') + "(I5,'" + std::string(n, 'z') + "',I6)")
                    << nHead << " " << n;
                EXPECT_LE(lines.size(), 5u);
            }
        }
    }
}

TEST(BuildStatement, EveryConstantLengthKeepsToColumn72AndReadsBack)
{
    // A constant that ends anywhere on a line, at column 72 too, with a
    // doubled quote or a Hollerith constant anywhere: no fixed-form line
    // passes column 72, and the lines read back as the statement.
    for (const bool bFixed : {true, false}) {
        for (std::size_t n = 40; n <= 200; ++n) {
            const Strings texts = {"'" + std::string(n, 'z') + "'", "'" + std::string(n, 'q') + "'''",
                                   std::to_string(n) + "H" + std::string(n, 'h')};
            for (const std::string& strText : texts) {
                CLocatedStatement list;
                Fill(list, bFixed ? "  100 FORMAT" : "100 format", {strText}, bFixed);
                const Strings lines = BuildStatementLines(list);
                for (const std::string& line : lines)
                    EXPECT_TRUE(!bFixed || line.size() <= 72u) << n << ": " << Joined(lines);
                EXPECT_TRUE(StatementReadsBack(list, lines)) << n << ": " << Joined(lines);
            }
        }
    }
}

TEST(BuildStatement, FormatStringsDoubleTheirQuotes)
{
    CLocatedStatement list;
    Fill(list, "      WRITE (6, ", {"1X", "'x='", "I5"}, true, '\'', ") N\n");
    EXPECT_EQ(Joined(BuildStatementLines(list)), "      WRITE (6, '(1X, ''x='', I5)') N\n");
    EXPECT_EQ(QuoteText("'it''s'", '\''), "''it''''s''");
    EXPECT_EQ(QuoteText("'x'", '"'), "'x'");
}

TEST(BuildStatement, ADescriptorFitsWhenTheLineAndItAndFourMoreReach73)
{
    // "  100 FORMAT(" is 13, "A" + n "x" + "', " ... a first descriptor of
    // 40 leaves the line at 55 after its separator; a second text of 14
    // makes 55 + 14 + 4 = 73: it stays; one of 15 moves on.
    const std::string strFirst = "'" + std::string(38, 'a') + "'";
    for (const std::size_t nSecond : {14u, 15u}) {
        CLocatedStatement list;
        const std::string strSecond = "'" + std::string(nSecond - 2, 'b') + "'";
        Fill(list, "  100 FORMAT", {strFirst, strSecond, "I5"}, true);
        const Strings lines = BuildStatementLines(list);
        ASSERT_EQ(std::string("  100 FORMAT(" + strFirst + ", ").size(), 55u);
        EXPECT_EQ(lines[0].find(strSecond) != std::string::npos, nSecond == 14u) << lines[0];
    }
}

TEST(BuildStatement, AFixedFormTailThatDoesNotFitGetsALineOfItsOwn)
{
    // The last descriptor, the closing parenthesis and quote go along with
    // the tail, so that the format string is still open where the line
    // breaks (after a separator) and the statement reads back the same.
    CLocatedStatement list;
    Fill(list, "      WRITE (6, ", {"1X", "I5"}, true, '\'', ") N, " + std::string(50, 'V') + "\n");
    const Strings lines = BuildStatementLines(list);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "      WRITE (6, '(1X, ");
    EXPECT_EQ(lines[1], "     + I5)') N, " + std::string(50, 'V'));
    EXPECT_TRUE(StatementReadsBack(list, lines));
    // The free form keeps its tail on the last line.
    list.m_bFixedForm = 0;
    EXPECT_EQ(BuildStatementLines(list).size(), 1u);
}

TEST(BuildStatement, LineEndsInsideTextsBecomeContinuationLines)
{
    CLocatedStatement list;
    Fill(list, "  100 FORMAT", {"2\n(", "I\n5\n", ")"}, true);
    EXPECT_EQ(Joined(BuildStatementLines(list)), "  100 FORMAT(2\n     +(I\n     +5))\n");
}

// --- saving -----------------------------------------------------------------

class SaveTest : public SourceTest {
protected:
    int Save(int interactive = 0) { return WriteStatement(m_list, interactive); }
};

TEST_F(SaveTest, ReplacesTheStatementAndKeepsEverythingElse)
{
    const std::string strFile = "      PROGRAM P\n"
                                "  100 FORMAT(I5,\n"
                                "     + A3)\n"
                                "      END";
    ASSERT_EQ(Locate("p.for", strFile, 2), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "I6"));
    ASSERT_EQ(Save(), 1) << Message();
    EXPECT_EQ(Contents(), "      PROGRAM P\n  100 FORMAT(I6, A3)\n      END");
    EXPECT_EQ(m_dir.Listing(), "p.for ") << "no temporary file is left";
}

TEST_F(SaveTest, AGrowingStatementKeepsTheLineAfterIt)
{
    ASSERT_EQ(Locate("g.for", "  100 FORMAT(I5)\n      END\n", 1), LOCATE_FOUND);
    ASSERT_TRUE(m_list.InsertDescriptor(1, ("'" + std::string(60, 'g') + "'").c_str()));
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), "  100 FORMAT(I5, \n     + '" + std::string(60, 'g') + "')\n      END\n");
}

TEST_F(SaveTest, AShrinkingStatementLeavesNoTraceButKeepsCommentLines)
{
    const std::string strFile = "  100 FORMAT(I5,\n"
                                "C     keep me\n"
                                "     +  A3,\n"
                                "     +  F7.3)\n"
                                "      END\n";
    ASSERT_EQ(Locate("s.for", strFile, 1), LOCATE_FOUND);
    ASSERT_TRUE(m_list.RemoveDescriptor(2));
    ASSERT_TRUE(m_list.RemoveDescriptor(1));
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), "  100 FORMAT(I5)\nC     keep me\n      END\n");
}

// The comments of the lines a rebuilt statement no longer needs stay in
// their order among the comment lines: "one" stood before "between".
TEST_F(SaveTest, ARebuiltStatementKeepsItsCommentsInOrder)
{
    const std::string strFile = "10 format ( &  ! open\n"
                                "     i5, &  ! one\n"
                                "! between\n"
                                "     i3, &  ! two\n"
                                "     f8.2)\n";
    ASSERT_EQ(Locate("o.f90", strFile, 1), LOCATE_FOUND);
    ASSERT_TRUE(m_list.RemoveDescriptor(0));
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), "10 format ( i3, f8.2)\n! open\n! one\n! between\n! two\n");
}

TEST_F(SaveTest, CommentLinesBetweenOldLinesFollowTheLineBeforeThem)
{
    const std::string strFile = "  100 FORMAT('" + std::string(50, 'a') +
                                "',\n"
                                "C     between\n"
                                "     +  '" +
                                std::string(50, 'b') + "')\n";
    ASSERT_EQ(Locate("c.for", strFile, 1), LOCATE_FOUND);
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(),
              "  100 FORMAT('" + std::string(50, 'a') + "', \nC     between\n     + '" + std::string(50, 'b') + "')\n");
}

TEST_F(SaveTest, ANewStatementTakesThePlaceOfItsBlankLine)
{
    ASSERT_EQ(Locate("n.for", "      X = 1\n\n      END", 2), LOCATE_BLANK);
    ASSERT_TRUE(NewStatement(m_list, 2, m_strFile, NEW_STATEMENT_TEXT));
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), "      X = 1\n  100 FORMAT('First Descriptor')\n      END");
    ASSERT_EQ(Locate("e.f90", "x = 1\n\n", 2), LOCATE_BLANK);
    ASSERT_TRUE(NewStatement(m_list, 2, m_strFile, NEW_STATEMENT_TEXT));
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), "x = 1\n100 FORMAT('First Descriptor')\n");
}

TEST_F(SaveTest, CarriageReturnLineEndsStayOnEveryLine)
{
    const std::string strFile = "      X = 1\r\n  100 FORMAT(I5)\r\n      END\r\n";
    ASSERT_EQ(Locate("r.for", strFile, 2), LOCATE_FOUND);
    ASSERT_TRUE(m_list.InsertDescriptor(1, ("'" + std::string(70, 'r') + "'").c_str()));
    ASSERT_EQ(Save(), 1);
    const std::string strContents = Contents();
    EXPECT_EQ(strContents.substr(0, 13), "      X = 1\r\n");
    std::size_t nLines = 0;
    for (std::size_t i = 0; i < strContents.size(); ++i)
        if (strContents[i] == '\n') {
            ++nLines;
            EXPECT_EQ(strContents[i - 1], '\r') << "line " << nLines;
        }
    EXPECT_EQ(nLines, 4u);
    EXPECT_EQ(strContents.find("\r\r"), std::string::npos);
}

TEST_F(SaveTest, EachStatementLineKeepsItsOwnLineEnd)
{
    struct SCase {
        const char* pszName;
        std::string strBefore;
        long long nLine;
        std::string strAfter;
    };
    const std::string strLong = "'" + std::string(60, 'x') + "'";
    const SCase cases[] = {
        {"mixed line ends", "      PROGRAM P\n  100 FORMAT(I5,\r\n     + A3)\n      END\r\n", 2,
         "      PROGRAM P\n  100 FORMAT(I6, \r\n     + " + strLong + ", \n     + A3)\n      END\r\n"},
        {"lines beyond the old ones end as the last of them", "      PROGRAM P\n  100 FORMAT(I5)\r\n      END\n", 2,
         "      PROGRAM P\n  100 FORMAT(I6, \r\n     + " + strLong + ", \r\n     + A3)\r\n      END\n"},
        {"a last line ended by a carriage return alone", "  100 FORMAT(I5)\r", 1,
         "  100 FORMAT(I6, \n     + " + strLong + ", \n     + A3)\r"},
    };
    for (const SCase& c : cases) {
        ASSERT_EQ(Locate("e.for", c.strBefore, c.nLine), LOCATE_FOUND) << c.pszName;
        ASSERT_TRUE(m_list.SetText(0, "I6"));
        if (m_list.size() == 1) {
            ASSERT_TRUE(m_list.InsertDescriptor(1, "A3"));
        }
        ASSERT_TRUE(m_list.InsertDescriptor(1, strLong.c_str()));
        ASSERT_EQ(Save(), 1) << c.pszName;
        EXPECT_EQ(Contents(), c.strAfter) << c.pszName;
    }
}

TEST_F(SaveTest, AStatementAtLine70000IsWrittenInPlace)
{
    std::string strFile;
    for (int i = 1; i < 70000; ++i)
        strFile += "C     line " + std::to_string(i) + "\n";
    const std::string strBefore = strFile;
    strFile += "70000 FORMAT(I5,\n     + A3)\nC     after\n";
    ASSERT_EQ(Locate("big.for", strFile, 70000), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(1, "A4"));
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), strBefore + "70000 FORMAT(I5, A4)\nC     after\n");
}

TEST_F(SaveTest, ALongLineElsewhereIsCopiedWhole)
{
    const std::string strLong = "! " + std::string(5000, 'L');
    ASSERT_EQ(Locate("l.f90", strLong + "\n100 format(i5)\n" + strLong, 2), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "i6"));
    ASSERT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), strLong + "\n100 format(i6)\n" + strLong);
}

TEST_F(SaveTest, PermissionBitsAreKept)
{
    ASSERT_EQ(Locate("m.for", "  100 FORMAT(I5)\n", 1), LOCATE_FOUND);
    ASSERT_EQ(chmod(m_strFile.c_str(), 0751), 0);
    ASSERT_EQ(Save(), 1);
    struct stat st {};
    ASSERT_EQ(stat(m_strFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0751u);
}

TEST_F(SaveTest, ALinkedFileIsRewrittenAndTheLinkStays)
{
    const std::string strReal = m_dir.Write("real.for", "  100 FORMAT(I5)\n");
    const std::string strLink = m_dir.File("link.for");
    ASSERT_EQ(symlink("real.for", strLink.c_str()), 0);
    ASSERT_EQ(LocateStatement(m_list, 1, 1, strLink, 1), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "I7"));
    ASSERT_EQ(Save(), 1);
    struct stat st {};
    ASSERT_EQ(lstat(strLink.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadWholeFile(strReal), "  100 FORMAT(I7)\n");
    EXPECT_EQ(m_dir.Listing(), "link.for real.for ");
}

TEST_F(SaveTest, TheTemporaryFileLivesBesideTheTargetNotInTheCurrentFolder)
{
    // The current folder on another file system: a rename from there could
    // not replace the file.
    struct stat stShm {
    }, stDir{};
    if (stat("/dev/shm", &stShm) != 0 || stat(m_dir.Path().c_str(), &stDir) != 0 || stShm.st_dev == stDir.st_dev)
        GTEST_SKIP() << "needs /dev/shm on a file system of its own";
    ASSERT_EQ(Locate("x.for", "  100 FORMAT(I5)\n", 1), LOCATE_FOUND);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path("/dev/shm");
    const int nResult = Save();
    std::filesystem::current_path(old);
    EXPECT_EQ(nResult, 1) << Message();
    EXPECT_EQ(Contents(), "  100 FORMAT(I5)\n");
}

TEST_F(SaveTest, AFailedWriteLeavesTheFileAndNoTemporaryFile)
{
    std::string strFile;
    for (int i = 0; i < 2000; ++i)
        strFile += "C     filler line " + std::to_string(i) + "\n";
    strFile += "  100 FORMAT(I5)\n";
    ASSERT_EQ(Locate("f.for", strFile, 2001), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "I6"));
    // A file-size limit smaller than the file: writing fails as on a full disk.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int nResult = Save(0);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(Message(),
              "Unable to write to file \"" + m_strFile + "\"\nFile too large\nPress OK to save under a different name");
    EXPECT_EQ(Contents(), strFile);
    EXPECT_EQ(m_dir.Listing(), "f.for ");
}

// A write that fails for a reason the user can act on names it, on a line
// between string 25's two.
TEST_F(SaveTest, AFailedWriteNamesTheSystemsReason)
{
    struct SCase {
        const char* pszWhat;
        SFault fault;
        const char* pszReason;
    };
    const SCase cases[] = {
        {"a folder this user may not write",
         {Call::Mkstemp, Role::Temporary, 1, FaultKind::Error, EACCES},
         "Permission denied"},
        {"a read-only file system",
         {Call::Mkstemp, Role::Temporary, 1, FaultKind::Error, EROFS},
         "Read-only file system"},
        {"a full disk", {Call::Write, Role::Temporary, 1, FaultKind::Error, ENOSPC}, "No space left on device"},
        {"a file-size limit", {Call::Write, Role::Temporary, 1, FaultKind::Error, EFBIG}, "File too large"},
        {"a quota", {Call::Close, Role::Temporary, 1, FaultKind::Error, EDQUOT}, "Disk quota exceeded"},
        {"a failing disk", {Call::Fsync, Role::Temporary, 1, FaultKind::Error, EIO}, "Input/output error"},
        {"a rename across file systems",
         {Call::Renameat2, Role::Temporary, 1, FaultKind::Error, EXDEV},
         "Invalid cross-device link"},
    };
    const std::string strFile = "      X = 1\n  100 FORMAT(I5)\n      END\n";
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        ASSERT_EQ(Locate("r.for", strFile, 2), LOCATE_FOUND);
        ASSERT_TRUE(m_list.SetText(0, "I7"));
        CFaultySystemCalls calls(m_strFile);
        CSystemCallsInstalled installed(&calls);
        calls.Arm(c.fault);
        m_presenter.m_messages.clear();
        EXPECT_EQ(Save(), 0);
        EXPECT_TRUE(calls.Fired());
        EXPECT_EQ(Message(), "Unable to write to file \"" + m_strFile + "\"\n" + c.pszReason +
                                 "\nPress OK to save under a different name");
        EXPECT_EQ(m_presenter.m_messages[0].nStringId, IDS_CANNOT_WRITE_BECAUSE);
        EXPECT_EQ(Contents(), strFile);
        EXPECT_EQ(m_dir.Listing(), "r.for ");
    }
}

// The bytes before and after the statement are copied within the kernel.
// Where it refuses (another file system, one without the operation, an old
// kernel, a copy that makes no progress) the rest goes through the buffer
// and the file is the same byte for byte; a copy or a read that fails fails
// the save, and the file is left as it was with nothing beside it.
TEST_F(SaveTest, ACopyTheKernelRefusesGoesThroughTheBufferAndOneThatFailsChangesNothing)
{
    struct SCase {
        const char* pszWhat;
        SFault fault;  // the first copy is of the lines before, the second of those after
        bool bSaved;
    };
    const SCase cases[] = {
        {"across file systems", {Call::CopyFileRange, Role::Temporary, 1, FaultKind::Error, EXDEV}, true},
        {"not on this file system", {Call::CopyFileRange, Role::Temporary, 1, FaultKind::Error, EINVAL}, true},
        {"no such call", {Call::CopyFileRange, Role::Temporary, 1, FaultKind::Error, ENOSYS}, true},
        {"not supported", {Call::CopyFileRange, Role::Temporary, 1, FaultKind::Error, EOPNOTSUPP}, true},
        {"no progress", {Call::CopyFileRange, Role::Temporary, 1, FaultKind::NoProgress}, true},
        {"half, then the rest", {Call::CopyFileRange, Role::Temporary, 1, FaultKind::ShortWrite}, true},
        {"the lines after refused", {Call::CopyFileRange, Role::Temporary, 2, FaultKind::Error, EXDEV}, true},
        {"the lines after made no progress", {Call::CopyFileRange, Role::Temporary, 2, FaultKind::NoProgress}, true},
        {"an I/O error before", {Call::CopyFileRange, Role::Temporary, 1, FaultKind::Error, EIO}, false},
        {"a full disk after", {Call::CopyFileRange, Role::Temporary, 2, FaultKind::Error, ENOSPC}, false},
        {"reading the source", {Call::Pread, Role::Other, 1, FaultKind::Error, EIO}, false},
    };
    // More than the buffer holds on either side, every line its own.
    std::string strBefore;
    std::string strAfter;
    for (int i = 0; i < 3000; ++i) {
        strBefore += "      X(" + std::to_string(i) + ") = " + std::to_string(i * 7) + "\n";
        strAfter += "C     line " + std::to_string(i) + (i % 2 != 0 ? "\r\n" : "\n");
    }
    const std::string strFile = strBefore + "  100 FORMAT(I5)\n" + strAfter;
    const std::string strSaved = strBefore + "  100 FORMAT(I7)\n" + strAfter;
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        ASSERT_EQ(Locate("r.for", strFile, 3001), LOCATE_FOUND);
        ASSERT_TRUE(m_list.SetText(0, "I7"));
        CFaultySystemCalls calls(m_strFile);
        CSystemCallsInstalled installed(&calls);
        calls.Arm(c.fault);
        EXPECT_EQ(Save(), c.bSaved ? 1 : 0) << Message();
        EXPECT_TRUE(calls.Fired());
        EXPECT_TRUE(Contents() == (c.bSaved ? strSaved : strFile)) << "the file is not as expected";
        EXPECT_EQ(m_dir.Listing(), "r.for ");
    }
}

// The temporary file's name is the file's with a dot before it and seven
// characters after: for a name near the file system's limit it is too long,
// and a shorter one is used.
TEST_F(SaveTest, AFileWithAVeryLongNameIsSaved)
{
    const std::string strName = std::string(250, 'n') + ".for";
    const std::string strFile = "  100 FORMAT(I5)\n";
    ASSERT_EQ(Locate(strName, strFile, 1), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "I7"));
    {
        CFaultySystemCalls calls(m_strFile);
        CSystemCallsInstalled installed(&calls);
        EXPECT_EQ(Save(), 1) << Message();
        EXPECT_GE(calls.First(Call::Mkstemp, Role::Temporary), 0) << "the full name was tried first";
    }
    EXPECT_EQ(Contents(), "  100 FORMAT(I7)\n");
    EXPECT_EQ(m_dir.Listing(), strName + " ");
}

// The source file gone between opening and saving: the message says why it
// cannot be read.
TEST_F(SaveTest, ASourceThatCannotBeReadAgainSaysWhy)
{
    ASSERT_EQ(Locate("g.for", "  100 FORMAT(I5)\n", 1), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "I7"));
    ASSERT_EQ(std::remove(m_strFile.c_str()), 0);
    m_presenter.m_messages.clear();
    EXPECT_EQ(Save(), 0);
    EXPECT_EQ(Message(), "Unable to open file \"" + m_strFile + "\"\nNo such file or directory");
    EXPECT_EQ(m_dir.Listing(), "");
}

TEST_F(SaveTest, AReadOnlyFileIsSavedUnderAnotherNameOrNotAtAll)
{
    const std::string strFile = "  100 FORMAT(I5)\n";
    ASSERT_EQ(Locate("ro.for", strFile, 1), LOCATE_FOUND);
    ASSERT_EQ(chmod(m_strFile.c_str(), 0444), 0);
    ASSERT_TRUE(m_list.SetText(0, "I9"));

    m_presenter.m_messages.clear();
    EXPECT_EQ(Save(0), 0) << "unattended: no Save As";
    EXPECT_EQ(Message(), "Unable to write to file \"" + m_strFile + "\"\nPress OK to save under a different name");
    EXPECT_EQ(m_presenter.m_messages[0].style, kOkCancelQuestion);

    struct CChooser : ISaveAsDialog {
        std::string strPath;
        std::string strProposed;
        int nAsked = 0;
        int bFixedForm = -1;
        bool AskFileName(OwnerHandle, bool bFixed, std::string& path) override
        {
            ++nAsked;
            strProposed = path;
            bFixedForm = bFixed ? 1 : 0;
            path = strPath;
            return !strPath.empty();
        }
    } chooser;
    SetSaveAsDialog(&chooser);
    m_presenter.m_answer = MessageAnswer::OK;
    EXPECT_EQ(Save(1), 0) << "Save As cancelled";
    EXPECT_EQ(chooser.nAsked, 1);
    EXPECT_EQ(chooser.strProposed, m_strFile);  // the file's own name is proposed
    EXPECT_EQ(chooser.bFixedForm, 1);
    chooser.strPath = m_dir.File("copy.for");
    std::string strWrittenTo;
    EXPECT_EQ(WriteStatement(m_list, 1, &strWrittenTo), 1);
    EXPECT_EQ(strWrittenTo, chooser.strPath);
    EXPECT_FALSE(IsSameFile(strWrittenTo, m_strFile));
    EXPECT_TRUE(IsSameFile(m_dir.File("./copy.for"), chooser.strPath));
    SetSaveAsDialog(nullptr);
    EXPECT_EQ(ReadWholeFile(chooser.strPath), "  100 FORMAT(I9)\n");
    EXPECT_EQ(Contents(), strFile);
    EXPECT_EQ(m_dir.Listing(), "copy.for ro.for ");
}

TEST_F(SaveTest, AFileChangedSinceItWasReadIsNotOverwritten)
{
    const std::string strFile = "      X = 1\n  100 FORMAT(I5,\n     + A3)\n      END\n";
    ASSERT_EQ(Locate("c.for", strFile, 2), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "I6"));
    const std::string strEdited = "      X = 1\n  100 FORMAT(I5,\n     + A4)\n      END\n";
    m_dir.Write("c.for", strEdited);
    EXPECT_EQ(Save(), 0);
    EXPECT_EQ(Message(), "File \"" + m_strFile + "\" has changed since last read");
    EXPECT_EQ(Contents(), strEdited);
    // A line inserted above moves the statement: noticed as well.
    m_dir.Write("c.for", "C     new\n" + strFile);
    EXPECT_EQ(Save(), 0);
    // Too short now.
    m_dir.Write("c.for", "      X = 1\n");
    EXPECT_EQ(Save(), 0);
    EXPECT_EQ(Contents(), "      X = 1\n");
    EXPECT_EQ(m_dir.Listing(), "c.for ");
    // Written again with the very same text, by another program meanwhile:
    // the file is not the one that was read, so it is not overwritten either.
    m_dir.Write("c.for", strFile);
    EXPECT_EQ(Save(), 0);
    EXPECT_EQ(Contents(), strFile);
    // Read again: written.
    ASSERT_EQ(Locate("c.for", strFile, 2), LOCATE_FOUND);
    ASSERT_TRUE(m_list.SetText(0, "I6"));
    EXPECT_EQ(Save(), 1);
    EXPECT_EQ(Contents(), "      X = 1\n  100 FORMAT(I6, A3)\n      END\n");
}

TEST_F(SaveTest, ChangesByAnotherProgramBeforeTheReplacementAreNotLost)
{
    // Lines appended, or the file replaced by another one, after the
    // statement was read: the save notices, whether the statement's own
    // lines changed or not, and leaves the file as the other program left it.
    const std::string strFile = "      X = 1\n  100 FORMAT(I5)\n      END\n";
    for (const bool bReplace : {false, true}) {
        ASSERT_EQ(Locate("o.for", strFile, 2), LOCATE_FOUND);
        ASSERT_TRUE(m_list.SetText(0, "I6"));
        const std::string strNow = strFile + "      SUBROUTINE S\n      END\n";
        if (bReplace) {
            m_dir.Write("o.new", strNow);
            ASSERT_EQ(std::rename(m_dir.File("o.new").c_str(), m_strFile.c_str()), 0);
        } else {
            std::FILE* pFile = std::fopen(m_strFile.c_str(), "ab");
            ASSERT_NE(pFile, nullptr);
            std::fputs("      SUBROUTINE S\n      END\n", pFile);
            std::fclose(pFile);
        }
        m_presenter.m_messages.clear();
        EXPECT_EQ(Save(), 0);
        EXPECT_EQ(Message(), "File \"" + m_strFile + "\" has changed since last read");
        EXPECT_EQ(Contents(), strNow);
        EXPECT_EQ(m_dir.Listing(), "o.for ");
    }
}

TEST_F(SaveTest, NothingRecordedNothingWritten)
{
    EXPECT_EQ(WriteStatement(m_list, 1), 0);
    EXPECT_TRUE(m_presenter.m_messages.empty());
}

}  // namespace
