// The editing cycle: what the editor's notifications do. Every keystroke is
// stored and evaluated at once; leaving the field keeps a valid edit and takes
// an invalid one back.
#include "descriptor_list.h"
#include "edit_history.h"
#include "field_commands.h"
#include "field_description.h"
#include "field_edit.h"
#include "field_strip.h"
#include "strip_text.h"

namespace {

struct SNotification {
    int nCode;
    void (CFieldStrip::*pHandler)();
};

constexpr SNotification kEditorNotifications[] = {
    {EN_UPDATE, &CFieldStrip::OnEditUpdate}, {EN_KILLFOCUS, &CFieldStrip::OnEditKillFocus},
    {FEN_NEXT, &CFieldStrip::NextField},     {FEN_PREV, &CFieldStrip::PrevField},
    {FEN_FIRST, &CFieldStrip::FirstField},   {FEN_LAST, &CFieldStrip::LastField},
    {FEN_UP, &CFieldStrip::ToTextRow},       {FEN_CTRL_UP, &CFieldStrip::ToTextRow},
    {FEN_DOWN, &CFieldStrip::ToSampleRow},   {FEN_CTRL_DOWN, &CFieldStrip::ToSampleRow},
    {FEN_UNDO, &CFieldStrip::UndoInPlace},   {FEN_REDO, &CFieldStrip::RedoInPlace},
};

}  // namespace

int CFieldStrip::OnCommand(int nId, int nCode)
{
    if (m_pList == nullptr)
        return 0;
    if (nId != EDITOR_ID) {
        if (nCode != 0)
            return 0;
        SelectCell(nId);  // a click on a cell
        return 1;
    }
    for (const SNotification& notification : kEditorNotifications) {
        if (notification.nCode == nCode) {
            (this->*notification.pHandler)();
            return 1;
        }
    }
    return 0;
}

void CFieldStrip::OnEditUpdate()
{
    const int i = CurrentIndex();
    if (!m_wndEdit->IsEditing() || i < 0 || i >= m_pList->size())
        return;
    const bool bSampleRow = IsSampleRow(m_nCurrentId);
    // What the editor was loaded with keeps its exact bytes, even where the
    // line edit shows them otherwise.
    const QString strEdit = m_wndEdit->text();
    const std::string strText = strEdit == m_strLoaded ? m_strLoadedBytes : FromScreen(strEdit);
    m_pHistory->Type(i, bSampleRow ? ROW_SAMPLE : ROW_TEXT, strText.c_str());
    if (CFieldCell* pCell = Cell(m_nCurrentId)) {
        if (bSampleRow) {
            std::string strRepeated;
            m_pList->GetRepeatedSample(i, strRepeated);
            pCell->SetText(strRepeated);
        } else {
            pCell->SetText(strText);
        }
    }
    m_wndEdit->FitToText();

    if (m_nFirst <= i && i <= LastFitting(bSampleRow)) {
        // In view: the next paint lays the rows out again with the new widths
        // and reloads every field the evaluation changed.
        m_bLayoutOnPaint = 1;
        Invalidate();
    } else {
        // Cut off or scrolled away: the field becomes the first visible one
        // and the editor goes along, keeping what was typed.
        m_nFirst = i;
        Rebuild(0);
        PlaceEditor();
        Invalidate();
    }
    // The editor keeps the focus and its name while it is typed in; only
    // what the field holds and prints changes.
    m_wndEdit->setAccessibleDescription(CurrentFieldDetails());
    NotifyAccessibility(false);
    m_strTakenBack.clear();
    emit StatusChanged();
}

void CFieldStrip::OnEditKillFocus()
{
    m_wndEdit->SetEditing(false);  // before hiding it, which takes its focus
    m_wndEdit->hide();
    EndEdit();
    emit StatusChanged();  // (a move within the strip says so when it arrives)
}

void CFieldStrip::EndEdit()
{
    m_wndEdit->SetEditing(false);
    const int i = CurrentIndex();
    m_strTakenBack.clear();
    if (i >= 0 && i < m_pList->size()) {
        // What was typed, for the note should it be taken back: a refused
        // sample leaves the text row "??????".
        const bool bSampleRow = IsSampleRow(m_nCurrentId);
        const CDescriptor& d = m_pList->At(i);
        const std::string strTyped = bSampleRow ? d.Sample() : d.Text();
        if (m_pHistory->Leave(i, bSampleRow ? ROW_SAMPLE : ROW_TEXT))
            m_strTakenBack = TakenBackText(d.Text(), strTyped);
    }
    Rebuild(0);  // reloads the field, which leaving it marked changed
    Invalidate();
}

void CFieldStrip::UndoInPlace()
{
    if (Undo())
        GiveFocus();
}

void CFieldStrip::RedoInPlace()
{
    if (Redo())
        GiveFocus();
}
