#pragma once

#include <QByteArrayView>

// What walking a JPEG file's markers tells, before any decoding: whether the data is whole, how
// many scans it has and how the picture is stored turned. Reads only the marker segments, so it
// costs next to nothing against a decode.
struct JpegFacts
{
    bool jpeg = false; // starts with the start-of-image marker
    bool cutShort = false; // stops before its end-of-image marker, or a segment runs past the end
    int scans = 0; // start-of-scan markers before the end
    // The Exif orientation (1 to 8): how the stored picture must be turned to stand upright.
    int orientation = 1;
};

JpegFacts jpegFacts(QByteArrayView data);
