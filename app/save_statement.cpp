#include "save_statement.h"

#include "interrupted_save.h"
#include "statement_session.h"
#include "statement_writer.h"
#include "string_table.h"

int SaveStatement(CDescriptorList& list, const CStatementSite& site, int nCurrentIndex, const CMessages& messages,
                  OwnerHandle owner, IStatementQuestions& questions, WriteWay nWay, int& bWritten,
                  std::string& strSavedElsewhere)
{
    std::string strWrittenTo;
    bWritten = 0;
    strSavedElsewhere.clear();
    const CResult result = CommitStatement(list, site, nCurrentIndex, questions, &strWrittenTo, nWay);
    // A signal that came while the file was being put in place waited for
    // the save: the window ends now, the file saved (or the failure told).
    const int nSignal = TakeDeferredSignal();
    if (nSignal != 0 && !result.Ok())
        messages.ShowResult(owner, result);
    if (nSignal != 0)
        EndWithSignal(nSignal);
    if (result.Ok()) {
        if (IsSameFile(strWrittenTo, site.m_strFileName))
            bWritten = 1;
        else
            strSavedElsewhere = strWrittenTo;
        return 1;
    }
    messages.ShowResult(owner, result);
    // A statement that cannot be saved as it stands: the window stays open.
    if (result.StringId() == IDS_UNBALANCED || result.StringId() == IDS_EMPTY_GROUP_EXIT)
        return 0;
    const MessageAnswer answer = messages.Show(owner, kYesNoCancelQuestion, IDS_SAVE_FAILED_EXIT);
    return (answer == MessageAnswer::YES || messages.Unattended()) ? 1 : 0;
}
