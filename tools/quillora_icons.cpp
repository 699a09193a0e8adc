// Writes the program's icon for the desktops:
//   quillora-icons THEME_DIR NAME SIZE...
// makes THEME_DIR/hicolor/<SIZE>x<SIZE>/apps/NAME.png for each size, and THEME_DIR/NAME.ico
// holding every size up to 256 (the Windows program's icon resource), all drawn by the same
// function that gives the window its icon.

#include "appicon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include <cstdio>
#include <cstdlib>

namespace {

void appendLittleEndian16(QByteArray &out, quint16 value)
{
    out.append(char(value & 0xff)).append(char(value >> 8));
}

void appendLittleEndian32(QByteArray &out, quint32 value)
{
    appendLittleEndian16(out, quint16(value & 0xffff));
    appendLittleEndian16(out, quint16(value >> 16));
}

// An ICO file whose images are stored as PNG, as Windows Vista and later read them.
QByteArray icoFile(const QList<int> &sizes)
{
    QList<QByteArray> images;
    for (int size : sizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        quilloraIconImage(size).save(&buffer, "PNG");
        images << png;
    }
    QByteArray out;
    appendLittleEndian16(out, 0); // reserved
    appendLittleEndian16(out, 1); // icon
    appendLittleEndian16(out, quint16(images.size()));
    quint32 offset = quint32(6 + 16 * images.size());
    for (qsizetype i = 0; i < images.size(); ++i) {
        const int size = sizes[i];
        out.append(char(size >= 256 ? 0 : size)).append(char(size >= 256 ? 0 : size)); // 0 is 256
        out.append(char(0)).append(char(0)); // no palette, reserved
        appendLittleEndian16(out, 1); // colour planes
        appendLittleEndian16(out, 32); // bits per pixel
        appendLittleEndian32(out, quint32(images[i].size()));
        appendLittleEndian32(out, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray &png : images)
        out += png;
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fputs("usage: quillora-icons THEME_DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QString themeDir = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    QList<int> icoSizes;
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "quillora-icons: bad size %s\n", argv[i]);
            return 2;
        }
        const QString folder = QString("%1/hicolor/%2x%2/apps").arg(themeDir).arg(size);
        const QString file = folder + '/' + name + ".png";
        if (!QDir().mkpath(folder) || !quilloraIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "quillora-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
        if (size <= 256)
            icoSizes << size;
    }
    QFile ico(themeDir + '/' + name + ".ico");
    const QByteArray icoBytes = icoFile(icoSizes);
    if (!ico.open(QIODevice::WriteOnly) || ico.write(icoBytes) != icoBytes.size()) {
        std::fprintf(stderr, "quillora-icons: cannot write %s\n", qPrintable(ico.fileName()));
        return 1;
    }
    return 0;
}
