// The edits the window's commands make through the strip: New Field, Remove
// Field and Change Value on the current field, and Undo and Redo of them and
// of typing. Each goes through the edit history and leaves the strip in line
// with the list and its editor on the field that should be current.
#include "descriptor_list.h"
#include "edit_history.h"
#include "field_edit.h"
#include "field_strip.h"

CResult CFieldStrip::InsertField(const std::string& strText, bool bAfter)
{
    const int nIndex = CurrentIndex() + (bAfter ? 1 : 0);
    const CResult result = m_pHistory->Insert(nIndex, strText.c_str());
    if (!result.Ok())
        return result;  // refused; nothing changed
    // Inserted before, the current cell now names the new field; after, the
    // next one does.
    if (bAfter)
        m_nFocusId = {m_nCurrentId.nIndex + 1, m_nCurrentId.row};
    m_strNote.clear();  // a change since: the note is stale
    SetScrollRange(m_pList->size());
    Rebuild(1);
    GiveFocus();
    update();
    return result;
}

CResult CFieldStrip::RemoveField()
{
    const int nIndex = CurrentIndex();
    const CResult result = m_pHistory->Remove(nIndex);
    if (!result.Ok())
        return result;
    // The last field went: its neighbour becomes current, in the same row.
    const int nSize = m_pList->size();
    if (nIndex >= nSize)
        m_nFocusId = IsSampleRow(m_nCurrentId) ? SampleCellId(nSize - 1) : TextCellId(nSize - 1);
    m_strNote.clear();
    SetScrollRange(nSize);
    Rebuild(1);
    GiveFocus();
    update();
    return result;
}

int CFieldStrip::GetFieldValue(std::string& strValue) const
{
    return m_pList->GetValue(CurrentIndex(), strValue);
}

CResult CFieldStrip::SetFieldValue(const std::string& strValue)
{
    const CResult result = m_pHistory->ChangeValue(CurrentIndex(), strValue.c_str());
    if (!result.Ok())
        return result;  // refused; the old value stays
    m_strNote.clear();
    Rebuild(0);
    GiveFocus();
    update();
    return result;
}

bool CFieldStrip::Undo()
{
    if (!m_pHistory->CanUndo())
        return false;
    // The history leaves the field being typed in itself.
    m_wndEdit->SetEditing(false);
    const SEditPlace place = m_pHistory->Undo();
    return ShowStep(place.nIndex, place.row == ROW_SAMPLE);
}

bool CFieldStrip::Redo()
{
    if (!m_pHistory->CanRedo())
        return false;
    m_wndEdit->SetEditing(false);
    const SEditPlace place = m_pHistory->Redo();
    return ShowStep(place.nIndex, place.row == ROW_SAMPLE);
}

bool CFieldStrip::ShowStep(int nIndex, bool bSampleRow)
{
    if (nIndex >= 0)
        m_nFocusId = bSampleRow ? SampleCellId(nIndex) : TextCellId(nIndex);
    // The note of an edit taken back speaks of a list that is no more.
    m_strNote.clear();
    // Every field may have changed: the cells are reloaded and laid out.
    SetScrollRange(m_pList->size());
    Rebuild(1);
    update();
    return true;
}
