#include "musicstream.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr int kFramesPerBlock = 4096;

std::int64_t framesIn(const std::vector<std::int16_t> &samples)
{
    return std::int64_t(samples.size() / 2);
}

struct Block
{
    std::int64_t start = 0; // the file's frame of samples[0], or where the file ended
    std::vector<std::int16_t> samples; // empty for the end of the file
    int generation = 0;
};

} // namespace

// What the stream shares with the decoding thread of one file. The thread keeps it for as long
// as it runs, so the stream can let go of it without waiting.
struct MusicStream::Shared
{
    std::mutex mutex;
    std::condition_variable wake; // the decoding thread waits on it
    MusicStream *owner = nullptr; // null once the stream has let go
    std::atomic<bool> stopping = false;

    // Set by the decoding thread before loaded(), then only read.
    std::vector<std::int16_t> head; // the first second
    bool headIsWholeFile = false;
    int sampleRate = 0;
    std::int64_t capacity = 0; // frames decoded ahead

    std::deque<Block> blocks;
    std::int64_t queuedFrames = 0;
    int generation = 0;
    std::int64_t seekTo = -1; // where the thread is to go on decoding; -1: where it is
    bool decoderIdle = false; // the file's end could not be left; waiting for a seek

    std::int64_t position = 0;
    std::int64_t frameCount = 0;
    bool ended = false;
    int restarts = 0; // an end told after a restart is no longer news
    bool takerStarved = false; // a take got fewer frames than it asked for
    bool floatSamples = false;

    // Apart from the rest, so that the call into a taker holds no lock a taker takes.
    std::mutex wakeUpMutex;
    std::function<void()> wakeUp;

    // Tells the stream's own thread; only while the stream is there (the mutex held).
    template<typename Signal>
    void tell(Signal signal)
    {
        if (owner)
            QMetaObject::invokeMethod(owner, signal, Qt::QueuedConnection);
    }
};

MusicStream::MusicStream(QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    m_shared->owner = this;
}

MusicStream::~MusicStream()
{
    close();
    m_shared->owner = nullptr;
}

// Lets go of the file loaded last: its decoding thread ends on its own, whenever the read it
// may be stuck in returns.
void MusicStream::close()
{
    const std::shared_ptr<Shared> old = std::exchange(m_shared, std::make_shared<Shared>());
    m_shared->owner = this;
    m_shared->wakeUp = m_wakeUp;
    {
        const std::lock_guard lock(old->mutex);
        old->owner = nullptr;
        old->stopping = true;
        m_shared->floatSamples = old->floatSamples;
    }
    old->wake.notify_all();
    const std::lock_guard lock(old->wakeUpMutex);
    old->wakeUp = nullptr;
}

void MusicStream::load(const std::filesystem::path &path)
{
    close();
    std::thread(&MusicStream::decodeFile, m_shared, path).detach();
}

// The decoding thread: opens the file, keeps its first second, then stays a little ahead of the
// taker, and at the end of the file goes on from the end of that first second.
void MusicStream::decodeFile(std::shared_ptr<Shared> shared, std::filesystem::path path)
{
    Shared &s = *shared;
    Mp3Decoder decoder;
    Mp3Decoder::Error error = decoder.open(path);
    std::vector<std::int16_t> head;
    std::vector<std::int16_t> afterHead; // the first block past the first second, if any
    if (error == Mp3Decoder::Error::None) {
        const int headFrames = decoder.sampleRate(); // one second
        while (framesIn(head) < headFrames && !s.stopping)
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
    const bool wholeFile = error == Mp3Decoder::Error::None && afterHead.empty();
    const std::int64_t headFrames = framesIn(head);
    std::unique_lock lock(s.mutex);
    if (s.stopping)
        return;
    if (error == Mp3Decoder::Error::None) {
        s.head = std::move(head);
        s.headIsWholeFile = wholeFile;
        s.frameCount = wholeFile ? headFrames : decoder.frameCount();
        s.sampleRate = decoder.sampleRate();
        // Several blocks at any rate, and more than a sound output asks for at once.
        s.capacity = std::max<std::int64_t>(s.sampleRate * 3 / 2, 4 * kFramesPerBlock);
    }
    s.tell([owner = s.owner, error] { emit owner->loaded(error); });
    if (error != Mp3Decoder::Error::None || wholeFile)
        return; // all there is to play is in the first second

    int decodingFor = s.generation;
    s.queuedFrames = framesIn(afterHead);
    s.blocks.push_back({headFrames, std::move(afterHead), decodingFor});
    std::int64_t next = headFrames + s.queuedFrames; // the frame the decoder stands at
    std::vector<std::int16_t> samples;
    for (;;) {
        s.wake.wait(lock, [&s] {
            return s.stopping || s.seekTo >= 0 || (!s.decoderIdle && s.queuedFrames < s.capacity);
        });
        if (s.stopping)
            return;
        bool pushed = false;
        if (s.seekTo >= 0) {
            const std::int64_t target = s.seekTo;
            s.seekTo = -1;
            decodingFor = s.generation;
            s.decoderIdle = false;
            lock.unlock();
            const bool reached = target == next || decoder.seek(target);
            lock.lock();
            next = target;
            if (!reached) {
                s.blocks.push_back({target, {}, decodingFor});
                s.decoderIdle = true;
                pushed = true;
            }
        } else {
            lock.unlock();
            samples.clear();
            const int frames = decoder.decode(samples, kFramesPerBlock);
            bool wentOn = true;
            if (frames == 0)
                wentOn = decoder.seek(headFrames);
            lock.lock();
            if (s.stopping)
                return;
            if (decodingFor != s.generation || s.seekTo >= 0) {
                next = -1; // told to go elsewhere meanwhile: this is not wanted
                continue;
            }
            pushed = true;
            if (frames > 0) {
                s.blocks.push_back({next, samples, decodingFor});
                s.queuedFrames += frames;
                next += frames;
            } else {
                // The end of the file, and straight on with the next pass after its first
                // second; a file that has come to end there (it changed meanwhile) waits for a
                // new start.
                s.blocks.push_back({next, {}, decodingFor});
                s.decoderIdle = !wentOn || next == headFrames;
                next = headFrames;
            }
        }
        if (pushed && s.takerStarved) {
            s.takerStarved = false;
            lock.unlock();
            {
                const std::lock_guard wakeUpLock(s.wakeUpMutex);
                if (s.wakeUp)
                    s.wakeUp();
            }
            lock.lock();
        }
    }
}

int MusicStream::sampleRate() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->sampleRate;
}

