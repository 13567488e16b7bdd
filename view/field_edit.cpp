#include "field_edit.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <limits>
#include <memory>

#include "edit_history.h"

namespace {

// The keys that move between fields, with and without Ctrl, and the signal
// each sends.
struct SFieldKey {
    int nKey;
    bool bCtrl;
    void (CFieldEdit::*pSignal)();
};

constexpr SFieldKey kFieldKeys[] = {
    {Qt::Key_End, true, &CFieldEdit::lastField},      {Qt::Key_Home, true, &CFieldEdit::firstField},
    {Qt::Key_Left, true, &CFieldEdit::previousField}, {Qt::Key_Up, true, &CFieldEdit::textRow},
    {Qt::Key_Right, true, &CFieldEdit::nextField},    {Qt::Key_Down, true, &CFieldEdit::sampleRow},
    {Qt::Key_Up, false, &CFieldEdit::textRow},        {Qt::Key_Down, false, &CFieldEdit::sampleRow},
};

// The keys of Undo and Redo, with exactly these modifiers held.
struct SHistoryKey {
    int nKey;
    Qt::KeyboardModifiers modifiers;
    HistoryStep step;
};

const SHistoryKey kHistoryKeys[] = {
    {Qt::Key_Z, Qt::ControlModifier, HistoryStep::UNDO},
    {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, HistoryStep::REDO},
    {Qt::Key_Y, Qt::ControlModifier, HistoryStep::REDO},
};

// The border, and the two-pixel highlight inside it.
constexpr int kBorder = 1;
constexpr int kHighlight = 2;
// A frameless line edit keeps two pixels between its text margins and its
// text on either side, and scrolls the text unless the text and a one-pixel
// caret after it fit in between.
constexpr int kLineEditMargin = 2;
constexpr int kCaret = 1;

}  // namespace

HistoryStep HistoryStepOfKey(const QKeyEvent* pEvent)
{
    const Qt::KeyboardModifiers held = pEvent->modifiers() &
                                       (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier);
    for (const SHistoryKey& key : kHistoryKeys)
        if (key.nKey == pEvent->key() && key.modifiers == held)
            return key.step;
    // The platform's own keys for them, which the line edit would otherwise
    // take for its own history.
    if (pEvent->matches(QKeySequence::Undo))
        return HistoryStep::UNDO;
    if (pEvent->matches(QKeySequence::Redo))
        return HistoryStep::REDO;
    return HistoryStep::NONE;
}

HistoryStep HistoryStepOfMenuItem(const QAction* pAction)
{
    // Known by their names where the toolkit gives them, else by their
    // captions (the toolkit's own, in its language), the shortcut after a tab.
    const QString strName = pAction->objectName();
    const QString strCaption = pAction->text().section(QLatin1Char('\t'), 0, 0);
    if (strName == QLatin1String("edit-undo") || strCaption == QLineEdit::tr("&Undo"))
        return HistoryStep::UNDO;
    if (strName == QLatin1String("edit-redo") || strCaption == QLineEdit::tr("&Redo"))
        return HistoryStep::REDO;
    return HistoryStep::NONE;
}

CFieldEdit::CFieldEdit(QWidget* pParent) : QLineEdit(pParent)
{
    // The border and highlight are drawn here, inside the editor's own
    // rectangle, so the edit's own frame is off; the text margins (see
    // UpdateTextMargins) keep the text clear of them.
    setFrame(false);
    UpdateTextMargins();
    // The edit takes all that is pasted; the strip cuts it to what a field
    // holds and says how much was left out, where the edit's own limit
    // would drop it without a word.
    setMaxLength(std::numeric_limits<int>::max());
}

int CFieldEdit::Create(bool bBorder, const QRect& rect)
{
    m_bBorder = bBorder ? 1 : 0;
    UpdateTextMargins();
    setGeometry(rect);
    hide();
    return 1;
}

void CFieldEdit::MoveTo(const QRect& rect, bool bRepaint)
{
    setGeometry(rect);
    FitToText();
    if (bRepaint)
        update();
}

int CFieldEdit::LetterWidth() const
{
    // As a string: the strip's font spaces its letters apart, and only a
    // string's advance counts that spacing (a single character's does not).
    return qRound(QFontMetricsF(font()).horizontalAdvance(QStringLiteral("a")));
}

