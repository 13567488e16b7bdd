#include "edit_script.h"

#include <algorithm>

#include "field_commands.h"

namespace {

bool IndexInRange(const CDescriptorList& list, const SEdit& edit, SEditReport& report)
{
    const bool bInsert = edit.action == EDIT_INSERT;
    if (bInsert ? IsInsertionIndex(list, edit.nIndex) : IsFieldIndex(list, edit.nIndex))
        return true;
    report.outcome = EDITS_USAGE_ERROR;
    report.strError = edit.strOption + ": there is no field " + std::to_string(edit.nIndex) +
                      (bInsert ? " to insert before" : "") + " (the fields are 0 to " +
                      std::to_string(list.size() - 1) + ")";
    return false;
}

// The outcome of one field command: a refusal ends the edits.
bool Done(const CResult& result, SEditReport& report)
{
    if (!result.Ok()) {
        report.outcome = EDITS_REFUSED;
        report.refusal = result;
    }
    return result.Ok();
}

bool ApplyEdit(CDescriptorList& list, const SEdit& edit, bool bLeave, SEditReport& report)
{
    if (!IndexInRange(list, edit, report))
        return false;
    const int index = static_cast<int>(edit.nIndex);
    const char* pszText = edit.strText.c_str();
    switch (edit.action) {
    case EDIT_INSERT: return Done(InsertField(list, index, pszText), report);
    case EDIT_REMOVE: return Done(RemoveField(list, index), report);
    case EDIT_VALUE: return Done(ChangeFieldValue(list, index, pszText), report);
    case EDIT_TEXT:
    case EDIT_SAMPLE: {
        const FieldRow row = edit.action == EDIT_SAMPLE ? ROW_SAMPLE : ROW_TEXT;
        TypeIntoField(list, index, row, pszText);
        if (bLeave && LeaveField(list, index, row))
            report.notes.push_back(edit.strOption + ": does not evaluate; field " + std::to_string(index) +
                                   " keeps its last good text");
        return true;
    }
    }
    return true;
}

}  // namespace

SEditReport ApplyEdits(CDescriptorList& list, const std::vector<SEdit>& edits, bool bLive)
{
    SEditReport report;
    for (std::size_t i = 0; i < edits.size(); ++i) {
        const bool bLeave = !(bLive && i + 1 == edits.size());
        if (!ApplyEdit(list, edits[i], bLeave, report))
            break;
        report.nCurrent = std::min(static_cast<int>(edits[i].nIndex), list.size() - 1);
    }
    return report;
}
