#include "photoreader.h"

#include "jpegdecoder.h"
#include "jpegfacts.h"
#include "regularfile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <algorithm>

namespace {

// A camera photo is a few megabytes; anything far beyond is refused before it is read.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
// Even when only a corner is decoded, some decoders hold the whole picture's data.
constexpr qint64 kMaxPixels = 100'000'000;
// A progressive JPEG's coefficients are held whole (two bytes per sample) before its first line
// can be shown, however little of it is shown: 36 MB for a 12-MP camera photo, 100 MB for a
// 25-MP one with half the colour resolution across (4:2:2).
constexpr qint64 kMaxHeldCoefficientBytes = 100 * 1024 * 1024;
// Every scan of a JPEG file is read over the whole picture, even a scan that holds nothing, so
// the time a file costs grows with its scans times its pixels: 0.2 s for a camera's 12-MP photo
// in 19 scans, seconds for a 49-MP one in as many. Arithmetic coding costs twice as much.
constexpr qint64 kMaxScanPixels = 500'000'000; // e.g. a 25-MP picture in 20 scans
// Qt's readers (PNG, GIF, BMP...) decode the whole picture at four bytes a pixel before any of it
// is shown: about a second for a 24-MP PNG.
constexpr qint64 kMaxWholeDecodePixels = 24'000'000;
// The file is read in pieces of this size, as far as the decoding needs it.
constexpr qsizetype kPiece = 64 * 1024;

qint64 area(const QSize &size)
{
    return qint64(size.width()) * size.height();
}

// A photo file read as far as its decoding needs, into one buffer of the file's size that
// nothing copies: the decoder takes its pieces where they lie.
class PhotoBytes
{
public:
    PhotoBytes(RegularFile &file, const std::function<bool()> &stop)
        : m_file(file)
        , m_bytes(qsizetype(file.size()), Qt::Uninitialized)
        , m_stop(stop)
    { }

    // The next piece the decoder has not had yet, read from the file when needed; empty at the
    // end of the file, on a read error, or once reading should stop.
    QByteArrayView next()
    {
        if (m_given == m_read && !readMore())
            return {};
        const QByteArrayView piece(m_bytes.constData() + m_given, m_read - m_given);
        m_given = m_read;
        return piece;
    }
    // Everything, read to the end of the file.
    QByteArray &readAll()
    {
        while (readMore()) { }
        m_bytes.truncate(m_read); // in case the file has shrunk
        return m_bytes;
    }
    // What has been read so far.
    QByteArrayView read() const { return {m_bytes.constData(), m_read}; }

    // Reads one more piece; false at the end of the file, on a read error, or once reading
    // should stop.
    bool readMore()
    {
        if (m_read == m_bytes.size() || (m_stop && m_stop()))
            return false;
        const std::int64_t n = m_file.read(m_bytes.data() + m_read,
                                           std::size_t(std::min(kPiece, m_bytes.size() - m_read)));
        if (n <= 0)
            return false;
        m_read += qsizetype(n);
        return true;
    }

private:
    RegularFile &m_file;
    QByteArray m_bytes;
    qsizetype m_read = 0; // bytes read from the file
    qsizetype m_given = 0; // bytes handed to the decoder
    const std::function<bool()> &m_stop;
};

// The file's bytes for Qt's readers, which read them as they decode: once the reading should
// stop, the data ends and the reader gives up at once.
class StoppingBuffer : public QBuffer
{
public:
    StoppingBuffer(QByteArray *bytes, const std::function<bool()> &stop)
        : QBuffer(bytes)
        , m_stop(stop)
    { }

protected:
    qint64 readData(char *data, qint64 size) override
    {
        return m_stop && m_stop() ? -1 : QBuffer::readData(data, size);
    }

private:
    const std::function<bool()> &m_stop;
};

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
    return area(stored) > kMaxPixels;
}

PhotoRead readJpeg(PhotoBytes &bytes, const QSize &visibleSize, const std::function<bool()> &stop)
{
    JpegDecoder decoder([&bytes] { return bytes.next(); });
    const QSize stored = decoder.size();
    if (!decoder.headerRead() || stored.isEmpty())
        return {{}, PhotoProblem::Damaged};
    if (tooLarge(stored) || decoder.heldCoefficientBytes() > kMaxHeldCoefficientBytes)
        return {{}, PhotoProblem::TooLarge};
    // A file in one scan is read only as far as the part shown; its Exif note lies in the header
    // read so far. Every scan of any other file is read before its first row comes out anyway.
    const JpegFacts facts = jpegFacts(decoder.multiScan() ? bytes.readAll() : bytes.read());
    const qint64 scanPixels = area(stored) * (decoder.arithmetic() ? 2 : 1);
    if (decoder.multiScan() && facts.scans * scanPixels > kMaxScanPixels)
        return {{}, PhotoProblem::TooSlow};

    const QImageIOHandler::Transformations turn = exifTurn(facts.orientation);
    const QRect shown = storedPartShown(stored, turn, visibleSize);
    // The scans the decoder meets are counted too: a damaged or crafted file can hide some from
    // the marker walk.
    const qint64 maxScans = kMaxScanPixels / scanPixels;
    const QImage part = decoder.decode(
            shown, [&stop, maxScans](int scans) { return scans > maxScans || (stop && stop()); });
    if (part.isNull())
        return {{}, decoder.stopped() ? PhotoProblem::TooSlow : PhotoProblem::Damaged};
    return {turnedUpright(part, turn),
            decoder.damaged() ? PhotoProblem::DamagedData : PhotoProblem::None};
}

// Pictures in other formats under a photo's name, through Qt's readers.
PhotoRead readOtherPicture(PhotoBytes &bytes, const QSize &visibleSize,
                           const std::function<bool()> &stop)
{
    StoppingBuffer buffer(&bytes.readAll(), stop);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return {{}, PhotoProblem::Damaged};
    if (tooLarge(stored))
        return {{}, PhotoProblem::TooLarge};
    const QRect shown = storedPartShown(stored, reader.transformation(), visibleSize);
    if (shown.isEmpty())
        return {{}, PhotoProblem::Damaged};
    // Most readers cannot stop at the part shown and decode everything.
    const bool clips = reader.supportsOption(QImageIOHandler::ClipRect);
    if (area(clips ? shown.size() : stored) > kMaxWholeDecodePixels)
        return {{}, PhotoProblem::TooSlow};
    reader.setClipRect(shown);
    QImage picture = reader.read();
    if (picture.isNull())
        return {{}, PhotoProblem::Damaged};
    return {std::move(picture), PhotoProblem::None};
}

} // namespace

PhotoRead readVisiblePhoto(const std::filesystem::path &file, const QSize &visibleSize,
                           const std::function<bool()> &stop)
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
    PhotoBytes bytes(opened, stop);
    if (!bytes.readMore())
        return {{}, PhotoProblem::Damaged};
    if (bytes.read().startsWith("\xFF\xD8"))
        return readJpeg(bytes, visibleSize, stop);
    return readOtherPicture(bytes, visibleSize, stop);
}

QString photoNotice(PhotoProblem problem, const QString &path)
{
    const QFileInfo info(path);
    QString line;
    switch (problem) {
    case PhotoProblem::None:
        return {};
    case PhotoProblem::Reading:
        return QStringLiteral("照片读取中…");
    case PhotoProblem::Missing:
        line = QStringLiteral("找不到照片：%1");
        break;
    case PhotoProblem::TooLarge:
        line = QStringLiteral("照片太大，无法显示：%1");
        break;
    case PhotoProblem::TooSlow:
        line = QStringLiteral("照片读取太慢，无法显示：%1");
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
