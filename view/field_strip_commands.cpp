// The edits the window's commands make through the strip: New Field, Remove
// Field and Change Value on the current field. Each leaves the strip in line
// with the list and its editor on the field that should be current.
#include "descriptor_list.h"
#include "field_commands.h"
#include "field_strip.h"

CResult CFieldStrip::InsertField(const std::string& strText, bool bAfter)
{
    const int nIndex = CurrentIndex() + (bAfter ? 1 : 0);
    const CResult result = ::InsertField(*m_pList, nIndex, strText.c_str());
    if (!result.Ok())
        return result;  // refused; nothing changed
    // Inserted before, the current cell's ID now names the new field; after,
    // the next one does.
    if (bAfter)
        m_nFocusId = m_nCurrentId + 1;
    SetScrollRange(m_pList->size());
    Rebuild(1);
    GiveFocus();
    Invalidate();
    return result;
}

CResult CFieldStrip::RemoveField()
{
    const int nIndex = CurrentIndex();
    const CResult result = ::RemoveField(*m_pList, nIndex);
    if (!result.Ok())
        return result;
    // The last field went: its neighbour becomes current, in the same row.
    const int nSize = m_pList->size();
    if (nIndex >= nSize)
        m_nFocusId = IsSampleRow(m_nCurrentId) ? SampleCellId(nSize - 1) : TextCellId(nSize - 1);
    SetScrollRange(nSize);
    Rebuild(1);
    GiveFocus();
    Invalidate();
    return result;
}

int CFieldStrip::GetFieldValue(std::string& strValue) const
{
    return m_pList->GetValue(CurrentIndex(), strValue);
}

CResult CFieldStrip::SetFieldValue(const std::string& strValue)
{
    const CResult result = ChangeFieldValue(*m_pList, CurrentIndex(), strValue.c_str());
    if (!result.Ok())
        return result;  // refused; the old value stays
    Rebuild(0);
    GiveFocus();
    Invalidate();
    return result;
}
