#pragma once

#include "mp3decoder.h"

#include <QIODevice>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

// The music as the sound output pulls it: 16-bit (or float) stereo frames of one MP3 file, decoded
// on a thread of its own a little ahead of what is heard (never the whole file). The first second
// stays decoded, and at the end of the file the thread already goes on decoding from there, so
// a new pass from the beginning follows the last frame of the old one without a gap.
//
// At the end of the file the stream hands out nothing more and says endReached(); it goes on
// only when told where to (restart()).
class MusicStream : public QIODevice
{
    Q_OBJECT
public:
    explicit MusicStream(QObject *parent = nullptr);
    ~MusicStream() override;

    // Opens the file on the decoding thread; loaded() tells how that went.
    void load(const std::filesystem::path &path);

    int sampleRate() const { return m_sampleRate; }
    // The file's length in frames, exact once a pass has reached the end, else as estimated.
    std::int64_t frameCount() const { return m_frameCount; }
    // The frame of the file that the next read hands out.
    std::int64_t position() const { return m_position; }
    // All frames handed out since the stream was made, over every pass and jump.
    std::int64_t framesHandedOut() const { return m_handedOut; }
    // Hands out no more than this many frames in all (see framesHandedOut()); a reader that
    // has met the limit gets nothing until it is raised, and is then told by readyRead().
    void setReadLimit(std::int64_t frames);

    // Hands out each sample as a 32-bit float from -1 to 1 instead of a 16-bit integer.
    void setFloatSamples(bool on) { m_floatSamples = on; }
    int bytesPerFrame() const { return m_floatSamples ? 2 * 4 : 2 * 2; }

    // Hands out frames from `frame` on: 0 starts a new pass.
    void restart(std::int64_t frame);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

signals:
    void loaded(Mp3Decoder::Error error);
    void endReached();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 maxSize) override;

private:
    struct Block
    {
        std::int64_t start = 0; // the file's frame of samples[0], or where the file ended
        std::vector<std::int16_t> samples; // empty for the end of the file
        int generation = 0;
    };

    void decodeFile(std::stop_token stop, std::filesystem::path path);
    void stopDecoding();

    // Set on the decoding thread before loaded() and read-only after it.
    std::vector<std::int16_t> m_head;
    bool m_headIsWholeFile = false;
    int m_sampleRate = 0;

    // Shared with the decoding thread.
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::deque<Block> m_blocks;
    std::int64_t m_queuedFrames = 0;
    int m_generation = 0;
    std::int64_t m_seekTo = -1; // where the thread is to go on decoding; -1: where it is
    bool m_decoderIdle = false; // the file's end could not be left; waiting for a seek

    // The reading side, on the thread that owns the stream.
    std::int64_t m_position = 0;
    std::int64_t m_frameCount = 0;
    bool m_ended = false;
    std::int64_t m_handedOut = 0;
    std::int64_t m_readLimit = 0;
    bool m_heldByLimit = false;
    bool m_floatSamples = false;
    int m_loadId = 0;
    std::jthread m_thread;
};
