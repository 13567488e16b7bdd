// quillmark_one_button: the reference window bench/first_paint.sh times the
// program against, the least a Qt Widgets program shows: one labelled push
// button. It is built with the same Qt and the same flags as the program.
#include <QApplication>
#include <QPushButton>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QPushButton button(QStringLiteral("OK"));
    button.show();
    return QApplication::exec();
}
