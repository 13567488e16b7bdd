#include "save_as_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

#include "dialog_runner.h"
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

void ConfigureSaveAsDialog(QFileDialog& dialog, bool bFixedForm, const std::string& strProposed)
{
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(LoadResourceString(bFixedForm ? IDS_SAVE_FILTER_FIXED : IDS_SAVE_FILTER_FREE)));
    // A name typed without a suffix gets the file's own, so that the saved
    // file is read in the same source form next time (free form wants .f90).
    const QFileInfo proposed(QString::fromLocal8Bit(strProposed.c_str()));
    const QString strSuffix = proposed.suffix();
    dialog.setDefaultSuffix(!strSuffix.isEmpty() ? strSuffix : (bFixedForm ? QString() : QStringLiteral("f90")));
    if (!strProposed.empty()) {
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.fileName());
    }
}

bool CSaveAsDialog::AskFileName(OwnerHandle owner, bool bFixedForm, std::string& path)
{
    QFileDialog dialog(WidgetOf(owner));
    ConfigureSaveAsDialog(dialog, bFixedForm, path);
    if (m_dialogs.Run(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    path = dialog.selectedFiles().constFirst().toLocal8Bit().toStdString();
    return true;
}
