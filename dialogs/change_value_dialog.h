// Change Value: the value the current field's sample shows, in place of the
// default one; empty (or Set to Default) means the default.
#pragma once

#include <QDialog>
#include <QRect>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class CChangeValueDlg : public QDialog {
    Q_OBJECT

public:
    // strDescriptor names the field in the title ("Change Value for F7.3").
    // The box starts with the field's value (or, with none, the sample
    // shown), selected, so that typing replaces it. The dialog stands beside
    // the field's area, or centred on its owner without one.
    explicit CChangeValueDlg(QWidget* pParent = nullptr, const std::string& strDescriptor = std::string(),
                             const std::string& strValue = std::string(), const std::string& strShown = std::string(),
                             const QRect& fieldArea = QRect());

    // The field's value of its own (empty: none, the default).
    std::string m_strValue;
    // What the field's sample shows now, for one item: the box starts with
    // it when the field has no value of its own, and OK with it unchanged
    // keeps the default.
    std::string m_strShown;
    // Where the field stands on the screen (global coordinates): the dialog
    // opens beside it, not over it. Empty: centred on its owner.
    QRect m_fieldArea;

    // Set to Default: the value is cleared and the dialog is accepted,
    // whatever the box holds.
    void OnSetToDefault();
    // OK: the box becomes the value.
    void accept() override;

    QLineEdit* ValueBox() const { return m_pValue; }
    QLabel* ValueLabel() const { return m_pLabel; }
    QPushButton* SetToDefaultButton() const { return m_pDefault; }
    QPushButton* OkButton() const { return m_pOk; }

private:
    QLabel* m_pLabel = nullptr;
    QLineEdit* m_pValue = nullptr;
    QPushButton* m_pDefault = nullptr;
    QPushButton* m_pOk = nullptr;
};
