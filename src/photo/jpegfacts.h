#pragma once

#include <QByteArrayView>

// What walking a JPEG file's markers tells before any decoding: how many scans it has and how the
// picture is stored turned. Reads only the marker segments of what it is given (the header, or
// the whole file), so it costs next to nothing against a decode. A segment that runs past the
// end of the data ends the walk: damage is for the decoder to find where it matters.
struct JpegFacts
{
    int scans = 0; // start-of-scan markers
    // The Exif orientation (1 to 8): how the stored picture must be turned to stand upright.
    int orientation = 1;
};

JpegFacts jpegFacts(QByteArrayView data);
