#include "message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "dialog_runner.h"
#include "string_table.h"

namespace {

struct SButtonSet {
    unsigned nType;  // the MB_ type bits
    std::array<QMessageBox::StandardButton, 3> buttons;
};

// The button sets in the order the box shows them; NoButton ends a set.
constexpr std::array<SButtonSet, 6> kButtonSets = {{
    {0x0, {QMessageBox::Ok, QMessageBox::NoButton, QMessageBox::NoButton}},   // MB_OK
    {0x1, {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::NoButton}},     // MB_OKCANCEL
    {0x2, {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}},     // MB_ABORTRETRYIGNORE
    {0x3, {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}},          // MB_YESNOCANCEL
    {0x4, {QMessageBox::Yes, QMessageBox::No, QMessageBox::NoButton}},        // MB_YESNO
    {0x5, {QMessageBox::Retry, QMessageBox::Cancel, QMessageBox::NoButton}},  // MB_RETRYCANCEL
}};

struct SIcon {
    unsigned nIcon;  // the MB_ icon bits
    QMessageBox::Icon icon;
};

constexpr std::array<SIcon, 4> kIcons = {{
    {0x10, QMessageBox::Critical},     // MB_ICONHAND
    {0x20, QMessageBox::Question},     // MB_ICONQUESTION
    {0x30, QMessageBox::Warning},      // MB_ICONEXCLAMATION
    {0x40, QMessageBox::Information},  // MB_ICONASTERISK
}};

struct SAnswer {
    QMessageBox::StandardButton button;
    int nAnswer;
};

constexpr std::array<SAnswer, 7> kAnswers = {{
    {QMessageBox::Ok, IDOK},
    {QMessageBox::Cancel, IDCANCEL},
    {QMessageBox::Abort, 3},   // IDABORT
    {QMessageBox::Retry, 4},   // IDRETRY
    {QMessageBox::Ignore, 5},  // IDIGNORE
    {QMessageBox::Yes, IDYES},
    {QMessageBox::No, IDNO},
}};

constexpr unsigned kDefaultButtonShift = 8;  // MB_DEFBUTTON2 is 0x100, MB_DEFBUTTON3 0x200

}  // namespace

void ConfigureMessageBox(QMessageBox& box, unsigned style, const QString& strText, const QString& strCaption)
{
    box.setWindowTitle(strCaption);
    box.setTextFormat(Qt::PlainText);  // a file name like "<b>.for" is text, not markup
    box.setText(strText);

    box.setIcon(QMessageBox::NoIcon);
    for (const SIcon& icon : kIcons)
        if ((style & MB_ICONMASK) == icon.nIcon)
            box.setIcon(icon.icon);

    const SButtonSet* pSet = &kButtonSets[0];
    for (const SButtonSet& set : kButtonSets)
        if ((style & MB_TYPEMASK) == set.nType)
            pSet = &set;
    QMessageBox::StandardButtons buttons;
    int nCount = 0;
    for (QMessageBox::StandardButton button : pSet->buttons)
        if (button != QMessageBox::NoButton) {
            buttons |= button;
            ++nCount;
        }
    box.setStandardButtons(buttons);
    const int nDefault = static_cast<int>((style & MB_DEFMASK) >> kDefaultButtonShift);
    box.setDefaultButton(pSet->buttons[static_cast<std::size_t>(nDefault < nCount ? nDefault : 0)]);
}

int AnswerOf(QMessageBox::StandardButton button)
{
    for (const SAnswer& answer : kAnswers)
        if (answer.button == button)
            return answer.nAnswer;
    return IDCANCEL;
}

int CMessageBoxPresenter::Present(OwnerHandle owner, unsigned style, const std::string& text,
                                  const std::string& caption)
{
    QWidget* pOwner = WidgetOf(owner);
    // A hidden owner (the main window during start-up) would hide nothing
    // but place the box oddly; the box then stands on its own.
    QMessageBox box(pOwner != nullptr && pOwner->isVisible() ? pOwner->window() : nullptr);
    ConfigureMessageBox(box, style, QString::fromLocal8Bit(text.c_str()), QString::fromLocal8Bit(caption.c_str()));
    box.exec();
    QAbstractButton* pClicked = box.clickedButton();
    if (pClicked == nullptr)
        return (style & MB_TYPEMASK) == MB_YESNO ? IDNO : IDCANCEL;
    return AnswerOf(box.standardButton(pClicked));
}

namespace {

struct SChangesButton {
    QMessageBox::StandardButton button;
    int nCaptionId;
    ChangesAnswer answer;
};

constexpr std::array<SChangesButton, 3> kChangesButtons = {{
    {QMessageBox::Save, IDS_BUTTON_SAVE, ChangesAnswer::SAVE},
    {QMessageBox::Discard, IDS_BUTTON_DISCARD, ChangesAnswer::DISCARD},
    {QMessageBox::Cancel, IDS_BUTTON_KEEP_EDITING, ChangesAnswer::KEEP_EDITING},
}};

}  // namespace

ChangesAnswer AskDiscardChanges(QWidget* pOwner)
{
    QMessageBox box(pOwner != nullptr && pOwner->isVisible() ? pOwner->window() : nullptr);
    ConfigureMessageBox(box, MB_ICONEXCLAMATION, QString::fromLatin1(LoadResourceString(IDS_DISCARD_CHANGES)),
                        QString::fromLatin1(LoadResourceString(IDS_CAPTION)));
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    for (const SChangesButton& entry : kChangesButtons)
        box.button(entry.button)->setText(QString::fromLatin1(LoadResourceString(entry.nCaptionId)));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    RunDialog(box);
    const QAbstractButton* pClicked = box.clickedButton();
    for (const SChangesButton& entry : kChangesButtons)
        if (pClicked != nullptr && pClicked == box.button(entry.button))
            return entry.answer;
    return ChangesAnswer::KEEP_EDITING;
}
