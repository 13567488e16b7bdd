#include "new_field_dialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "dialog_placement.h"
#include "string_table.h"
#include "strip_text.h"

namespace {

// The types' labels as the dialog shows them: the label, and the descriptor
// the type inserts in brackets. Custom keeps its own label.
struct STypeLabel {
    int nType;
    int nLabelId;
    int nDescriptorId;  // 0: none shown
};

constexpr std::array<STypeLabel, 6> kTypeLabels = {{
    {TYPE_STRING, IDS_OPTION_STRING, 0},
    {TYPE_CHARACTER, IDS_OPTION_CHARACTER, IDS_NEW_CHARACTER},
    {TYPE_LOGICAL, IDS_OPTION_LOGICAL, IDS_NEW_LOGICAL},
    {TYPE_INTEGER, IDS_OPTION_INTEGER, IDS_NEW_INTEGER},
    {TYPE_FIXED, IDS_OPTION_FIXED, IDS_NEW_FIXED},
    {TYPE_SCIENTIFIC, IDS_OPTION_SCIENTIFIC, IDS_NEW_SCIENTIFIC},
}};

// The descriptor each ready-made type inserts.
constexpr std::array<int, 6> kTypeDescriptors = {IDS_NEW_STRING,  IDS_NEW_CHARACTER, IDS_NEW_LOGICAL,
                                                 IDS_NEW_INTEGER, IDS_NEW_FIXED,     IDS_NEW_SCIENTIFIC};

}  // namespace

std::string NewFieldText(int nType, const std::string& strCustom)
{
    if (nType >= 0 && nType < static_cast<int>(kTypeDescriptors.size()))
        return LoadResourceString(kTypeDescriptors[static_cast<std::size_t>(nType)]);
    return strCustom;
}

CNewFieldDlg::CNewFieldDlg(QWidget* pParent, int nType, const std::string& strCustom)
    : QDialog(pParent), m_strCustom(strCustom), m_nType(nType)
{
    setWindowTitle(tr("New Field"));
    QGroupBox* pGroup = CreateTypeGroup();
    QLayout* pButtons = CreateButtons();
    auto* pLayout = new QHBoxLayout(this);
    pLayout->addWidget(pGroup, 1);
    pLayout->addLayout(pButtons);

    LabelTypes();
    ShowChoice();
    EnableCustomBox();
    CentreOnOwner(*this);
}

QGroupBox* CNewFieldDlg::CreateTypeGroup()
{
    auto* pGroup = new QGroupBox(tr("Descriptor Type"), this);
    auto* pGroupLayout = new QVBoxLayout(pGroup);
    m_pTypes = new QButtonGroup(this);
    QWidget* pPrevious = nullptr;
    for (int nType = 0; nType < TYPE_COUNT; ++nType) {
        // The ready-made types are labelled from the string table (LabelTypes).
        auto* pRadio = new QRadioButton(nType == TYPE_CUSTOM ? QStringLiteral("&Custom:") : QString(), pGroup);
        m_pTypes->addButton(pRadio, nType);
        if (nType == TYPE_CUSTOM) {
            // The Custom box stands beside its button, and comes next on Tab.
            m_pCustom = new QLineEdit(pGroup);
            m_pCustom->setAccessibleName(tr("Custom descriptor"));
            auto* pRow = new QHBoxLayout;
            pRow->addWidget(pRadio);
            pRow->addWidget(m_pCustom, 1);
            pGroupLayout->addLayout(pRow);
        } else {
            pGroupLayout->addWidget(pRadio);
        }
        if (pPrevious != nullptr)
            setTabOrder(pPrevious, pRadio);
        pPrevious = pRadio;
    }
    setTabOrder(pPrevious, m_pCustom);
    // Why the last text was refused, under the types, in the dialog itself.
    m_pReason = new QLabel(pGroup);
    m_pReason->setObjectName(QStringLiteral("refusal"));
    m_pReason->setTextFormat(Qt::PlainText);
    m_pReason->setWordWrap(true);
    m_pReason->hide();
    pGroupLayout->addWidget(m_pReason);
    // Any choice of type, by click or key, decides whether the box is usable.
    connect(m_pTypes, &QButtonGroup::idToggled, this, [this] { EnableCustomBox(); });
    connect(m_pTypes, &QButtonGroup::idClicked, this, &CNewFieldDlg::OnTypeClicked);
    connect(m_pCustom, &QLineEdit::textEdited, this, [this] { ShowReason(std::string()); });
    return pGroup;
}

