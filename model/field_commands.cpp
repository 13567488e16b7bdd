#include "field_commands.h"

#include "string_table.h"

bool IsFieldIndex(const CDescriptorList& list, long long index)
{
    return index >= 0 && index < list.size();
}

bool IsInsertionIndex(const CDescriptorList& list, long long index)
{
    return index >= 0 && index <= list.size();
}

int TypeIntoField(CDescriptorList& list, int index, FieldRow row, const char* text)
{
    return row == ROW_SAMPLE ? list.SetSample(index, text) : list.SetText(index, text);
}

int LeaveField(CDescriptorList& list, int index, FieldRow row)
{
    const int bTakenBack = list.m_bInvalid;
    // Taking a field back evaluates its good text again; a field left from
    // its sample row is evaluated from its text, so it shows what it prints.
    if (bTakenBack)
        list.RevertToGood(index);
    else if (row == ROW_SAMPLE)
        list.EvaluateFromText(index);
    return bTakenBack;
}

int InsertField(CDescriptorList& list, int index, const char* text)
{
    if (list.InsertDescriptor(index, text))
        return 1;
    ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_INVALID_DESCRIPTOR, text);
    return 0;
}

int RemoveField(CDescriptorList& list, int index)
{
    if (list.size() <= 1) {
        ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_LAST_DESCRIPTOR);
        return 0;
    }
    if (!list.RemoveDescriptor(index)) {
        ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_CANNOT_DELETE);
        return 0;
    }
    return 1;
}

int ChangeFieldValue(CDescriptorList& list, int index, const char* text)
{
    if (list.SetValue(index, text))
        return 1;
    ShowMessage(list.m_hOwnerWnd, MB_ICONEXCLAMATION, IDS_ILLEGAL_VALUE);
    return 0;
}
