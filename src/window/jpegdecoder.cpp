#include "jpegdecoder.h"

#include <jerror.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Above this libjpeg refuses to allocate, rather than use memory without bound.
constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;

// Warnings that mean the data itself is broken. Others (an unknown JFIF version, an odd Adobe
// transform code, a bad ICC profile) do not change the pixels.
bool meansCorruptData(int code)
{
    switch (code) {
    case JWRN_ARITH_BAD_CODE:
    case JWRN_BOGUS_PROGRESSION:
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_JPEG_EOF:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_TOO_MUCH_DATA:
        return true;
    default:
        return false;
    }
}

// glibc raises its threshold for giving large blocks their own mapping to the largest block
// freed so far. A progressive photo's coefficients (36 MB for 12 MP) would then come from the
// heap, stay there when freed, and the next photo's would be laid beside them: the peak grows
// by a half. A fixed threshold gives every such block back to the system as it is freed.
void keepLargeBlocksMapped()
{
#ifdef __GLIBC__
    static const bool once = mallopt(M_MMAP_THRESHOLD, 1024 * 1024) != 0;
    Q_UNUSED(once);
#endif
}

} // namespace

JpegDecoder::JpegDecoder(QByteArrayView data)
{
    keepLargeBlocksMapped();
    m_info.err = jpeg_std_error(&m_errors.manager);
    m_errors.manager.error_exit = [](j_common_ptr info) {
        std::longjmp(reinterpret_cast<Errors *>(info->err)->jump, 1);
    };
    m_errors.manager.emit_message = [](j_common_ptr info, int level) {
        if (level < 0 && meansCorruptData(info->err->msg_code))
            ++reinterpret_cast<Errors *>(info->err)->damage;
    };
    m_errors.manager.output_message = [](j_common_ptr) {};
    if (setjmp(m_errors.jump))
        return;
    jpeg_create_decompress(&m_info);
    m_info.mem->max_memory_to_use = kMaxDecoderMemory;
    jpeg_mem_src(&m_info, reinterpret_cast<const unsigned char *>(data.data()),
                 static_cast<unsigned long>(data.size()));
    m_headerRead = jpeg_read_header(&m_info, TRUE) == JPEG_HEADER_OK;
}

JpegDecoder::~JpegDecoder()
{
    jpeg_destroy_decompress(&m_info);
}

QSize JpegDecoder::size() const
{
    return m_headerRead ? QSize(int(m_info.image_width), int(m_info.image_height)) : QSize();
}

qint64 JpegDecoder::heldCoefficientBytes() const
{
    if (!m_headerRead || !jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&m_info)))
        return 0;
    qint64 blocks = 0;
    for (int c = 0; c < m_info.num_components; ++c) {
        const jpeg_component_info &component = m_info.comp_info[c];
        // Rounded up to whole MCUs, as the library allocates them.
        const qint64 across = (qint64(component.width_in_blocks) + component.h_samp_factor - 1)
                / component.h_samp_factor * component.h_samp_factor;
        const qint64 down = (qint64(component.height_in_blocks) + component.v_samp_factor - 1)
                / component.v_samp_factor * component.v_samp_factor;
        blocks += across * down;
    }
    return blocks * DCTSIZE2 * qint64(sizeof(JCOEF));
}

QImage JpegDecoder::decode(const QRect &region)
{
    if (!m_headerRead || region.isEmpty() || !QRect(QPoint(0, 0), size()).contains(region))
        return {};
    m_rows = QImage();
    if (setjmp(m_errors.jump)) {
        jpeg_abort_decompress(&m_info);
        return {};
    }
    const bool cmyk = m_info.jpeg_color_space == JCS_CMYK || m_info.jpeg_color_space == JCS_YCCK;
    m_info.out_color_space = cmyk                           ? JCS_CMYK
            : QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX
                                                            : JCS_EXT_XRGB;
    jpeg_start_decompress(&m_info);

    // Only whole blocks can be cropped: the decoded columns start at or left of the region's.
    JDIMENSION left = JDIMENSION(region.x());
    JDIMENSION width = JDIMENSION(region.width());
    if (width < m_info.output_width)
        jpeg_crop_scanline(&m_info, &left, &width);
    if (region.y() > 0)
        jpeg_skip_scanlines(&m_info, JDIMENSION(region.y()));

    m_rows = QImage(int(width), region.height(), QImage::Format_RGB32);
    if (m_rows.isNull()) {
        jpeg_abort_decompress(&m_info);
        return {};
    }
    if (cmyk)
        m_line.resize(std::size_t(width) * 4);
    for (int y = 0; y < region.height(); ++y) {
        JSAMPROW row = cmyk ? m_line.data() : m_rows.scanLine(y);
        if (jpeg_read_scanlines(&m_info, &row, 1) != 1) {
            jpeg_abort_decompress(&m_info);
            return {};
        }
        if (cmyk) { // stored inverted, as Adobe applications write it
            auto *out = reinterpret_cast<QRgb *>(m_rows.scanLine(y));
            for (JDIMENSION x = 0; x < width; ++x) {
                const JSAMPLE *ink = &m_line[std::size_t(x) * 4];
                const int k = ink[3];
                out[x] = qRgb(ink[0] * k / 255, ink[1] * k / 255, ink[2] * k / 255);
            }
        }
    }
    // Everything below the region is left unread. A region that reaches the bottom has read all
    // the scan data, and finishing tells whether any was left over (garbled data ends early).
    if (m_info.output_scanline == m_info.output_height)
        jpeg_finish_decompress(&m_info);
    else
        jpeg_abort_decompress(&m_info);
    const int dropped = region.x() - int(left);
    return dropped == 0 && int(width) == region.width()
            ? std::move(m_rows)
            : m_rows.copy(dropped, 0, region.width(), region.height());
}
