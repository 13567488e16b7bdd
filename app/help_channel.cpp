#include "help_channel.h"

#include <QCoreApplication>
#include <QList>

#include "help.h"

namespace {

QByteArray Field(const QString& strText)
{
    return strText.toUtf8().toPercentEncoding();
}

QString Text(const QByteArray& field)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

QList<QByteArray> Words(const QByteArray& line)
{
    return line.trimmed().split(' ');
}

}  // namespace

QByteArray EncodeHelpRequest(const SHelpRequest& request)
{
    switch (request.nKind) {
    case HELP_REQUEST_QUIT: return "quit\n";
    case HELP_REQUEST_STATUS: return "status\n";
    case HELP_REQUEST_SHOW: break;
    }
    QByteArray line = "show " + QByteArray::number(request.nCommand) + ' ' + Field(request.strFile) + ' ' +
                      Field(request.strData);
    if (request.nOwner != 0)
        line += ' ' + QByteArray::number(request.nOwner);
    return line + '\n';
}

bool DecodeHelpRequest(const QByteArray& line, SHelpRequest& request)
{
    const QList<QByteArray> words = Words(line);
    request = SHelpRequest();
    if (words.size() == 1 && words[0] == "quit") {
        request.nKind = HELP_REQUEST_QUIT;
        return true;
    }
    if (words.size() == 1 && words[0] == "status") {
        request.nKind = HELP_REQUEST_STATUS;
        return true;
    }
    if ((words.size() != 4 && words.size() != 5) || words[0] != "show")
        return false;
    if (words.size() == 5) {
        bool bOwner = false;
        request.nOwner = words[4].toULongLong(&bOwner);
        if (!bOwner)
            return false;
    }
    bool bNumber = false;
    request.nCommand = words[1].toInt(&bNumber);
    if (!bNumber || (request.nCommand != HELP_KEY && request.nCommand != HELP_CONTEXT))
        return false;
    request.strFile = Text(words[2]);
    request.strData = Text(words[3]);
    return !request.strFile.isEmpty();
}

QByteArray EncodeHelpStatus(const QString& strFile, const QString& strAnchor)
{
    return Field(strFile) + ' ' + Field(strAnchor) + '\n';
}

bool DecodeHelpStatus(const QByteArray& line, QString& strFile, QString& strAnchor)
{
    const QList<QByteArray> words = Words(line);
    if (words.size() != 2)
        return false;
    strFile = Text(words[0]);
    strAnchor = Text(words[1]);
    return true;
}

QString HelpAnchor(int nCommand, const QString& strData)
{
    if (nCommand == HELP_CONTEXT)
        return QStringLiteral("context-") + strData.trimmed();
    QString strAnchor;
    bool bSeparator = false;
    for (const QChar ch : strData.trimmed().toLower()) {
        if (ch.isLetterOrNumber()) {
            if (bSeparator && !strAnchor.isEmpty())
                strAnchor += QLatin1Char('-');
            strAnchor += ch;
            bSeparator = false;
        } else {
            bSeparator = true;
        }
    }
    return strAnchor;
}

QString DefaultHelpChannel()
{
    const QString strChannel = qEnvironmentVariable("QUILLMARK_HELP_CHANNEL");
    if (!strChannel.isEmpty())
        return strChannel;
    return QStringLiteral("quillmark-help-%1").arg(QCoreApplication::applicationPid());
}
