// The edits the window's commands make through the strip: New Field, Remove
// Field and Change Value on the current field. Each leaves the strip in line
// with the list and its editor on the field that should be current.
#include "descriptor_list.h"
#include "field_commands.h"
#include "field_strip.h"

int CFieldStrip::InsertField(const std::string& strText, bool bAfter)
{
    const int nIndex = CurrentIndex() + (bAfter ? 1 : 0);
    if (!::InsertField(*m_pList, nIndex, strText.c_str()))
        return 0;  // refused with its message; nothing changed
    // Inserted before, the current cell's ID now names the new field; after,
    // the next one does.
    if (bAfter)
        m_nFocusId = m_nCurrentId + 1;
    SetScrollRange(m_pList->size());
    Rebuild(1);
    GiveFocus();
    Invalidate();
    return 1;
}

int CFieldStrip::RemoveField()
{
    const int nIndex = CurrentIndex();
    if (!::RemoveField(*m_pList, nIndex))
        return 0;
    // The last field went: its neighbour becomes current, in the same row.
    const int nSize = m_pList->size();
    if (nIndex >= nSize)
        m_nFocusId = IsSampleRow(m_nCurrentId) ? SampleCellId(nSize - 1) : TextCellId(nSize - 1);
    SetScrollRange(nSize);
    Rebuild(1);
    GiveFocus();
    Invalidate();
    return 1;
}

int CFieldStrip::GetFieldValue(std::string& strValue) const
{
    return m_pList->GetValue(CurrentIndex(), strValue);
}

int CFieldStrip::SetFieldValue(const std::string& strValue)
{
    if (!ChangeFieldValue(*m_pList, CurrentIndex(), strValue.c_str()))
        return 0;  // refused with its message; the old value stays
    Rebuild(0);
    GiveFocus();
    Invalidate();
    return 1;
}
