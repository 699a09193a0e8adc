// Choosing a plant in the real window by click, re-click, double click and keys: the photo is
// read anew, then the nine fact boxes are written in order. A choice that names no row; the
// photo box's clipping; unusual JPEG flavours; photos that cannot be shown, down to names that
// are no regular file.

#include "form1.h"
#include "herbdisplay.h"
#include "photobox.h"

#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <jpeglib.h>

#include <cstdlib>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QColor kDarkGreen(0, 64, 0);

bool near(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) < 24 && qAbs(a.green() - b.green()) < 24
            && qAbs(a.blue() - b.blue()) < 24;
}

QImage solid(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray jpeg(const QImage &image, bool turned = false)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    if (turned) // a camera's Exif note, orientation 6: turn a quarter clockwise to show
        data.insert(2,
                    QByteArray("\xFF\xE1\x00\x22"
                               "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01"
                               "\x01\x12\0\x03\0\0\0\x01\0\x06\0\0\0\0\0\0",
                               36));
    return data;
}

// JPEG written by libjpeg itself in the flavours cameras and image editors use. CMYK is stored
// inverted, as Adobe applications write it.
struct Flavour
{
    J_COLOR_SPACE space = JCS_RGB;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
};

QByteArray jpegFlavour(const QImage &image, const Flavour &flavour)
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = image.width();
    info.image_height = image.height();
    info.in_color_space = flavour.space;
    info.input_components = flavour.space == JCS_CMYK ? 4 : flavour.space == JCS_GRAYSCALE ? 1 : 3;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (flavour.progressive)
        jpeg_simple_progression(&info);
    info.arith_code = flavour.arithmetic;
    info.restart_in_rows = flavour.restartRows;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> line(image.width() * info.input_components);
    for (int y = 0; y < image.height(); ++y) {
        JSAMPLE *sample = line.data();
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (flavour.space == JCS_GRAYSCALE) {
                *sample++ = JSAMPLE(qGray(c.rgb()));
            } else if (flavour.space == JCS_CMYK) {
                const QColor k = c.toCmyk();
                for (int v : {k.cyan(), k.magenta(), k.yellow(), k.black()})
                    *sample++ = JSAMPLE(255 - v);
            } else {
                for (int v : {c.red(), c.green(), c.blue()})
                    *sample++ = JSAMPLE(v);
            }
        }
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray data(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    jpeg_destroy_compress(&info);
    return data;
}

// Writes new width and height into the frame header (SOF0 to SOF2).
QByteArray withSize(QByteArray data, int width, int height)
{
    qsizetype sof = -1;
    for (const char *marker : {"\xFF\xC0", "\xFF\xC1", "\xFF\xC2"})
        if (sof < 0)
            sof = data.indexOf(marker);
    const char size[4] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    return data.replace(sof + 5, 4, size, 4);
}

} // namespace

