#pragma once

#include "photoreader.h"

#include <QObject>

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <thread>

// Reads photos on a thread of its own, so that a file system that stalls or a photo that is
// costly to decode never holds up the window. One photo at a time, the latest asked for: a new
// request replaces one that has not begun and stops one under way (a decode stops at once; a
// read the file system holds up ends first, then its bytes are dropped).
class PhotoLoader : public QObject
{
    Q_OBJECT

public:
    explicit PhotoLoader(QObject *parent = nullptr);
    ~PhotoLoader() override;

    // Asks for a photo (see readVisiblePhoto) and waits for it up to `wait`: returns it when
    // it came in time. Otherwise returns nothing, and `arrived` brings it when it comes, unless
    // another photo has been asked for by then. While the thread is still busy with an earlier
    // photo that did not come in time, it does not wait at all: over a run of quick choices
    // the waits would add up.
    std::optional<PhotoRead> load(const std::filesystem::path &file, const QSize &visibleSize,
                                  std::chrono::milliseconds wait);

signals:
    void arrived(const PhotoRead &read);

private:
    struct Shared;
    static void work(std::shared_ptr<Shared> shared, PhotoLoader *owner);
    void deliver();

    std::shared_ptr<Shared> m_shared;
    std::thread m_thread; // started by the first request
};
