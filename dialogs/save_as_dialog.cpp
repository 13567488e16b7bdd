#include "save_as_dialog.h"

#include <QFileDialog>
#include <QRegularExpression>

#include "owner_window.h"
#include "string_table.h"

QStringList QtNameFilters(const char* pszFilter)
{
    QStringList filters;
    const QStringList parts = QString::fromLatin1(pszFilter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString strDescription = parts[i].trimmed();
        if (strDescription.isEmpty())
            break;  // "||" ends the list
        QStringList patterns = parts[i + 1].trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& strPattern : patterns) {
            strPattern = strPattern.trimmed();
            if (strPattern == QLatin1String("*.*"))
                strPattern = QStringLiteral("*");
        }
        // The description's own "(...)" is replaced by the patterns Qt reads.
        strDescription.remove(QRegularExpression(QStringLiteral("\\s*\\([^)]*\\)\\s*$")));
        filters << strDescription + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return filters;
}

bool CSaveAsDialog::AskFileName(OwnerHandle owner, std::string& path)
{
    QFileDialog dialog(WidgetOf(owner));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("for"));
    dialog.setNameFilters(QtNameFilters(LoadResourceString(IDS_SAVE_FILTER)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst().toLocal8Bit().toStdString();
    return true;
}
