#include "save_statement.h"

#include "statement_writer.h"
#include "string_table.h"

int SaveStatement(CDescriptorList& list, int nCurrentIndex, OwnerHandle owner, int interactive, int& bWritten,
                  std::string& strSavedElsewhere)
{
    std::string strWrittenTo;
    bWritten = 0;
    strSavedElsewhere.clear();
    if (CommitStatement(list, nCurrentIndex, owner, interactive, &strWrittenTo)) {
        if (IsSameFile(strWrittenTo, list.m_strFileName))
            bWritten = 1;
        else
            strSavedElsewhere = strWrittenTo;
        return 1;
    }
    if (!list.IsBalanced())
        return 0;  // string 23 has been shown; the window stays open
    const int nAnswer = ShowMessage(owner, MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2, IDS_SAVE_FAILED_EXIT);
    return (nAnswer == IDYES || !interactive) ? 1 : 0;
}
