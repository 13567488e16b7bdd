// quillmark_one_button: the reference window bench/first_paint.sh times the
// program against, the least a Qt Widgets program shows: one labelled push
// button. It is built with the same Qt and the same flags as the program.
//
//   quillmark_one_button [WIDTHxHEIGHT]
//
// With a size the button fills a window that large, so that the start of a
// window of Quillmark's size can be told from the start of Quillmark itself.
#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPushButton button(QStringLiteral("OK"));
    const QStringList arguments = QApplication::arguments();
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(arguments.value(1));
    if (size.hasMatch())
        button.resize(size.captured(1).toInt(), size.captured(2).toInt());
    button.show();
    return QApplication::exec();
}
