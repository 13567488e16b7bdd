// The run's messages, the string table and the debug log.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "diagnostic_line.h"
#include "flags.h"
#include "message.h"
#include "recording_presenter.h"
#include "string_table.h"
#include "temp_dir.h"

namespace {

class DebugLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = std::filesystem::temp_directory_path() /
                 ("quillmark-log-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    }
    void TearDown() override { std::filesystem::remove(m_path); }
    std::filesystem::path m_path;
    CProcessFlags m_flags;
    CRecordingPresenter m_presenter;
    CMessages m_messages{m_flags, m_presenter};
};

}  // namespace

TEST(StringTable, HoldsEveryStringAndNoOthers)
{
    // 1 to 44 but 4 and 15, the Save As filters of each source form, the
    // refusals of a statement holding a NUL byte and of one that would not
    // read back, the backup kept by a failed save, the refusal of a new
    // statement inside another one, of a file without a free label and of
    // lines chosen by the preprocessor, and the title's label; the parse
    // failure that names its line, the refusals of a statement holding a
    // carriage return, of a format string without its closing quote and of
    // a constant after the statement that continues, the two refusals of an
    // empty group, of a format string that goes on after its list, of a
    // layout that would cut a character in two, and of a new FORMAT
    // statement where none may stand; the failures to open and to write a
    // file that name the system's reason; the two settings of the strip's
    // context menu; the words of the status line and the buttons' tooltips;
    // the question before discarding a change and its two buttons; the file
    // without a statement to open and the seven texts of the statement
    // picker; the reason a name that is no regular file cannot be opened; the
    // question's Save button; a file put back (or not) after an interrupted
    // save, the old contents kept by a failed one, and a signal that waited
    // for a save; a label that names no FORMAT statement; a line end in a
    // constant; the text front end's four words on a save (refused three
    // ways, and the wait for a lock); the format check's eleven strings, the
    // twelve portability findings of a format, the six standards' names, the
    // twelve words of the statements that use a format and what each field
    // edits, and the language server's thirteen.
    int nCount = 0;
    for (int id = -5; id <= 600; ++id)
        nCount += LoadResourceString(id) != nullptr;
    EXPECT_EQ(nCount, 245);
    for (int id = IDS_PARSE_FAILED_AT_LINE; id <= IDS_PICKER_LIST; ++id)
        EXPECT_NE(LoadResourceString(id), nullptr) << id;
    EXPECT_NE(LoadResourceString(IDS_NO_FREE_LABEL), nullptr);
    EXPECT_STREQ(LoadResourceString(IDS_CANNOT_OPEN_FILE_BECAUSE), "Unable to open file \"%s\"\n%s");
    EXPECT_STREQ(LoadResourceString(IDS_CANNOT_WRITE_BECAUSE),
                 "Unable to write to file \"%s\"\n%s\nPress OK to save under a different name");
    EXPECT_NE(LoadResourceString(IDS_PREPROCESSOR_CONDITION), nullptr);
    EXPECT_STREQ(LoadResourceString(IDS_TITLE_LABEL), " - label ");
    EXPECT_NE(LoadResourceString(IDS_NUL_BYTE), nullptr);
    EXPECT_NE(LoadResourceString(IDS_SAVE_FILTER_FREE), nullptr);
    EXPECT_NE(LoadResourceString(IDS_SAVE_FILTER_FIXED), nullptr);
    EXPECT_EQ(LoadResourceString(4), nullptr);
    EXPECT_EQ(LoadResourceString(15), nullptr);
    EXPECT_STREQ(LoadResourceString(IDS_CAPTION), "Quillmark");
    EXPECT_STREQ(LoadResourceString(IDS_UNBALANCED),
                 "Mismatched repeatables detected in Format statement\nExit aborted");
    EXPECT_STREQ(LoadResourceString(IDS_SAVE_FILTER), "FORTRAN Files (*.for) | *.for | All Files (*.*) | *.* ||");
}

TEST(ShowMessage, FormatsTheStringAndHandsItToThePresenterWithTheCaption)
{
    CProcessFlags flags;
    CRecordingPresenter presenter(MessageAnswer::YES);
    const CMessages messages(flags, presenter);
    int dummy = 0;
    const MessageAnswer answer = messages.Show(&dummy, kYesNoQuestion, IDS_READ_ONLY, "prog.for");
    EXPECT_EQ(answer, MessageAnswer::YES);
    ASSERT_EQ(presenter.m_messages.size(), 1u);
    EXPECT_EQ(presenter.m_messages[0].owner, &dummy);
    EXPECT_EQ(presenter.m_messages[0].style, kYesNoQuestion);
    EXPECT_EQ(presenter.m_messages[0].caption, "Quillmark");
    EXPECT_EQ(presenter.m_messages[0].text,
              "The file \"prog.for\" is read-only; changes will be saved to a different file\nContinue anyway?");
}

TEST(ShowMessage, CutsALongTextTo511Characters)
{
    CProcessFlags flags;
    CRecordingPresenter presenter;
    const CMessages messages(flags, presenter);
    const std::string strLongName(2000, 'x');
    messages.Show(nullptr, kPlainMessage, IDS_READ_ONLY, strLongName.c_str());
    ASSERT_EQ(presenter.m_messages.size(), 1u);
    EXPECT_EQ(presenter.m_messages[0].text.size(), 511u);
    EXPECT_EQ(presenter.m_messages[0].text.substr(0, 10), "The file \"");
}

