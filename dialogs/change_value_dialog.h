// Change Value: the value the current field's sample shows, in place of the
// default one; empty (or Set to Default) means the default.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

class CChangeValueDlg : public QDialog {
    Q_OBJECT

public:
    // strDescriptor names the field in the title ("Change Value for F7.3").
    explicit CChangeValueDlg(QWidget* pParent = nullptr, const std::string& strDescriptor = std::string());

    // The text of the value box.
    std::string m_strValue;

    // Moves the value into the box and centres the dialog on its owner; then
    // runs it. Returns IDOK or IDCANCEL.
    int DoModal();
    void OnInitDialog();

    void UpdateData(bool bSave);

    // Set to Default: the value is cleared and the dialog ends with IDOK,
    // whatever the box holds.
    void OnSetToDefault();
    void accept() override;
    void reject() override;

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
