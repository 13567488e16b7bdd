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

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QStringList arguments = QApplication::arguments();
    const bool bFramed = arguments.removeAll(QStringLiteral("--framed")) > 0;
    std::unique_ptr<QWidget> window = std::make_unique<QPushButton>(QStringLiteral("OK"));
    if (bFramed) {
        auto frame = std::make_unique<QWidget>();
        window->setParent(frame.get());
        window.release()->move(8, 8);  // owned by the frame from here on
        window = std::move(frame);
    }
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(arguments.value(1));
    if (size.hasMatch())
        window->resize(size.captured(1).toInt(), size.captured(2).toInt());
    window->show();
    return QApplication::exec();
}