class TestWindowSelection : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("photos")));
        m_form = std::make_unique<Form1>([this] { return m_folder.path(); });
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_list = m_form->findChild<QListWidget *>(QStringLiteral("List1"));
        m_picture = m_form->findChild<PhotoBox *>(QStringLiteral("Picture1"));
        m_boxes = m_form->findChildren<QLineEdit *>(QRegularExpression(QStringLiteral("^Text")));
        std::sort(m_boxes.begin(), m_boxes.end(),
                  [](auto *a, auto *b) { return a->objectName() < b->objectName(); });
        QCOMPARE(m_boxes.size(), 9);
    }
    void cleanup()
    {
        m_form.reset();
        QDir(m_folder.filePath(QStringLiteral("photos"))).removeRecursively();
    }

    void choosing_data()
    {
        QTest::addColumn<int>("before"); // the row chosen first, -1 for none
        QTest::addColumn<int>("key"); // 0: a click on row 5, -1: a double click on row 7
        QTest::addColumn<int>("lowest"); // the rows the choice may land on
        QTest::addColumn<int>("highest");
        QTest::newRow("click") << -1 << 0 << 5 << 5;
        QTest::newRow("click the chosen name") << 5 << 0 << 5 << 5;
        QTest::newRow("double click on the chosen name") << 7 << -1 << 7 << 7;
        QTest::newRow("Down") << 5 << int(Qt::Key_Down) << 6 << 6;
        QTest::newRow("Up") << 5 << int(Qt::Key_Up) << 4 << 4;
        QTest::newRow("Home") << 5 << int(Qt::Key_Home) << 0 << 0;
        QTest::newRow("End") << 5 << int(Qt::Key_End) << 132 << 132;
        QTest::newRow("PageDown") << 5 << int(Qt::Key_PageDown) << 6 << 132;
    }
    void choosing()
    {
        QFETCH(int, before);
        QFETCH(int, key);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        if (before >= 0)
            click(before);
        // The photos appear only now and the boxes hold a reader's edits: the choice must read
        // its photo anew and rewrite all nine boxes.
        for (const QString &name : HerbCatalogue::displayNames())
            writePhoto(name, jpeg(solid(QSize(40, 30), Qt::red)));
        for (QLineEdit *box : std::as_const(m_boxes))
            box->setText(QStringLiteral("x"));

        QStringList effects;
        connect(m_picture, &PhotoBox::photoShown, this, [&](const QString &path) {
            effects << QFileInfo(path).fileName();
            for (QLineEdit *box : std::as_const(m_boxes))
                effects << box->text(); // still the edits: no box is written before the photo
        });
        for (QLineEdit *box : std::as_const(m_boxes))
            connect(box, &QLineEdit::textChanged, this, [&, box] { effects << box->objectName(); });

        if (key > 0)
            QTest::keyClick(m_list, Qt::Key(key));
        else
            click(key == 0 ? 5 : 7, {}, key < 0);

        const int row = m_form->herbNumber() - 1;
        QVERIFY2(row >= lowest && row <= highest, qPrintable(QString::number(row)));
        QCOMPARE(m_list->selectedItems(), QList<QListWidgetItem *> {m_list->item(row)});
        QStringList expected {m_list->item(row)->text() + ".jpg"};
        expected << QStringList(9, QStringLiteral("x"));
        for (QLineEdit *box : std::as_const(m_boxes))
            expected << box->objectName();
        QCOMPARE(effects, expected);
        const auto display = composeHerbDisplay(HerbNumber(row + 1), m_folder.path());
        for (int i = 0; i < 9; ++i)
            QCOMPARE(m_boxes[i]->text(), display->texts[i]);
        QCOMPARE(m_boxes[8]->cursorPosition(), 0); // long values show from their start
        QVERIFY(near(m_picture->picture().pixelColor(0, 0), Qt::red));
    }

    void choiceNamingNoRowChangesNothing()
    {
        writePhoto(QStringLiteral("茶树"), jpeg(solid(QSize(40, 30), Qt::red)));
        click(13);
        QCOMPARE(m_boxes[0]->text(), QStringLiteral("种名： 茶树"));
        const QImage shown = m_picture->grab().toImage();
        QStringList texts;
        for (QLineEdit *box : std::as_const(m_boxes))
            texts << box->text();
        QSignalSpy reads(m_picture, &PhotoBox::photoShown);

        click(13, Qt::ControlModifier); // takes the selection away: position -1
        QVERIFY(m_list->selectedItems().isEmpty());
        QCOMPARE(m_form->herbNumber(), HerbNumber(0));
        QCOMPARE(reads.count(), 0);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(m_boxes[i]->text(), texts[i]);
        QCOMPARE(m_picture->grab().toImage(), shown);
    }

    void clipping_data()
    {
        QTest::addColumn<QSize>("size"); // as shown, upright
        QTest::addColumn<bool>("turned"); // stored on its side
        QTest::newRow("larger") << QSize(600, 500) << false;
        QTest::newRow("larger, stored on its side") << QSize(600, 500) << true;
        QTest::newRow("smaller") << QSize(200, 100) << false;
    }
    void clipping()
    {
        QFETCH(QSize, size);
        QFETCH(bool, turned);
        // Blue where the box shows the picture, yellow where it must be cut off.
        QImage upright = solid(size, Qt::yellow);
        QPainter(&upright).fillRect(0, 0, 433, 353, Qt::blue);
        writePhoto(QStringLiteral("艾"),
                   jpeg(turned ? upright.transformed(QTransform().rotate(-90)) : upright, turned));
        click(0);

        const QSize seen = size.boundedTo(QSize(433, 353));
        QCOMPARE(m_picture->picture().size(), seen); // only what can be seen is decoded
        const QImage box = m_picture->grab().toImage();
        QCOMPARE(box.size(), QSize(433, 353));
        // JPEG blurs colour edges by a few pixels; a scaled picture would be yellow here.
        const int right = seen.width() - 6;
        const int bottom = seen.height() - 6;
        for (const QPoint &at :
             {QPoint(1, 1), QPoint(right, 1), QPoint(1, bottom), QPoint(right, bottom)})
            QVERIFY(near(box.pixelColor(at), Qt::blue));
        if (seen.width() < 433)
            QCOMPARE(box.pixelColor(seen.width() + 1, 1), kDarkGreen);
        if (seen.height() < 353)
            QCOMPARE(box.pixelColor(1, seen.height() + 1), kDarkGreen);
    }

    void unusualJpegFlavours_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QColor>("seen"); // the colour of the part the box shows
        // Blue where the box shows the picture, yellow where it must be cut off.
        QImage picture = solid(QSize(600, 500), Qt::yellow);
        QPainter(&picture).fillRect(0, 0, 433, 353, Qt::blue);
        const QColor blue(Qt::blue);
        const QColor grey(qGray(blue.rgb()), qGray(blue.rgb()), qGray(blue.rgb()));
        QTest::newRow("progressive") << jpegFlavour(picture, {JCS_RGB, true}) << blue;
        QTest::newRow("greyscale") << jpegFlavour(picture, {JCS_GRAYSCALE}) << grey;
        QTest::newRow("CMYK") << jpegFlavour(picture, {JCS_CMYK}) << blue;
        QTest::newRow("arithmetic coding") << jpegFlavour(picture, {JCS_RGB, false, true}) << blue;
        QTest::newRow("restart markers")
                << jpegFlavour(picture, {JCS_RGB, false, false, 1}) << blue;
        QTest::newRow("odd size, progressive")
                << jpegFlavour(picture.copy(0, 0, 437, 357), {JCS_RGB, true}) << blue;
    }
    void unusualJpegFlavours()
    {
        QFETCH(QByteArray, content);
        QFETCH(QColor, seen);
        writePhoto(QStringLiteral("艾"), content);
        click(0);
        QVERIFY2(m_picture->notice().isEmpty(), qPrintable(m_picture->notice()));
        QCOMPARE(m_picture->picture().size(), QSize(433, 353));
        const QImage box = m_picture->grab().toImage();
        for (const QPoint &at : {QPoint(1, 1), QPoint(426, 1), QPoint(1, 346), QPoint(426, 346)})
            QVERIFY2(near(box.pixelColor(at), seen), qPrintable(box.pixelColor(at).name()));
    }

    void photoThatCannotBeShown_data()
    {
        const QByteArray whole = jpeg(solid(QSize(433, 353), Qt::green));
        QByteArray twelveBit = whole;
        twelveBit[twelveBit.indexOf("\xFF\xC0") + 4] = 12; // samples of 12 bits
        QTest::addColumn<QByteArray>("content"); // "-": no file, "/": a folder, "|": a FIFO,
                                                 // "~": a dangling link, "@": a link to a device
        QTest::newRow("missing") << QByteArray("-");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("这不是照片");
        QTest::newRow("cut short") << whole.left(whole.size() / 2);
        QTest::newRow("a folder") << QByteArray("/");
        QTest::newRow("too large") << withSize(whole, 60000, 60000);
        QTest::newRow("progressive, too large to hold") << withSize(
                jpegFlavour(solid(QSize(433, 353), Qt::green), {JCS_RGB, true}), 8000, 8000);
        QTest::newRow("12-bit samples") << twelveBit;
#ifdef Q_OS_UNIX
        QTest::newRow("a FIFO") << QByteArray("|");
        QTest::newRow("a dangling link") << QByteArray("~");
        QTest::newRow("a link to a device") << QByteArray("@");
#endif
    }
    void photoThatCannotBeShown()
    {
        QFETCH(QByteArray, content);
        const QString bad = QStringLiteral("白梨");
        const QString badPath = m_folder.filePath("photos/" + bad + ".jpg");
        if (content == "/")
            QVERIFY(QDir(m_folder.path()).mkpath("photos/" + bad + ".jpg"));
#ifdef Q_OS_UNIX
        else if (content == "|") // no writer ever comes: opening it to read would wait for ever
            QCOMPARE(mkfifo(QFile::encodeName(badPath).constData(), 0600), 0);
        else if (content == "~")
            QVERIFY(QFile::link(m_folder.filePath("gone.jpg"), badPath));
        else if (content == "@")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), badPath));
