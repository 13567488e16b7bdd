#include "edit_script.h"

#include <algorithm>

#include "string_table.h"

namespace {

bool IndexInRange(const SEdit& edit, int nSize, SEditReport& report)
{
    const long long nLast = edit.action == EDIT_INSERT ? nSize : nSize - 1L;
    if (edit.nIndex <= nLast)
        return true;
    report.outcome = EDITS_USAGE_ERROR;
    report.strError = edit.strOption + ": there is no field " + std::to_string(edit.nIndex) +
                      (edit.action == EDIT_INSERT ? " to insert before" : "") + " (the fields are 0 to " +
                      std::to_string(nSize - 1) + ")";
    return false;
}

// Leaves a field as the in-place editor does when it loses the focus: an
// edit that did not evaluate is taken back, and a sample edit is evaluated
// once more from the text derived from it.
void LeaveField(CDescriptorList& list, int index, bool bSampleRow, const SEdit& edit, SEditReport& report)
{
    if (list.m_bInvalid) {
        list.RevertToGood(index);
        report.notes.push_back(edit.strOption + ": does not evaluate; field " + std::to_string(index) +
                               " keeps its last good text");
    }
    if (bSampleRow)
        list.EvaluateFromText(index);
}

bool Refuse(SEditReport& report)
{
    report.outcome = EDITS_REFUSED;
    return false;
}

bool ApplyEdit(CDescriptorList& list, const SEdit& edit, bool bLeave, SEditReport& report)
{
    if (!IndexInRange(edit, list.size(), report))
        return false;
    const int index = static_cast<int>(edit.nIndex);
    switch (edit.action) {
    case EDIT_INSERT:
        if (!list.InsertDescriptor(index, edit.strText.c_str())) {
            ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_INVALID_DESCRIPTOR, edit.strText.c_str());
            return Refuse(report);
        }
        return true;
    case EDIT_REMOVE:
        if (list.size() <= 1) {
            ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_LAST_DESCRIPTOR);
            return Refuse(report);
        }
        if (!list.RemoveDescriptor(index)) {
            ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_CANNOT_DELETE);
            return Refuse(report);
        }
        return true;
    case EDIT_VALUE:
        if (!list.SetValue(index, edit.strText.c_str())) {
            ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_ILLEGAL_VALUE);
            return Refuse(report);
        }
        return true;
    case EDIT_TEXT:
    case EDIT_SAMPLE: {
        const bool bSampleRow = edit.action == EDIT_SAMPLE;
        if (bSampleRow)
            list.SetSample(index, edit.strText.c_str());
        else
            list.SetText(index, edit.strText.c_str());
        if (bLeave)
            LeaveField(list, index, bSampleRow, edit, report);
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
