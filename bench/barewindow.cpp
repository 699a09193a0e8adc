// The start-up and memory floor: a bare Qt Widgets window of the book's size (898 x 617) that
// paints its background once.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Quillora 2.0"));
    window.setFixedSize(898, 617);
    window.show();
    return app.exec();
}
