#include "strip_placeholder.h"

#include <QFontDatabase>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <string>

#include "descriptor_list.h"

namespace {

constexpr int kTextMargin = 6;

}  // namespace

CStripPlaceholder::CStripPlaceholder(const QString& strCaption, const QRect& rect, QWidget* pParent,
                                     const CDescriptorList& list)
    : QWidget(pParent), m_list(list)
{
    setWindowTitle(strCaption);
    setAccessibleName(QString(strCaption).remove(QLatin1Char('&')));
    setFocusPolicy(Qt::StrongFocus);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setGeometry(rect);
}

void CStripPlaceholder::paintEvent(QPaintEvent*)
{
    std::string strTexts;
    for (int i = 0; i < m_list.size(); ++i) {
        std::string strText;
        m_list.GetText(i, strText);
        strTexts += (i == 0 ? "" : ", ") + strText;
    }
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect textRect = rect().adjusted(kTextMargin, 0, -kTextMargin, 0);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(QString::fromLocal8Bit(strTexts.c_str()), Qt::ElideRight,
                                              textRect.width()));
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void CStripPlaceholder::focusInEvent(QFocusEvent* pEvent)
{
    QWidget::focusInEvent(pEvent);
    update();
}

void CStripPlaceholder::focusOutEvent(QFocusEvent* pEvent)
{
    QWidget::focusOutEvent(pEvent);
    update();
}
