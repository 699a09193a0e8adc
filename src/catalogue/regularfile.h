#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

// One of the book's own files (a photo, the music) opened for reading. Only a regular file is
// ever read: a FIFO, a device, a socket or a folder under the file's name is refused, and the
// file is opened without waiting on it (a FIFO with no writer would otherwise block for good).
// The check is made on the opened descriptor, so what is read is what was checked.
//
// Opening and reading can still take long on a slow file system (a network share, a disk
// spinning up); whoever cannot wait reads on a thread of its own.
class RegularFile
{
public:
    enum class Error { None, Missing, NotAFile, Unreadable };

    RegularFile() = default;
    explicit RegularFile(const std::filesystem::path &path);
    ~RegularFile();
    RegularFile(RegularFile &&other) noexcept;
    RegularFile &operator=(RegularFile &&other) noexcept;
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    Error error() const { return m_error; }
    const std::filesystem::path &path() const { return m_path; }
    // The file's size in bytes when it was opened.
    std::int64_t size() const { return m_size; }
    int descriptor() const { return m_fd; }

    // Reads up to `bytes` bytes at the current position. Returns how many were read, 0 at the
    // end of the file, -1 on an error.
    std::int64_t read(void *buffer, std::size_t bytes);
    // Moves the read position as lseek() does; returns the new position or -1.
    std::int64_t seek(std::int64_t offset, int whence);

    // Tests only: a hook called with the file's path before every open and every read, on the
    // thread that opens or reads. A hook that blocks stands for a file system that stalls.
    // An empty function removes it.
    static void setStallForTesting(std::function<void(const std::filesystem::path &)> hook);

private:
    void close();

    std::filesystem::path m_path;
    int m_fd = -1;
    Error m_error = Error::Missing;
    std::int64_t m_size = 0;
};
