#include "editor_frame.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusFrame>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "change_value_dialog.h"
#include "descriptor_list.h"
#include "edit_history.h"
#include "field_description.h"
#include "field_edit.h"
#include "field_strip.h"
#include "help.h"
#include "message_box.h"
#include "new_field_dialog.h"
#include "preferences.h"
#include "program_icon.h"
#include "run_context.h"
#include "save_statement.h"
#include "statement_site.h"
#include "string_table.h"
#include "window_questions.h"

namespace {

// To assistive technology the window is a frame holding the statement, the
// status line and the buttons. Qt names no frame role; Window is the role
// its bridge to the desktop's accessibility (AT-SPI) reports as a frame, and
// a plain widget would otherwise be a mere client area. The border drawn
// around the statement is no control: it is left out of the children, so
// that a screen reader's review does not stop on an empty, unnamed object.
class CEditorFrameAccessible : public QAccessibleWidget {
public:
    explicit CEditorFrameAccessible(CEditorFrame* pFrame) : QAccessibleWidget(pFrame, QAccessible::Window) {}

    int childCount() const override { return static_cast<int>(Controls().size()); }
    QAccessibleInterface* child(int nIndex) const override
    {
        const QList<QWidget*> controls = Controls();
        return nIndex >= 0 && nIndex < controls.size() ? QAccessible::queryAccessibleInterface(controls[nIndex])
                                                       : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        return pChild != nullptr ? static_cast<int>(Controls().indexOf(qobject_cast<QWidget*>(pChild->object()))) : -1;
    }

private:
    // The child widgets Qt lists for a widget (no windows, menus or focus
    // frames), without the border.
    QList<QWidget*> Controls() const
    {
        const auto* pFrame = static_cast<const CEditorFrame*>(widget());
        const QWidget* pBorder = pFrame->Strip() != nullptr ? pFrame->Strip()->Frame() : nullptr;
        QList<QWidget*> controls;
        for (QObject* pObject : pFrame->children()) {
            auto* pWidget = qobject_cast<QWidget*>(pObject);
            if (pWidget != nullptr && pWidget != pBorder && !pWidget->isWindow() &&
                qobject_cast<QMenu*>(pWidget) == nullptr && qobject_cast<QFocusFrame*>(pWidget) == nullptr)
                controls.append(pWidget);
        }
        return controls;
    }
};

QAccessibleInterface* EditorFrameAccessible(const QString&, QObject* pObject)
{
    if (auto* pFrame = qobject_cast<CEditorFrame*>(pObject))
        return new CEditorFrameAccessible(pFrame);
    return nullptr;
}

}  // namespace

CEditorFrame::CEditorFrame(CDescriptorList& list, CStatementSite& site, CRunContext& run)
    : QWidget(nullptr), m_list(list), m_site(site), m_run(run), m_saveAs(run.Dialogs())
{
    setWindowTitle(QString());
    setWindowIcon(ProgramIcon());
    static const bool bAccessible = [] {
        QAccessible::installFactory(EditorFrameAccessible);
        return true;
    }();
    (void)bAccessible;
    setAcceptDrops(true);
    // "--" first, so that a file named like an option is read as a file.
    m_openDropped = [](const QString& strFile) {
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {QStringLiteral("--"), strFile});
    };
}

CEditorFrame::~CEditorFrame() = default;

