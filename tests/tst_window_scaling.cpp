// Scaling at the desktop's factor: the factors handed to Qt are whole numbers, lowered until the
// window fits; and on virtual screens (Xvfb, run by ctest at 1366 x 768 with 125 %, 1920 x 1080
// with 175 % and 200 %, 3840 x 2160 with 200 %) the whole window lies on the screen.

#include "form1.h"
#include "screenscale.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

class TestWindowScaling : public QObject
{
    Q_OBJECT

private slots:
    void crispFactors_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QSize>("available"); // physical pixels, empty: not known
        QTest::addColumn<QString>("crisp");
        const QSize laptop(1366, 768 - 32);
        const QSize fullHd(1920, 1080 - 32);
        QTest::newRow("125 %, small laptop") << "1.25" << laptop << "1";
        QTest::newRow("175 %, full HD") << "1.75" << fullHd << "1";
        QTest::newRow("200 %, full HD") << "2" << fullHd << "1";
        QTest::newRow("200 %, 4K") << "2" << QSize(3840, 2160) << "2";
        QTest::newRow("300 %, 1440p") << "3" << QSize(2560, 1440) << "2";
        QTest::newRow("150 %, size not known") << "1.5" << QSize() << "1";
        QTest::newRow("named screens")
                << "eDP-1=1.75;HDMI-1=2.5;" << QSize() << "eDP-1=1;HDMI-1=2;";
        QTest::newRow("several, blanks") << "1.25 ; 2" << QSize() << "1 ; 2";
        QTest::newRow("below 1 kept") << "0.8" << laptop << "0.8";
        QTest::newRow("no factor") << "eDP-1=abc" << laptop << "eDP-1=abc";
        QTest::newRow("empty") << "" << laptop << "";
    }
    void crispFactors()
    {
        QFETCH(QString, desktop);
        QFETCH(QSize, available);
        QFETCH(QString, crisp);
        QCOMPARE(crispScaleFactors(desktop, available, QSize(906, 657)), crisp);
    }

    void wholeWindowOnScreen()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display (ctest runs this under Xvfb)");
        Form1 form([] { return std::filesystem::path(); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QScreen *screen = form.screen();
        const qreal ratio = screen->devicePixelRatio();
        QCOMPARE(ratio, std::round(ratio)); // whole pixels: sharp lines and photos
        // Xvfb has no window manager, so leave room for the title bar a desktop would add.
        QRect frame = form.frameGeometry();
        if (frame == form.geometry())
            frame.adjust(0, -30, 0, 0);
        frame.moveTopLeft(screen->availableGeometry().topLeft());
        QVERIFY2(screen->availableGeometry().contains(frame),
                 qPrintable(QStringLiteral("%1x%2 at %3 on %4x%5")
                                    .arg(frame.width())
                                    .arg(frame.height())
                                    .arg(ratio)
                                    .arg(screen->availableGeometry().width())
                                    .arg(screen->availableGeometry().height())));
    }
};

int main(int argc, char *argv[])
{
    chooseCrispScaling(); // as the program does, before the application object
    QApplication app(argc, argv);
    TestWindowScaling test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_window_scaling.moc"
