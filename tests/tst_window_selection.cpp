// Choosing a plant in the real window by click, re-click, double click and keys: the photo is
// read anew, then the nine fact boxes are written in order. A choice that names no row; the
// photo box's clipping; unusual JPEG flavours; photos that cannot be shown, down to names that
// are no regular file.

#include "form1.h"
#include "herbdisplay.h"
#include "pathtext.h"
#include "photobox.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRandomGenerator>
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

// JPEG written by libjpeg itself in the flavours cameras and image editors use. CMYK is stored
// inverted, as Adobe applications write it.
struct Flavour
{
    J_COLOR_SPACE space = JCS_RGB;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
};

// A JPEG compressor that writes into memory; finish() hands back the file.
struct MemoryJpeg
{
    MemoryJpeg(int width, int height, J_COLOR_SPACE space, int components)
    {
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        jpeg_mem_dest(&info, &out, &size);
        info.image_width = width;
        info.image_height = height;
        info.in_color_space = space;
        info.input_components = components;
        jpeg_set_defaults(&info);
    }
    QByteArray finish()
    {
        jpeg_finish_compress(&info);
        const QByteArray data(reinterpret_cast<const char *>(out), qsizetype(size));
        std::free(out);
        jpeg_destroy_compress(&info);
        return data;
    }

    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    unsigned char *out = nullptr;
    unsigned long size = 0;
};

QByteArray jpeg(const QImage &image, const Flavour &flavour = {})
{
    MemoryJpeg file(image.width(), image.height(), flavour.space,
                    flavour.space == JCS_CMYK                ? 4
                            : flavour.space == JCS_GRAYSCALE ? 1
                                                             : 3);
    jpeg_compress_struct &info = file.info;
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
    return file.finish();
}

// Adds a camera's Exif note with the given orientation, in Motorola or Intel byte order: 6 says
// "turn a quarter clockwise to show", 3 "turn half way", 8 "a quarter anticlockwise", 2 and 4
// "mirror" and "flip", 5 and 7 "mirror or flip, then a quarter clockwise".
QByteArray turned(QByteArray data, int orientation = 6, bool intel = false)
{
    const auto two = [intel](int v) {
        const char bytes[2] = {char(intel ? v : v >> 8), char(intel ? v >> 8 : v)};
        return QByteArray(bytes, 2);
    };
    QByteArray exif("Exif\0\0", 6);
    exif += intel ? QByteArray("II\x2A\0\x08\0\0\0", 8) : QByteArray("MM\0\x2A\0\0\0\x08", 8);
    exif += two(1) + two(0x0112) + two(3)
            + (intel ? QByteArray("\1\0\0\0", 4) : QByteArray("\0\0\0\1", 4));
    exif += two(orientation) + QByteArray(2, '\0') + QByteArray(4, '\0');
    return data.insert(2, QByteArray("\xFF\xE1", 2) + char(0) + char(exif.size() + 2) + exif);
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

// A progressive greyscale picture of width x height with one DC scan and `acScans` scans of the
// AC coefficients that hold nothing, as a crafted file makes the decoder walk the whole picture
// once per scan. Small on disk, dear to decode.
QByteArray manyScans(int width, int height, int acScans)
{
    MemoryJpeg file(width, height, JCS_GRAYSCALE, 1);
    jpeg_compress_struct &info = file.info;
    static const jpeg_scan_info script[2] = {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}};
    info.scan_info = script;
    info.num_scans = 2;
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> line(width, 128);
    for (int y = 0; y < height; ++y) {
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    QByteArray data = file.finish();
    const qsizetype ac = data.lastIndexOf("\xFF\xDA");
    const QByteArray scan = data.mid(ac, data.size() - 2 - ac);
    data.chop(2);
    for (int i = 1; i < acScans; ++i)
        data += scan;
    return data + "\xFF\xD9";
}

// `count` random bytes written over the middle of the data, none of them 0xFF: the picture's
// entropy-coded data is garbled, but no marker appears or goes.
QByteArray garbled(QByteArray data, int count)
{
    QRandomGenerator random(15);
    const qsizetype from = data.size() / 2 - count / 2;
    for (qsizetype i = from; i < from + count; ++i)
        data[i] = char(random.bounded(0xFF));
    return data;
}

// The frame header's type byte replaced: the scans are then read with the other coding.
QByteArray withFrameType(QByteArray data, char from, char to)
{
    data[data.indexOf(QByteArray("\xFF") + from) + 1] = to;
    return data;
}

// A picture with detail everywhere, so that its scan data is long.
QImage detailed(const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) ^ y, (y * 5) ^ x, (x * y) >> 4));
    return image;
}

} // namespace

