#include "jpegdecoder.h"

#include <jerror.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Above this libjpeg refuses to allocate, rather than use memory without bound.
constexpr long kMaxDecoderMemory = 256L * 1024 * 1024;

// What the input gives once the file's bytes have run out: an end-of-image marker, as the
// library's own sources do.
const JOCTET kEndOfImage[] = {0xFF, JPEG_EOI};

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

template<typename Info>
JpegDecoder *decoderOf(Info info)
{
    return static_cast<JpegDecoder *>(info->client_data);
}

// glibc gives a block a mapping of its own only above a threshold, which it raises to the
// largest such block freed so far, and hands the top of its heap back to the system when more
// than twice that lies free there. Left to itself it would raise the threshold to a progressive
// photo's coefficients (24 MB for the brightness of 12 MP) and lay the next photo's in the heap
// beside the last ones: the peak grows by a half. Fixed thresholds map such blocks and return
// them as they are freed, while what a camera photo needs besides (its file's bytes, the
// decoder's rows, the part shown) stays in the heap for the next photo instead of being faulted
// in afresh every time.
void keepLargeBlocksMapped()
{
#ifdef __GLIBC__
    static const bool once = mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024) != 0
            && mallopt(M_TRIM_THRESHOLD, 8 * 1024 * 1024) != 0;
    Q_UNUSED(once);
#endif
}

} // namespace

JpegDecoder::JpegDecoder(Input input)
    : m_input(std::move(input))
{
    keepLargeBlocksMapped();
    m_info.client_data = this;
    m_info.err = jpeg_std_error(&m_errors);
    m_errors.error_exit = [](j_common_ptr info) { std::longjmp(decoderOf(info)->m_jump, 1); };
    m_errors.emit_message = [](j_common_ptr info, int level) {
        if (level < 0 && meansCorruptData(info->err->msg_code))
            ++decoderOf(info)->m_damage;
    };
    m_errors.output_message = [](j_common_ptr) {};

    m_source.init_source = [](j_decompress_ptr) {};
    m_source.term_source = [](j_decompress_ptr) {};
    m_source.resync_to_restart = jpeg_resync_to_restart;
    m_source.fill_input_buffer = [](j_decompress_ptr info) -> boolean {
        const QByteArrayView piece = decoderOf(info)->m_input();
        if (piece.isEmpty()) {
            WARNMS(info, JWRN_JPEG_EOF);
            info->src->next_input_byte = kEndOfImage;
            info->src->bytes_in_buffer = sizeof kEndOfImage;
        } else {
            info->src->next_input_byte = reinterpret_cast<const JOCTET *>(piece.data());
            info->src->bytes_in_buffer = std::size_t(piece.size());
        }
        return TRUE;
    };
    m_source.skip_input_data = [](j_decompress_ptr info, long count) {
        jpeg_source_mgr *source = info->src;
        while (count > long(source->bytes_in_buffer)) {
            count -= long(source->bytes_in_buffer);
            source->fill_input_buffer(info);
            if (source->next_input_byte == kEndOfImage)
                return; // nothing left to skip: the end stays to be read
        }
        if (count > 0) {
            source->next_input_byte += count;
            source->bytes_in_buffer -= std::size_t(count);
        }
    };
    m_progress.progress_monitor = [](j_common_ptr info) {
        JpegDecoder *self = decoderOf(info);
        if (self->m_stop && self->m_stop(self->m_info.input_scan_number)) {
            self->m_stopped = true;
            std::longjmp(self->m_jump, 1);
        }
    };

    if (setjmp(m_jump))
        return;
    jpeg_create_decompress(&m_info);
    m_info.mem->max_memory_to_use = kMaxDecoderMemory;
    m_info.src = &m_source;
    m_headerRead = jpeg_read_header(&m_info, TRUE) == JPEG_HEADER_OK;
    m_multiScan = m_headerRead && jpeg_has_multiple_scans(&m_info);
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
    if (!m_multiScan)
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

QImage JpegDecoder::decode(const QRect &region, const Stop &stop)
{
    if (!m_headerRead || region.isEmpty() || !QRect(QPoint(0, 0), size()).contains(region))
        return {};
    m_rows = QImage();
    m_stop = stop;
    m_info.progress = &m_progress;
    if (setjmp(m_jump)) {
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
