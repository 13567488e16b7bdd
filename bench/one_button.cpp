// quillmark_one_button: the reference window bench/first_paint.sh times the
// program against, the least a Qt Widgets program shows: one labelled push
// button. It is built with the same Qt and the same flags as the program.
//
//   quillmark_one_button [--framed] [WIDTHxHEIGHT]
//
// With a size the button fills a window that large, so that the start of a
// window of Quillmark's size can be told from the start of Quillmark itself.
// With --framed as well the button keeps its own small size in a window that
// large: the window's area and one label's font, without a button's gradient
// painted over the whole of it.
#include <QApplication>
#include <QPushButton>
#include <QRegularExpression>

#include <optional>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    std::optional<QWidget> frame;
    if (arguments.removeAll(QStringLiteral("--framed")) > 0)
        frame.emplace();
    QPushButton button(QStringLiteral("OK"), frame ? &*frame : nullptr);  // destroyed before its frame
    if (frame)
        button.move(8, 8);
    QWidget* const window = frame ? &*frame : static_cast<QWidget*>(&button);
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(arguments.value(1));
    if (size.hasMatch())
        window->resize(size.captured(1).toInt(), size.captured(2).toInt());
    window->show();
    return QApplication::exec();
}
