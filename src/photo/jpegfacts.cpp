#include "jpegfacts.h"

#include <cstring>

namespace {

using Bytes = const unsigned char *;

int read16(Bytes at, bool bigEndian)
{
    return bigEndian ? (at[0] << 8) | at[1] : (at[1] << 8) | at[0];
}

quint32 read32(Bytes at, bool bigEndian)
{
    return bigEndian
            ? (quint32(at[0]) << 24) | (quint32(at[1]) << 16) | (quint32(at[2]) << 8) | at[3]
            : (quint32(at[3]) << 24) | (quint32(at[2]) << 16) | (quint32(at[1]) << 8) | at[0];
}

// The orientation tag (0x0112) of the first image directory of an Exif segment's payload, or 0.
int exifOrientation(Bytes payload, qsizetype size)
{
    if (size < 14 || std::memcmp(payload, "Exif\0\0", 6) != 0)
        return 0;
    const Bytes tiff = payload + 6;
    const qsizetype tiffSize = size - 6;
    bool bigEndian;
    if (std::memcmp(tiff, "MM\0\x2A", 4) == 0)
        bigEndian = true;
    else if (std::memcmp(tiff, "II\x2A\0", 4) == 0)
        bigEndian = false;
    else
        return 0;
    const quint32 directory = read32(tiff + 4, bigEndian);
    if (directory > quint32(tiffSize) - 2)
        return 0;
    const int entries = read16(tiff + directory, bigEndian);
    for (int i = 0; i < entries; ++i) {
        const qsizetype entry = directory + 2 + qsizetype(i) * 12;
        if (entry + 12 > tiffSize)
            return 0;
        const Bytes at = tiff + entry;
        if (read16(at, bigEndian) == 0x0112 && read16(at + 2, bigEndian) == 3) {
            const int value = read16(at + 8, bigEndian);
            return value >= 1 && value <= 8 ? value : 0;
        }
    }
    return 0;
}

} // namespace

JpegFacts jpegFacts(QByteArrayView data)
{
    JpegFacts facts;
    const auto *bytes = reinterpret_cast<Bytes>(data.data());
    const qsizetype size = data.size();
    if (size < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8)
        return facts;
    bool orientationSeen = false;
    qsizetype at = 2;
    for (;;) {
        // The next marker: 0xFF, any fill bytes, then a code. Scan data and stray bytes between
        // segments are walked over; inside scan data 0xFF is followed by 0x00 or a restart code.
        const void *mark = std::memchr(bytes + at, 0xFF, size - at);
        if (!mark)
            break;
        at = static_cast<Bytes>(mark) - bytes;
        while (at < size && bytes[at] == 0xFF)
            ++at;
        if (at >= size)
            break;
        const unsigned char code = bytes[at++];
        if (code == 0xD9)
            break;
        if (code == 0x00 || code == 0x01 || (code >= 0xD0 && code <= 0xD7))
            continue;
        if (at + 2 > size)
            break;
        const int length = (bytes[at] << 8) | bytes[at + 1];
        if (length < 2 || at + length > size)
            break;
        if (code == 0xDA)
            ++facts.scans;
        else if (code == 0xE1 && !orientationSeen) {
            if (const int orientation = exifOrientation(bytes + at + 2, length - 2)) {
                facts.orientation = orientation;
                orientationSeen = true;
            }
        }
        at += length;
    }
    return facts;
}
