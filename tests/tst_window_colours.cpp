// The window's colours under light and dark desktop themes, measured on the rendered window: the
// fact text, the author button's caption, the chosen plant name and the list's scroll-bar arrows
// stay readable, and every stop of the Tab key, in its order, shows the keyboard focus clearly.

#include "bookwindow.h"
#include "readablecolour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>
#include <QScrollBar>

namespace {

constexpr double kReadable = 4.5; // text against its ground, as WCAG asks

// The colour that covers most of the area: the ground that text or arrows are drawn on.
QColor ground(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(most))
            most = it.key();
    return QColor(most);
}

// The drawn colour that stands out most from the ground: that of the text or the arrow.
QColor standOut(const QImage &image, const QRect &area, const QColor &background)
{
    QColor best = background;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (contrastRatio(image.pixelColor(x, y), background) > contrastRatio(best, background))
                best = image.pixelColor(x, y);
    return best;
}

// How many pixels of `after` stand out from those of `before` at 3 : 1 or more.
int standingOut(const QImage &before, const QImage &after)
{
    int count = 0;
    for (int y = 0; y < before.height(); ++y)
        for (int x = 0; x < before.width(); ++x)
            count += contrastRatio(before.pixelColor(x, y), after.pixelColor(x, y)) >= 3;
    return count;
}

QPalette darkTheme()
{
    QPalette palette(QColor(53, 53, 53), QColor(53, 53, 53));
    palette.setColor(QPalette::WindowText, QColor(238, 238, 236));
    palette.setColor(QPalette::ButtonText, QColor(238, 238, 236));
    palette.setColor(QPalette::Text, QColor(238, 238, 236));
    palette.setColor(QPalette::Base, QColor(45, 45, 45));
    return palette;
}

} // namespace

class TestWindowColours : public QObject
{
    Q_OBJECT

private slots:
    void readableUnderEveryTheme_data()
    {
        QTest::addColumn<QPalette>("theme");
        QTest::addColumn<QColor>("menuBar"); // the desktop's menu-bar colour
        QTest::addColumn<bool>("whileOpen"); // the theme changes while the window is open
        QTest::addColumn<QColor>("facts"); // the colour the facts are drawn in
        const QPalette light = QApplication::palette();
        const QColor windowsMenu(240, 240, 240);
        const QColor pale(255, 255, 160);
        QTest::newRow("light") << light << QColor(239, 239, 239) << false << QColor(239, 239, 239);
        QTest::newRow("dark") << darkTheme() << QColor(50, 50, 50) << false << windowsMenu;
        QTest::newRow("dark green menu bar") << light << kDarkGreen << false << windowsMenu;
        QTest::newRow("dark while open")
                << darkTheme() << QColor(50, 50, 50) << true << windowsMenu;
        QPalette otherLight = light;
        otherLight.setColor(QPalette::Window, QColor(236, 236, 236));
        QTest::newRow("pale menu bar while open") << otherLight << pale << true << pale;
    }
    void readableUnderEveryTheme()
    {
        QFETCH(QPalette, theme);
        QFETCH(QColor, menuBar);
        QFETCH(bool, whileOpen);
        QFETCH(QColor, facts);
        QCOMPARE(qRound(contrastRatio(Qt::black, Qt::white)), 21); // the measure itself
        const QPalette before = QApplication::palette();
        const QPalette menuBefore = QApplication::palette("QMenuBar");
        const auto setTheme = [&] {
            QPalette menu = theme;
            menu.setColor(QPalette::Window, menuBar);
            QApplication::setPalette(theme); // this resets the palettes of classes
            QApplication::setPalette(menu, "QMenuBar");
        };
        auto restore = qScopeGuard([&] {
            QApplication::setPalette(before);
            QApplication::setPalette(menuBefore, "QMenuBar");
        });
        if (!whileOpen)
            setTheme();
        BookWindow book;
        if (whileOpen)
            setTheme();
        QVERIFY(book.ready());
        Form1 &form = book.form;
        QListWidget *list = book.list;
        list->setCurrentRow(0);
        const QImage window = form.grab().toImage();

        const auto checkText = [&](QWidget *control, const QColor &expectedGround,
                                   const QColor &expectedText) {
            const QRect area(control->mapTo(&form, QPoint(3, 3)), control->size() - QSize(6, 6));
            const QColor back = ground(window, area);
            if (expectedGround.isValid())
                QCOMPARE(back, expectedGround);
            const QColor text = standOut(window, area, back);
            const double contrast = contrastRatio(text, back);
            QVERIFY2(contrast >= kReadable,
                     qPrintable(control->objectName() + ": " + QString::number(contrast)));
            if (expectedText.isValid())
                QCOMPARE(text, expectedText);
        };
        for (QWidget *box : std::as_const(book.boxes))
            checkText(box, kDarkGreen, facts);
        auto *button = form.findChild<QPushButton *>(QStringLiteral("Command2"));
        checkText(button, QColor(), QColor());
        for (const char *times : {"elapsedLabel", "totalLabel"}) // the player's
            checkText(form.findChild<QWidget *>(QLatin1String(times)), kDarkGreen, QColor());
        // The button's face is light blue, whichever style draws buttons on this desktop.
        const QColor face = ground(
                window, QRect(button->mapTo(&form, QPoint(4, 4)), button->size() - QSize(8, 8)));
        QVERIFY2(qAbs(face.red() - 128) <= 24 && qAbs(face.green() - 128) <= 24
                         && face.blue() >= 231,
                 qPrintable(face.name()));
        if (QTest::currentTestFailed())
            return;

        // The chosen name: readable, on a ground that stands out from the list's.
        const QRect row = list->visualItemRect(list->item(0));
        const QRect rowArea(list->viewport()->mapTo(&form, row.topLeft()) + QPoint(1, 1),
                            row.size() - QSize(2, 2));
        const QColor chosen = ground(window, rowArea);
        QVERIFY2(contrastRatio(chosen, kDarkGreen) >= 3, qPrintable(chosen.name()));
        const double rowContrast = contrastRatio(standOut(window, rowArea, chosen), chosen);
        QVERIFY2(rowContrast >= kReadable, qPrintable(QString::number(rowContrast)));

        // The arrows of the list's scroll bar, inside their buttons (graphics: 3:1): squares at
        // the ends of the bar.
        QScrollBar *bar = list->verticalScrollBar();
        QVERIFY(bar->isVisible() && bar->height() > 3 * bar->width());
        const QImage barImage = bar->grab().toImage();
        for (int top : {0, bar->height() - bar->width()}) {
            const QRect inside = QRect(0, top, bar->width(), bar->width()).adjusted(3, 3, -3, -3);
            const QColor back = ground(barImage, inside);
            const double contrast = contrastRatio(standOut(barImage, inside, back), back);
            QVERIFY2(contrast >= 3, qPrintable(QString::number(contrast)));
        }
    }

