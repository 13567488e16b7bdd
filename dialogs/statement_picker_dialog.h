// The statements of a file to choose from when the program is started with
// the file alone: one row per FORMAT statement or format string, with its
// line, label and list; typing into the filter keeps the rows that hold the
// typed text, Enter or a double click opens the chosen one.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "statement_index.h"

class QLineEdit;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTreeView;

class CStatementPickerDlg : public QDialog {
    Q_OBJECT

public:
    CStatementPickerDlg(QWidget* pParent, const std::string& strFile, std::vector<SIndexedStatement> statements);

    // The statement chosen, or nullptr.
    const SIndexedStatement* Chosen() const { return m_nChosen >= 0 ? &m_statements[m_nChosen] : nullptr; }

    // Accepted when a statement was chosen (Chosen()), rejected otherwise.
    void accept() override;
    void reject() override;

    QLineEdit* FilterBox() const { return m_pFilter; }
    QTreeView* List() const { return m_pList; }
    // The rows the filter keeps.
    int ShownRows() const;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void OnFilterEdited(const QString& strText);
    void SelectRow(int nRow);

    std::vector<SIndexedStatement> m_statements;
    int m_nChosen = -1;
    QLineEdit* m_pFilter = nullptr;
    QTreeView* m_pList = nullptr;
    QStandardItemModel* m_pModel = nullptr;
    QSortFilterProxyModel* m_pProxy = nullptr;
};
