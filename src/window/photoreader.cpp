#include "photoreader.h"

#include "jpegdecoder.h"
#include "jpegfacts.h"
#include "regularfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

namespace {

// A camera photo is a few megabytes; anything far beyond is refused before it is read.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
// Even when only a corner is decoded, some decoders hold the whole picture's data.
constexpr qint64 kMaxPixels = 100'000'000;
// Decoders that cannot stop at the corner decode everything at four bytes per pixel.
constexpr qint64 kMaxFullDecodeBytes = 256 * 1024 * 1024;
// A progressive JPEG's coefficients are held whole (two bytes per sample) before its first line
// can be shown, however little of it is shown: 36 MB for a 12-MP camera photo, 100 MB for a
// 25-MP one with half the colour resolution across (4:2:2).
constexpr qint64 kMaxHeldCoefficientBytes = 100 * 1024 * 1024;
// Every scan of a JPEG file is read over the whole picture, even a scan that holds nothing, so
// the time a file can cost grows with its scans times its pixels. Cameras and editors write 1 to
// about 20 scans; a file with thousands of empty scans would freeze the window for minutes.
constexpr int kMaxScans = 100;
constexpr qint64 kMaxScanPixels = 1'000'000'000; // e.g. a 25-MP picture in 40 scans

struct FileRead
{
    QByteArray bytes;
    PhotoProblem problem = PhotoProblem::None;
};

// Reads a regular file whole (a FIFO, a device or a socket under a photo's name is never read).
FileRead readRegularFile(const std::filesystem::path &file)
{
    RegularFile opened(file);
    switch (opened.error()) {
    case RegularFile::Error::None:
        break;
    case RegularFile::Error::Missing:
        return {{}, PhotoProblem::Missing};
    case RegularFile::Error::NotAFile:
    case RegularFile::Error::Unreadable:
        return {{}, PhotoProblem::Damaged};
    }
    if (opened.size() > kMaxFileBytes)
        return {{}, PhotoProblem::TooLarge};
    FileRead read;
    read.bytes.resize(qsizetype(opened.size()));
    qsizetype got = 0;
    while (got < read.bytes.size()) {
        const std::int64_t n = opened.read(read.bytes.data() + got, read.bytes.size() - got);
        if (n <= 0)
            break;
        got += qsizetype(n);
    }
    read.bytes.truncate(got);
    return read;
}

// How Exif orientation 1 to 8 turns the stored picture upright.
QImageIOHandler::Transformations exifTurn(int orientation)
{
    using T = QImageIOHandler::Transformation;
    static constexpr T kTurns[] = {
            QImageIOHandler::TransformationNone, // unused
            QImageIOHandler::TransformationNone,
            QImageIOHandler::TransformationMirror,
            QImageIOHandler::TransformationRotate180,
            QImageIOHandler::TransformationFlip,
            QImageIOHandler::TransformationMirrorAndRotate90,
            QImageIOHandler::TransformationRotate90,
            QImageIOHandler::TransformationFlipAndRotate90,
            QImageIOHandler::TransformationRotate270,
    };
    return orientation >= 1 && orientation <= 8 ? kTurns[orientation] : T::TransformationNone;
}

// The part of the stored picture that ends up in the box's top-left visibleSize once the
// picture has been turned upright.
QRect storedPartShown(const QSize &stored, QImageIOHandler::Transformations turn,
                      const QSize &visibleSize)
{
    QTransform upright;
    const qreal w = stored.width();
    const qreal h = stored.height();
    if (turn & QImageIOHandler::TransformationMirror)
        upright *= QTransform(-1, 0, 0, 1, w, 0);
    if (turn & QImageIOHandler::TransformationFlip)
        upright *= QTransform(1, 0, 0, -1, 0, h);
    if (turn & QImageIOHandler::TransformationRotate90)
        upright *= QTransform(0, 1, -1, 0, h, 0);
    const QRectF shownUpright = upright.mapRect(QRectF(QPointF(0, 0), stored))
                                        .intersected(QRectF(QPointF(0, 0), visibleSize));
    return upright.inverted().mapRect(shownUpright).toAlignedRect() & QRect(QPoint(0, 0), stored);
}

// Turns a decoded part of the stored picture upright: mirror and flip first, then a quarter
// turn clockwise, as the Exif orientations are defined.
QImage turnedUpright(const QImage &part, QImageIOHandler::Transformations turn)
{
    QImage upright = part.mirrored(turn & QImageIOHandler::TransformationMirror,
                                   turn & QImageIOHandler::TransformationFlip);
    if (turn & QImageIOHandler::TransformationRotate90)
        upright = upright.transformed(QTransform().rotate(90));
    return upright;
}

bool tooLarge(const QSize &stored)
{
    return qint64(stored.width()) * stored.height() > kMaxPixels;
}

PhotoRead readJpeg(const QByteArray &bytes, const QSize &visibleSize)
{
    const JpegFacts facts = jpegFacts(bytes);
    if (facts.cutShort)
        return {{}, PhotoProblem::Damaged};
    JpegDecoder decoder(bytes);
    const QSize stored = decoder.size();
    if (!decoder.headerRead() || stored.isEmpty())
        return {{}, PhotoProblem::Damaged};
    if (tooLarge(stored) || decoder.heldCoefficientBytes() > kMaxHeldCoefficientBytes)
        return {{}, PhotoProblem::TooLarge};
    if (facts.scans > kMaxScans
        || qint64(facts.scans) * stored.width() * stored.height() > kMaxScanPixels)
        return {{}, PhotoProblem::TooComplex};

    const QImageIOHandler::Transformations turn = exifTurn(facts.orientation);
    const QRect shown = storedPartShown(stored, turn, visibleSize);
    const QImage part = decoder.decode(shown);
    if (part.isNull())
        return {{}, PhotoProblem::Damaged};
    return {turnedUpright(part, turn),
            decoder.damaged() ? PhotoProblem::DamagedData : PhotoProblem::None};
}

// Pictures in other formats under a photo's name, through Qt's readers.
PhotoRead readOtherPicture(QByteArray &bytes, const QSize &visibleSize)
{
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return {{}, PhotoProblem::Damaged};
    if (tooLarge(stored)
        || (!reader.supportsOption(QImageIOHandler::ClipRect)
            && qint64(stored.width()) * stored.height() * 4 > kMaxFullDecodeBytes))
        return {{}, PhotoProblem::TooLarge};
    const QRect shown = storedPartShown(stored, reader.transformation(), visibleSize);
    if (shown.isEmpty())
        return {{}, PhotoProblem::Damaged};
    reader.setClipRect(shown);
    QImage picture = reader.read();
    if (picture.isNull())
        return {{}, PhotoProblem::Damaged};
    return {std::move(picture), PhotoProblem::None};
}

} // namespace

