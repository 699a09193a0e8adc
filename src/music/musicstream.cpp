#include "musicstream.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kFramesPerBlock = 4096;

std::int64_t framesIn(const std::vector<std::int16_t> &samples)
{
    return std::int64_t(samples.size() / 2);
}

} // namespace

MusicStream::MusicStream(QObject *parent)
    : QIODevice(parent)
{ }

MusicStream::~MusicStream()
{
    stopDecoding();
}

void MusicStream::stopDecoding()
{
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_thread.join();
    }
}

void MusicStream::load(const std::filesystem::path &path)
{
    stopDecoding();
    close();
    m_head.clear();
    m_headIsWholeFile = false;
    m_sampleRate = 0;
    m_blocks.clear();
    m_queuedFrames = 0;
    m_seekTo = -1;
    m_decoderIdle = false;
    m_position = 0;
    m_frameCount = 0;
    m_ended = false;
    ++m_generation;
    ++m_loadId;
    m_thread = std::jthread([this, path](std::stop_token stop) { decodeFile(stop, path); });
}

// The decoding thread: opens the file, keeps its first second, then stays a little ahead of the
// reader, and at the end of the file goes on from the end of that first second.
void MusicStream::decodeFile(std::stop_token stop, std::filesystem::path path)
{
    Mp3Decoder decoder;
    Mp3Decoder::Error error = decoder.open(path);
    std::vector<std::int16_t> head;
    std::vector<std::int16_t> afterHead; // the first block past the first second, if any
    if (error == Mp3Decoder::Error::None) {
        const int headFrames = decoder.sampleRate(); // one second
        while (framesIn(head) < headFrames && !stop.stop_requested())
            if (decoder.decode(
                        head,
                        int(std::min<std::int64_t>(kFramesPerBlock, headFrames - framesIn(head))))
                == 0)
                break;
        if (head.empty())
            error = Mp3Decoder::Error::NotMusic; // not one audio frame in it
        else if (framesIn(head) == headFrames)
            decoder.decode(afterHead, kFramesPerBlock);
    }
    if (stop.stop_requested())
        return;
    const int loadId = m_loadId;
    const int generation = m_generation;
    const bool wholeFile = error == Mp3Decoder::Error::None && afterHead.empty();
    const std::int64_t headFrames = framesIn(head);
    const std::int64_t estimate = wholeFile ? headFrames : decoder.frameCount();
    const int rate = decoder.sampleRate();
    QMetaObject::invokeMethod(
            this,
            [this, error, head = std::move(head), wholeFile, estimate, rate, loadId]() mutable {
                if (loadId != m_loadId)
                    return;
                if (error == Mp3Decoder::Error::None) {
                    m_head = std::move(head);
                    m_headIsWholeFile = wholeFile;
                    m_frameCount = estimate;
                    m_sampleRate = rate;
                    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
                }
                emit loaded(error);
            },
            Qt::QueuedConnection);
    if (error != Mp3Decoder::Error::None || wholeFile)
        return; // all there is to play is in the first second

    int decodingFor = generation;
    const std::int64_t capacity = decoder.sampleRate() / 2; // half a second ahead
    std::vector<std::int16_t> samples;
    std::unique_lock lock(m_mutex);
    m_queuedFrames = framesIn(afterHead);
    m_blocks.push_back({headFrames, std::move(afterHead), decodingFor});
    std::int64_t next = headFrames + m_queuedFrames; // the frame the decoder stands at
    while (!stop.stop_requested()) {
        m_wake.wait(lock, stop, [this, capacity] {
            return m_seekTo >= 0 || (!m_decoderIdle && m_queuedFrames < capacity);
        });
        if (stop.stop_requested())
            break;
        if (m_seekTo >= 0) {
            const std::int64_t target = m_seekTo;
            m_seekTo = -1;
            decodingFor = m_generation;
            m_decoderIdle = false;
            lock.unlock();
            const bool reached = target == next || decoder.seek(target);
            lock.lock();
            next = target;
            if (!reached) {
                m_blocks.push_back({target, {}, decodingFor});
                m_decoderIdle = true;
            }
            continue;
        }
        lock.unlock();
        samples.clear();
        const int frames = decoder.decode(samples, kFramesPerBlock);
        bool wentOn = true;
        if (frames == 0)
            wentOn = decoder.seek(headFrames);
        lock.lock();
        if (decodingFor != m_generation || m_seekTo >= 0) {
            next = -1; // told to go elsewhere meanwhile: this is not wanted
            continue;
        }
        if (frames > 0) {
            m_blocks.push_back({next, samples, decodingFor});
            m_queuedFrames += frames;
            next += frames;
        } else {
            // The end of the file, and straight on with the next pass after its first second;
            // a file that has come to end there (it changed meanwhile) waits for a new start.
            m_blocks.push_back({next, {}, decodingFor});
            m_decoderIdle = !wentOn || next == headFrames;
            next = headFrames;
        }
    }
}

