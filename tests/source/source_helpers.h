// Shared by the source tests: a source file in a temporary folder, located,
// and the messages and questions of the source layer as a front end gets
// them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "message.h"
#include "model_helpers.h"
#include "statement_locator.h"
#include "statement_session.h"
#include "statement_writer.h"
#include "temp_dir.h"

// What a test's Save As answers (installed with SetSaveAsDialog).
class ISaveAsDialog {
public:
    virtual ~ISaveAsDialog() = default;
    virtual bool AskFileName(OwnerHandle owner, bool bFixedForm, std::string& path) = 0;
};

inline ISaveAsDialog*& TestSaveAsDialog()
{
    static ISaveAsDialog* pDialog = nullptr;
    return pDialog;
}

inline void SetSaveAsDialog(ISaveAsDialog* pDialog)
{
    TestSaveAsDialog() = pDialog;
}

struct SSourceMessage {
    SMessageStyle style;
    std::string text;
    int nStringId;
    long long nLine;
    long long nColumn;
};

// Records every message of the source layer's results and every question it
// asks, each with the box style the window gives it, and answers the
// questions as told: m_answer (YES, NO, OK, CANCEL) once the
// scripted m_answers have run out. An unattended run (not interactive)
// answers every question No, whatever the answer.
class CSourceRecorder : public IStatementQuestions {
public:
    explicit CSourceRecorder(MessageAnswer answer = MessageAnswer::YES) : m_answer(answer) {}

    void Record(const SMessage& message, const SMessageStyle& style)
    {
        m_messages.push_back({style, MessageText(message), message.nStringId, message.nLine, message.nColumn});
    }
    void Record(const CResult& result)
    {
        for (const SMessage& message : result.Messages())
            Record(message, MessageStyle(message.nStringId));
    }

    bool ContinueReadOnly(const SMessage& question) override
    {
        Record(question, kYesNoQuestion);
        return Answer() == MessageAnswer::YES && m_bInteractive;
    }

    void Tell(const SMessage& note) override { Record(note, kPlainMessage); }

    bool ChooseOtherFile(const SMessage& question, bool bFixedForm, std::string& path) override
    {
        Record(question, kOkCancelQuestion);
        return Answer() == MessageAnswer::OK && m_bInteractive && TestSaveAsDialog() != nullptr &&
               TestSaveAsDialog()->AskFileName(nullptr, bFixedForm, path);
    }