void CFieldEdit::SetTextIndent(int nIndent)
{
    m_nIndent = std::max(0, nIndent);
    UpdateTextMargins();
}

void CFieldEdit::UpdateTextMargins()
{
    // The text starts at the indent; the right margin takes what is left of
    // the letter of slack once the line edit's own margins and the caret
    // have theirs, so that text and caret fill the editor without scrolling.
    const int nLetter = m_bBorder ? LetterWidth() + kBorder : 0;
    const int nLeft = std::max(0, m_nIndent - kLineEditMargin);
    const int nRight = std::max(0, nLetter - nLeft - 2 * kLineEditMargin - kCaret);
    if (textMargins() != QMargins(nLeft, 0, nRight, 0))
        setTextMargins(nLeft, 0, nRight, 0);
}

QRect CFieldEdit::FitToText()
{
    UpdateTextMargins();  // the font may have changed
    QRect r = geometry();
    const int nTextWidth = qCeil(QFontMetricsF(font()).horizontalAdvance(text()));
    const int nLetter = m_bBorder ? LetterWidth() + kBorder : 0;
    // Where the letter is too narrow for the indent and the caret, the
    // editor grows rather than scroll its text.
    const QMargins margins = textMargins();
    const int nLeast = margins.left() + margins.right() + 2 * kLineEditMargin + kCaret;
    const int nWidth = nTextWidth + std::max(nLetter, nLeast);
    if (nWidth != r.width()) {
        r.setWidth(nWidth);
        setGeometry(r);
        update();
    }
    return r;
}

void CFieldEdit::keyPressEvent(QKeyEvent* pEvent)
{
    if (const HistoryStep step = HistoryStepOfKey(pEvent); step != HistoryStep::NONE) {
        pEvent->accept();
        EmitHistoryStep(step);
        return;
    }
    const bool bCtrl = (pEvent->modifiers() & Qt::ControlModifier) != 0;
    for (const SFieldKey& key : kFieldKeys) {
        if (key.nKey == pEvent->key() && key.bCtrl == bCtrl) {
            pEvent->accept();
            emit(this->*key.pSignal)();
            return;
        }
    }
    QLineEdit::keyPressEvent(pEvent);
}

void CFieldEdit::paintEvent(QPaintEvent* pEvent)
{
    QLineEdit::paintEvent(pEvent);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Highlight));
    for (int i = kBorder; i < kBorder + kHighlight; ++i)
        painter.drawRect(rect().adjusted(i, i, -1 - i, -1 - i));
}

void CFieldEdit::focusOutEvent(QFocusEvent* pEvent)
{
    QLineEdit::focusOutEvent(pEvent);
    // Another window coming to the front, or a context menu, leaves the edit
    // where it is; only the focus moving to another control ends it.
    const Qt::FocusReason reason = pEvent->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    if (m_bEditing)
        emit focusLost();
}

void CFieldEdit::EmitHistoryStep(HistoryStep step)
{
    if (step == HistoryStep::UNDO)
        emit undoRequested();
    else if (step == HistoryStep::REDO)
        emit redoRequested();
}

void CFieldEdit::contextMenuEvent(QContextMenuEvent* pEvent)
{
    const std::unique_ptr<QMenu> pMenu(createStandardContextMenu());
    // Undo and Redo are the window's: the line edit's own history holds only
    // the keys of this visit and would be a second one.
    for (QAction* pAction : pMenu->actions()) {
        const HistoryStep step = HistoryStepOfMenuItem(pAction);
        if (step == HistoryStep::NONE)
            continue;
        QObject::disconnect(pAction, &QAction::triggered, this, nullptr);
        connect(pAction, &QAction::triggered, this, [this, step] { EmitHistoryStep(step); });
        if (m_pHistory != nullptr)
            pAction->setEnabled(step == HistoryStep::UNDO ? m_pHistory->CanUndo() : m_pHistory->CanRedo());
    }
    const QList<QAction*> settings = parentWidget() != nullptr ? parentWidget()->actions() : QList<QAction*>();
    if (!settings.isEmpty()) {
        pMenu->addSeparator();
        pMenu->addActions(settings);
    }
    pMenu->exec(pEvent->globalPos());
}
