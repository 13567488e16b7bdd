#include "statement_session.h"

#include <cerrno>
#include <filesystem>

#include "file_messages.h"
#include "format_placement.h"
#include "safe_file_writer.h"
#include "statement_writer.h"
#include "string_table.h"

namespace {

// The questions of a second look at a file whose read-only question has
// already been answered yes: it is not asked again.
class CAlreadyAgreed : public IStatementQuestions {
public:
    explicit CAlreadyAgreed(IStatementQuestions& questions) : m_questions(questions) {}
    bool ContinueReadOnly(const SMessage&) override { return true; }
    bool ChooseOtherFile(const SMessage& question, bool bFixedForm, std::string& path) override
    {
        return m_questions.ChooseOtherFile(question, bFixedForm, path);
    }
    void Tell(const SMessage& note) override { m_questions.Tell(note); }

private:
    IStatementQuestions& m_questions;
};

// A label that names no FORMAT statement in its scoping unit: the files the
// unit INCLUDEs, found beside the file, may hold it, and it opens there.
// Else the result says which label was looked for, and where.
LocateResult LocateIncludedFormat(const SStatementRequest& request, const SLabelledFormat& format, int bFixedForm,
                                  CDescriptorList& list, CStatementSite& site, IStatementQuestions& questions,
                                  CResult& result)
{
    const std::filesystem::path directory = std::filesystem::path(request.strFile).parent_path();
    std::string strSearched;
    for (const std::string& name : format.arrIncludes) {
        const std::string path = (directory / name).string();
        strSearched += (strSearched.empty() ? "" : ", ") + name;
        CLineReader reader;
        if (!reader.Open(path))
            continue;
        const long long nLine = FindFormatLabelIn(reader, format.nLabel, bFixedForm);
        if (nLine == 0)
            continue;
        SStatementRequest included = request;
        included.strFile = path;
        included.nLine = nLine;
        included.nColumn = 1;
        included.form = bFixedForm != 0 ? SOURCE_FORM_FIXED : SOURCE_FORM_FREE;
        CAlreadyAgreed agreed(questions);
        return LocateStatement(included, list, site, agreed, result);
    }
    result = strSearched.empty()
                 ? CResult(Message(IDS_LABEL_NOT_FOUND, request.nLine, format.nLabel))
                 : CResult(Message(IDS_LABEL_NOT_FOUND_INCLUDED, request.nLine, format.nLabel, strSearched));
    return LOCATE_FAILED;
}

// A READ, WRITE or PRINT whose format is a statement label: the FORMAT
// statement with that label in the same scoping unit, located as if the
// request had named its line. The file is read a second time for it, a
// statement at a time. LOCATE_NO_LIST (result untouched) when the statement
// names no label or no such FORMAT statement stands in its unit.
LocateResult LocateLabelledFormat(const SStatementRequest& request, CDescriptorList& list, CStatementSite& site,
                                  IStatementQuestions& questions, CResult& result)
{
    CLineReader reader;
    if (!reader.Open(request.strFile))
        return LOCATE_NO_LIST;
    const int bFixedForm = IsFixedForm(request.strFile, request.form);
    const SLabelledFormat format = FindLabelledFormat(reader, request.nLine, request.nColumn, bFixedForm);
    if (reader.Failed())
        return LOCATE_NO_LIST;
    if (format.nLabel > 0 && format.nFormatLine == 0)
        return LocateIncludedFormat(request, format, bFixedForm, list, site, questions, result);
    if (format.nFormatLine == 0)
        return LOCATE_NO_LIST;
    SStatementRequest formatRequest = request;
    formatRequest.nLine = format.nFormatLine;
    formatRequest.nColumn = format.nFormatColumn;
    CAlreadyAgreed agreed(questions);
    return LocateStatement(formatRequest, list, site, agreed, result);
}

}  // namespace

CResult OpenStatement(const SStatementRequest& request, CDescriptorList& list, CStatementSite& site,
                      IStatementQuestions& questions)
{
    // A file an interrupted save left part written gets its old contents
    // back before it is read; one that cannot is not opened.
    std::string strJournal;
    switch (request.strFile.empty() ? RECOVERY_NONE : RecoverInterruptedSave(request.strFile, strJournal)) {
    case RECOVERY_NONE: break;
    case RECOVERY_RESTORED: questions.Tell(Message(IDS_SAVE_PUT_BACK, request.strFile)); break;
    case RECOVERY_FAILED: return Message(IDS_SAVE_NOT_PUT_BACK, request.strFile, strJournal, SystemReason(errno));
    }
    CResult result;
    LocateResult located = LocateStatement(request, list, site, questions, result);
    if (located == LOCATE_NO_LIST) {
        CResult followed;
        if (LocateLabelledFormat(request, list, site, questions, followed) != LOCATE_NO_LIST || !followed.Ok()) {
            located = followed.Ok() ? LOCATE_FOUND : LOCATE_FAILED;
            result = followed;
        }
    }
    switch (located) {
    case LOCATE_FOUND: return CResult();
    case LOCATE_BLANK:
        return NewStatement(list, site, request.nLine, request.strFile, NEW_STATEMENT_TEXT, request.form);
    default: return result.Ok() ? CResult::Declined() : result;
    }
}

int FindEmptyGroup(const CDescriptorList& list)
{
    for (int i = 0; i + 1 < list.size(); ++i)
        if (OpensGroup(list.At(i).Kind()) && list.At(i + 1).Kind() == KIND_CLOSE)
            return i;
    return -1;
}

CResult CommitStatement(CDescriptorList& list, const CStatementSite& site, int nCurrentIndex,
                        IStatementQuestions& questions, std::string* pWrittenTo, WriteWay nWay)
{
    if (nCurrentIndex >= 0 && nCurrentIndex < list.size())
        list.RevertToGood(nCurrentIndex);
    if (!list.IsBalanced())
        return Message(IDS_UNBALANCED);
    if (FindEmptyGroup(list) >= 0)
        return Message(IDS_EMPTY_GROUP_EXIT);
    return WriteStatement(list, site, questions, pWrittenTo, nWay);
}
