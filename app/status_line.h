// The status line under the strip: what the current field is, and the
// statement in view that uses the format. It never asks the window to be
// wider: a text too long for one line goes on in the lines it is given
// room for, broken between words, and the last is cut with an ellipsis;
// the tooltip and the accessible description always hold the whole line.
#pragma once

#include <QLabel>
#include <QString>

class CStatusLine : public QLabel {
    Q_OBJECT
public:
    explicit CStatusLine(QWidget* pParent);

    // The field's words and the statement's (either may be empty).
    void SetParts(const QString& strField, const QString& strStatement);
    // How many lines of text the line has room for (1 unless set).
    void SetLines(int nLines);
    // The whole line, as a screen reader hears it.
    QString WholeText() const { return m_strWhole; }
    // Whatever the text, the line never asks the window to be wider.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    void Fit();

    QString m_strWhole;
    int m_nLines = 1;
};