#endif
        else if (content != "-")
            writePhoto(bad, content);
        writePhoto(QStringLiteral("艾"), jpeg(solid(QSize(433, 353), Qt::red)));

        click(0);
        QVERIFY(!m_picture->picture().isNull());
        click(1);
        QVERIFY(m_picture->picture().isNull()); // the previous photo is gone
        QVERIFY2(m_picture->notice().contains(bad + ".jpg"), qPrintable(m_picture->notice()));
        const QImage box = m_picture->grab().toImage();
        QCOMPARE(box.pixelColor(1, 1), kDarkGreen);
        QVERIFY(box != solid(box.size(), kDarkGreen).convertToFormat(box.format())); // notice
        const auto facts = composeHerbDisplay(2, m_folder.path());
        for (int i = 0; i < 9; ++i)
            QCOMPARE(m_boxes[i]->text(), facts->texts[i]);

        click(0); // the next good photo shows normally
        QVERIFY(m_picture->notice().isEmpty());
        QVERIFY(near(m_picture->grab().toImage().pixelColor(1, 1), Qt::red));
    }

private:
    void writePhoto(const QString &name, const QByteArray &content)
    {
        QFile file(m_folder.filePath("photos/" + name + ".jpg"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    void click(int row, Qt::KeyboardModifiers modifiers = {}, bool twice = false)
    {
        m_list->scrollToItem(m_list->item(row));
        const QPoint at = m_list->visualItemRect(m_list->item(row)).center();
        if (twice) // through the window, as a display delivers it: press, release, double click
            QTest::mouseDClick(m_form->windowHandle(), Qt::LeftButton, modifiers,
                               m_list->viewport()->mapTo(m_form.get(), at));
        else
            QTest::mouseClick(m_list->viewport(), Qt::LeftButton, modifiers, at);
    }

    QTemporaryDir m_folder {QDir::tempPath() + QStringLiteral("/quillora 照片 #XXXXXX")};
    std::unique_ptr<Form1> m_form;
    QListWidget *m_list = nullptr;
    PhotoBox *m_picture = nullptr;
    QList<QLineEdit *> m_boxes;
};

QTEST_MAIN(TestWindowSelection)
#include "tst_window_selection.moc"
