// The photo box in the real window: only the visible corner is decoded, upright, at the screen's
// own pixels; unusual JPEG flavours; photos that cannot be shown, down to names that are no
// regular file, and photos too costly to decode; damaged photos shown as far as they go, and a
// camera file cut anywhere. A photo on a file system that stalls, and slow photos chosen in a
// quick run, never hold up the facts.

#include "bookwindow.h"
#include "jpegfacts.h"
#include "photobox.h"
#include "photoreader.h"
#include "regularfile.h"

#include <QDataStream>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QStandardPaths>
#include <QtMath>

#include <jpeglib.h>

#include <atomic>
#include <cstdlib>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QColor kColours[] = {Qt::red, Qt::green, Qt::blue}; // the first three plants' photos

// JPEG written by libjpeg itself in the flavours cameras and image editors use. CMYK is stored
// inverted, as Adobe applications write it. With `acScans`, a progressive greyscale file of one
// DC scan and that many scans of AC coefficients that hold nothing, as a crafted file makes the
// decoder walk the whole picture once per scan: small on disk, dear to decode.
struct Flavour
{
    J_COLOR_SPACE space = JCS_RGB;
    bool progressive = false;
    bool arithmetic = false;
    int restartRows = 0;
    int acScans = 0;
};

QByteArray jpeg(const QImage &image, const Flavour &flavour = {})
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    unsigned char *out = nullptr;
    unsigned long size = 0;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &out, &size);
    // The picture's own rows go in, but for CMYK.
    const bool cmyk = flavour.space == JCS_CMYK;
    info.image_width = image.width();
    info.image_height = image.height();
    info.in_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    info.input_components = 4;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, flavour.space == JCS_RGB ? JCS_YCbCr : flavour.space);
    jpeg_set_quality(&info, 95, TRUE);
    if (flavour.progressive)
        jpeg_simple_progression(&info);
    static const jpeg_scan_info dcThenAc[2] = {{1, {0}, 0, 0, 0, 0}, {1, {0}, 1, 63, 0, 0}};
    if (flavour.acScans > 0) {
        info.scan_info = dcThenAc;
        info.num_scans = 2;
    }
    info.arith_code = flavour.arithmetic;
    info.restart_in_rows = flavour.restartRows;
    jpeg_start_compress(&info, TRUE);
    const QImage picture = image.convertToFormat(QImage::Format_RGB32);
    std::vector<JSAMPLE> line(image.width() * 4);
    for (int y = 0; y < image.height(); ++y) {
        JSAMPLE *sample = line.data();
        for (int x = 0; cmyk && x < image.width(); ++x) {
            const QColor k = picture.pixelColor(x, y).toCmyk();
            for (int v : {k.cyan(), k.magenta(), k.yellow(), k.black()})
                *sample++ = JSAMPLE(255 - v);
        }
        JSAMPROW row = cmyk ? line.data() : const_cast<JSAMPROW>(picture.constScanLine(y));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    QByteArray data(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    jpeg_destroy_compress(&info);
    const qsizetype ac = data.lastIndexOf("\xFF\xDA");
    const QByteArray scan = data.mid(ac, data.size() - 2 - ac);
    for (int i = 1; i < flavour.acScans; ++i)
        data.insert(data.size() - 2, scan);
    return data;
}

// A camera's Exif note in Motorola or Intel byte order: a directory of the maker's name, the
// orientation and a maker's note of `noteBytes`, the longer values after it. Orientation 6 says
// "turn a quarter clockwise to show", 3 "turn half way", 8 "a quarter anticlockwise", 2 and 4
// "mirror" and "flip", 5 and 7 "mirror or flip, then a quarter clockwise".
QByteArray exifNote(int orientation, int noteBytes, bool intel)
{
    QByteArray tiff;
    QDataStream out(&tiff, QIODevice::WriteOnly);
    out.setByteOrder(intel ? QDataStream::LittleEndian : QDataStream::BigEndian);
    const QByteArray maker("Quillora Field Camera 7", 24);
    const quint32 values = 8 + 2 + 3 * 12 + 4; // where the directory ends
    out << quint16(intel ? 0x4949 : 0x4D4D) << quint16(42) << quint32(8) << quint16(3)
        << quint16(0x010F) << quint16(2) << quint32(maker.size()) << values << quint16(0x0112)
        << quint16(3) << quint32(1) << quint16(orientation) << quint16(0) << quint16(0x927C)
        << quint16(7) << quint32(noteBytes) << quint32(values + maker.size()) << quint32(0);
    return QByteArray("Exif\0\0", 6) + tiff + maker + QByteArray(noteBytes, '\x5A');
}

// The picture with a camera's Exif note as its first segment.
QByteArray turned(const QByteArray &data, int orientation = 6, bool intel = false,
                  int noteBytes = 0)
{
    const QByteArray exif = exifNote(orientation, noteBytes, intel);
    const quint16 length = exif.size() + 2;
    return data.left(2) + "\xFF\xE1" + char(length >> 8) + char(length) + exif + data.mid(2);
}

// Writes new width and height into the frame header.
QByteArray withSize(QByteArray data, int width, int height)
{
    qsizetype sof = -1;
    for (const char *marker : {"\xFF\xC0", "\xFF\xC2", "\xFF\xCA"})
        if (sof < 0)
            sof = data.indexOf(marker);
    const char size[4] = {char(height >> 8), char(height), char(width >> 8), char(width)};
    return data.replace(sof + 5, 4, size, 4);
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

class TestPhoto : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_book = std::make_unique<BookWindow>();
        QVERIFY(m_book->ready());
    }
    void cleanup()
    {
        RegularFile::setStallForTesting({});
        m_release.release(); // a read still held up ends
        m_book.reset();
        m_release.acquire(m_release.available());
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
        // Stored turned or mirrored, with the orientation that shows `larger` upright.
        const auto stored = [&](const char *tag, int orientation, const QTransform &turn,
                                const Flavour &flavour = {}, bool intel = false) {
            QTest::newRow(tag) << turned(jpeg(larger.transformed(turn), flavour), orientation,
                                         intel)
                               << full << blue;
        };
        const QTransform left = QTransform().rotate(-90);
        stored("stored on its side", 6, left);
        stored("stored on its side, Intel order", 6, left, {}, true);
        stored("stored upside down", 3, QTransform().rotate(180));
        stored("stored on its other side", 8, QTransform().rotate(90));
        stored("stored mirrored", 2, QTransform::fromScale(-1, 1));
        stored("stored flipped, progressive", 4, QTransform::fromScale(1, -1), {JCS_RGB, true});
        stored("stored mirrored on its side", 5, left * QTransform::fromScale(-1, 1));
        stored("stored flipped on its side", 7, left * QTransform::fromScale(1, -1));
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
        QTest::newRow("PNG under a photo's name") << encoded(larger, "PNG") << full << blue;
    }
    void showsTheTopLeftUnscaled()
    {
        QFETCH(QByteArray, content);
        QFETCH(QSize, seen);
        QFETCH(QColor, colour);
        QVERIFY(m_book->writePhoto(QStringLiteral("艾"), content));
        choose(0);
        QVERIFY2(photo()->notice().isEmpty(), qPrintable(photo()->notice()));
        QCOMPARE(photo()->picture().size(), seen); // only what can be seen is decoded
        const QImage box = photo()->grab().toImage();
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

    // At any scale of the desktop (ctest runs this at 150 % too), one photo pixel is drawn on
    // one pixel of the screen from the box's top-left corner: the photo stays sharp.
    void sharpAtTheScreensPixels()
    {
        // Stripes one pixel wide, which any scaling would blur, and two flat squares at known
        // places of the stored picture.
        QImage stored(1000, 800, QImage::Format_RGB32);
        for (int y = 0; y < stored.height(); ++y)
            for (int x = 0; x < stored.width(); ++x)
                stored.setPixel(x, y, (x + y / 3) % 2 ? qRgb(250, 250, 250) : qRgb(20, 20, 60));
        QPainter painter(&stored);
        painter.fillRect(400, 320, 24, 24, Qt::red);
        painter.fillRect(600, 480, 24, 24, Qt::blue);
        painter.end();
        QVERIFY(m_book->writePhoto(QStringLiteral("艾"), jpeg(stored)));
        choose(0);
        const qreal ratio = photo()->devicePixelRatioF();
        const QImage picture = photo()->picture().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(picture.size(), QSize(qCeil(433 * ratio), qCeil(353 * ratio)));
        // The box's last column and row may take part of a screen pixel.
        QImage shown = photo()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(picture.width() - shown.width() <= 1 && picture.height() - shown.height() <= 1);
        shown.setDevicePixelRatio(1);
        QCOMPARE(shown, picture.copy(shown.rect()));
        // The stored picture's own pixels from its top-left corner.
        for (const auto &[at, colour] : {std::pair {QPoint(412, 332), QColor(Qt::red)},
                                         std::pair {QPoint(612, 492), QColor(Qt::blue)}})
            if (picture.rect().contains(at))
                QVERIFY(near(picture.pixelColor(at), colour));
    }

    // Photos that cannot be shown, or only in part (corrupt data the decoder reads past): the
    // notice says what is wrong and where the photo belongs, and the facts show as always.
    void photoWithAProblem_data()
    {
        const QByteArray whole = jpeg(solid(QSize(433, 353), Qt::green));
        QByteArray twelveBit = whole;
        twelveBit[twelveBit.indexOf("\xFF\xC0") + 4] = 12; // samples of 12 bits
        const QImage grey = solid(QSize(64, 64), QColor(128, 128, 128));
        QImage largePng(5000, 5000, QImage::Format_Grayscale8);
        largePng.fill(90);
        const QImage picture = detailed(QSize(433, 353));
        // "-": no file, "/": a folder, "|": a FIFO, "@": a link to a device
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("notice"); // how the notice begins
        const QString cannot = QStringLiteral("照片无法显示");
        const QString tooLarge = QStringLiteral("照片太大");
        const QString tooSlow = QStringLiteral("照片读取太慢");
        const QString damaged = QStringLiteral("照片已损坏"); // and shown as far as it goes
        QTest::newRow("missing") << QByteArray("-") << QStringLiteral("找不到照片");
        QTest::newRow("empty") << QByteArray() << cannot;
        QTest::newRow("not a picture") << QByteArray("这不是照片") << cannot;
        QTest::newRow("a folder") << QByteArray("/") << cannot;
        QTest::newRow("too large") << withSize(whole, 60000, 60000) << tooLarge;
        QTest::newRow("progressive, too large to hold")
                << withSize(jpeg(solid(QSize(433, 353), Qt::green), {JCS_RGB, true}), 8000, 8000)
                << tooLarge;
        QTest::newRow("12-bit samples") << twelveBit << cannot;
        QTest::newRow("10,000 empty scans")
                << jpeg(grey.scaled(2000, 2000), {JCS_GRAYSCALE, false, false, 0, 10000})
                << tooSlow;
        QTest::newRow("7000² in 19 scans")
                << withSize(jpeg(grey, {JCS_GRAYSCALE, false, false, 0, 18}), 7000, 7000)
                << tooSlow;
        QTest::newRow("7000² in 19 scans, arithmetic coded")
                << withSize(jpeg(grey, {JCS_GRAYSCALE, false, true, 0, 18}), 7000, 7000) << tooSlow;
        QTest::newRow("5000² PNG") << encoded(largePng, "PNG") << tooSlow;
        QTest::newRow("random bytes in its middle") << garbled(jpeg(picture), 2000) << damaged;
        QTest::newRow("random bytes in its middle, progressive")
                << garbled(jpeg(picture, {JCS_RGB, true}), 2000) << damaged;
        // The frame type patched from Huffman to arithmetic coding.
        QTest::newRow("read as arithmetic coded")
                << withFrameType(jpeg(picture), '\xC0', '\xC9') << damaged;
        QTest::newRow("progressive, read as arithmetic coded")
                << withFrameType(jpeg(picture, {JCS_RGB, true}), '\xC2', '\xCA') << damaged;
#ifdef Q_OS_UNIX
        QTest::newRow("a FIFO") << QByteArray("|") << cannot;
        QTest::newRow("a link to a device") << QByteArray("@") << cannot;
#endif
    }
    void photoWithAProblem()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, notice);
        const QString bad = QStringLiteral("白梨");
        const QString badPath = m_book->folder.filePath("photos/" + bad + ".jpg");
        if (content == "/")
            QVERIFY(QDir(m_book->folder.path()).mkpath("photos/" + bad + ".jpg"));
#ifdef Q_OS_UNIX
        else if (content == "|") // no writer ever comes: opening it to read would wait for ever
            QCOMPARE(mkfifo(QFile::encodeName(badPath).constData(), 0600), 0);
        else if (content == "@")
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), badPath));
#endif
        else if (content != "-")
            QVERIFY(m_book->writePhoto(bad, content));
        QVERIFY(m_book->writePhoto(QStringLiteral("艾"), jpeg(solid(QSize(433, 353), Qt::red))));

        choose(0);
        QVERIFY(!photo()->picture().isNull());
        choose(1);
        QVERIFY2(photo()->notice().startsWith(notice), qPrintable(photo()->notice()));
        QVERIFY(photo()->notice().contains(bad + ".jpg"));
        QVERIFY(photo()->notice().contains(m_book->folder.filePath(QStringLiteral("photos"))));
        const QImage box = photo()->grab().toImage();
        QVERIFY(box != solid(box.size(), kDarkGreen).convertToFormat(box.format())); // notice
        if (notice == QStringLiteral("照片已损坏")) {
            QCOMPARE(photo()->picture().size(), QSize(433, 353));
        } else {
            QVERIFY(photo()->picture().isNull()); // the previous photo is gone
            QCOMPARE(box.pixelColor(1, 1), kDarkGreen);
        }
        QCOMPARE(m_book->texts(), m_book->composed(2));

        choose(0); // the next good photo shows normally
        QVERIFY(photo()->notice().isEmpty());
        QVERIFY(near(photo()->grab().toImage().pixelColor(1, 1), Qt::red));
    }

    // A camera photo damaged far below the corner the box shows: a stray marker (FF F4) at
    // 96.5 % of the file whose length runs past its end. The corner shows as djpeg decodes it,
    // without a notice.
    void damagedBelowTheCorner()
    {
#ifdef Q_OS_WIN
        QSKIP("djpeg is a tool of the build machine");
#endif
        const QString djpeg = QStandardPaths::findExecutable(QStringLiteral("djpeg"));
        if (djpeg.isEmpty())
            QSKIP("djpeg (libjpeg-turbo's tools) is not installed");
        QImage picture(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                line[x] = qRgb(x / 16, y / 12, (x + y) / 28);
        }
        QByteArray content = jpeg(picture);
        const qsizetype at = content.size() * 965 / 1000;
        QVERIFY(content.size() - at < 0xFFFF);
        content.replace(at, 4, "\xFF\xF4\xFF\xFF", 4);
        QVERIFY(m_book->writePhoto(QStringLiteral("艾"), content));
        QProcess crop;
        crop.start(djpeg,
                   {"-crop", "433x353+0+0", "-ppm", m_book->folder.filePath("photos/艾.jpg")});
        QVERIFY(crop.waitForFinished(30000));
        const QImage expected = QImage::fromData(crop.readAllStandardOutput(), "PPM");
        QCOMPARE(expected.size(), QSize(433, 353));

        choose(0);
        QCOMPARE(photo()->notice(), QString());
        QCOMPARE(photo()->picture().convertToFormat(QImage::Format_RGB32),
                 expected.convertToFormat(QImage::Format_RGB32));
    }

    // A camera's file (its Exif note with a 6 KB maker's note, then the picture, baseline or
    // progressive) cut at every byte of its first 2 KB and at every marker segment: the marker
    // walk never reads past the end; the box shows a notice, and whatever part could be decoded.
    void cutCameraFile_data()
    {
        QTest::addColumn<bool>("progressive");
        QTest::newRow("baseline") << false;
        QTest::newRow("progressive") << true;
    }
    void cutCameraFile()
    {
        QFETCH(bool, progressive);
        QImage upright = solid(QSize(640, 480), Qt::yellow);
        QPainter(&upright).fillRect(0, 0, 40, 30, Qt::blue);
        const QImage stored = upright.transformed(QTransform().rotate(-90));
        const QByteArray whole = turned(jpeg(stored, {JCS_RGB, progressive}), 6, false, 6000);
        const auto readCut = [this](const QByteArray &content) {
            return m_book->writePhoto(QStringLiteral("艾"), content) ? readVisiblePhoto(
                           localPath(m_book->folder.filePath("photos/艾.jpg")), {433, 353})
                                                                     : PhotoRead {};
        };
        const PhotoRead shown = readCut(whole);
        QCOMPARE(shown.problem, PhotoProblem::None);
        QVERIFY(near(shown.picture.pixelColor(1, 1), Qt::blue)); // upright
        QVERIFY(near(shown.picture.pixelColor(50, 40), Qt::yellow));

        const qsizetype scan = whole.indexOf("\xFF\xDA");
        const qsizetype scanData
                = scan + 2 + (uchar(whole[scan + 2]) << 8 | uchar(whole[scan + 3]));
        QList<qsizetype> cuts;
        for (qsizetype n = 1; n <= 2048; ++n)
            cuts << n;
        // Every marker segment at its marker, in its length, in its middle and at its end.
        for (qsizetype at = 2; at + 4 < whole.size(); ++at) {
            const uchar code = whole[at + 1];
            if (whole[at] != '\xFF' || code < 0xC0 || (code >= 0xD0 && code <= 0xD9))
                continue;
            const qsizetype length = uchar(whole[at + 2]) << 8 | uchar(whole[at + 3]);
            cuts << at << at + 1 << at + 2 << at + 3 << at + 2 + length / 2 << at + 1 + length;
        }
        for (int part = 1; part < 8; ++part) // and in the scans' data
            cuts << scanData + (whole.size() - scanData) * part / 8;
        for (qsizetype n : std::as_const(cuts)) {
            const QByteArray cut(whole.constData(), n); // no byte to spare past its end
            jpegFacts(cut);
            const PhotoRead read = readCut(cut);
            const QByteArray at = QByteArray::number(n);
            QVERIFY2(read.problem == PhotoProblem::Damaged
                             || read.problem == PhotoProblem::DamagedData,
                     at);
            QVERIFY2(read.picture.isNull() == (read.problem == PhotoProblem::Damaged), at);
            if (n < scan)
                QVERIFY2(read.picture.isNull(), at);
            else if (n >= scanData && !progressive) // the rows before the cut
                QVERIFY2(!read.picture.isNull(), at);
        }
    }

    // A photo whose read the file system holds up for 5 s: the key is answered and the facts
    // shown at once, the box says the photo is being read; the photo shows when the read ends,
    // unless another plant has been chosen meanwhile, whose photo then shows instead.
    void stalledRead_data()
    {
        QTest::addColumn<bool>("chooseAnother");
        QTest::newRow("still chosen") << false;
        QTest::newRow("another chosen meanwhile") << true;
    }
    void stalledRead()
    {
        QFETCH(bool, chooseAnother);
        for (int row : {0, 1, 2})
            QVERIFY(m_book->writePhoto(m_book->list->item(row)->text(),
                                       jpeg(solid(QSize(433, 353), kColours[row]))));
        choose(0);
        m_stalled = false;
        RegularFile::setStallForTesting([this](const std::filesystem::path &file) {
            if (file.filename() == std::filesystem::path(u8"白梨.jpg") && !m_stalled.exchange(true))
                m_release.tryAcquire(1, 5000);
        });
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < (chooseAnother ? 2 : 1); ++k) {
            const qint64 pressed = clock.elapsed();
            QTest::keyClick(m_book->list, Qt::Key_Down);
            QVERIFY2(clock.elapsed() - pressed < 300, qPrintable(QString::number(clock.elapsed())));
            QCOMPARE(m_book->texts(), m_book->composed(HerbNumber(2 + k)));
            QCOMPARE(photo()->notice(), photoNotice(PhotoProblem::Reading, QString()));
            QVERIFY(photo()->picture().isNull());
        }
        QVERIFY(m_stalled);
        if (chooseAnother)
            m_release.release();
        QTRY_VERIFY_WITH_TIMEOUT(!photo()->picture().isNull(), 15000);
        QVERIFY(photo()->notice().isEmpty());
        QVERIFY(near(photo()->picture().pixelColor(1, 1), kColours[chooseAnother ? 2 : 1]));
        if (!chooseAnother)
            QVERIFY(clock.elapsed() > 4500);
    }

    // Thirty quick Down presses over photos that take longer to decode than the window waits
    // (a 12-MP PNG under each photo's name): the last plant's facts follow within a second,
    // and its photo once decoded.
    void quickRunOverSlowPhotos()
    {
        QImage slow(4000, 3000, QImage::Format_RGB32);
        slow.fill(QColor(Qt::magenta));
        const QByteArray png = encoded(slow, "PNG");
        for (const QString &name : HerbCatalogue::displayNames())
            QVERIFY(m_book->writePhoto(name, png));
        choose(0);
        QElapsedTimer clock;
        clock.start();
        for (int k = 0; k < 30; ++k)
            QCoreApplication::postEvent(
                    m_book->list, new QKeyEvent(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier));
        QTRY_COMPARE_WITH_TIMEOUT(m_book->form.herbNumber(), HerbNumber(31), 10000);
        QCOMPARE(m_book->texts(), m_book->composed(31));
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(!photo()->picture().isNull(), 15000);
        QVERIFY(near(photo()->picture().pixelColor(1, 1), Qt::magenta));
    }

private:
    // Clicks the row and waits until its photo has been read, however long a busy machine
    // takes.
    void choose(int row)
    {
        m_book->click(row);
        QTRY_VERIFY_WITH_TIMEOUT(photo()->notice() != photoNotice(PhotoProblem::Reading, QString()),
                                 15000);
    }
    PhotoBox *photo() const
    {
        return static_cast<PhotoBox *>(m_book->picture);
    }

    std::unique_ptr<BookWindow> m_book;
    QSemaphore m_release; // ends a read the test holds up
    std::atomic<bool> m_stalled = false;
};

QTEST_MAIN(TestPhoto)
#include "tst_photo.moc"