void MusicStream::setReadLimit(std::int64_t frames)
{
    const bool raised = frames > m_readLimit;
    m_readLimit = frames;
    if (raised && m_heldByLimit) {
        m_heldByLimit = false;
        emit readyRead();
    }
}

qint64 MusicStream::readData(char *data, qint64 maxSize)
{
    const std::int64_t room = std::max<std::int64_t>(m_readLimit - m_handedOut, 0);
    const std::int64_t wanted = std::min<std::int64_t>(maxSize / bytesPerFrame(), room);
    m_heldByLimit = wanted == 0;
    std::int64_t copied = 0;
    const auto copy = [&](const std::int16_t *from, std::int64_t frames) {
        if (m_floatSamples) {
            char *to = data + copied * bytesPerFrame(); // not necessarily aligned for float
            for (std::int64_t i = 0; i < frames * 2; ++i) {
                const float sample = float(from[i]) / 32768.0f;
                std::memcpy(to + i * sizeof sample, &sample, sizeof sample);
            }
        } else {
            std::memcpy(data + copied * bytesPerFrame(), from, size_t(frames) * bytesPerFrame());
        }
        copied += frames;
        m_position += frames;
        m_handedOut += frames;
    };
    const std::int64_t headFrames = framesIn(m_head);
    const bool endedBefore = m_ended;
    std::unique_lock lock(m_mutex, std::defer_lock);
    while (copied < wanted && !m_ended) {
        if (m_position < headFrames) {
            const std::int64_t n = std::min(headFrames - m_position, wanted - copied);
            copy(m_head.data() + m_position * 2, n);
            continue;
        }
        if (m_headIsWholeFile) {
            m_ended = true;
            break;
        }
        if (!lock.owns_lock())
            lock.lock();
        while (!m_blocks.empty()
               && (m_blocks.front().generation != m_generation
                   || (!m_blocks.front().samples.empty()
                       && m_blocks.front().start + framesIn(m_blocks.front().samples)
                               <= m_position))) {
            m_queuedFrames -= framesIn(m_blocks.front().samples);
            m_blocks.pop_front();
        }
        if (m_blocks.empty() || m_blocks.front().start > m_position)
            break; // the decoder is behind: hand out what there is
        Block &block = m_blocks.front();
        if (block.samples.empty()) {
            m_frameCount = block.start;
            m_blocks.pop_front();
            m_ended = true;
            break;
        }
        const std::int64_t offset = m_position - block.start;
        const std::int64_t n = std::min(framesIn(block.samples) - offset, wanted - copied);
        copy(block.samples.data() + offset * 2, n);
        if (offset + n == framesIn(block.samples)) {
            m_queuedFrames -= framesIn(block.samples);
            m_blocks.pop_front();
        }
    }
    if (lock.owns_lock()) {
        lock.unlock();
        m_wake.notify_one();
    }
    if (m_ended && !endedBefore)
        QMetaObject::invokeMethod(this, &MusicStream::endReached, Qt::QueuedConnection);
    return copied * bytesPerFrame();
}

qint64 MusicStream::writeData(const char *, qint64)
{
    return -1;
}

qint64 MusicStream::bytesAvailable() const
{
    return m_ended ? 0 : QIODevice::bytesAvailable() + kFramesPerBlock * bytesPerFrame();
}

void MusicStream::restart(std::int64_t frame)
{
    frame = std::max<std::int64_t>(frame, 0);
    const std::int64_t headFrames = framesIn(m_head);
    if (m_headIsWholeFile)
        frame = std::min(frame, headFrames);
    {
        const std::lock_guard lock(m_mutex);
        // After the end of the file the decoder has gone on from the end of the first second
        // already; a new pass from the beginning just takes that up.
        const bool takeUp = m_ended && frame == 0 && !m_decoderIdle;
        if (!takeUp && !m_headIsWholeFile) {
            ++m_generation;
            m_blocks.clear();
            m_queuedFrames = 0;
            m_seekTo = std::max(frame, headFrames);
        }
    }
    m_wake.notify_one();
    m_position = frame;
    m_ended = false;
    emit readyRead();
}
