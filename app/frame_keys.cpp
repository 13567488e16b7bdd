#include "frame_keys.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include "control_table.h"
#include "field_edit.h"

namespace {

bool IsAltHeld(const QKeyEvent* pEvent)
{
    const Qt::KeyboardModifiers modifiers = pEvent->modifiers();
    return (modifiers & Qt::AltModifier) && !(modifiers & (Qt::ControlModifier | Qt::MetaModifier));
}

bool IsContextMenuKey(const QKeyEvent* pEvent)
{
    const Qt::KeyboardModifiers held = pEvent->modifiers() &
                                       (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return pEvent->key() == Qt::Key_F10 && held == Qt::ShiftModifier;
}

// Opens the widget's context menu as the Menu key does: at the caret of a
// text box, else at the widget's middle.
void OpenContextMenu(QWidget* pWidget)
{
    const QRect caret = pWidget->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QPoint at = caret.isValid() ? caret.center() : pWidget->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Keyboard, at, pWidget->mapToGlobal(at));
    QApplication::sendEvent(pWidget, &event);
}

}  // namespace

CFrameKeyFilter::CFrameKeyFilter(QWidget* pWindow, IKeyedWindow& keyed)
    : QObject(pWindow), m_pWindow(pWindow), m_keyed(keyed)
{
    Watch(pWindow);
}

void CFrameKeyFilter::Watch(QWidget* pWidget)
{
    pWidget->installEventFilter(this);
    for (QWidget* pChild : pWidget->findChildren<QWidget*>())
        pChild->installEventFilter(this);
}

bool CFrameKeyFilter::eventFilter(QObject* pObject, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::ChildAdded) {
        if (auto* pChild = qobject_cast<QWidget*>(static_cast<QChildEvent*>(pEvent)->child()))
            Watch(pChild);
        return false;
    }
    QWidget* pWidget = qobject_cast<QWidget*>(pObject);
    if (pWidget == nullptr || pWidget->window() != m_pWindow)
        return false;
    switch (pEvent->type()) {
    case QEvent::ShortcutOverride:
        // A button's own mnemonic would click it; the hot key is ours.
        return OnHotKey(static_cast<QKeyEvent*>(pEvent), true);
    case QEvent::KeyPress: return OnKeyPress(static_cast<QKeyEvent*>(pEvent));
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(pEvent)->button() == Qt::LeftButton && pWidget != m_pWindow)
            MakeClickedControlCurrent(pWidget);
        return false;  // the click is then processed as usual
    default: return false;
    }
}

bool CFrameKeyFilter::OnKeyPress(QKeyEvent* pEvent)
{
    if (IsAltHeld(pEvent))
        return OnHotKey(pEvent, false);
    if (IsContextMenuKey(pEvent)) {
        if (QWidget* pFocus = QApplication::focusWidget(); pFocus != nullptr && pFocus->window() == m_pWindow)
            OpenContextMenu(pFocus);
        return true;
    }
    if (pEvent->modifiers() & Qt::AltModifier)
        return false;
    // Undo and Redo are the window's from any control, the editor included,
    // whose line edit would otherwise keep a history of its own.
    switch (HistoryStepOfKey(pEvent)) {
    case HistoryStep::UNDO: m_keyed.UndoAction()->trigger(); return true;
    case HistoryStep::REDO: m_keyed.RedoAction()->trigger(); return true;
    case HistoryStep::NONE: break;
    }
    switch (pEvent->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        const int nCommand = g_controlTable[static_cast<std::size_t>(m_keyed.CurrentControl())].nCommandId;
        m_keyed.PostCommand(nCommand == CMD_FORMAT_STATEMENT ? CMD_OK : nCommand);
        return true;
    }
    case Qt::Key_Escape: m_keyed.PostCommand(CMD_CANCEL); return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        const bool bBackwards = pEvent->key() == Qt::Key_Backtab || (pEvent->modifiers() & Qt::ShiftModifier);
        m_keyed.SetCurrentControl(NextTabRow(m_keyed.CurrentControl(), bBackwards));
        return true;
    }
    default: return false;
    }
}

bool CFrameKeyFilter::OnHotKey(QKeyEvent* pEvent, bool bOverrideOnly)
{
    if (!IsAltHeld(pEvent))
        return false;
    const int nRow = m_keyed.HotKeyRow(pEvent->key());
    if (nRow < 0)
        return false;
    pEvent->accept();
    if (bOverrideOnly)
        return true;  // the key press follows and is handled then
    m_keyed.SetCurrentControl(nRow);
    // No OK in place of the strip here: Alt+F only moves to the strip.
    m_keyed.PostCommand(g_controlTable[static_cast<std::size_t>(nRow)].nCommandId);
    return true;
}

void CFrameKeyFilter::MakeClickedControlCurrent(QWidget* pWidget)
{
    QWidget* pChild = pWidget;
    while (pChild->parentWidget() != nullptr && pChild->parentWidget() != m_pWindow)
        pChild = pChild->parentWidget();
    const int nRow = m_keyed.RowOfControl(pChild);
    // A click into the text box being typed in, in the current control, only
    // moves its caret: making the control current again would end the edit.
    if (nRow == m_keyed.CurrentControl() && pWidget != pChild && pWidget == QApplication::focusWidget())
        return;
    if (nRow >= 0)
        m_keyed.SetCurrentControl(nRow);
}