TEST_F(DebugLog, StartsWithOneLineEndAndKeepsOnlyTheLastMessage)
{
    ASSERT_EQ(StartDebugLog(m_flags, m_path.string()), 1);
    EXPECT_EQ(ReadWholeFile(m_path.string()), "\n");
    EXPECT_EQ(m_messages.Show(nullptr, kWarningMessage, IDS_PARSE_FAILED, 17), MessageAnswer::NONE);
    EXPECT_EQ(ReadWholeFile(m_path.string()), "FORMAT parse failed in column 17\n");
    // A question is asked of nobody: the result is NONE, never YES.
    EXPECT_EQ(m_messages.Show(nullptr, kYesNoQuestion, IDS_READ_ONLY, "a.for"), MessageAnswer::NONE);
    EXPECT_EQ(ReadWholeFile(m_path.string()),
              "The file \"a.for\" is read-only; changes will be saved to a different file\n"
              "Continue anyway?\n");
    EXPECT_TRUE(m_presenter.m_messages.empty());
}

TEST_F(DebugLog, ALogThatCannotBeWrittenSendsItsMessagesToStandardError)
{
    const std::string strBad = (m_path / "no-such-dir" / "log.txt").string();
    EXPECT_EQ(StartDebugLog(m_flags, strBad), 0);
    EXPECT_EQ(m_flags.m_bDebug, 1);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(m_messages.Show(nullptr, kPlainMessage, IDS_UNBALANCED), MessageAnswer::NONE);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Mismatched repeatables detected in Format statement\nExit aborted\n");
    EXPECT_TRUE(m_presenter.m_messages.empty());
}

TEST(DiagnosticLine, NamesTheFileAndTheLineOnOneLine)
{
    struct SCase {
        std::string strFile;
        std::string strLineText;
        std::string strText;
        std::string strLine;
    };
    const SCase cases[] = {
        {"src/p.for", "12", "FORMAT parse failed in column 5",
         "quillmark: src/p.for:12: FORMAT parse failed in column 5"},
        {"p.for", "", "Unable to open file \"p.for\"", "quillmark: p.for: Unable to open file \"p.for\""},
        {"", "7", "A group must hold at least one descriptor", "quillmark: A group must hold at least one descriptor"},
        {"p.for", "3", "Mismatched\n\nExit aborted\n", "quillmark: p.for:3: Mismatched Exit aborted"},
        {"p.for", "3", "\r\nfirst\r\nsecond", "quillmark: p.for:3: first second"},
        {"a\nb.for", "1", "x", "quillmark: a b.for:1: x"},
    };
    for (const SCase& c : cases)
        EXPECT_EQ(DiagnosticLine(c.strFile, c.strLineText, c.strText), c.strLine) << c.strText;
    // The line as the prefix writes it: a message's own line first, then the
    // line asked for as given (however large), then the statement's line.
    struct STextCase {
        long long nMessageLine, nStatementLine;
        std::string strGiven, strText;
    };
    const STextCase texts[] = {
        {14, LLONG_MAX, "99999999999999999999", "14"},
        {0, LLONG_MAX, "99999999999999999999", "99999999999999999999"},
        {0, 12, "", "12"},
        {0, 0, "", ""},
    };
    for (const STextCase& c : texts)
        EXPECT_EQ(DiagnosticLineText(c.nMessageLine, c.nStatementLine, c.strGiven), c.strText) << c.strGiven;
    EXPECT_EQ(DiagnosticLine("p.for", "99999999999999999999", "x"), "quillmark: p.for:99999999999999999999: x");
}

TEST_F(DebugLog, WithTheEchoOnEveryMessageAlsoGoesToStandardErrorOnce)
{
    m_flags.m_bEchoMessages = 1;
    m_flags.m_strSourceFile = "p.for";
    ::testing::internal::CaptureStderr();
    m_messages.Show(nullptr, kPlainMessage, IDS_NO_HELP_FILE, "KELDRANO.HLP");  // before the statement is found
    m_flags.m_nStatementLine = 12;
    m_messages.Show(nullptr, kPlainMessage, IDS_UNBALANCED);
    m_messages.Show(nullptr, kPlainMessage, Message(IDS_PARSE_FAILED, 5).At(14, 5));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "quillmark: p.for: Unable to find the helpfile \"KELDRANO.HLP\"\n"
              "quillmark: p.for:12: Mismatched repeatables detected in Format statement Exit aborted\n"
              "quillmark: p.for:14: FORMAT parse failed in column 5\n");
    EXPECT_EQ(m_presenter.m_messages.size(), 3u);  // the boxes are shown all the same

    // Into the log, and once onto standard error, whether the log takes it or not.
    for (const std::string& strLog : {m_path.string(), (m_path / "no-such-dir" / "log.txt").string()}) {
        StartDebugLog(m_flags, strLog);
        ::testing::internal::CaptureStderr();
        m_messages.Show(nullptr, kPlainMessage, IDS_LAST_DESCRIPTOR);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "quillmark: p.for:12: A Format statement must have at least one descriptor\n")
            << strLog;
    }
    EXPECT_EQ(ReadWholeFile(m_path.string()), "A Format statement must have at least one descriptor\n");
    EXPECT_EQ(m_presenter.m_messages.size(), 3u);
}
