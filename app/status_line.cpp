#include "status_line.h"

#include <QFontMetrics>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>

CStatusLine::CStatusLine(QWidget* pParent) : QLabel(pParent)
{
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CStatusLine::SetParts(const QString& strField, const QString& strStatement)
{
    QString strWhole = strField;
    if (!strStatement.isEmpty())
        strWhole += (strWhole.isEmpty() ? QString() : QStringLiteral(" \u2014 ")) + strStatement;
    if (strWhole == m_strWhole)
        return;
    m_strWhole = strWhole;
    // The description carries the text too, for readers that show a label's
    // name and description only; the tip, for a line longer than the window.
    setAccessibleDescription(m_strWhole);
    setToolTip(m_strWhole);
    Fit();
}

QSize CStatusLine::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

QSize CStatusLine::sizeHint() const
{
    return {0, QLabel::sizeHint().height()};
}

void CStatusLine::resizeEvent(QResizeEvent* pEvent)
{
    QLabel::resizeEvent(pEvent);
    Fit();
}

void CStatusLine::SetLines(int nLines)
{
    m_nLines = std::max(1, nLines);
    Fit();
}

// The whole line where it fits in the lines there are room for; else its
// words broken between words onto those lines, the last one cut with an
// ellipsis where even they are too few.
void CStatusLine::Fit()
{
    const QFontMetrics metrics(font());
    const int nRoom = std::max(1, contentsRect().width());
    QTextLayout layout(m_strWhole, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QStringList lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(nRoom);
        if (lines.size() + 1 == m_nLines) {
            lines << metrics.elidedText(m_strWhole.mid(line.textStart()), Qt::ElideRight, nRoom);
            break;
        }
        lines << m_strWhole.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    const QString strShown = lines.join(QLatin1Char('\n'));
    if (text() != strShown)
        setText(strShown);
}
