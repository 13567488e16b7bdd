// Holds the field strip's place in the main window until the strip itself
// is built: a widget of the strip's size with the strip's caption, which
// takes the keyboard focus as the strip does and shows the statement's
// descriptors on one line, read-only.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

class CDescriptorList;

class CStripPlaceholder : public QWidget {
public:
    CStripPlaceholder(const QString& strCaption, const QRect& rect, QWidget* pParent, const CDescriptorList& list);

    // The index of the current field; the first while fields cannot be chosen.
    int CurrentIndex() const { return 0; }

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void focusInEvent(QFocusEvent* pEvent) override;
    void focusOutEvent(QFocusEvent* pEvent) override;

private:
    const CDescriptorList& m_list;
};
