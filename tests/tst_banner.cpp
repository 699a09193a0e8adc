// The date and time banner: the line built from one clock reading, and how Form1 prints it on
// its own surface at every tick of Timer1.

#include "bannerline.h"
#include "form1.h"

#include <QElapsedTimer>
#include <QGroupBox>
#include <QPaintEvent>
#include <QTest>
#include <QTimer>

namespace {

// Pixels in the banner's text colour (cores of glyphs; edges blend with the dark green).
int bannerPixels(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.green() > 200 && qAbs(c.red() - 128) < 40 && qAbs(c.blue() - 128) < 40;
        }
    }
    return count;
}

// Form1's own surface without its children.
QImage ownSurface(Form1 &form)
{
    QImage image(form.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    form.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
}

// An application folder without photos or music, so that no file is read.
const auto kNoFolder = [] { return std::filesystem::path("/nonexistent-quillora"); };

} // namespace

class TestBanner : public QObject
{
    Q_OBJECT

private slots:
    void lineFromOneReading_data()
    {
        QTest::addColumn<QDateTime>("reading");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("words");
        const QLocale zh(QLocale::Chinese, QLocale::China);
        const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
        QTest::newRow("Thursday morning") << QDateTime({2009, 3, 5}, {8, 7, 6}) << zh
                                          << "现在是 2009 年 3 月 5 日 星期四 8 点 7 分 6 秒";
        QTest::newRow("Sunday night") << QDateTime({2023, 12, 31}, {23, 59, 30}) << zh
                                      << "现在是 2023 年 12 月 31 日 星期日 23 点 59 分 30 秒";
        QTest::newRow("Sunday, week from Monday")
                << QDateTime({2023, 12, 31}, {23, 59, 30}) << gb
                << "现在是 2023 年 12 月 31 日 Sunday 23 点 59 分 30 秒";
        QTest::newRow("midnight") << QDateTime({2024, 2, 29}, {0, 0, 0}) << zh
                                  << "现在是 2024 年 2 月 29 日 星期四 0 点 0 分 0 秒";
    }
    void lineFromOneReading()
    {
        QFETCH(QDateTime, reading);
        QFETCH(QLocale, locale);
        QFETCH(QString, words);
        QCOMPARE(bannerLine(reading, locale), QString(15, u' ') + words);
    }

    // Each tick reads the clock once and prints the line on the second text line, under Frame1,
    // repainting only that band.
    void eachTickPrintsTheClockOnTheSecondLine()
    {
        Form1 form(kNoFolder);
        const int line = QFontMetrics(form.font()).lineSpacing();
        const QRect band(0, line, form.width(), line);
        QCOMPARE(bannerPixels(ownSurface(form), band), 0); // nothing before the first tick

        // The running timer ticks by itself, every 100 ms: five ticks take half a second (a late
        // tick on a busy machine may stretch that, never by seconds).
        QList<qint64> readingTimes;
        QElapsedTimer clock;
        clock.start();
        QDateTime now({2009, 3, 5}, {8, 7, 6});
        form.setClock([&] {
            readingTimes << clock.elapsed();
            return now;
        });
        QTRY_VERIFY_WITH_TIMEOUT(readingTimes.size() >= 6, 20000);
        const qint64 fiveTicks = readingTimes.at(5) - readingTimes.at(0);
        QVERIFY2(fiveTicks >= 450 && fiveTicks <= 2000, qPrintable(QString::number(fiveTicks)));
        form.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();

        int readings = 0;
        form.setClock([&] {
            ++readings;
            return now;
        });
        QVERIFY(QMetaObject::invokeMethod(&form, "Timer1_Timer"));
        const QImage surface = ownSurface(form);
        QCOMPARE(surface.pixelColor(2, 2), QColor(0, 64, 0));
        QVERIFY(bannerPixels(surface, band) > 200);
        // Fifteen blanks before the words; nothing above the line or below it.
        const int indent = QFontMetrics(form.font()).horizontalAdvance(QString(15, u' '));
        QCOMPARE(bannerPixels(surface, QRect(0, line, indent, line)), 0);
        QCOMPARE(bannerPixels(surface, QRect(0, 0, form.width(), line)), 0);
        QCOMPARE(bannerPixels(surface, QRect(0, 2 * line, form.width(), form.height() - 2 * line)),
                 0);
        QCOMPARE(bannerPixels(form.grab().toImage(), band), 0); // Frame1 covers the band

        const QImage first = surface.copy(band);
        now = now.addSecs(1);
        QVERIFY(QMetaObject::invokeMethod(&form, "Timer1_Timer"));
        QVERIFY(ownSurface(form).copy(band) != first);
        now = now.addSecs(-1);
        QVERIFY(QMetaObject::invokeMethod(&form, "Timer1_Timer"));
        QCOMPARE(readings, 3);
        QCOMPARE(ownSurface(form).copy(band), first);

        // Only the band is repainted: nothing else can change on screen.
        struct PaintLog : QObject
        {
            QList<QRect> rects;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    rects << static_cast<QPaintEvent *>(event)->region().boundingRect();
                return false;
            }
        } log;
        form.findChild<QGroupBox *>(QStringLiteral("Frame1"))->hide(); // let the band be seen
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCoreApplication::processEvents();
        form.installEventFilter(&log);
        now = now.addSecs(1);
        QVERIFY(QMetaObject::invokeMethod(&form, "Timer1_Timer"));
        QTRY_VERIFY(!log.rects.isEmpty());
        for (const QRect &painted : std::as_const(log.rects))
            QVERIFY(band.contains(painted));
    }
};

QTEST_MAIN(TestBanner)
#include "tst_banner.moc"
