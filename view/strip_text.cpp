#include "strip_text.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include "field_layout.h"

QString ToScreen(const std::string& strBytes)
{
    return QString::fromLatin1(strBytes.data(), static_cast<qsizetype>(strBytes.size()));
}

std::string FromScreen(const QString& strText)
{
    std::string strBytes;
    strBytes.reserve(static_cast<std::size_t>(strText.size()));
    for (qsizetype i = 0; i < strText.size(); ++i) {
        const char16_t c = strText[i].unicode();
        if (c < 0x100) {
            strBytes += static_cast<char>(c);
            continue;
        }
        // A character beyond Latin-1 (a surrogate pair counts as one).
        qsizetype nLength = 1;
        if (strText[i].isHighSurrogate() && i + 1 < strText.size() && strText[i + 1].isLowSurrogate())
            nLength = 2;
        strBytes += strText.mid(i, nLength).toUtf8().toStdString();
        i += nLength - 1;
    }
    return strBytes;
}

QFont GridFont(const QFont& font, int nCharWidth)
{
    QFont grid(font);
    grid.setLetterSpacing(QFont::AbsoluteSpacing, 0);
    const qreal fAdvance = QFontMetricsF(grid).horizontalAdvance(QLatin1Char('a'));
    grid.setLetterSpacing(QFont::AbsoluteSpacing, nCharWidth - fAdvance);
    return grid;
}

void DrawFixedText(QPainter& painter, int x, int y, const std::string& strBytes)
{
    QString strShown(static_cast<qsizetype>(strBytes.size()), Qt::Uninitialized);
    for (std::size_t i = 0; i < strBytes.size(); ++i)
        strShown[static_cast<qsizetype>(i)] = QChar(
            static_cast<char16_t>(static_cast<unsigned char>(ShownChar(strBytes[i]))));
    painter.drawText(x, y + QFontMetrics(painter.font()).ascent(), strShown);
}
