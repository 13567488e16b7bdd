#include "statement_session.h"

#include "statement_writer.h"
#include "string_table.h"

CResult OpenStatement(const SStatementRequest& request, CDescriptorList& list, CStatementSite& site,
                      IStatementQuestions& questions)
{
    CResult result;
    switch (LocateStatement(request, list, site, questions, result)) {
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
