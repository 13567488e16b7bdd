#include "field_strip_accessible.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <QWindow>
#include <map>

#include "descriptor_list.h"
#include "field_layout.h"
#include "field_strip.h"
#include "strip_text.h"

namespace {

// One cell: a table cell named after its field, row and text.
class CFieldCellAccessible : public QAccessibleInterface {
public:
    CFieldCellAccessible(CFieldStrip* pStrip, SCellRef cell) : m_pStrip(pStrip), m_nId(cell) {}

    SCellRef Id() const { return m_nId; }

    bool isValid() const override { return m_pStrip != nullptr && m_pStrip->Cell(m_nId) != nullptr; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_pStrip != nullptr ? m_pStrip->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return m_pStrip != nullptr ? QAccessible::queryAccessibleInterface(m_pStrip.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override { return QAccessible::Cell; }

    QString text(QAccessible::Text t) const override
    {
        const CFieldCell* pCell = isValid() ? m_pStrip->Cell(m_nId) : nullptr;
        if (pCell == nullptr)
            return QString();
        const int i = CellIndex(m_nId);
        switch (t) {
        case QAccessible::Name:
            return QWidget::tr("Field %1 %2: %3")
                .arg(i + 1)
                .arg(IsSampleRow(m_nId) ? QWidget::tr("sample") : QWidget::tr("descriptor"))
                .arg(SpokenText(ToScreen(pCell->Text())));
        case QAccessible::Value: return ToScreen(pCell->Text());
        case QAccessible::Description: {
            // not valid, and what it edits for the statement in view
            QStringList parts;
            if (i < m_pStrip->List()->size() && IsInvalidField(m_pStrip->List()->At(i)))
                parts.append(QWidget::tr("not valid"));
            if (const SFieldItemMark* pMark = m_pStrip->ItemMark(i); pMark != nullptr && !IsSampleRow(m_nId))
                if (!pMark->strWords.isEmpty())
                    parts.append(pMark->strWords);
            return parts.join(QStringLiteral("; "));
        }
        default: return QString();
        }
    }

    QRect rect() const override
    {
        const CFieldCell* pCell = isValid() ? m_pStrip->Cell(m_nId) : nullptr;
        if (pCell == nullptr)
            return QRect();
        return QRect(m_pStrip->mapToGlobal(pCell->Rect().topLeft()), pCell->Rect().size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        const CFieldCell* pCell = isValid() ? m_pStrip->Cell(m_nId) : nullptr;
        state.invisible = pCell == nullptr || !pCell->IsVisible();
        state.selectable = true;
        state.selected = pCell != nullptr && m_pStrip->CurrentId() == m_nId;
        state.readOnly = true;  // typed into through the editor
        return state;
    }

private:
    QPointer<CFieldStrip> m_pStrip;
    SCellRef m_nId;
};

// The strip: its widget children (the editor, the scroll bar), then the
// cells, text and sample of field 0, of field 1, and so on. Cell interfaces
// are made when asked for and live as long as the strip's.
class CFieldStripAccessible : public QAccessibleWidget {
public:
    explicit CFieldStripAccessible(CFieldStrip* pStrip) : QAccessibleWidget(pStrip, QAccessible::Grouping) {}

    ~CFieldStripAccessible() override
    {
        for (const auto& [nPosition, id] : m_cells)
            QAccessible::deleteAccessibleInterface(id);
    }

    CFieldStrip* Strip() const { return static_cast<CFieldStrip*>(widget()); }

    int childCount() const override { return QAccessibleWidget::childCount() + 2 * Strip()->CellCount(); }

    QAccessibleInterface* child(int nIndex) const override
    {
        const int nWidgets = QAccessibleWidget::childCount();
        if (nIndex < nWidgets)
            return QAccessibleWidget::child(nIndex);
        const int k = nIndex - nWidgets;
        if (k >= 2 * Strip()->CellCount())
            return nullptr;
        const SCellRef cell = k % 2 != 0 ? SampleCellId(k / 2) : TextCellId(k / 2);
        auto it = m_cells.find(k);
        if (it == m_cells.end())
            it = m_cells.emplace(k, QAccessible::registerAccessibleInterface(new CFieldCellAccessible(Strip(), cell)))
                     .first;
        return QAccessible::accessibleInterface(it->second);
    }

    int indexOfChild(const QAccessibleInterface* pChild) const override
    {
        if (const auto* pCell = dynamic_cast<const CFieldCellAccessible*>(pChild)) {
            const SCellRef cell = pCell->Id();
            return QAccessibleWidget::childCount() + 2 * CellIndex(cell) + (IsSampleRow(cell) ? 1 : 0);
        }
        return QAccessibleWidget::indexOfChild(pChild);
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return QString(Strip()->windowTitle()).remove(QLatin1Char('&'));
        case QAccessible::Description: return Strip()->CurrentFieldDescription();
        default: return QAccessibleWidget::text(t);
        }
    }

private:
    mutable std::map<int, QAccessible::Id> m_cells;  // child position past the widgets -> registered interface
};

QAccessibleInterface* FieldStripFactory(const QString&, QObject* pObject)
{
    if (auto* pStrip = qobject_cast<CFieldStrip*>(pObject))
        return new CFieldStripAccessible(pStrip);
    return nullptr;
}

}  // namespace

void InstallFieldStripAccessibility()
{
    static const bool bInstalled = [] {
        QAccessible::installFactory(FieldStripFactory);
        return true;
    }();
    (void)bInstalled;
}
