#include "field_edit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>

#include "field_strip.h"

namespace {

// The keys that move between fields, with and without Ctrl.
struct SFieldKey {
    int nKey;
    bool bCtrl;
    int nCode;
};

constexpr SFieldKey kFieldKeys[] = {
    {Qt::Key_End, true, FEN_LAST},   {Qt::Key_Home, true, FEN_FIRST}, {Qt::Key_Left, true, FEN_PREV},
    {Qt::Key_Up, true, FEN_CTRL_UP}, {Qt::Key_Right, true, FEN_NEXT}, {Qt::Key_Down, true, FEN_CTRL_DOWN},
    {Qt::Key_Up, false, FEN_UP},     {Qt::Key_Down, false, FEN_DOWN},
};

// The border, and the two-pixel highlight inside it.
constexpr int kBorder = 1;
constexpr int kHighlight = 2;
// A line edit keeps this many pixels between its text area and its text on
// either side (the highlight is drawn there), and draws a one-pixel caret
// after the last character.
constexpr int kLineEditMargin = 2;
constexpr int kCaret = 1;

}  // namespace

CFieldEdit::CFieldEdit(QWidget* pParent) : QLineEdit(pParent)
{
    // The border and highlight are drawn here, so the edit's own frame is off;
    // the text keeps clear of the border, and the highlight lies in the
    // margin the edit leaves around its text.
    setFrame(false);
    setTextMargins(kBorder, 0, kBorder, 0);
    static_assert(kHighlight <= kLineEditMargin);
    connect(this, &QLineEdit::textChanged, this, &CFieldEdit::TextUpdated);
}

int CFieldEdit::Create(bool bBorder, const QRect& rect)
{
    m_bBorder = bBorder ? 1 : 0;
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

int CFieldEdit::FrameWidth() const
{
    const QFontMetrics metrics(font());
    const int nBearings = std::max(0, -metrics.minLeftBearing()) + std::max(0, -metrics.minRightBearing());
    return 2 * (kBorder + kLineEditMargin) + kCaret + nBearings;
}

QRect CFieldEdit::FitToText()
{
    QRect r = geometry();
    const int nTextWidth = QFontMetrics(font()).horizontalAdvance(text());
    const int nLetter = m_bBorder ? QFontMetrics(QApplication::font()).horizontalAdvance(QLatin1Char('a')) : 0;
    const int nRight = r.left() + nTextWidth + std::max(nLetter, FrameWidth());
    if (nRight != r.left() + r.width()) {
        r.setWidth(nRight - r.left());
        setGeometry(r);
        update();
    }
    return r;
}

void CFieldEdit::keyPressEvent(QKeyEvent* pEvent)
{
    const bool bCtrl = (pEvent->modifiers() & Qt::ControlModifier) != 0;
    for (const SFieldKey& key : kFieldKeys) {
        if (key.nKey == pEvent->key() && key.bCtrl == bCtrl) {
            pEvent->accept();
            emit Notify(key.nCode);
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
        emit KillFocus();
}
