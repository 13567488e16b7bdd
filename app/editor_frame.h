// The main window: the field strip across the top, six push buttons along
// the bottom, the keyboard model that moves between these seven controls,
// and the commands the controls stand for.
#pragma once

#include <functional>

#include <QRect>
#include <QWidget>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "control_table.h"
#include "format_items.h"
#include "frame_keys.h"
#include "save_as_dialog.h"
#include "status_line.h"

class CDescriptorList;
class CFieldStrip;
class CRunContext;
class CStatementSite;
class QAction;
class QComboBox;
class QLabel;
class QPushButton;

class CEditorFrame : public QWidget, public IKeyedWindow {
    Q_OBJECT

public:
    // Creates the window hidden, with an empty title and the program's icon,
    // over the statement's descriptors and where it stands in its file, in
    // the run's context (all three outlive the window).
    CEditorFrame(CDescriptorList& list, CStatementSite& site, CRunContext& run);
    ~CEditorFrame() override;
    CEditorFrame(const CEditorFrame&) = delete;
    CEditorFrame& operator=(const CEditorFrame&) = delete;

    // Creates the strip, the status line and the six buttons and lays them
    // out, fills the hot-key letters and map from their captions, fixes the
    // window's height and minimum width, and starts taking the keys of the
    // window.
    void CreateControls();

    // Makes a row of the control table current: the default-button style
    // moves to it (to OK when the strip is current) and it takes the focus.
    void SetCurrentControl(int nRow) override;
    int CurrentControl() const override { return m_nCurrentRow; }

    // Gives the window the keyboard: when it is shown, and after a command
    // whose dialog or message box had it.
    void TakeKeyboard();

    // The action of a command of the control table (nullptr for none): its
    // button's click triggers it, as do its keys.
    QAction* CommandAction(int nCommandId) const;
    // Triggers a command's action once the event loop comes round to it.
    void PostCommand(int nCommandId) override;

    // Undo and Redo (the platform's keys, and Ctrl+Z; Ctrl+Shift+Z and
    // Ctrl+Y), from any control of the window: the step is taken back or
    // made again in the strip, whose field it touched becomes current, and
    // the statement has the keyboard. Nothing happens when there is nothing
    // to undo or redo.
    QAction* UndoAction() const override { return m_pUndo; }
    QAction* RedoAction() const override { return m_pRedo; }

    // The control of a row (nullptr for the sentinel), the row of a control
    // (-1 for none), the row a hot key stands for (-1 for none).
    QWidget* Control(int nRow) const;
    int RowOfControl(const QWidget* pControl) const override;
    int HotKeyRow(int nKey) const override;
    char HotKeyLetter(int nRow) const;

    CFieldStrip* Strip() const { return m_pStrip; }
    // The status line under the strip: the current field in words.
    CStatusLine* StatusLine() const { return m_pStatus; }

    // The Save As dialog OK offers when the file cannot be written (the
    // window's own unless one is given; the caller keeps ownership).
    void SetSaveAsDialog(ISaveAsDialog* pDialog) { m_pSaveAs = pDialog != nullptr ? pDialog : &m_saveAs; }

    // True when OK wrote the file that was opened; the file Save As wrote
    // the statement into instead (empty when none).
    bool FileWritten() const { return m_bWritten; }
    const std::string& SavedElsewhere() const { return m_strSavedElsewhere; }

    // The Settings button, whose menu holds the settings.
    QPushButton* SettingsButton() const { return m_pSettings; }

    // The two settings of the Settings menu and the strip's context menu: samples as the compiler
    // prints them (held by the list) and OK keeping the statement's layout.
    // With bStore a change of either is stored for the next start; the
    // unattended road stores nothing. Call before CreateControls.
    void SetKeepLayout(bool bKeepLayout) { m_bKeepLayout = bKeepLayout; }
    void SetStoresSettings(bool bStore) { m_bStoreSettings = bStore; }
    bool KeepsLayout() const { return m_bKeepLayout; }

