#include "mp3decoder.h"

#include <mpg123.h>

#include <cstdio>

namespace {

// libmpg123 reads the file through these, so that every read is RegularFile's.
mpg123_ssize_t readFile(void *file, void *buffer, size_t bytes)
{
    return mpg123_ssize_t(static_cast<RegularFile *>(file)->read(buffer, bytes));
}

off_t seekFile(void *file, off_t offset, int whence)
{
    return off_t(static_cast<RegularFile *>(file)->seek(offset, whence));
}

} // namespace

void Mp3Decoder::HandleDeleter::operator()(mpg123_handle_struct *handle) const
{
    mpg123_delete(handle);
}

Mp3Decoder::Mp3Decoder()
{
    static const bool initialised = mpg123_init() == MPG123_OK;
    if (initialised)
        m_handle.reset(mpg123_new(nullptr, nullptr));
}

Mp3Decoder::~Mp3Decoder() = default;

Mp3Decoder::Error Mp3Decoder::open(const std::filesystem::path &path)
{
    mpg123_handle *handle = m_handle.get();
    if (!handle)
        return Error::Unreadable;
    m_file = RegularFile(path);
    switch (m_file.error()) {
    case RegularFile::Error::None:
        break;
    case RegularFile::Error::Missing:
        return Error::Missing;
    case RegularFile::Error::NotAFile:
        return Error::NotAFile;
    case RegularFile::Error::Unreadable:
        return Error::Unreadable;
    }

    mpg123_param(handle, MPG123_ADD_FLAGS,
                 MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET | MPG123_SKIP_ID3V2, 0);
    // Every rate the file may start with, always as 16-bit stereo.
    mpg123_format_none(handle);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_replace_reader_handle(handle, readFile, seekFile, nullptr) != MPG123_OK
        || mpg123_open_handle(handle, &m_file) != MPG123_OK
        || mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0
        || channels != 2 || encoding != MPG123_ENC_SIGNED_16)
        return Error::NotMusic;
    // From here on the output stays at the first rate: a part at another rate is resampled.
    mpg123_format_none(handle);
    mpg123_format(handle, rate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
    m_sampleRate = int(rate);
    return Error::None;
}

std::int64_t Mp3Decoder::frameCount() const
{
    const off_t length = m_handle ? mpg123_length(m_handle.get()) : off_t(-1);
    return length > 0 ? std::int64_t(length) : 0;
}

int Mp3Decoder::decode(std::vector<std::int16_t> &out, int maxFrames)
{
    if (!m_handle || m_sampleRate == 0 || maxFrames <= 0)
        return 0;
    const size_t start = out.size();
    out.resize(start + size_t(maxFrames) * 2);
    size_t filled = 0;
    const size_t wanted = size_t(maxFrames) * 2 * sizeof(std::int16_t);
    while (filled < wanted) {
        size_t done = 0;
        const int result = mpg123_read(
                m_handle.get(), reinterpret_cast<unsigned char *>(out.data() + start) + filled,
                wanted - filled, &done);
        filled += done;
        if (result == MPG123_NEW_FORMAT || (result == MPG123_OK && done > 0))
            continue;
        break; // the end of the file, an error, or nothing more to be had
    }
    const int frames = int(filled / (2 * sizeof(std::int16_t)));
    out.resize(start + size_t(frames) * 2);
    return frames;
}

bool Mp3Decoder::seek(std::int64_t frame)
{
    return m_handle && m_sampleRate > 0 && mpg123_seek(m_handle.get(), off_t(frame), SEEK_SET) >= 0;
}
