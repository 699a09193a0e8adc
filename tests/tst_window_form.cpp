// The window as it opens: the plant list with nothing chosen, the caption words, the empty photo
// box and the focus; controls in their places; Chinese drawn from real Chinese faces,
// the built-in ones drawing as the whole faces they were cut from. (Colours,
// and the Tab key's path with its focus marks, are measured on the drawn window in
// tst_window_colours.cpp.) Runs offscreen and again on an X display (Xvfb).

#include "bookwindow.h"

#include <QApplication>
#include <QFontDatabase>
#include <QGlyphRun>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRawFont>
#include <QTextLayout>
#include <QWindow>

class TestWindowForm : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_book.ready()); }

    void opensWithNothingChosen()
    {
        QCOMPARE(m_form.windowHandle()->geometry().size(), QSize(898, 617));
        QCOMPARE(m_form.windowTitle(), QStringLiteral("Quillora 2.0"));
        QCOMPARE(m_form.minimumSize(), m_form.maximumSize());
        QVERIFY(!m_form.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));

        QListWidget *list = m_book.list;
        QCOMPARE(QApplication::focusWidget(), list);
        QStringList names;
        for (int row = 0; row < list->count(); ++row) {
            names << list->item(row)->text();
            QCOMPARE(list->item(row)->data(Qt::UserRole), QVariant(0));
        }
        QCOMPARE(names, HerbCatalogue::displayNames());
        QVERIFY(list->selectedItems().isEmpty());
        QCOMPARE(m_form.herbNumber(), HerbNumber(0));

        QCOMPARE(m_book.texts().join(' '),
                 QStringLiteral("种名 别名 科名 属名 习性 花果期 拉丁学名 药用部位 药用价值"));

        const QImage photo = m_book.picture->grab().toImage();
        QCOMPARE(photo, solid(photo.size(), kDarkGreen).convertToFormat(photo.format()));
    }

    // The window's 32-pixel icon reads as a yellow-green X on black: mostly black, yellow-green
    // on all four arms and where they cross, and the same seen in a mirror.
    void iconIsYellowGreenXOnBlack()
    {
        QTRY_VERIFY(!m_form.windowIcon().isNull()); // set once the first frame is on screen
        const QImage icon = m_form.windowIcon().pixmap(32, 32).toImage();
        QCOMPARE(icon.size(), QSize(32, 32));
        const auto yellowGreen = [](const QColor &c) {
            return c.hueF() > 0.17 && c.hueF() < 0.28 && c.saturationF() > 0.5 && c.valueF() > 0.45;
        };
        int black = 0, ink = 0, mirrored = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const QColor c = icon.pixelColor(x, y);
                black += c.alpha() == 255 && c.value() < 40;
                if (yellowGreen(c)) {
                    ++ink;
                    mirrored += yellowGreen(icon.pixelColor(31 - x, y));
                }
            }
        }
        QVERIFY2(black > 32 * 32 * 3 / 5, qPrintable(QString::number(black)));
        QVERIFY2(mirrored > ink * 9 / 10, qPrintable(QString("%1 of %2").arg(mirrored).arg(ink)));
        for (QPoint at :
             {QPoint(16, 16), QPoint(8, 8), QPoint(23, 23), QPoint(23, 8), QPoint(8, 23)})
            QVERIFY2(yellowGreen(icon.pixelColor(at)),
                     qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
    }

    // Each control lies inside the one that holds it, and the frame's controls cover none of
    // each other.
    void controlsInTheirPlaces()
    {
        const QWidget *frame = m_form.findChild<QWidget *>(QStringLiteral("Frame1"));
        QList<const QWidget *> inFrame;
        for (const QWidget *control : m_form.findChildren<QWidget *>()) {
            const QWidget *holder = control->parentWidget();
            if (control->isWindow() || (holder != &m_form && holder != frame))
                continue;
            QVERIFY2(holder->rect().contains(control->geometry()),
                     qPrintable(control->objectName()));
            if (holder == frame && control->isVisibleTo(frame))
                inFrame << control;
        }
        QCOMPARE(inFrame.size(), 2 + kHerbFieldCount); // the list, the photo box, the facts
        for (const QWidget *one : inFrame)
            for (const QWidget *other : inFrame)
                QVERIFY2(one == other || !one->geometry().intersects(other->geometry()),
                         qPrintable(one->objectName() + QLatin1Char(' ') + other->objectName()));
    }

    void chineseFromChineseFaces_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<bool>("song"); // 宋体: a serif face; Tahoma: a sans face
        QTest::newRow("List1") << "葎草" << false;
        QTest::newRow("Text1") << "种名： 葎草" << true;
        QTest::newRow("Text5") << "习性： 草本（多年生）" << true;
        QTest::newRow("Command2") << "作者博客" << true;
    }
    void chineseFromChineseFaces()
    {
        QFETCH(QString, sample);
        QFETCH(bool, song);
        const QFont font = m_form.findChild<QWidget *>(QTest::currentDataTag())->font();
        // The Chinese faces the control names: all of 宋体's; Tahoma's after its Latin face, or
        // its only face where that is the built-in Chinese one.
        const QStringList families = font.families();
        const QStringList chinese = song || families.size() == 1 ? families : families.mid(1);
        QTextLayout layout(sample, font);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QList<QGlyphRun> runs = layout.glyphRuns();
        QVERIFY(!runs.isEmpty());
        for (const QGlyphRun &run : runs) {
            const QString family = run.rawFont().familyName();
            qInfo("%s", qPrintable(family)); // the face found, for the record
            QVERIFY2(chinese.contains(family), qPrintable(family));
            if (song) // a Song-style face, not a Hei (sans) one
                QVERIFY2(!family.contains("Sans") && !family.contains("Hei"), qPrintable(family));
            QVERIFY(!run.glyphIndexes().contains(0)); // glyph 0 is the box
        }
    }

    // The faces built into the program draw every text of the book with characters of their
    // own, exactly as the system's whole faces draw it: the same metrics, advances and pixels,
    // at the window's sizes at 100 % and 200 %.
    void builtInFacesDrawAsTheWholeFaces_data()
    {
        QTest::addColumn<QString>("builtIn");
        QTest::addColumn<QString>("whole");
        QTest::addColumn<bool>("bold");
        QTest::newRow("宋体") << "Quillora Serif"
                              << "Noto Serif CJK SC" << false;
        QTest::newRow("宋体, bold") << "Quillora Serif"
                                    << "Noto Serif CJK SC" << true;
        QTest::newRow("Tahoma's Chinese") << "Quillora Sans"
                                          << "Noto Sans CJK SC" << false;
    }
    void builtInFacesDrawAsTheWholeFaces()
    {
        QFETCH(QString, builtIn);
        QFETCH(QString, whole);
        QFETCH(bool, bold);
        if (!QFontDatabase::hasFamily(builtIn) || !QFontDatabase::hasFamily(whole))
            QSKIP("no built-in faces in this build, or no whole ones on this system");
        QStringList texts = HerbCatalogue::displayNames();
        for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n) {
            const std::optional<HerbDisplay> display = composeHerbDisplay(n, {});
            texts += QStringList(display->texts.begin(), display->texts.end());
        }
        texts << m_form.findChild<QPushButton *>(QStringLiteral("Command2"))->text();
        for (qreal points : {9.0, 9.75, 12.0, 18.0, 19.5, 24.0}) {
            QFont cut(builtIn), original(whole);
            for (QFont *font : {&cut, &original}) {
                font->setPointSizeF(points);
                font->setBold(bold);
                font->setStyleStrategy(QFont::NoFontMerging); // no other face stands in
            }
            const QFontMetricsF a(cut), b(original);
            QCOMPARE(QList<qreal>({a.ascent(), a.descent(), a.leading(), a.averageCharWidth()}),
                     QList<qreal>({b.ascent(), b.descent(), b.leading(), b.averageCharWidth()}));
            const auto draw = [&b](const QFont &font, const QString &text) {
                QImage image(qCeil(b.horizontalAdvance(text)) + 4, qCeil(b.height()),
                             QImage::Format_RGB32);
                image.fill(kDarkGreen);
                QPainter painter(&image);
                painter.setFont(font);
                painter.setPen(Qt::white);
                painter.drawText(QPointF(2, b.ascent()), text);
                return image;
            };
            for (const QString &text : std::as_const(texts)) {
                for (const char32_t c : text.toUcs4())
                    QVERIFY2(a.inFontUcs4(c), qPrintable(QString::fromUcs4(&c, 1)));
                QVERIFY2(draw(cut, text) == draw(original, text), qPrintable(text));
            }
        }
    }

private:
    BookWindow m_book;
    Form1 &m_form = m_book.form;
};

QTEST_MAIN(TestWindowForm)
#include "tst_window_form.moc"
