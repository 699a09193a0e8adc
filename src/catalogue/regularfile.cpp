#include "regularfile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <utility>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

std::mutex s_stallMutex;
std::shared_ptr<std::function<void(const std::filesystem::path &)>> s_stall;

void stallIfTold(const std::filesystem::path &path)
{
    std::shared_ptr<std::function<void(const std::filesystem::path &)>> stall;
    {
        const std::lock_guard lock(s_stallMutex);
        stall = s_stall;
    }
    if (stall)
        (*stall)(path);
}

} // namespace

RegularFile::RegularFile(const std::filesystem::path &path)
    : m_path(path)
{
    stallIfTold(m_path);
#ifdef _WIN32
    m_fd = ::_wopen(path.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
#else
    m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
    if (m_fd < 0) {
        m_error = errno == ENOENT || errno == ENOTDIR ? Error::Missing : Error::Unreadable;
        return;
    }
    struct stat status = {};
    if (::fstat(m_fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close();
        m_error = Error::NotAFile;
        return;
    }
#ifndef _WIN32
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
#endif
    m_size = status.st_size;
    m_error = Error::None;
}

RegularFile::~RegularFile()
{
    close();
}

RegularFile::RegularFile(RegularFile &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_fd(std::exchange(other.m_fd, -1))
    , m_error(other.m_error)
    , m_size(other.m_size)
{ }

RegularFile &RegularFile::operator=(RegularFile &&other) noexcept
{
    if (this != &other) {
        close();
        m_path = std::move(other.m_path);
        m_fd = std::exchange(other.m_fd, -1);
        m_error = other.m_error;
        m_size = other.m_size;
    }
    return *this;
}

void RegularFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

std::int64_t RegularFile::read(void *buffer, std::size_t bytes)
{
    if (m_fd < 0)
        return -1;
    stallIfTold(m_path);
    for (;;) {
#ifdef _WIN32
        const auto n = ::_read(m_fd, buffer, unsigned(std::min<std::size_t>(bytes, 1u << 30)));
#else
        const auto n = ::read(m_fd, buffer, bytes);
#endif
        if (n < 0 && errno == EINTR)
            continue;
        return n;
    }
}

std::int64_t RegularFile::seek(std::int64_t offset, int whence)
{
    if (m_fd < 0)
        return -1;
#ifdef _WIN32
    return ::_lseeki64(m_fd, offset, whence);
#else
    return ::lseek(m_fd, off_t(offset), whence);
#endif
}

void RegularFile::setStallForTesting(std::function<void(const std::filesystem::path &)> hook)
{
    auto shared = hook
            ? std::make_shared<std::function<void(const std::filesystem::path &)>>(std::move(hook))
            : nullptr;
    const std::lock_guard lock(s_stallMutex);
    s_stall = std::move(shared);
}
