#include "photoreader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A camera photo is a few megabytes; anything far beyond is refused before it is read.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
// Even when only a corner is decoded, some decoders hold the whole picture's data.
constexpr qint64 kMaxPixels = 100'000'000;
// Decoders that cannot stop at the corner decode everything at four bytes per pixel.
constexpr qint64 kMaxFullDecodeBytes = 256 * 1024 * 1024;
// A progressive JPEG is held whole in memory (up to six bytes per pixel) before its first line
// can be shown, however little of it is shown.
constexpr qint64 kMaxProgressivePixels = 25'000'000;

// True when the JPEG data's frame header says progressive (SOF2, SOF6, SOF10 or SOF14).
bool jpegProgressive(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    const qsizetype size = data.size();
    if (size < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    for (qsizetype at = 2; at + 4 <= size && bytes[at] == 0xFF;) {
        while (at + 4 <= size && bytes[at + 1] == 0xFF) // fill bytes
            ++at;
        const uchar code = bytes[at + 1];
        if (code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC)
            return code == 0xC2 || code == 0xC6 || code == 0xCA || code == 0xCE;
        if (code == 0xDA || code == 0xD9) // scan data or the end before any frame header
            return false;
        at += 2 + ((bytes[at + 2] << 8) | bytes[at + 3]);
    }
    return false;
}

// Opens only regular files: a FIFO, a device or a socket under a photo's name is never opened
// in a way that could wait for a writer or read for ever.
bool openRegularFile(QFile &file)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(file.fileName()).constData(),
                          O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status
    {
    };
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    return QFileInfo(file).isFile() && file.open(QIODevice::ReadOnly);
#endif
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

} // namespace

bool jpegCutShort(QByteArrayView data)
{
    const auto *bytes = reinterpret_cast<const uchar *>(data.data());
    const qsizetype size = data.size();
    if (size < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return false;
    qsizetype at = 2;
    for (;;) {
        // The next marker: 0xFF, any fill bytes, then a code. Scan data and stray bytes between
        // segments are walked over; inside scan data 0xFF is followed by 0x00 or a restart code.
        const void *mark = std::memchr(bytes + at, 0xFF, size - at);
        if (!mark)
            return true;
        at = static_cast<const uchar *>(mark) - bytes;
        while (at < size && bytes[at] == 0xFF)
            ++at;
        if (at >= size)
            return true;
        const uchar code = bytes[at++];
        if (code == 0xD9)
            return false;
        if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue;
        if (at + 2 > size)
            return true;
        const int length = (bytes[at] << 8) | bytes[at + 1];
        if (length < 2)
            return true;
        at += length;
        if (at > size)
            return true;
    }
}

PhotoRead readVisiblePhoto(const QString &path, const QSize &visibleSize)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, PhotoProblem::Missing};
    if (!info.isFile())
        return {{}, PhotoProblem::Damaged};
    if (info.size() > kMaxFileBytes)
        return {{}, PhotoProblem::TooLarge};

    QFile file(path);
    if (!openRegularFile(file))
        return {{}, PhotoProblem::Damaged};
    if (file.size() > kMaxFileBytes)
        return {{}, PhotoProblem::TooLarge};
    QByteArray bytes = file.read(file.size());
    file.close();
    if (bytes.isEmpty() || jpegCutShort(bytes))
        return {{}, PhotoProblem::Damaged};

    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty())
        return {{}, PhotoProblem::Damaged};
    const qint64 pixels = qint64(stored.width()) * stored.height();
    if (pixels > kMaxPixels || (jpegProgressive(bytes) && pixels > kMaxProgressivePixels)
        || (!reader.supportsOption(QImageIOHandler::ClipRect) && pixels * 4 > kMaxFullDecodeBytes))
        return {{}, PhotoProblem::TooLarge};

    const QRect shown = storedPartShown(stored, reader.transformation(), visibleSize);
    if (shown.isEmpty())
        return {{}, PhotoProblem::Damaged};
    reader.setClipRect(shown);
    const QImage picture = reader.read();
    if (picture.isNull())
        return {{}, PhotoProblem::Damaged};
    return {picture, PhotoProblem::None};
}

QString photoNotice(PhotoProblem problem, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    switch (problem) {
    case PhotoProblem::None:
        return {};
    case PhotoProblem::Missing:
        return QStringLiteral("找不到照片：%1").arg(name);
    case PhotoProblem::TooLarge:
        return QStringLiteral("照片太大，无法显示：%1").arg(name);
    case PhotoProblem::Damaged:
        break;
    }
    return QStringLiteral("照片无法显示：%1").arg(name);
}