std::int64_t MusicStream::frameCount() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->frameCount;
}

std::int64_t MusicStream::position() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->position;
}

void MusicStream::setFloatSamples(bool on)
{
    const std::lock_guard lock(m_shared->mutex);
    m_shared->floatSamples = on;
}

int MusicStream::bytesPerFrame() const
{
    const std::lock_guard lock(m_shared->mutex);
    return m_shared->floatSamples ? 2 * 4 : 2 * 2;
}

void MusicStream::setWakeUp(std::function<void()> wakeUp)
{
    m_wakeUp = wakeUp;
    const std::lock_guard lock(m_shared->wakeUpMutex);
    m_shared->wakeUp = std::move(wakeUp);
}

std::int64_t MusicStream::take(void *data, std::int64_t frames, bool *atEnd)
{
    Shared &s = *m_shared;
    std::unique_lock lock(s.mutex);
    const int bytesPerFrame = s.floatSamples ? 2 * 4 : 2 * 2;
    std::int64_t copied = 0;
    const auto copy = [&](const std::int16_t *from, std::int64_t n) {
        char *to = static_cast<char *>(data) + copied * bytesPerFrame;
        if (s.floatSamples) {
            for (std::int64_t i = 0; i < n * 2; ++i) { // `to` is not necessarily float-aligned
                const float sample = float(from[i]) / 32768.0f;
                std::memcpy(to + i * sizeof sample, &sample, sizeof sample);
            }
        } else {
            std::memcpy(to, from, size_t(n) * bytesPerFrame);
        }
        copied += n;
        s.position += n;
    };
    const std::int64_t headFrames = framesIn(s.head);
    bool endedNow = false;
    while (copied < frames && !s.ended) {
        if (s.position < headFrames) {
            const std::int64_t n = std::min(headFrames - s.position, frames - copied);
            copy(s.head.data() + s.position * 2, n);
            continue;
        }
        if (s.headIsWholeFile) {
            s.ended = endedNow = true;
            break;
        }
        while (!s.blocks.empty()
               && (s.blocks.front().generation != s.generation
                   || (!s.blocks.front().samples.empty()
                       && s.blocks.front().start + framesIn(s.blocks.front().samples)
                               <= s.position))) {
            s.queuedFrames -= framesIn(s.blocks.front().samples);
            s.blocks.pop_front();
        }
        if (s.blocks.empty() || s.blocks.front().start > s.position) {
            s.takerStarved = true; // the decoder is behind: hand out what there is
            break;
        }
        Block &block = s.blocks.front();
        if (block.samples.empty()) {
            s.frameCount = block.start;
            s.blocks.pop_front();
            s.ended = endedNow = true;
            break;
        }
        const std::int64_t offset = s.position - block.start;
        const std::int64_t n = std::min(framesIn(block.samples) - offset, frames - copied);
        copy(block.samples.data() + offset * 2, n);
        if (offset + n == framesIn(block.samples)) {
            s.queuedFrames -= framesIn(block.samples);
            s.blocks.pop_front();
        }
    }
    if (endedNow)
        s.tell([owner = s.owner, shared = &s, restarts = s.restarts] {
            owner->tellEnd(shared, restarts);
        });
    if (atEnd)
        *atEnd = s.ended;
    lock.unlock();
    s.wake.notify_one();
    return copied;
}

// The end of a pass is told unless the stream has gone on, or been given another file, since.
void MusicStream::tellEnd(const Shared *shared, int restarts)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        if (shared != m_shared.get() || restarts != m_shared->restarts)
            return;
    }
    emit endReached();
}

void MusicStream::restart(std::int64_t frame)
{
    Shared &s = *m_shared;
    {
        const std::lock_guard lock(s.mutex);
        frame = std::max<std::int64_t>(frame, 0);
        const std::int64_t headFrames = framesIn(s.head);
        if (s.headIsWholeFile)
            frame = std::min(frame, headFrames);
        // After the end of the file the decoder has gone on from the end of the first second
        // already; a new pass from the beginning just takes that up.
        const bool takeUp = s.ended && frame == 0 && !s.decoderIdle;
        if (!takeUp && !s.headIsWholeFile) {
            ++s.generation;
            s.blocks.clear();
            s.queuedFrames = 0;
            s.seekTo = std::max(frame, headFrames);
        }
        s.position = frame;
        s.ended = false;
        ++s.restarts;
    }
    s.wake.notify_one();
}