    std::vector<SSourceMessage> m_messages;
    MessageAnswer m_answer;
    std::deque<MessageAnswer> m_answers;
    bool m_bInteractive = true;

private:
    MessageAnswer Answer()
    {
        if (m_answers.empty())
            return m_answer;
        const MessageAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
};

// The recorder the helpers below report to: the fixture's while one lives.
inline CSourceRecorder*& CurrentRecorder()
{
    static CSourceRecorder fallback{MessageAnswer::YES};
    static CSourceRecorder* pRecorder = &fallback;
    return pRecorder;
}

// Sends the helpers' messages to a recorder for the life of the object.
class CRecordingInto {
public:
    explicit CRecordingInto(CSourceRecorder& recorder) : m_pOld(CurrentRecorder()) { CurrentRecorder() = &recorder; }
    ~CRecordingInto() { CurrentRecorder() = m_pOld; }
    CRecordingInto(const CRecordingInto&) = delete;
    CRecordingInto& operator=(const CRecordingInto&) = delete;

private:
    CSourceRecorder* m_pOld;
};

// A statement as a front end holds it: its descriptors and where it stands
// in its file.
class CLocatedStatement : public CDescriptorList, public CStatementSite {
public:
    CLocatedStatement() : CDescriptorList(TestTable()) {}
    CStatementSite& Site() { return *this; }
    const CStatementSite& Site() const { return *this; }
};

// The source layer's operations as the front ends call them, their messages
// recorded; each answers 1 on success, as a test asks.
inline int LocateStatement(CLocatedStatement& statement, long long line, long long column, const std::string& strFile,
                           int interactive = 1, SourceForm form = SOURCE_FORM_BY_SUFFIX)
{
    statement.SetTable(TestTable());
    SStatementRequest request;
    request.strFile = strFile;
    request.nLine = line;
    request.nColumn = column;
    request.form = form;
    CSourceRecorder& recorder = *CurrentRecorder();
    recorder.m_bInteractive = interactive != 0;
    CResult result;
    const LocateResult located = LocateStatement(request, statement, statement.Site(), recorder, result);
    recorder.Record(result);
    return located;
}

inline int WriteStatement(const CLocatedStatement& statement, int interactive, std::string* pWrittenTo = nullptr)
{
    CSourceRecorder& recorder = *CurrentRecorder();
    recorder.m_bInteractive = interactive != 0;
    const CResult result = WriteStatement(statement, statement.Site(), recorder, pWrittenTo);
    recorder.Record(result);
    return result.Ok() ? 1 : 0;
}

inline int CommitStatement(CLocatedStatement& statement, int nCurrentIndex, int interactive,
                           std::string* pWrittenTo = nullptr)
{
    CSourceRecorder& recorder = *CurrentRecorder();
    recorder.m_bInteractive = interactive != 0;
    const CResult result = CommitStatement(statement, statement.Site(), nCurrentIndex, recorder, pWrittenTo);
    recorder.Record(result);
    return result.Ok() ? 1 : 0;
}

inline int NewStatement(CLocatedStatement& statement, long long line, const std::string& strFile,
                        const char* text = NEW_STATEMENT_TEXT, SourceForm form = SOURCE_FORM_BY_SUFFIX)
{
    const CResult result = NewStatement(statement, statement.Site(), line, strFile, text, form);
    CurrentRecorder()->Record(result);
    return result.Ok() ? 1 : 0;
}

inline std::vector<std::string> BuildStatementLines(const CLocatedStatement& statement)
{
    return BuildStatementLines(statement, statement.Site());
}

inline bool StatementReadsBack(const CLocatedStatement& statement, const std::vector<std::string>& lines)
{
    return StatementReadsBack(statement, statement.Site(), lines);
}

inline std::string StatementLabel(const CLocatedStatement& statement)
{
    return statement.Label();
}

class SourceTest : public ::testing::Test {
protected:
    // Writes the file and locates the statement at line, column.
    int Locate(const std::string& strName, const std::string& strContents, long long line, long long column = 80,
               int interactive = 1)
    {
        m_strFile = m_dir.Write(strName, strContents);
        return LocateStatement(m_list, line, column, m_strFile, interactive);
    }

    std::string Message(std::size_t i = 0) const
    {
        return i < m_presenter.m_messages.size() ? m_presenter.m_messages[i].text : std::string("(no message)");
    }

    // The statement's lines as the writer will build them, joined with "\n".
    std::string Built() const
    {
        std::string s;
        for (const std::string& line : BuildStatementLines(m_list))
            s += line + "\n";
        return s;
    }

    std::string Contents() const { return ReadWholeFile(m_strFile); }

    CSourceRecorder m_presenter{MessageAnswer::YES};
    CRecordingInto m_recording{m_presenter};
    CTempDir m_dir;
    CLocatedStatement m_list;
    std::string m_strFile;
};

// The lines of a text, without their line ends.
inline std::vector<std::string> SplitLines(const std::string& s)
{
    std::vector<std::string> lines;
    std::size_t nFrom = 0;
    for (std::size_t n; (n = s.find('\n', nFrom)) != std::string::npos; nFrom = n + 1)
        lines.push_back(s.substr(nFrom, n - nFrom));
    if (nFrom < s.size())
        lines.push_back(s.substr(nFrom));
    return lines;
}

// Whether gfortran is there to tell whether a file still compiles.
inline bool HaveCompiler()
{
    static const bool bHave = std::system("gfortran --version > /dev/null 2>&1") == 0;
    return bHave;
}

// strOptions: more options for the compiler (a source form the suffix does
// not give, -ffree-form).
inline bool Compiles(const std::string& strFile, const std::filesystem::path& dir, const std::string& strOptions = "")
{
    const std::string strCommand = "cd '" + dir.string() + "' && gfortran -fsyntax-only " + strOptions + " '" +
                                   strFile + "' > /dev/null 2>&1";
    return std::system(strCommand.c_str()) == 0;
}
