#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QRect>

#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE
#include <functional>
#include <vector>

#include <jpeglib.h>

// Decodes one region of a JPEG file with libjpeg-turbo: only the columns of the region are turned
// into pixels, the rows above it are skipped and decoding stops after its last row. A
// progressive file's scans must all be read first (the whole picture's coefficients are held
// once); no full-size picture is ever made. Corrupt data that the library can read past is noted,
// not fatal.
class JpegDecoder
{
public:
    // Gives the file's bytes in pieces as the decoder asks for them; an empty piece at the end.
    // Each piece must stay valid until the decoder is gone.
    using Input = std::function<QByteArrayView()>;
    // Asked again and again while the picture is decoded, with the number of scans begun so far;
    // true ends the decoding.
    using Stop = std::function<bool(int scans)>;

    // Reads the header, and no further.
    explicit JpegDecoder(Input input);
    ~JpegDecoder();
    JpegDecoder(const JpegDecoder &) = delete;
    JpegDecoder &operator=(const JpegDecoder &) = delete;

    // False when the header could not be read: not a JPEG this library can decode.
    bool headerRead() const { return m_headerRead; }
    QSize size() const;
    // True when every scan must be read before the first row comes out (progressive files, and
    // files that store their colours in scans of their own).
    bool multiScan() const { return m_multiScan; }
    bool arithmetic() const { return m_headerRead && m_info.arith_code; }
    // The memory the whole picture's coefficients take when they are all held before the first
    // row comes out; 0 for single-scan files.
    qint64 heldCoefficientBytes() const;

    // The region (in stored coordinates, inside the picture) as an RGB32 picture; null when the
    // data could not be decoded at all or `stop` ended it.
    QImage decode(const QRect &region, const Stop &stop = {});

    // True when the library met corrupt data and decoded past it (what it showed there is grey
    // or garbled), or the data ended early.
    bool damaged() const { return m_damage > 0; }
    bool stopped() const { return m_stopped; }

private:
    jpeg_decompress_struct m_info {};
    jpeg_error_mgr m_errors {};
    jpeg_source_mgr m_source {};
    jpeg_progress_mgr m_progress {};
    Input m_input;
    Stop m_stop;
    std::jmp_buf m_jump;
    int m_damage = 0;
    bool m_stopped = false;
    bool m_headerRead = false;
    bool m_multiScan = false;
    // Filled between setjmp and a possible longjmp, so they live here rather than on the stack.
    QImage m_rows;
    std::vector<JSAMPLE> m_line;
};
