#include "photoloader.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

struct PhotoLoader::Shared
{
    struct Request
    {
        quint64 number = 0;
        std::filesystem::path file;
        QSize visibleSize;
    };

    std::mutex mutex;
    std::condition_variable wake; // the thread: a request has come, or the end
    std::condition_variable done; // the window: a photo is read, or the thread has ended
    std::optional<Request> next; // asked for, not yet begun
    bool busy = false; // a request under way
    std::optional<PhotoRead> read; // the latest request's photo, not yet taken
    std::atomic<quint64> latest = 0; // the latest request's number
    std::atomic<bool> quit = false;
    bool ended = false;
};

PhotoLoader::PhotoLoader(QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{ }

// Whatever the thread decodes stops at once; a read held up by a stalled file system may not end
// for long, so the window waits for the thread half a second at most, and then leaves it to end
// by itself: once told to quit it touches nothing of the window's.
PhotoLoader::~PhotoLoader()
{
    if (!m_thread.joinable())
        return;
    std::unique_lock lock(m_shared->mutex);
    m_shared->quit = true;
    m_shared->wake.notify_one();
    const bool ended = m_shared->done.wait_for(lock, std::chrono::milliseconds(500),
                                               [this] { return m_shared->ended; });
    lock.unlock();
    ended ? m_thread.join() : m_thread.detach();
}

std::optional<PhotoRead> PhotoLoader::load(const std::filesystem::path &file,
                                           const QSize &visibleSize, std::chrono::milliseconds wait)
{
    if (!m_thread.joinable())
        m_thread = std::thread(work, m_shared, this);
    std::unique_lock lock(m_shared->mutex);
    const bool behind = m_shared->busy || m_shared->next;
    const quint64 number = ++m_shared->latest;
    m_shared->next = Shared::Request {number, file, visibleSize};
    m_shared->read.reset();
    m_shared->wake.notify_one();
    if (behind)
        return std::nullopt;
    m_shared->done.wait_for(lock, wait, [this] { return m_shared->read.has_value(); });
    return std::exchange(m_shared->read, std::nullopt);
}

void PhotoLoader::deliver()
{
    std::unique_lock lock(m_shared->mutex);
    std::optional<PhotoRead> read = std::exchange(m_shared->read, std::nullopt);
    lock.unlock();
    if (read)
        emit arrived(*read);
}

void PhotoLoader::work(std::shared_ptr<Shared> shared, PhotoLoader *owner)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wake.wait(lock, [&] { return shared->next || shared->quit; });
        if (shared->quit)
            break;
        const Shared::Request request = *std::exchange(shared->next, std::nullopt);
        shared->busy = true;
        lock.unlock();
        const auto moot = [&] { return shared->quit || shared->latest != request.number; };
        PhotoRead read = readVisiblePhoto(request.file, request.visibleSize, moot);
        lock.lock();
        shared->busy = false;
        if (moot())
            continue;
        shared->read = std::move(read);
        shared->done.notify_all();
        // Taken by the waiting window, or else handed over by the window's own thread.
        QMetaObject::invokeMethod(owner, &PhotoLoader::deliver, Qt::QueuedConnection);
    }
    shared->ended = true;
    shared->done.notify_all();
}
