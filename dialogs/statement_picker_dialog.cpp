#include "statement_picker_dialog.h"

#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "dialog_placement.h"
#include "string_table.h"
#include "strip_text.h"

namespace {

enum PickerColumn { COLUMN_LINE, COLUMN_LABEL, COLUMN_LIST, COLUMN_COUNT };

constexpr int kListShown = 120;  // characters of a long list a row shows
constexpr int kIndexRole = Qt::UserRole + 1;

QString Text(int nId)
{
    return QString::fromUtf8(LoadResourceString(nId));
}

QStandardItem* Cell(const QString& strText, std::size_t nIndex)
{
    auto* pItem = new QStandardItem(strText);  // the model owns its items
    pItem->setEditable(false);
    pItem->setData(static_cast<int>(nIndex), kIndexRole);
    return pItem;
}

}  // namespace

CStatementPickerDlg::CStatementPickerDlg(QWidget* pParent, const std::string& strFile,
                                         std::vector<SIndexedStatement> statements)
    : QDialog(pParent), m_statements(std::move(statements))
{
    setWindowTitle(Text(IDS_PICKER_TITLE).arg(QString::fromLocal8Bit(strFile.c_str())));
    auto* pLabel = new QLabel(Text(IDS_PICKER_FILTER), this);
    m_pFilter = new QLineEdit(this);
    m_pFilter->setAccessibleName(Text(IDS_PICKER_FILTER_NAME));
    m_pFilter->setClearButtonEnabled(true);
    pLabel->setBuddy(m_pFilter);

    m_pModel = new QStandardItemModel(0, COLUMN_COUNT, this);
    m_pModel->setHorizontalHeaderLabels({Text(IDS_PICKER_LINE), Text(IDS_PICKER_LABEL), Text(IDS_PICKER_LIST)});
    for (std::size_t i = 0; i < m_statements.size(); ++i) {
        const SIndexedStatement& s = m_statements[i];
        QString strList = ToScreen(s.strList);
        if (strList.size() > kListShown)
            strList = strList.left(kListShown - 3) + QStringLiteral("...");
        m_pModel->appendRow({Cell(QString::number(s.nLine), i),
                             Cell(s.nLabel != 0 ? QString::number(s.nLabel) : QString(), i), Cell(strList, i)});
    }
    m_pProxy = new QSortFilterProxyModel(this);
    m_pProxy->setSourceModel(m_pModel);
    m_pProxy->setFilterKeyColumn(-1);  // the line, the label and the list
    m_pProxy->setFilterCaseSensitivity(Qt::CaseInsensitive);

    m_pList = new QTreeView(this);
    m_pList->setModel(m_pProxy);
    m_pList->setRootIsDecorated(false);
    m_pList->setUniformRowHeights(true);  // a long file's rows are laid out without measuring each
    m_pList->setAllColumnsShowFocus(true);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->setAccessibleName(Text(IDS_PICKER_LIST_NAME));
    m_pList->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pList->header()->setStretchLastSection(true);
    m_pList->header()->setSectionResizeMode(COLUMN_LINE, QHeaderView::ResizeToContents);
    m_pList->header()->setSectionResizeMode(COLUMN_LABEL, QHeaderView::ResizeToContents);
    m_pList->setMinimumWidth(m_pList->fontMetrics().averageCharWidth() * 80);

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    connect(pButtons, &QDialogButtonBox::accepted, this, &CStatementPickerDlg::accept);
    connect(pButtons, &QDialogButtonBox::rejected, this, &CStatementPickerDlg::reject);
    connect(m_pFilter, &QLineEdit::textChanged, this, &CStatementPickerDlg::OnFilterEdited);
    connect(m_pList, &QTreeView::doubleClicked, this, [this](const QModelIndex&) { accept(); });
    // Up and Down in the filter move through the rows, so that a row is
    // chosen without leaving the filter.
    m_pFilter->installEventFilter(this);

    auto* pLayout = new QVBoxLayout(this);
    auto* pFilterRow = new QHBoxLayout;
    pFilterRow->addWidget(pLabel);
    pFilterRow->addWidget(m_pFilter, 1);
    pLayout->addLayout(pFilterRow);
    pLayout->addWidget(m_pList, 1);
    pLayout->addWidget(pButtons);
    resize(m_pList->minimumWidth() + 40, 400);
    SelectRow(0);
    CentreOnOwner(*this);
    m_pFilter->setFocus();
}

int CStatementPickerDlg::ShownRows() const
{
    return m_pProxy->rowCount();
}

void CStatementPickerDlg::SelectRow(int nRow)
{
    if (m_pProxy->rowCount() == 0)
        return;
    const QModelIndex index = m_pProxy->index(std::clamp(nRow, 0, m_pProxy->rowCount() - 1), 0);
    m_pList->setCurrentIndex(index);
    m_pList->scrollTo(index);
}

void CStatementPickerDlg::OnFilterEdited(const QString& strText)
{
    m_pProxy->setFilterFixedString(strText);
    SelectRow(0);
}

bool CStatementPickerDlg::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pWatched == m_pFilter && pEvent->type() == QEvent::KeyPress) {
        const int nKey = static_cast<QKeyEvent*>(pEvent)->key();
        const int nStep = nKey == Qt::Key_Down ? 1 : nKey == Qt::Key_Up ? -1 : 0;
        if (nStep != 0) {
            SelectRow(m_pList->currentIndex().row() + nStep);
            return true;
        }
    }
    return QDialog::eventFilter(pWatched, pEvent);
}

void CStatementPickerDlg::accept()
{
    const QModelIndex current = m_pList->currentIndex();
    if (!current.isValid())
        return;  // nothing left to choose: the filter keeps no row
    m_nChosen = current.data(kIndexRole).toInt();
    QDialog::accept();
}

void CStatementPickerDlg::reject()
{
    m_nChosen = -1;
    QDialog::reject();
}
