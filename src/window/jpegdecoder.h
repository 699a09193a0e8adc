#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QRect>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <vector>

#include <jpeglib.h>

// Decodes one region of a JPEG file held in memory with libjpeg-turbo: only the columns of the
// region are turned into pixels, the rows above it are skipped and decoding stops after its last
// row. A progressive file's scans must all be read first (the whole picture's coefficients are
// held once); no full-size picture is ever made. Corrupt data that the library can read past is
// noted, not fatal.
class JpegDecoder
{
public:
    // Reads the header. The data must outlive the decoder.
    explicit JpegDecoder(QByteArrayView data);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;

    // False when the header could not be read: not a JPEG this library can decode.
    bool headerRead() const { return m_headerRead; }
    QSize size() const;
    // The memory the whole picture's coefficients take when they are all held before the first
    // row comes out (progressive files and files with more than one scan); 0 for other files.
    qint64 heldCoefficientBytes() const;

    // The region (in stored coordinates, inside the picture) as an RGB32 picture; null when the
    // data could not be decoded at all.
    QImage decode(const QRect &region);

    // True when the library met corrupt data and decoded past it (what it showed there is grey
    // or garbled).
    bool damaged() const { return m_errors.damage > 0; }

private:
    struct Errors
    {
        jpeg_error_mgr manager;
        std::jmp_buf jump;
        int damage = 0;
    };

    jpeg_decompress_struct m_info {};
    Errors m_errors {};
    bool m_headerRead = false;
    // Filled between setjmp and a possible longjmp, so they live here rather than on the stack.
    QImage m_rows;
    std::vector<JSAMPLE> m_line;
};
