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

// The contrast of the drawn pixel that stands out most from the ground.
double drawnContrast(const QImage &image, const QRect &area, const QColor &background)
{
    double best = 1;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, contrastRatio(image.pixelColor(x, y), background));
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
        QTest::newRow("light") << QApplication::palette() << QColor(239, 239, 239);
        QTest::newRow("dark") << darkTheme() << QColor(50, 50, 50);
        QTest::newRow("light, dark green menu bar") << QApplication::palette() << kDarkGreen;
    }
    void readableUnderEveryTheme()
    {
        QFETCH(QPalette, theme);
        QFETCH(QColor, menuBar);
        QCOMPARE(qRound(contrastRatio(Qt::black, Qt::white)), 21); // the measure itself
        const QPalette before = QApplication::palette();
        const QPalette menuBefore = QApplication::palette("QMenuBar");
        QApplication::setPalette(theme);
        QPalette menu = theme;
        menu.setColor(QPalette::Window, menuBar);
        QApplication::setPalette(menu, "QMenuBar");
        auto restore = qScopeGuard([&] {
            QApplication::setPalette(before);
            QApplication::setPalette(menuBefore, "QMenuBar");
        });

        Form1 form([] { return QString(); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
        list->setCurrentRow(0);
        const QImage window = form.grab().toImage();

        const auto checkText = [&](QWidget *control, const QColor &expectedGround) {
            const QRect area(control->mapTo(&form, QPoint(3, 3)), control->size() - QSize(6, 6));
            const QColor back = ground(window, area);
            if (expectedGround.isValid())
                QCOMPARE(back, expectedGround);
            const double contrast = drawnContrast(window, area, back);
            QVERIFY2(contrast >= kReadableContrast,
                     qPrintable(control->objectName() + ": " + QString::number(contrast)));
        };
        for (int k = 1; k <= 9; ++k)
            checkText(form.findChild<QLineEdit *>(QStringLiteral("Text%1").arg(k)), kDarkGreen);
        checkText(form.findChild<QPushButton *>(QStringLiteral("Command2")), QColor());

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
            const double contrast = drawnContrast(barImage, inside, ground(barImage, inside));
            QVERIFY2(contrast >= 3, qPrintable(QString::number(contrast)));
        }
    }
};

QTEST_MAIN(TestWindowColours)
#include "tst_window_colours.moc"
