// Reports the window's controls for the Windows check, as the window library lays them out on
// this display (UI Automation cannot: under Wine 8 it deadlocks on the way into Qt's elements).
// The window is built with the photos beside this program and never shown on the screen:
//   windowlayout              prints, for each control by Qt's object name, "NAME X Y W H": its
//                             place in the window's client area in device pixels; "row0" is
//                             the plant list's first row
//   windowlayout ROW FILE...  also chooses each row of the list in turn and saves the window as
//                             drawn then (PNG), for the check to compare with the installed
//                             program
#include "form1.h"

#include <QApplication>
#include <QListWidget>

#include <cstdio>

namespace {

void print(const char *name, const QRect &r, qreal ratio)
{
    const QRect d
            = QRectF(r.x() * ratio, r.y() * ratio, r.width() * ratio, r.height() * ratio).toRect();
    std::printf("%s %d %d %d %d\n", name, d.x(), d.y(), d.width(), d.height());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Form1 form;
    form.setAttribute(Qt::WA_DontShowOnScreen);
    form.show();
    QApplication::processEvents();
    const qreal ratio = form.devicePixelRatioF();
    const auto place
            = [&](const QWidget *w) { return QRect(w->mapTo(&form, QPoint()), w->size()); };

    auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
    if (!list)
        return 1;
    const QRect row = list->visualItemRect(list->item(0));
    print("row0", QRect(list->viewport()->mapTo(&form, row.topLeft()), row.size()), ratio);
    for (const char *name : {"List1", "Picture1", "Text1", "Text2", "Text3", "Text4", "Text5",
                             "Text6", "Text7", "Text8", "Text9", "Command2"}) {
        const auto *control = form.findChild<QWidget *>(QString::fromLatin1(name));
        if (!control)
            return 1;
        print(name, place(control), ratio);
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        list->setCurrentRow(QString::fromLocal8Bit(argv[i]).toInt());
        QApplication::processEvents();
        if (!form.grab().save(QString::fromLocal8Bit(argv[i + 1]), "PNG"))
            return 1;
    }
    return 0;
}