namespace {

// The local files a drop brings.
QStringList DroppedFiles(const QMimeData* pData)
{
    QStringList files;
    if (pData == nullptr)
        return files;
    for (const QUrl& url : pData->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    return files;
}

}  // namespace

void CEditorFrame::dragEnterEvent(QDragEnterEvent* pEvent)
{
    if (!DroppedFiles(pEvent->mimeData()).isEmpty())
        pEvent->acceptProposedAction();
}

void CEditorFrame::dropEvent(QDropEvent* pEvent)
{
    const QStringList files = DroppedFiles(pEvent->mimeData());
    for (const QString& strFile : files)
        m_openDropped(strFile);
    if (!files.isEmpty())
        pEvent->acceptProposedAction();
}

void CEditorFrame::CreateControls()
{
    CreateActions();
    m_pStrip = new CFieldStrip(this);
    m_pStrip->Create(QString::fromLatin1(LoadResourceString(IDS_STRIP_CAPTION)), QRect(), this, &m_list,
                     CMD_FORMAT_STATEMENT);
    m_arrControls[kStripRow] = m_pStrip;
    // The status line: a label no key or click makes current, read by
    // screen readers by its name, its text and its description.
    m_pStatus = new CStatusLine(this);
    m_pStatus->setObjectName(QStringLiteral("fieldStatus"));
    m_pStatus->setAccessibleName(QString::fromLatin1(LoadResourceString(IDS_STATUS_NAME)));
    connect(m_pStrip, &CFieldStrip::StatusChanged, this, &CEditorFrame::MatchUse);
    CreateUsesList();
    MatchUse();
    for (int nRow = kStripRow + 1; nRow < kSentinelRow; ++nRow) {
        const SControlEntry& entry = g_controlTable[static_cast<std::size_t>(nRow)];
        auto* pButton = new QPushButton(QString::fromLatin1(LoadResourceString(entry.nCaptionId)), this);
        pButton->setAutoDefault(false);
        pButton->setToolTip(QString::fromLatin1(LoadResourceString(entry.nTipId)));
        connect(pButton, &QPushButton::clicked, CommandAction(entry.nCommandId), &QAction::trigger);
        m_arrControls[static_cast<std::size_t>(nRow)] = pButton;
    }
    SetDefaultStyle(kOkRow, true);
    CreateSettingsMenu();
    LayOutControls();

    // Hot keys, in row order; a later row takes a letter from an earlier one.
    // Controls without a letter get no entry, so that no key stands for them.
    for (int nRow = 0; nRow < kControlRows; ++nRow) {
        QWidget* pControl = m_arrControls[static_cast<std::size_t>(nRow)];
        if (pControl == nullptr)
            continue;
        const auto* pButton = qobject_cast<const QPushButton*>(pControl);
        const QByteArray caption = (pButton != nullptr ? pButton->text() : pControl->windowTitle()).toLatin1();
        const char chLetter = GetHotKeyLetter(caption.constData());
        m_arrHotKeys[static_cast<std::size_t>(nRow)] = chLetter;
        if (chLetter != 0)
            m_hotKeyMap[static_cast<unsigned short>(std::toupper(static_cast<unsigned char>(chLetter)))] = nRow;
    }
    new CFrameKeyFilter(this, *this);
}

// One column: the strip in its frame, the status line, the buttons' row
// (three at the start, three at the end; a right-to-left window mirrors
// it). Every size comes from the controls' size hints, so a style sheet
// or a larger font makes room instead of clipping; a button is at least as
// wide as the table says. The window's height is what the column needs and
// stays so; its width is at least 76 average characters.
void CEditorFrame::LayOutControls()
{
    MeasureFont();
    auto* pColumn = new QVBoxLayout(this);
    pColumn->setContentsMargins(kFrameMargin, kFrameMargin, kFrameMargin, m_nLineHeight);
    pColumn->setSpacing(m_nLineHeight / 2);
    pColumn->addWidget(m_pStrip->Frame());
    // With the statements that use the format, two lines: the field's words,
    // the items it edits and their finding, and the statement in view.
    const int nLines = m_uses.uses.empty() && m_uses.strNone.empty() ? 1 : 2;
    m_pStatus->SetLines(nLines);
    m_pStatus->setMinimumHeight(m_nStatusHeight + (nLines - 1) * QFontMetrics(m_pStatus->font()).lineSpacing());
    pColumn->addWidget(m_pStatus);
    if (m_pUses != nullptr)
        pColumn->addWidget(m_pUses);
    // Two groups a character apart inside, at least two apart from each
    // other and as far apart as the width allows.
    auto* pButtons = new QHBoxLayout;
    pButtons->setSpacing(2 * m_nCharWidth);
    QHBoxLayout* pGroup = nullptr;
    for (int nRow = kStripRow + 1; nRow < kSentinelRow; ++nRow) {
        if (nRow == kStripRow + 1 || nRow == kOkRow) {
            if (nRow == kOkRow)
                pButtons->addStretch(1);
            pGroup = new QHBoxLayout;
            pGroup->setSpacing(m_nCharWidth);
            pButtons->addLayout(pGroup);
        }
        QWidget* pButton = Control(nRow);
        // A minimum set by hand would win over the hint: it is never less.
        const int nChars = g_controlTable[static_cast<std::size_t>(nRow)].nMinWidthInChars;
        pButton->setMinimumWidth(std::max(nChars * m_nCharWidth, pButton->sizeHint().width()));
        pGroup->addWidget(pButton);
        if (nRow == kOkRow - 1)
            pGroup->addWidget(m_pSettings);
    }
    pColumn->addLayout(pButtons);
    pColumn->activate();
    setMinimumWidth(std::max(kMinimumWidthInChars * m_nCharWidth, minimumSizeHint().width()));
    setFixedHeight(sizeHint().height());
    resize(minimumWidth(), height());
}

// The two settings as check items, in the menu of the window's Settings
// button (seen, and listed by screen readers; Alt+S opens it) and in the
// strip's context menu. The button is no stop of the window's Tab cycle.
void CEditorFrame::CreateSettingsMenu()
{
    m_pSettings = new QPushButton(QString::fromLatin1(LoadResourceString(IDS_MENU_SETTINGS)), this);
    m_pSettings->setObjectName(QStringLiteral("settingsButton"));
    m_pSettings->setAutoDefault(false);
    m_pSettings->setFocusPolicy(Qt::NoFocus);
    auto* pMenu = new QMenu(m_pSettings);
    m_pSettings->setMenu(pMenu);
    const auto addSetting = [this, pMenu](int nCaptionId, bool bOn, void (CEditorFrame::*pHandler)(bool)) {
        auto* pAction = new QAction(QString::fromLatin1(LoadResourceString(nCaptionId)), m_pStrip);
        pAction->setCheckable(true);
        pAction->setChecked(bOn);
        connect(pAction, &QAction::toggled, this, pHandler);
        m_pStrip->addAction(pAction);
        pMenu->addAction(pAction);
    };
    addSetting(IDS_MENU_EXACT, m_list.Exact(), &CEditorFrame::OnExactSamples);
    addSetting(IDS_MENU_KEEP_LAYOUT, m_bKeepLayout, &CEditorFrame::OnKeepLayout);
    m_pStrip->setContextMenuPolicy(Qt::ActionsContextMenu);
}

// One action for each command of the control table, and Undo and Redo with
// the platform's keys. The platform's help key (F1) asks for help from
// anywhere in the window, as the Help button does, once the key is done.
void CEditorFrame::CreateActions()
{
    struct SCommandHandler {
        int nCommandId;
        void (CEditorFrame::*pHandler)();
    };
    static constexpr SCommandHandler kCommandHandlers[] = {
        {CMD_FORMAT_STATEMENT, &CEditorFrame::OnFormatStatement},
        {CMD_NEW_FIELD, &CEditorFrame::OnNewField},
        {CMD_REMOVE_FIELD, &CEditorFrame::OnRemoveField},
        {CMD_CHANGE_VALUE, &CEditorFrame::OnChangeValue},
        {CMD_OK, &CEditorFrame::OnOk},
        {CMD_CANCEL, &CEditorFrame::OnCancel},
        {CMD_HELP, &CEditorFrame::OnHelp},
    };
    for (const SCommandHandler& handler : kCommandHandlers) {
        auto* pAction = new QAction(this);
        connect(pAction, &QAction::triggered, this, handler.pHandler);
        m_commandActions[handler.nCommandId] = pAction;
    }
    auto* pHelp = new QAction(this);
    pHelp->setShortcuts(QKeySequence::HelpContents);
    pHelp->setShortcutContext(Qt::WindowShortcut);
    connect(pHelp, &QAction::triggered, this, [this] { PostCommand(CMD_HELP); });
    addAction(pHelp);
    const auto addHistoryAction = [this](QKeySequence::StandardKey keys, void (CEditorFrame::*pHandler)()) {
        auto* pAction = new QAction(this);
        pAction->setShortcuts(keys);
        pAction->setShortcutContext(Qt::WindowShortcut);
        connect(pAction, &QAction::triggered, this, pHandler);
        addAction(pAction);
        return pAction;
    };
    m_pUndo = addHistoryAction(QKeySequence::Undo, &CEditorFrame::OnUndo);
    m_pRedo = addHistoryAction(QKeySequence::Redo, &CEditorFrame::OnRedo);
}

QAction* CEditorFrame::CommandAction(int nCommandId) const
{
    const auto it = m_commandActions.find(nCommandId);
    return it != m_commandActions.end() ? it->second : nullptr;
}

void CEditorFrame::OnExactSamples(bool bOn)
{
    m_list.SetExact(bOn);
    if (m_bStoreSettings)
        StorePreference(PREF_EXACT_SAMPLES, bOn);
    m_pStrip->Rebuild(0);
    m_pStrip->update();
    UpdateStatusLine();  // the columns follow the samples
}

void CEditorFrame::OnKeepLayout(bool bOn)
{
    m_bKeepLayout = bOn;
    if (m_bStoreSettings)
        StorePreference(PREF_KEEP_LAYOUT, bOn);
}

void CEditorFrame::MeasureFont()
{
    if (m_nCharWidth > 0)
        return;
    const QFontMetrics metrics(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_nCharWidth = std::max(1, metrics.averageCharWidth());
    m_nLineHeight = std::max(1, metrics.height() + std::max(0, metrics.leading()));
    m_nStatusHeight = std::max(1, QFontMetrics(font()).height() + 2);
}

void CEditorFrame::SetDefaultStyle(int nRow, bool bDefault)
{
    // While the strip is current, OK is the default button.
    const int nButtonRow = g_controlTable[static_cast<std::size_t>(nRow)].bPushButton ? nRow : kOkRow;
    if (auto* pButton = qobject_cast<QPushButton*>(Control(nButtonRow)))
        pButton->setDefault(bDefault);
}

void CEditorFrame::SetCurrentControl(int nRow)
{
    if (nRow < 0 || nRow >= kSentinelRow || Control(nRow) == nullptr)
        return;
    SetDefaultStyle(m_nCurrentRow, false);
    SetDefaultStyle(nRow, true);
    m_nCurrentRow = nRow;
    // The statement's keyboard goes to its editor straight away (see
    // CFieldStrip::GiveFocus); a button takes it itself.
    if (nRow == kStripRow && m_pStrip != nullptr)
        m_pStrip->GiveFocus();
    else
        Control(nRow)->setFocus(Qt::OtherFocusReason);
}

void CEditorFrame::PostCommand(int nCommandId)
{
    if (QAction* pAction = CommandAction(nCommandId))
        QMetaObject::invokeMethod(pAction, &QAction::trigger, Qt::QueuedConnection);
}

QWidget* CEditorFrame::Control(int nRow) const
{
    return nRow >= 0 && nRow < kControlRows ? m_arrControls[static_cast<std::size_t>(nRow)] : nullptr;
}

int CEditorFrame::RowOfControl(const QWidget* pControl) const
{
    if (pControl == nullptr)
        return -1;
    for (int nRow = 0; nRow < kSentinelRow; ++nRow)
        if (m_arrControls[static_cast<std::size_t>(nRow)] == pControl)
            return nRow;
    return -1;
}

int CEditorFrame::HotKeyRow(int nKey) const
{
    if (nKey <= 0 || nKey > 0xFFFF)
        return -1;
    const auto it = m_hotKeyMap.find(static_cast<unsigned short>(nKey));
    return it != m_hotKeyMap.end() ? it->second : -1;
}

char CEditorFrame::HotKeyLetter(int nRow) const
{
    return nRow >= 0 && nRow < kControlRows ? m_arrHotKeys[static_cast<std::size_t>(nRow)] : 0;
}

void CEditorFrame::OnDestroy()
{
    if (!m_run.Flags().m_bCommandLineError)
        ShowHelp(m_run.Help(), m_run.Messages(), OwnerOf(this), HELP_QUIT);
}

void CEditorFrame::closeEvent(QCloseEvent* pEvent)
{
    // The window manager's close asks as Cancel does.
    if (!m_bMayClose && !MayDiscard()) {
        pEvent->ignore();
        return;
    }
    pEvent->accept();
    emit Closed();
}

bool CEditorFrame::MayDiscard()
{
    if (m_run.Messages().Unattended() || m_pStrip == nullptr || !m_pStrip->History().IsChanged())
        return true;
    // A second close while the question stands (the window manager's close
    // pressed again) waits for its answer.
    if (m_bAsking)
        return false;
    m_bAsking = true;
    const ChangesAnswer answer = AskDiscardChanges(this, m_run.Dialogs());
    m_bAsking = false;
    if (answer == ChangesAnswer::DISCARD)
        return true;
    // Save is OK: a refused save leaves the window open as OK does.
    if (answer == ChangesAnswer::SAVE)
        return Save();
    KeepEditing();
    return false;
}

void CEditorFrame::KeepEditing()
{
    // Typing that was going on goes on, text and caret as they were;
    // otherwise the statement becomes current again.
    CFieldEdit* pEditor = m_pStrip->Editor();
    if (m_nCurrentRow == kStripRow && pEditor->IsEditing()) {
        TakeKeyboard();
        pEditor->setFocus(Qt::OtherFocusReason);
        return;
    }
    ReturnToStatement();
}

void CEditorFrame::OnUndo()
{
    OnHistoryStep(&CFieldStrip::Undo);
}

void CEditorFrame::OnRedo()
{
    OnHistoryStep(&CFieldStrip::Redo);
}

void CEditorFrame::OnHistoryStep(bool (CFieldStrip::*pStep)())
{
    if (m_pStrip == nullptr || !(m_pStrip->*pStep)())
        return;
    // SetCurrentControl gives the strip the focus, which puts the editor on
    // the field the step touched with its restored text.
    SetCurrentControl(kStripRow);
}

void CEditorFrame::OnFormatStatement()
{
    // Reaching the strip is the whole effect of its hot key.
}

void CEditorFrame::OnNewField()
{
    CNewFieldDlg dialog(this, TYPE_STRING);
    // The dialog inserts the field itself: a refused text keeps it open and
    // says why.
    dialog.m_fnInsert = [this](const std::string& strText, bool bAfter) {
        return InsertRefusalText(m_list.Table(), strText, m_pStrip->InsertField(strText, bAfter));
    };
    const int nResult = m_run.Dialogs().Run(dialog);
    ReturnToStatement();
    if (nResult == QDialog::Accepted && dialog.m_nType == TYPE_STRING)
        SelectConstantCharacters();
}

void CEditorFrame::SelectConstantCharacters()
{
    // The new character constant's text stands for what the user will write:
    // its characters, inside the quotes, are selected, so that typing replaces them.
    CFieldEdit* pEditor = m_pStrip->Editor();
    const QString strText = pEditor->text();
    if (strText.size() >= 2 && (strText.front() == QLatin1Char('\'') || strText.front() == QLatin1Char('"')) &&
        strText.back() == strText.front())
        pEditor->setSelection(1, static_cast<int>(strText.size()) - 2);
}

void CEditorFrame::OnRemoveField()
{
    m_run.Messages().ShowResult(OwnerOf(this), m_pStrip->RemoveField());
    ReturnToStatement();
}

void CEditorFrame::OnChangeValue()
{
    std::string strText;
    m_list.GetText(m_pStrip->CurrentIndex(), strText);
    std::string strValue, strShown;
    m_pStrip->GetFieldValue(strValue);
    m_list.GetSample(m_pStrip->CurrentIndex(), strShown);
    CChangeValueDlg dialog(this, strText, strValue, strShown, m_pStrip->CurrentFieldArea());
    if (m_run.Dialogs().Run(dialog) == QDialog::Accepted)
        m_run.Messages().ShowResult(OwnerOf(this), m_pStrip->SetFieldValue(dialog.m_strValue));
    ReturnToStatement();
}

void CEditorFrame::OnOk()
{
    if (Save())
        close();
}

bool CEditorFrame::Save()
{
    int bWritten = 0;
    const int nIndex = m_pStrip != nullptr ? m_pStrip->CurrentIndex() : 0;
    CWindowQuestions questions(OwnerOf(m_pStrip), m_run.Messages(), *m_pSaveAs);
    const WriteWay nWay = m_bKeepLayout ? WRITE_KEEP_LAYOUT : WRITE_REBUILD;
    if (SaveStatement(m_list, m_site, nIndex, m_run.Messages(), OwnerOf(m_pStrip), questions, nWay, bWritten,
                      m_strSavedElsewhere)) {
        m_bWritten = bWritten != 0;
        m_bMayClose = true;
        return true;
    }
    // The window stays open: the field taken back shows as it now is, and
    // the statement is current again.
    if (m_pStrip != nullptr) {
        m_pStrip->Rebuild(0);
        if (m_nCurrentRow == kStripRow)
            m_pStrip->GiveFocus();
        m_pStrip->update();
        ReturnToStatement();
    }
    return false;
}

void CEditorFrame::OnCancel()
{
    if (!MayDiscard())
        return;
    m_bMayClose = true;
    close();
}

void CEditorFrame::OnHelp()
{
    ShowHelp(m_run.Help(), m_run.Messages(), OwnerOf(this), HELP_CONTEXT, "1");
    // The viewer is a window of its own that takes the keyboard while it is
    // open and gives it back when it closes; the statement is what takes it
    // then. (Taking the keyboard here would race the viewer's window.)
    SetCurrentControl(kStripRow);
}

void CEditorFrame::ReturnToStatement()
{
    SetCurrentControl(kStripRow);
    // A dialog or message box that held the keyboard has closed. Without a
    // window manager nobody gives the keyboard back, so the window asks for
    // it itself.
    if (isVisible())
        TakeKeyboard();
}

// The list of the statements that use the statement opened, each by its
// status line's words; the mouse and a screen reader reach it, and the
// keys go through it (Ctrl+PageDown, Ctrl+PageUp), the window's actions.
void CEditorFrame::CreateUsesList()
{
    if (m_uses.uses.empty())
        return;
    m_pUses = new QComboBox(this);
    m_pUses->setObjectName(QStringLiteral("statementUses"));
    // Read by the statement in view (its current text); what it is, by its description.
    m_pUses->setAccessibleName(QString::fromLatin1(LoadResourceString(IDS_STATUS_USES_NAME)));
    m_pUses->setAccessibleDescription(m_pUses->accessibleName());
    m_pUses->setFocusPolicy(Qt::ClickFocus);
    for (const SStatementUse& use : m_uses.uses)
        m_pUses->addItem(QString::fromStdString(use.strStatus));
    connect(m_pUses, &QComboBox::activated, this, [this](int nUse) {
        ShowUse(nUse);
        SetCurrentControl(kStripRow);
    });
    const auto addStep = [this](QKeyCombination keys, int nStep) {
        auto* pAction = new QAction(this);
        pAction->setShortcut(QKeySequence(keys));
        pAction->setShortcutContext(Qt::WindowShortcut);
        connect(pAction, &QAction::triggered, this, [this, nStep] {
            const int nCount = static_cast<int>(m_uses.uses.size());
            ShowUse((m_nUse + nStep + nCount) % nCount);
        });
        addAction(pAction);
    };
    addStep(Qt::ControlModifier | Qt::Key_PageDown, 1);
    addStep(Qt::ControlModifier | Qt::Key_PageUp, -1);
}

void CEditorFrame::ShowUse(int nUse)
{
    if (nUse < 0 || static_cast<std::size_t>(nUse) >= m_uses.uses.size())
        return;
    m_nUse = nUse;
    if (m_pUses != nullptr && m_pUses->currentIndex() != nUse)
        m_pUses->setCurrentIndex(nUse);
    MatchUse();
}

// The statement in view matched against the list as it stands (each edit,
// and a change of statement): the strip's marks, the list's entry and the
// status line. A move that changes no field only renews the status line.
void CEditorFrame::MatchUse()
{
    std::vector<unsigned long long> arrRevisions(static_cast<std::size_t>(m_list.size()));
    for (int i = 0; i < m_list.size(); ++i)
        arrRevisions[static_cast<std::size_t>(i)] = m_list.Revision(i);
    const bool bChanged = m_nMatchedUse != m_nUse || arrRevisions != m_arrMatchedRevisions;
    m_arrMatchedRevisions = std::move(arrRevisions);
    m_nMatchedUse = m_nUse;
    if (bChanged && !m_uses.uses.empty()) {
        SStatementUse& use = m_uses.uses[static_cast<std::size_t>(m_nUse)];
        MatchUseAgain(use, m_list);
        std::vector<SFieldItemMark> marks;
        for (const SFieldUse& field : use.fields) {
            SFieldItemMark mark;
            mark.bNoItem = field.noItem != NoItem::NONE;
            mark.strShown = QString::fromStdString(field.strShown);
            mark.strWords = QString::fromStdString(FieldUseText(field));
            mark.bReused = field.bReused;
            mark.bFinding = !field.strFinding.empty() && field.severity != CheckSeverity::NOTE;
            mark.bTypedSample = field.bTypedSample;
            if (field.bTypedSample)
                mark.strSample = field.strSample;
            marks.push_back(std::move(mark));
        }
        m_pStrip->SetItemMarks(std::move(marks));
        if (m_pUses != nullptr)
            m_pUses->setItemText(m_nUse, QString::fromStdString(use.strStatus));
    }
    UpdateStatusLine();
}

void CEditorFrame::UpdateStatusLine()
{
    const std::string& strUse = m_uses.uses.empty() ? m_uses.strNone
                                                    : m_uses.uses[static_cast<std::size_t>(m_nUse)].strStatus;
    m_pStatus->SetParts(m_pStrip->StatusText(), QString::fromStdString(strUse));
}

void CEditorFrame::TakeKeyboard()
{
    // With a window manager this asks it to activate (and raise) the
    // window; without one Qt sets the X input focus on the window itself.
    activateWindow();
}