    // Each stop of the Tab key, once reached, stands out from itself without the focus over at
    // least twice its width and height (a line around it); a player button pressed in as well,
    // and it looks other than a button that only has the focus.
    void focusMarks_data()
    {
        QTest::addColumn<QPalette>("theme");
        QTest::newRow("light") << QApplication::palette();
        QTest::newRow("dark") << darkTheme();
    }
    void focusMarks()
    {
        QFETCH(QPalette, theme);
        const QPalette before = QApplication::palette();
        auto restore = qScopeGuard([&] { QApplication::setPalette(before); });
        QApplication::setPalette(theme);
        BookWindow book;
        QVERIFY(book.ready());
        Form1 &form = book.form;
        QListWidget *list = book.list;
        list->setCurrentRow(0);

        QList<QWidget *> stops {list};
        for (QTest::keyClick(list, Qt::Key_Tab); QApplication::focusWidget() != list;
             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab))
            stops << QApplication::focusWidget();
        // The player's band may take the focus or not; every other stop is fixed.
        const QWidget *player = form.findChild<QWidget *>(QStringLiteral("WindowsMediaPlayer1"));
        QStringList order;
        for (const QWidget *stop : std::as_const(stops))
            if (!player->isAncestorOf(stop))
                order << stop->objectName();
        QCOMPARE(order.join(u' '),
                 "List1 Text1 Text2 Text3 Text4 Text5 Text6 Text7 Text8 Text9 Command2");
        // A control as the window shows it, over its parents' ground.
        const auto seen = [&form](QWidget *control) {
            return form.grab(QRect(control->mapTo(&form, QPoint()), control->size())).toImage();
        };
        const auto marked = [](QWidget *control, const QImage &without, const QImage &with) {
            // At least a closed ring of one pixel, up to two pixels inside the control, changes
            // at 3 : 1 or more (Windows' style draws a list's frame in a light grey, which the
            // mark's outer line covers by a change of hue only).
            const int count = standingOut(without, with);
            QVERIFY2(count >= 2 * (control->width() + control->height()) - 16,
                     qPrintable(QStringLiteral("%1: %2").arg(control->objectName()).arg(count)));
        };
        list->clearFocus();
        QList<QImage> unfocused;
        for (QWidget *stop : std::as_const(stops))
            unfocused << seen(stop);
        for (qsizetype i = 0; i < stops.size(); ++i) {
            QTest::keyClick(i == 0 ? static_cast<QWidget *>(&form) : stops[i - 1], Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), stops[i]);
            marked(stops[i], unfocused[i], seen(stops[i]));
        }

        auto *play = form.findChild<QAbstractButton *>(QStringLiteral("playButton"));
        play->setFocus(Qt::TabFocusReason);
        const QImage focused = seen(play);
        play->setChecked(true);
        play->clearFocus();
        const QImage pressed = seen(play);
        marked(play, focused, pressed);
        play->setFocus(Qt::TabFocusReason);
        marked(play, pressed, seen(play));
    }
};

QTEST_MAIN(TestWindowColours)
#include "tst_window_colours.moc"
