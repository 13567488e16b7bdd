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
    MessageButtons set;
    std::array<QMessageBox::StandardButton, 3> buttons;
};

// The button sets in the order the box shows them; NoButton ends a set.
constexpr std::array<SButtonSet, 4> kButtonSets = {{
    {MessageButtons::OK, {QMessageBox::Ok, QMessageBox::NoButton, QMessageBox::NoButton}},
    {MessageButtons::OK_CANCEL, {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::NoButton}},
    {MessageButtons::YES_NO_CANCEL, {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}},
    {MessageButtons::YES_NO, {QMessageBox::Yes, QMessageBox::No, QMessageBox::NoButton}},
}};

struct SIcon {
    MessageIcon kind;
    QMessageBox::Icon icon;
};

constexpr std::array<SIcon, 2> kIcons = {{
    {MessageIcon::NONE, QMessageBox::NoIcon},
    {MessageIcon::WARNING, QMessageBox::Warning},
}};

struct SAnswer {
    QMessageBox::StandardButton button;
    MessageAnswer answer;
};

constexpr std::array<SAnswer, 4> kAnswers = {{
    {QMessageBox::Ok, MessageAnswer::OK},
    {QMessageBox::Cancel, MessageAnswer::CANCEL},
    {QMessageBox::Yes, MessageAnswer::YES},
    {QMessageBox::No, MessageAnswer::NO},
}};

}  // namespace

void ConfigureMessageBox(QMessageBox& box, const SMessageStyle& style, const QString& strText,
                         const QString& strCaption)
{
    box.setWindowTitle(strCaption);
    box.setTextFormat(Qt::PlainText);  // a file name like "<b>.for" is text, not markup
    box.setText(strText);

    box.setIcon(QMessageBox::NoIcon);
    for (const SIcon& icon : kIcons)
        if (style.icon == icon.kind)
            box.setIcon(icon.icon);

    const SButtonSet* pSet = &kButtonSets[0];
    for (const SButtonSet& set : kButtonSets)
        if (style.buttons == set.set)
            pSet = &set;
    QMessageBox::StandardButtons buttons;
    int nCount = 0;
    for (QMessageBox::StandardButton button : pSet->buttons)
        if (button != QMessageBox::NoButton) {
            buttons |= button;
            ++nCount;
        }
    box.setStandardButtons(buttons);
    const int nDefault = style.nDefaultButton >= 0 && style.nDefaultButton < nCount ? style.nDefaultButton : 0;
    box.setDefaultButton(pSet->buttons[static_cast<std::size_t>(nDefault)]);
}

MessageAnswer AnswerOf(QMessageBox::StandardButton button)
{
    for (const SAnswer& answer : kAnswers)
        if (answer.button == button)
            return answer.answer;
    return MessageAnswer::CANCEL;
}

MessageAnswer CMessageBoxPresenter::Present(OwnerHandle owner, const SMessageStyle& style, const std::string& text,
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
        return style.buttons == MessageButtons::YES_NO ? MessageAnswer::NO : MessageAnswer::CANCEL;
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

ChangesAnswer AskDiscardChanges(QWidget* pOwner, IDialogRunner& dialogs)
{
    QMessageBox box(pOwner != nullptr && pOwner->isVisible() ? pOwner->window() : nullptr);
    ConfigureMessageBox(box, kWarningMessage, QString::fromLatin1(LoadResourceString(IDS_DISCARD_CHANGES)),
                        QString::fromLatin1(LoadResourceString(IDS_CAPTION)));
    box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    for (const SChangesButton& entry : kChangesButtons)
        box.button(entry.button)->setText(QString::fromLatin1(LoadResourceString(entry.nCaptionId)));
    box.setDefaultButton(QMessageBox::Cancel);
    box.setEscapeButton(QMessageBox::Cancel);
    dialogs.Run(box);
    const QAbstractButton* pClicked = box.clickedButton();
    for (const SChangesButton& entry : kChangesButtons)
        if (pClicked != nullptr && pClicked == box.button(entry.button))
            return entry.answer;
    return ChangesAnswer::KEEP_EDITING;
}
