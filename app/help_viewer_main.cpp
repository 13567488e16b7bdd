// quillmark-help: shows Quillmark's help document. Quillmark starts it with
// --channel, --file and a topic; it can also be run by hand:
//
//   quillmark-help [--channel NAME] [--owner WINDOW] [--file] FILE [--keyword TEXT | --context N]
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "display.h"
#include "help.h"
#include "help_channel.h"
#include "help_viewer.h"

int main(int argc, char** argv)
{
    if (ChoosePlatform(false) == PLATFORM_NONE) {
        std::fprintf(stderr, "%s\n", NoDisplayMessage("quillmark-help").c_str());
        return 1;
    }
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmark-help"));
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmark"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows Quillmark's help document."));
    parser.addHelpOption();
    const QCommandLineOption channelOption(QStringLiteral("channel"), QStringLiteral("Serve requests on this channel."),
                                           QStringLiteral("name"));
    const QCommandLineOption fileOption(QStringLiteral("file"), QStringLiteral("The help document."),
                                        QStringLiteral("file"));
    const QCommandLineOption keywordOption(QStringLiteral("keyword"), QStringLiteral("Show this keyword's topic."),
                                           QStringLiteral("text"));
    const QCommandLineOption contextOption(QStringLiteral("context"), QStringLiteral("Show this context's topic."),
                                           QStringLiteral("number"));
    const QCommandLineOption ownerOption(QStringLiteral("owner"),
                                         QStringLiteral("Give the keyboard back to this window (X11 id) on closing."),
                                         QStringLiteral("window"));
    parser.addOptions({channelOption, fileOption, keywordOption, contextOption, ownerOption});
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The help document (instead of --file)."));
    parser.process(app);

    SHelpRequest request;
    request.nKind = HELP_REQUEST_SHOW;
    request.strFile = parser.isSet(fileOption) ? parser.value(fileOption) : parser.positionalArguments().value(0);
    request.nCommand = parser.isSet(contextOption) ? HELP_CONTEXT : HELP_KEY;
    request.strData = parser.isSet(contextOption) ? parser.value(contextOption) : parser.value(keywordOption);
    request.nOwner = parser.value(ownerOption).toULongLong();
    if (request.strFile.isEmpty()) {
        std::fprintf(stderr, "quillmark-help: no help file given\n%s", qPrintable(parser.helpText()));
        return 2;
    }

    CHelpViewer viewer;
    if (parser.isSet(channelOption)) {
        const QString strChannel = parser.value(channelOption);
        switch (viewer.Listen(strChannel)) {
        case LISTEN_OTHER_VIEWER: return SendHelpRequest(strChannel, request) ? 0 : 1;
        case LISTEN_FAILED:
            std::fprintf(stderr, "quillmark-help: cannot open the channel %s\n", qPrintable(strChannel));
            break;
        case LISTEN_OK: break;
        }
    }
    viewer.SetOwner(request.nOwner);
    viewer.ShowTopic(request.strFile, request.nCommand, request.strData);
    return app.exec();
}
