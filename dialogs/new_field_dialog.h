// New Field: which kind of descriptor to insert (six ready-made types or a
// text of the user's own) and where, before or after the current field. The
// command gives it the insertion to try; a refused one keeps it open.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The descriptor types in the order of their radio buttons.
enum NewFieldType : int {
    TYPE_STRING = 0,
    TYPE_CHARACTER = 1,
    TYPE_LOGICAL = 2,
    TYPE_INTEGER = 3,
    TYPE_FIXED = 4,
    TYPE_SCIENTIFIC = 5,
    TYPE_CUSTOM = 6,
    TYPE_COUNT = 7,
};

class CNewFieldDlg : public QDialog {
    Q_OBJECT

public:
    // Opens on a type (−1: none chosen) and a text in the Custom box, which
    // is usable while Custom is chosen. Centred on its owner.
    explicit CNewFieldDlg(QWidget* pParent = nullptr, int nType = -1, const std::string& strCustom = std::string());

    // The text of the Custom box, and the type chosen (−1: none); where the
    // field goes once accepted.
    std::string m_strCustom;
    int m_nType = -1;
    bool m_bAfter = false;

    // Tries the insertion the buttons ask for (the descriptor text, after
    // the current field or before it) and returns why it was refused, empty
    // when it was made. A refused one keeps the dialog open with the reason
    // shown inside it and the Custom text selected, so that nothing typed is
    // lost; without it the dialog only reports the choice.
    std::function<std::string(const std::string& strText, bool bAfter)> m_fnInsert;

    // The buttons' handlers: an insertion made accepts the dialog.
    void OnInsertBefore();
    void OnInsertAfter();

    // The controls, for the tests.
    QAbstractButton* TypeButton(int nType) const;
    QLineEdit* CustomBox() const { return m_pCustom; }
    QPushButton* InsertBeforeButton() const { return m_pBefore; }
    QPushButton* InsertAfterButton() const { return m_pAfter; }
    QLabel* ReasonLabel() const { return m_pReason; }

private:
    // The group of types with the Custom box and the refusal under them, and
    // the column of buttons, each with its tab order and connections.
    QGroupBox* CreateTypeGroup();
    QLayout* CreateButtons();
    void LabelTypes();
    void ShowChoice();
    void TakeChoice();
    void EnableCustomBox();
    void OnTypeClicked(int nType);
    void ShowReason(const std::string& strReason);
    void Insert(bool bAfter);

    QButtonGroup* m_pTypes = nullptr;
    QLineEdit* m_pCustom = nullptr;
    QLabel* m_pReason = nullptr;  // why the last insertion was refused; hidden when none
    QPushButton* m_pBefore = nullptr;
    QPushButton* m_pAfter = nullptr;
};

// The descriptor text a type stands for: its ready-made descriptor, or for
// TYPE_CUSTOM the text typed.
std::string NewFieldText(int nType, const std::string& strCustom);
