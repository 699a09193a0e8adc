#include "mp3decoder.h"

#include <mpg123.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef _WIN32
#include <io.h>
#endif

namespace {

// Opens a regular file for reading. The file is opened without waiting (a FIFO with no writer
// would otherwise block here for good) and checked on the opened descriptor, so what is read is
// what was checked.
int openRegularFile(const std::filesystem::path &path, Mp3Decoder::Error *error)
{
#ifdef _WIN32
    const int fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY);
#else
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
    if (fd < 0) {
        *error = errno == ENOENT || errno == ENOTDIR ? Mp3Decoder::Error::Missing
                                                     : Mp3Decoder::Error::Unreadable;
        return -1;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *error = Mp3Decoder::Error::NotAFile;
        return -1;
    }
#ifndef _WIN32
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
#endif
    return fd;
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

Mp3Decoder::~Mp3Decoder()
{
    m_handle.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

Mp3Decoder::Error Mp3Decoder::open(const std::filesystem::path &path)
{
    mpg123_handle *handle = m_handle.get();
    if (!handle)
        return Error::Unreadable;
    Error error = Error::None;
    m_fd = openRegularFile(path, &error);
    if (m_fd < 0)
        return error;

    mpg123_param(handle, MPG123_ADD_FLAGS,
                 MPG123_GAPLESS | MPG123_FORCE_STEREO | MPG123_QUIET | MPG123_NO_FRANKENSTEIN, 0);
    // Every rate the file may have, always as 16-bit stereo, so the output never changes.
    mpg123_format_none(handle);
    const long *rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(handle, rates[i], MPG123_STEREO, MPG123_ENC_SIGNED_16);

    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_open_fd(handle, m_fd) != MPG123_OK
        || mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0
        || channels != 2 || encoding != MPG123_ENC_SIGNED_16)
        return Error::NotMusic;
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