PhotoRead readVisiblePhoto(const std::filesystem::path &file, const QSize &visibleSize)
{
    FileRead read = readRegularFile(file);
    if (read.problem != PhotoProblem::None)
        return {{}, read.problem};
    if (read.bytes.isEmpty())
        return {{}, PhotoProblem::Damaged};
    if (read.bytes.startsWith("\xFF\xD8"))
        return readJpeg(read.bytes, visibleSize);
    return readOtherPicture(read.bytes, visibleSize);
}

QString photoNotice(PhotoProblem problem, const QString &path)
{
    const QFileInfo info(path);
    QString line;
    switch (problem) {
    case PhotoProblem::None:
        return {};
    case PhotoProblem::Missing:
        line = QStringLiteral("找不到照片：%1");
        break;
    case PhotoProblem::TooLarge:
        line = QStringLiteral("照片太大，无法显示：%1");
        break;
    case PhotoProblem::TooComplex:
        line = QStringLiteral("照片结构过于复杂，无法显示：%1");
        break;
    case PhotoProblem::Damaged:
        line = QStringLiteral("照片无法显示：%1");
        break;
    case PhotoProblem::DamagedData:
        line = QStringLiteral("照片已损坏，只显示能读出的部分：%1");
        break;
    }
    return line.arg(info.fileName()) + u'\n' + QStringLiteral("应放在：%1").arg(info.path());
}
