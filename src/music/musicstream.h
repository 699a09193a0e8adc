#pragma once

#include "mp3decoder.h"

#include <QObject>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

// The music as a sound output takes it: 16-bit (or float) stereo frames of one MP3 file,
// decoded on a thread of its own a little ahead of what is taken (never the whole file). The
// first second stays decoded, and at the end of the file the thread already goes on decoding
// from there, so a new pass from the beginning follows the last frame of the old one without a
// gap.
//
// At the end of the file the stream hands out nothing more and says endReached(); it goes on
// only when told where to (restart()). Frames may be taken on any thread, and the stream is
// let go without waiting for its decoding thread, which may be stuck in a read of the file.
class MusicStream : public QObject
{
    Q_OBJECT
public:
    explicit MusicStream(QObject *parent = nullptr);
    ~MusicStream() override;

    // Opens the file on a new decoding thread; loaded() tells how that went. No frames may be
    // taken meanwhile.
    void load(const std::filesystem::path &path);
    void close();

    // Known once loaded() told of no error.
    int sampleRate() const;
    // The file's length in frames, exact once a pass has reached the end, else as estimated.
    std::int64_t frameCount() const;
    // The frame of the file that the next take hands out.
    std::int64_t position() const;

    // Hands out each sample as a 32-bit float from -1 to 1 instead of a 16-bit integer.
    void setFloatSamples(bool on);
    int bytesPerFrame() const;

    // Any thread: copies up to `frames` frames to `data` and returns how many. Fewer come when
    // the decoder is behind, and then wakeUp is called as soon as there are more; none come at
    // the end of the file, where `atEnd` is set.
    std::int64_t take(void *data, std::int64_t frames, bool *atEnd = nullptr);

    // Any thread: hands out frames from `frame` on; 0 starts a new pass.
    void restart(std::int64_t frame);

    // Called on the decoding thread when frames are there for a taker that got fewer than it
    // asked for. It is never called after it was replaced, nor after the stream is gone.
    void setWakeUp(std::function<void()> wakeUp);

signals:
    void loaded(Mp3Decoder::Error error);
    void endReached();

private:
    struct Shared;
    static void decodeFile(std::shared_ptr<Shared> shared, std::filesystem::path path);
    void tellEnd(const Shared *shared, int restarts);

    std::shared_ptr<Shared> m_shared; // with the decoding thread of the file loaded last
    std::function<void()> m_wakeUp;
};
