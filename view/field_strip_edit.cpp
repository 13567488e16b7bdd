// The editing cycle: what the editor's notifications do. Every keystroke is
// stored and evaluated at once; leaving the field keeps a valid edit and takes
// an invalid one back.
#include <algorithm>

#include "descriptor_list.h"
#include "edit_history.h"
#include "field_description.h"
#include "field_edit.h"
#include "field_strip.h"
#include "strip_text.h"

namespace {

struct SEditorSignal {
    void (CFieldEdit::*pSignal)();
    void (CFieldStrip::*pHandler)();
};

// The field keys act at once, the key taken from the edit: keys typed ahead,
// already waiting behind it, then go to the field moved to.
constexpr SEditorSignal kEditorSignals[] = {
    {&CFieldEdit::focusLost, &CFieldStrip::OnEditKillFocus}, {&CFieldEdit::nextField, &CFieldStrip::NextField},
    {&CFieldEdit::previousField, &CFieldStrip::PrevField},   {&CFieldEdit::firstField, &CFieldStrip::FirstField},
    {&CFieldEdit::lastField, &CFieldStrip::LastField},       {&CFieldEdit::textRow, &CFieldStrip::ToTextRow},
    {&CFieldEdit::sampleRow, &CFieldStrip::ToSampleRow},     {&CFieldEdit::undoRequested, &CFieldStrip::UndoInPlace},
    {&CFieldEdit::redoRequested, &CFieldStrip::RedoInPlace},
};

}  // namespace

void CFieldStrip::ConnectEditor()
{
    connect(m_wndEdit, &QLineEdit::textChanged, this, &CFieldStrip::OnEditUpdate);
    for (const SEditorSignal& editorSignal : kEditorSignals)
        connect(m_wndEdit, editorSignal.pSignal, this, editorSignal.pHandler);
}

// Text past what a field holds, typed or pasted, is cut off, and the status
// line says how much was left out. A longer field read from the file keeps
// its length. Cutting changes the text again, which evaluates what is kept.
bool CFieldStrip::CutToFieldLength()
{
    const QString strEdit = m_wndEdit->text();
    const qsizetype nLimit = std::max<qsizetype>(kFieldLength, m_strLoaded.size());
    if (strEdit.size() <= nLimit)
        return false;
    qsizetype nKept = nLimit;
    if (strEdit[nKept - 1].isHighSurrogate())
        --nKept;  // never half a character
    m_wndEdit->setText(strEdit.left(nKept));
    m_strNote = TextCutText(static_cast<std::size_t>(nKept), static_cast<std::size_t>(strEdit.size() - nKept));
    emit StatusChanged();
    return true;
}

void CFieldStrip::OnEditUpdate()
{
    const int i = CurrentIndex();
    if (!m_wndEdit->IsEditing() || i < 0 || i >= m_pList->size() || CutToFieldLength())
        return;
    const bool bSampleRow = IsSampleRow(m_nCurrentId);
    // What the editor was loaded with keeps its exact bytes, even where the
    // line edit shows them otherwise.
    const QString strEdit = m_wndEdit->text();
    const std::string strText = strEdit == m_strLoaded ? m_strLoadedBytes : FromScreen(strEdit);
    m_pHistory->Type(i, m_nCurrentId.row, strText.c_str());
    if (CFieldCell* pCell = Cell(m_nCurrentId)) {
        if (bSampleRow) {
            std::string strRepeated;
            ShownSample(i, strRepeated);
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
        update();
    } else {
        // Cut off or scrolled away: the field becomes the first visible one
        // and the editor goes along, keeping what was typed.
        m_nFirst = i;
        Rebuild(0);
        PlaceEditor();
        update();
    }
    // The editor keeps the focus and its name while it is typed in; only
    // what the field holds and prints changes.
    m_wndEdit->setAccessibleDescription(CurrentFieldDetails());
    NotifyAccessibility(false);
    m_strNote.clear();
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
    m_strNote.clear();
    if (i >= 0 && i < m_pList->size()) {
        // What was typed, for the note should it be taken back: a refused
        // sample leaves the text row "??????".
        const bool bSampleRow = IsSampleRow(m_nCurrentId);
        const CDescriptor& d = m_pList->At(i);
        const std::string strTyped = bSampleRow ? d.Sample() : d.Text();
        if (m_pHistory->Leave(i, m_nCurrentId.row))
            m_strNote = TakenBackText(d.Text(), strTyped);
    }
    Rebuild(0);  // reloads the field, which leaving it marked changed
    update();
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