class TestWindowSelection : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("photos")));
        m_form = std::make_unique<Form1>([this] { return localPath(m_folder.path()); });
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
        QTest::addColumn<int>("action"); // a key, or 0: click, -1: double click, -2: Ctrl+click
        QTest::addColumn<int>("lowest"); // the rows the choice may land on, -1 for none
        QTest::addColumn<int>("highest");
        QTest::newRow("click") << -1 << 0 << 5 << 5;
        QTest::newRow("click the chosen name") << 5 << 0 << 5 << 5;
        QTest::newRow("double click on the chosen name") << 7 << -1 << 7 << 7;
        QTest::newRow("Ctrl+click takes the choice away") << 13 << -2 << -1 << -1;
        QTest::newRow("Down") << 5 << int(Qt::Key_Down) << 6 << 6;
        QTest::newRow("End") << 5 << int(Qt::Key_End) << 132 << 132;
        QTest::newRow("PageDown") << 5 << int(Qt::Key_PageDown) << 6 << 132;
    }
    void choosing()
    {
        QFETCH(int, before);
        QFETCH(int, action);
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
            effects << QFileInfo(path).fileName() << texts(); // no box is written before the photo
        });
        for (QLineEdit *box : std::as_const(m_boxes))
            connect(box, &QLineEdit::textChanged, this, [&, box] { effects << box->objectName(); });

        const QImage shown = m_picture->grab().toImage();

        if (action > 0)
            QTest::keyClick(m_list, Qt::Key(action));
        else if (action == -2)
            click(before, Qt::ControlModifier); // position -1: no row, nothing read or written
        else
            click(lowest, {}, action == -1);

        const int row = m_form->herbNumber() - 1;
        QVERIFY2(row >= lowest && row <= highest, qPrintable(QString::number(row)));
        if (row < 0) {
            QVERIFY(m_list->selectedItems().isEmpty());
            QCOMPARE(effects, QStringList());
            QCOMPARE(texts(), QStringList(9, QStringLiteral("x")));
            QCOMPARE(m_picture->grab().toImage(), shown);
            return;
        }
        QCOMPARE(m_list->selectedItems(), QList<QListWidgetItem *> {m_list->item(row)});
        QStringList expected {m_list->item(row)->text() + ".jpg"};
        expected << QStringList(9, QStringLiteral("x"));
        for (QLineEdit *box : std::as_const(m_boxes))
            expected << box->objectName();
        QCOMPARE(effects, expected);
        QCOMPARE(texts(), composed(row + 1));
        QCOMPARE(m_boxes[8]->cursorPosition(), 0); // long values show from their start
        QVERIFY(near(m_picture->picture().pixelColor(0, 0), Qt::red));
    }

    void showsTheTopLeftUnscaled_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QSize>("seen"); // the part the box shows
        QTest::addColumn<QColor>("colour"); // its colour
        const QSize full(433, 353);
        const QColor blue(Qt::blue);
        const QColor grey(qGray(blue.rgb()), qGray(blue.rgb()), qGray(blue.rgb()));
        // Blue where the box shows the picture, yellow where it must be cut off.
        QImage larger = solid(QSize(600, 500), Qt::yellow);
        QPainter(&larger).fillRect(0, 0, 433, 353, Qt::blue);
        QTest::newRow("larger") << jpeg(larger) << full << blue;
        // Stored so that the orientation's turn shows `larger` upright.
        const QImage left = larger.transformed(QTransform().rotate(-90));
        QTest::newRow("larger, stored on its side") << turned(jpeg(left)) << full << blue;
        QTest::newRow("stored on its side, Intel order")
                << turned(jpeg(left), 6, true) << full << blue;
        QTest::newRow("stored upside down")
                << turned(jpeg(larger.transformed(QTransform().rotate(180))), 3) << full << blue;
        QTest::newRow("stored on its other side")
                << turned(jpeg(larger.transformed(QTransform().rotate(90))), 8) << full << blue;
        QTest::newRow("stored mirrored")
                << turned(jpeg(larger.mirrored(true, false)), 2) << full << blue;
        QTest::newRow("stored flipped, progressive")
                << turned(jpeg(larger.mirrored(false, true), {JCS_RGB, true}), 4) << full << blue;
        QTest::newRow("stored mirrored on its side")
                << turned(jpeg(left.mirrored(true, false)), 5) << full << blue;
        QTest::newRow("stored flipped on its side")
                << turned(jpeg(left.mirrored(false, true)), 7) << full << blue;
        QTest::newRow("smaller") << jpeg(solid(QSize(200, 100), Qt::blue)) << QSize(200, 100)
                                 << blue;
        QTest::newRow("progressive") << jpeg(larger, {JCS_RGB, true}) << full << blue;
        QTest::newRow("greyscale") << jpeg(larger, {JCS_GRAYSCALE}) << full << grey;
        QTest::newRow("CMYK") << jpeg(larger, {JCS_CMYK}) << full << blue;
        QTest::newRow("arithmetic coding") << jpeg(larger, {JCS_RGB, false, true}) << full << blue;
        QTest::newRow("restart markers")
                << jpeg(larger, {JCS_RGB, false, false, 1}) << full << blue;
        QTest::newRow("odd size, progressive")
                << jpeg(larger.copy(0, 0, 437, 357), {JCS_RGB, true}) << full << blue;
    }
    void showsTheTopLeftUnscaled()
    {
        QFETCH(QByteArray, content);
        QFETCH(QSize, seen);
        QFETCH(QColor, colour);
        writePhoto(QStringLiteral("艾"), content);
        click(0);
        QVERIFY2(m_picture->notice().isEmpty(), qPrintable(m_picture->notice()));
        QCOMPARE(m_picture->picture().size(), seen); // only what can be seen is decoded
        const QImage box = m_picture->grab().toImage();
        QCOMPARE(box.size(), QSize(433, 353));
        // JPEG blurs colour edges by a few pixels; a scaled picture would be yellow here.
        const int right = seen.width() - 7;
        const int bottom = seen.height() - 7;
        for (const QPoint &at :
             {QPoint(1, 1), QPoint(right, 1), QPoint(1, bottom), QPoint(right, bottom)})
            QVERIFY2(near(box.pixelColor(at), colour), qPrintable(box.pixelColor(at).name()));
        if (seen.width() < 433)
            QCOMPARE(box.pixelColor(seen.width() + 1, 1), kDarkGreen);
        if (seen.height() < 353)
            QCOMPARE(box.pixelColor(1, seen.height() + 1), kDarkGreen);
    }

    void photoThatCannotBeShown_data()
    {
        const QByteArray whole = jpeg(solid(QSize(433, 353), Qt::green));
        QByteArray twelveBit = whole;
        twelveBit[twelveBit.indexOf("\xFF\xC0") + 4] = 12; // samples of 12 bits
        // "-": no file, "/": a folder, "|": a FIFO, "@": a link to a device
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray("-");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("这不是照片");
        QTest::newRow("cut short") << whole.left(whole.size() / 2);
        QTest::newRow("a folder") << QByteArray("/");
        QTest::newRow("too large") << withSize(whole, 60000, 60000);
        QTest::newRow("progressive, too large to hold")
                << withSize(jpeg(solid(QSize(433, 353), Qt::green), {JCS_RGB, true}), 8000, 8000);
        QTest::newRow("12-bit samples") << twelveBit;
        QTest::newRow("10,000 empty scans") << manyScans(2000, 2000, 10000);
#ifdef Q_OS_UNIX
        QTest::newRow("a FIFO") << QByteArray("|");
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
        // The notice also says where the photo belongs.
        QVERIFY(m_picture->notice().contains(m_folder.filePath(QStringLiteral("photos"))));
        const QImage box = m_picture->grab().toImage();
        QCOMPARE(box.pixelColor(1, 1), kDarkGreen);
        QVERIFY(box != solid(box.size(), kDarkGreen).convertToFormat(box.format())); // notice
        QCOMPARE(texts(), composed(2));

        click(0); // the next good photo shows normally
        QVERIFY(m_picture->notice().isEmpty());
        QVERIFY(near(m_picture->grab().toImage().pixelColor(1, 1), Qt::red));
    }

    // Corrupt data that the decoder reads past: what decoded is shown, with a notice that the
    // photo is damaged, and the facts show as always.
    void damagedPhoto_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QImage picture = detailed(QSize(433, 353));
        QTest::newRow("random bytes in its middle") << garbled(jpeg(picture), 2000);
        QTest::newRow("random bytes in its middle, progressive")
                << garbled(jpeg(picture, {JCS_RGB, true}), 2000);
        // The frame type patched from Huffman to arithmetic coding.
        QTest::newRow("read as arithmetic coded") << withFrameType(jpeg(picture), '\xC0', '\xC9');
        QTest::newRow("progressive, read as arithmetic coded")
                << withFrameType(jpeg(picture, {JCS_RGB, true}), '\xC2', '\xCA');
    }
    void damagedPhoto()
    {
        QFETCH(QByteArray, content);
        writePhoto(QStringLiteral("白梨"), content);
        click(1);
        QVERIFY2(m_picture->notice().startsWith(QStringLiteral("照片已损坏")),
                 qPrintable(m_picture->notice()));
        QVERIFY(m_picture->notice().contains(QStringLiteral("白梨.jpg")));
        QCOMPARE(m_picture->picture().size(), QSize(433, 353));
        QCOMPARE(texts(), composed(2));
    }

private:
    QStringList texts() const
    {
        QStringList texts;
        for (QLineEdit *box : m_boxes)
            texts << box->text();
        return texts;
    }
    QStringList composed(HerbNumber n) const
    {
        const auto display = composeHerbDisplay(n, localPath(m_folder.path()));
        return display ? QStringList(display->texts.begin(), display->texts.end()) : QStringList();
    }
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