QLayout* CNewFieldDlg::CreateButtons()
{
    m_pBefore = new QPushButton(tr("Insert &Before Current Field"), this);
    m_pAfter = new QPushButton(tr("Insert &After Current Field"), this);
    auto* pCancel = new QPushButton(tr("Cancel"), this);
    m_pBefore->setDefault(true);
    setTabOrder(m_pCustom, m_pBefore);
    setTabOrder(m_pBefore, m_pAfter);
    setTabOrder(m_pAfter, pCancel);
    connect(m_pBefore, &QPushButton::clicked, this, &CNewFieldDlg::OnInsertBefore);
    connect(m_pAfter, &QPushButton::clicked, this, &CNewFieldDlg::OnInsertAfter);
    connect(pCancel, &QPushButton::clicked, this, &CNewFieldDlg::reject);
    auto* pButtons = new QVBoxLayout;
    pButtons->addWidget(m_pBefore);
    pButtons->addWidget(m_pAfter);
    pButtons->addWidget(pCancel);
    pButtons->addStretch(1);
    return pButtons;
}

QAbstractButton* CNewFieldDlg::TypeButton(int nType) const
{
    return m_pTypes->button(nType);
}

void CNewFieldDlg::LabelTypes()
{
    for (const STypeLabel& label : kTypeLabels) {
        QString strLabel = QString::fromLatin1(LoadResourceString(label.nLabelId));
        if (label.nDescriptorId != 0)
            strLabel += QStringLiteral(" (") + QString::fromLatin1(LoadResourceString(label.nDescriptorId)) +
                        QLatin1Char(')');
        TypeButton(label.nType)->setText(strLabel);
    }
}

void CNewFieldDlg::TakeChoice()
{
    m_strCustom = FromScreen(m_pCustom->text());
    m_nType = m_pTypes->checkedId();
}

void CNewFieldDlg::ShowChoice()
{
    m_pCustom->setText(ToScreen(m_strCustom));
    if (QAbstractButton* pButton = TypeButton(m_nType)) {
        pButton->setChecked(true);
    } else if (QAbstractButton* pChecked = m_pTypes->checkedButton()) {
        // No type: no button checked.
        m_pTypes->setExclusive(false);
        pChecked->setChecked(false);
        m_pTypes->setExclusive(true);
    }
}

void CNewFieldDlg::EnableCustomBox()
{
    m_pCustom->setEnabled(m_pTypes->checkedId() == TYPE_CUSTOM);
}

void CNewFieldDlg::OnTypeClicked(int nType)
{
    // Choosing Custom, by its key or a click, is choosing to type there.
    ShowReason(std::string());
    if (nType == TYPE_CUSTOM && m_pCustom->isEnabled()) {
        m_pCustom->setFocus(Qt::OtherFocusReason);
        m_pCustom->selectAll();
    }
}

void CNewFieldDlg::ShowReason(const std::string& strReason)
{
    m_pReason->setText(ToScreen(strReason));
    m_pReason->setVisible(!strReason.empty());
}

void CNewFieldDlg::Insert(bool bAfter)
{
    TakeChoice();
    if (m_fnInsert) {
        const std::string strReason = m_fnInsert(NewFieldText(m_nType, m_strCustom), bAfter);
        if (!strReason.empty()) {
            ShowReason(strReason);
            if (m_nType == TYPE_CUSTOM) {
                m_pCustom->setFocus(Qt::OtherFocusReason);
                m_pCustom->selectAll();
            }
            return;
        }
    }
    m_bAfter = bAfter;
    accept();
}

void CNewFieldDlg::OnInsertBefore()
{
    Insert(false);
}

void CNewFieldDlg::OnInsertAfter()
{
    Insert(true);
}
