#include "change_value_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialog_placement.h"
#include "strip_text.h"

CChangeValueDlg::CChangeValueDlg(QWidget* pParent, const std::string& strDescriptor, const std::string& strValue,
                                 const std::string& strShown, const QRect& fieldArea)
    : QDialog(pParent), m_strValue(strValue), m_strShown(strShown), m_fieldArea(fieldArea)
{
    setWindowTitle(strDescriptor.empty() ? tr("Change Value") : tr("Change Value for %1").arg(ToScreen(strDescriptor)));
    m_pLabel = new QLabel(tr("Custom &Value:"), this);
    m_pValue = new QLineEdit(this);
    m_pLabel->setBuddy(m_pValue);  // the label's mnemonic goes to the box
    m_pDefault = new QPushButton(tr("&Set to Default"), this);
    m_pOk = new QPushButton(tr("OK"), this);
    auto* pCancel = new QPushButton(tr("Cancel"), this);
    m_pOk->setDefault(true);
    setTabOrder(m_pValue, m_pDefault);
    setTabOrder(m_pDefault, m_pOk);
    setTabOrder(m_pOk, pCancel);
    connect(m_pDefault, &QPushButton::clicked, this, &CChangeValueDlg::OnSetToDefault);
    connect(m_pOk, &QPushButton::clicked, this, &CChangeValueDlg::accept);
    connect(pCancel, &QPushButton::clicked, this, &CChangeValueDlg::reject);

    auto* pLayout = new QGridLayout(this);
    pLayout->addWidget(m_pLabel, 0, 0);
    pLayout->addWidget(m_pValue, 0, 1);
    auto* pButtons = new QHBoxLayout;
    pButtons->addWidget(m_pDefault);
    pButtons->addStretch(1);
    pButtons->addWidget(m_pOk);
    pButtons->addWidget(pCancel);
    pLayout->addLayout(pButtons, 1, 0, 1, 2);
    m_pValue->setMinimumWidth(m_pValue->fontMetrics().averageCharWidth() * 30);

    m_pValue->setText(ToScreen(m_strValue.empty() ? m_strShown : m_strValue));
    m_pValue->selectAll();
    m_pValue->setFocus(Qt::OtherFocusReason);
    if (m_fieldArea.isValid())
        PlaceBeside(*this, m_fieldArea);
    else
        CentreOnOwner(*this);
}

void CChangeValueDlg::accept()
{
    const std::string strTyped = FromScreen(m_pValue->text());
    // The sample shown, left as it was, is no value of the field's own.
    if (!(m_strValue.empty() && strTyped == m_strShown))
        m_strValue = strTyped;
    QDialog::accept();
}

void CChangeValueDlg::OnSetToDefault()
{
    m_strValue.clear();
    QDialog::accept();
}