    // The I/O statements that use the statement opened (call before
    // CreateControls): over each field the items it edits for the one in
    // view, first the first by line; the list of them in the window and
    // Ctrl+PageDown and Ctrl+PageUp go from one to the next and back. An
    // edit matches the items again at once. Without any, the status line
    // says that none uses it.
    void SetUses(SFormatItems uses) { m_uses = std::move(uses); }
    // The statement in view (its index in the list) and the list.
    int CurrentUse() const { return m_nUse; }
    QComboBox* UsesList() const { return m_pUses; }
    void ShowUse(int nUse);

    // The window is going away: the help viewer is closed, unless the
    // command line was bad and the viewer shows its help.
    void OnDestroy();

    // What a dropped file starts (by default: this program on the file
    // alone, as its own process); the tests put a recorder here.
    void SetDroppedFileOpener(std::function<void(const QString&)> opener) { m_openDropped = std::move(opener); }

signals:
    void Closed();

protected:
    // A file dropped on the window starts a program of its own for it (the
    // list of its statements); this window is left as it is.
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;
    void closeEvent(QCloseEvent* pEvent) override;

private:
    void MeasureFont();
    void LayOutControls();
    void CreateSettingsMenu();
    void CreateActions();
    void OnUndo();
    void OnRedo();
    void OnExactSamples(bool bOn);
    void OnKeepLayout(bool bOn);
    void SetDefaultStyle(int nRow, bool bDefault);
    void OnFormatStatement();
    void OnNewField();
    void SelectConstantCharacters();
    void OnRemoveField();
    void OnChangeValue();
    void OnOk();
    // OK without the closing: writes the statement; true when the window
    // may close (written, or the user chose to exit anyway).
    bool Save();
    void OnCancel();
    void OnHelp();
    void ReturnToStatement();
    void UpdateStatusLine();
    void CreateUsesList();
    void MatchUse();
    void OnHistoryStep(bool (CFieldStrip::*pStep)());
    // Whether the window may close: yes without a change (one undone back to
    // the opening list is none) and on the unattended road; else the user
    // is asked: Save saves as OK does (yes when it did), Discard is yes, and
    // Keep editing gives the statement the keyboard again.
    bool MayDiscard();
    void KeepEditing();

    CDescriptorList& m_list;
    CStatementSite& m_site;
    CRunContext& m_run;
    CSaveAsDialog m_saveAs;
    ISaveAsDialog* m_pSaveAs = &m_saveAs;
    CFieldStrip* m_pStrip = nullptr;
    CStatusLine* m_pStatus = nullptr;
    QPushButton* m_pSettings = nullptr;  // the Settings button and its menu
    std::array<QWidget*, kControlRows> m_arrControls{};
    std::array<char, kControlRows> m_arrHotKeys{};
    std::map<unsigned short, int> m_hotKeyMap;  // hot-key letter -> control-table row
    std::map<int, QAction*> m_commandActions;   // command ID -> its action
    QAction* m_pUndo = nullptr;
    QAction* m_pRedo = nullptr;
    int m_nCurrentRow = kStripRow;
    int m_nCharWidth = 0;     // average character width of the fixed font, 0 until measured
    int m_nLineHeight = 0;    // its line height
    int m_nStatusHeight = 0;  // the status line's height, in the window's own font
    bool m_bWritten = false;
    bool m_bMayClose = false;  // OK or Cancel decided to close: no question then
    bool m_bAsking = false;    // the question before discarding is open
    bool m_bKeepLayout = false;
    bool m_bStoreSettings = false;
    std::string m_strSavedElsewhere;
    std::function<void(const QString&)> m_openDropped;
    SFormatItems m_uses;
    int m_nUse = 0;
    // The fields' revisions and the statement when the items were last
    // matched: a move that changes neither matches nothing again.
    std::vector<unsigned long long> m_arrMatchedRevisions;
    int m_nMatchedUse = -1;
    QComboBox* m_pUses = nullptr;
};
