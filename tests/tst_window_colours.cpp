// The window's colours under light and dark desktop themes, measured on the rendered window: the
// fact text, the author button's caption and the list's scroll-bar arrows stay readable.

#include "form1.h"
#include "readablecolour.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>

namespace {

const QColor kDarkGreen(0, 64, 0);

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
        Form1 form([] { return std::filesystem::path(); });
        if (whileOpen)
            setTheme();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
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
            QVERIFY2(contrast >= kReadableContrast,
                     qPrintable(control->objectName() + ": " + QString::number(contrast)));
            if (expectedText.isValid())
                QCOMPARE(text, expectedText);
        };
        for (int k = 1; k <= 9; ++k)
            checkText(form.findChild<QLineEdit *>(QStringLiteral("Text%1").arg(k)), kDarkGreen,
                      facts);
        auto *button = form.findChild<QPushButton *>(QStringLiteral("Command2"));
        checkText(button, QColor(), QColor());
        // The button's face is light blue, whichever style draws buttons on this desktop.
        const QColor face = ground(
                window, QRect(button->mapTo(&form, QPoint(4, 4)), button->size() - QSize(8, 8)));
        QVERIFY2(qAbs(face.red() - 128) <= 24 && qAbs(face.green() - 128) <= 24
                         && face.blue() >= 231,
                 qPrintable(face.name()));
        if (QTest::currentTestFailed())
            return;

        // The arrows of the list's scroll bar, inside their buttons (graphics: 3:1).
        QScrollBar *bar = list->verticalScrollBar();
        QVERIFY(bar->isVisible());
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Vertical;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.pageStep = bar->pageStep();
        option.singleStep = bar->singleStep();
        const QImage barImage = bar->grab().toImage();
        for (auto part : {QStyle::SC_ScrollBarSubLine, QStyle::SC_ScrollBarAddLine}) {
            const QRect button
                    = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
            QVERIFY(button.width() > 8 && button.height() > 8);
            const QRect inside = button.adjusted(3, 3, -3, -3);
            const QColor back = ground(barImage, inside);
            const double contrast = contrastRatio(standOut(barImage, inside, back), back);
            QVERIFY2(contrast >= 3, qPrintable(QString::number(contrast)));
        }
    }
};

QTEST_MAIN(TestWindowColours)
#include "tst_window_colours.moc"
