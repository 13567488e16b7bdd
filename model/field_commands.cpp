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

CResult InsertField(CDescriptorList& list, int index, const char* text)
{
    // A ")" right after a group's opener, or an opener right before a ")",
    // would make a group that holds nothing, which no compiler takes.
    const DescriptorKind kind = ClassifyText(text, list.Table());
    const bool bEmptyGroup = (kind == KIND_CLOSE && index > 0 && OpensGroup(list.At(index - 1).Kind())) ||
                             (OpensGroup(kind) && index < list.size() && list.At(index).Kind() == KIND_CLOSE);
    if (bEmptyGroup)
        return Message(IDS_EMPTY_GROUP);
    if (!list.InsertDescriptor(index, text))
        return Message(IDS_INVALID_DESCRIPTOR, text);
    return CResult();
}

CResult RemoveField(CDescriptorList& list, int index, std::unique_ptr<CDescriptor>* pRemoved)
{
    if (list.size() <= 1)
        return Message(IDS_LAST_DESCRIPTOR);
    // The last descriptor of a group stays: the group would hold nothing.
    if (index > 0 && index + 1 < list.size() && OpensGroup(list.At(index - 1).Kind()) &&
        list.At(index + 1).Kind() == KIND_CLOSE)
        return Message(IDS_EMPTY_GROUP);
    std::unique_ptr<CDescriptor> pTaken = IsFieldIndex(list, index) ? list.TakeDescriptor(index) : nullptr;
    if (pTaken == nullptr)
        return Message(IDS_CANNOT_DELETE);
    if (pRemoved != nullptr)
        *pRemoved = std::move(pTaken);
    return CResult();
}

CResult ChangeFieldValue(CDescriptorList& list, int index, const char* text)
{
    if (list.SetValue(index, text))
        return CResult();
    return Message(IDS_ILLEGAL_VALUE);
}
