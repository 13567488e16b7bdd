#include "save_statement.h"

#include "statement_writer.h"
#include "string_table.h"

int SaveStatement(CDescriptorList& list, int nCurrentIndex, OwnerHandle owner, int interactive, int& bWritten)
{
    bWritten = 0;
    if (nCurrentIndex >= 0 && nCurrentIndex < list.size())
        list.RevertToGood(nCurrentIndex);
    if (!list.IsBalanced()) {
        ShowMessage(owner, MB_OK, IDS_UNBALANCED);
        return 0;
    }
    if (WriteStatement(list, interactive)) {
        bWritten = 1;
        return 1;
    }
    const int nAnswer = ShowMessage(owner, MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2, IDS_SAVE_FAILED_EXIT);
    return (nAnswer == IDYES || !interactive) ? 1 : 0;
}
