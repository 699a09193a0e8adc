#include "pulseoutput.h"

#include "musicstream.h"

#include <pulse/pulseaudio.h>

#include <dlfcn.h>

#include <utility>

namespace {

// PulseAudio's client library is opened when the first output plays, after the window's first
// frame: linked to the program, it and the libraries it brings (sndfile, FLAC, Vorbis, Opus...)
// were loaded and relocated before the program's first line ran.
#define QUILLORA_PULSE_FUNCTIONS(F) \
    F(pa_context_connect) \
    F(pa_context_disconnect) \
    F(pa_context_get_state) \
    F(pa_context_new) \
    F(pa_context_set_sink_input_volume) \
    F(pa_context_set_state_callback) \
    F(pa_context_unref) \
    F(pa_cvolume_set) \
    F(pa_mainloop_api_once) \
    F(pa_operation_get_state) \
    F(pa_operation_unref) \
    F(pa_stream_begin_write) \
    F(pa_stream_cancel_write) \
    F(pa_stream_connect_playback) \
    F(pa_stream_cork) \
    F(pa_stream_disconnect) \
    F(pa_stream_flush) \
    F(pa_stream_get_index) \
    F(pa_stream_get_latency) \
    F(pa_stream_get_state) \
    F(pa_stream_new) \
    F(pa_stream_set_state_callback) \
    F(pa_stream_set_write_callback) \
    F(pa_stream_trigger) \
    F(pa_stream_unref) \
    F(pa_stream_update_timing_info) \
    F(pa_stream_writable_size) \
    F(pa_stream_write) \
    F(pa_sw_volume_from_linear) \
    F(pa_threaded_mainloop_free) \
    F(pa_threaded_mainloop_get_api) \
    F(pa_threaded_mainloop_lock) \
    F(pa_threaded_mainloop_new) \
    F(pa_threaded_mainloop_set_name) \
    F(pa_threaded_mainloop_start) \
    F(pa_threaded_mainloop_stop) \
    F(pa_threaded_mainloop_unlock)

struct PulseLibrary
{
#define QUILLORA_PULSE_POINTER(name) decltype(&::name) name = nullptr;
    QUILLORA_PULSE_FUNCTIONS(QUILLORA_PULSE_POINTER)
#undef QUILLORA_PULSE_POINTER
};

// The library's functions; nullptr when it cannot be opened, which leaves the music silent.
const PulseLibrary *pulse()
{
    static const PulseLibrary *const library = []() -> const PulseLibrary * {
        void *handle = dlopen("libpulse.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return nullptr;
        static PulseLibrary functions;
#define QUILLORA_PULSE_RESOLVE(name) \
    functions.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name)); \
    if (!functions.name) \
        return nullptr;
        QUILLORA_PULSE_FUNCTIONS(QUILLORA_PULSE_RESOLVE)
#undef QUILLORA_PULSE_RESOLVE
        return &functions;
    }();
    return library;
}

// The server's buffer for the music, and how much room in it makes it ask for more: it asks
// about once a second, and a stall of the decoder up to a second is not heard.
constexpr int kBufferMs = 2000;
constexpr int kAskMs = 1000;
constexpr int kBytesPerFrame = 2 * 2;

// Holds the server thread's lock for a scope.
class LoopLock
{
public:
    explicit LoopLock(pa_threaded_mainloop *loop)
        : m_loop(loop)
    {
        pulse()->pa_threaded_mainloop_lock(m_loop);
    }
    ~LoopLock() { pulse()->pa_threaded_mainloop_unlock(m_loop); }
    LoopLock(const LoopLock &) = delete;
    LoopLock &operator=(const LoopLock &) = delete;

private:
    pa_threaded_mainloop *m_loop;
};

void forget(pa_operation *operation)
{
    if (operation)
        pulse()->pa_operation_unref(operation);
}

pa_cvolume stereoVolume(float gain)
{
    pa_cvolume volume;
    pulse()->pa_cvolume_set(&volume, 2, pulse()->pa_sw_volume_from_linear(gain));
    return volume;
}

} // namespace

MusicOutput *makeMusicOutput(QObject *parent)
{
    return new PulseOutput(parent);
}

PulseOutput::PulseOutput(QObject *parent)
    : MusicOutput(parent)
{ }

PulseOutput::~PulseOutput()
{
    close();
    if (!m_loop)
        return;
    {
        const LoopLock lock(m_loop);
        dropContext();
    }
    pulse()->pa_threaded_mainloop_stop(m_loop);
    pulse()->pa_threaded_mainloop_free(m_loop);
}

void PulseOutput::play(MusicStream *stream)
{
    if (!m_loop) {
        if (!pulse()) {
            QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
            return;
        }
        m_loop = pulse()->pa_threaded_mainloop_new();
        pulse()->pa_threaded_mainloop_set_name(m_loop, "quillora-sound");
        pulse()->pa_threaded_mainloop_start(m_loop);
    }
    if (m_source != stream) {
        close();
        // The stream's decoder tells when it has sound again after the output got too little.
        stream->setWakeUp([this] {
            const LoopLock lock(m_loop);
            write();
        });
    }
    const LoopLock lock(m_loop);
    m_source = stream;
    m_paused = false;
    if (!m_context) {
        m_context = pulse()->pa_context_new(pulse()->pa_threaded_mainloop_get_api(m_loop),
                                            "Quillora");
        pulse()->pa_context_set_state_callback(
                m_context,
                [](pa_context *, void *self) {
                    static_cast<PulseOutput *>(self)->contextChanged();
                },
                this);
        // Connecting may start a server (autospawn): on the server thread, not the window's.
        pulse()->pa_mainloop_api_once(
                pulse()->pa_threaded_mainloop_get_api(m_loop),
                [](pa_mainloop_api *, void *self) {
                    static_cast<PulseOutput *>(self)->connectToServer();
                },
                this);
    } else if (!m_stream) {
        if (pulse()->pa_context_get_state(m_context) == PA_CONTEXT_READY)
            openStream();
    } else if (m_running) {
        forget(pulse()->pa_stream_cork(m_stream, 0, nullptr, nullptr));
        write();
    }
}

void PulseOutput::connectToServer()
{
    if (!m_context || pulse()->pa_context_get_state(m_context) != PA_CONTEXT_UNCONNECTED)
        return;
    if (pulse()->pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0
        && m_context) {
        dropContext(); // (a failure told as a change has dropped it already)
        QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
    }
}

void PulseOutput::contextChanged()
{
    switch (pulse()->pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        if (m_source && !m_stream)
            openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        dropContext();
        QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

void PulseOutput::openStream()
{
    m_rate = m_source->sampleRate();
    const pa_sample_spec format {PA_SAMPLE_S16LE, std::uint32_t(m_rate), 2};
    m_stream = pulse()->pa_stream_new(m_context, "Music", &format, nullptr);
    if (!m_stream) {
        QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
        return;
    }
    pulse()->pa_stream_set_state_callback(
            m_stream,
            [](pa_stream *, void *self) { static_cast<PulseOutput *>(self)->streamChanged(); },
            this);
    pulse()->pa_stream_set_write_callback(
            m_stream,
            [](pa_stream *, size_t, void *self) { static_cast<PulseOutput *>(self)->write(); },
            this);
    const auto bytes
            = [this](int ms) { return std::uint32_t(m_rate / 1000.0 * ms) * kBytesPerFrame; };
    // The server starts playing once its buffer is full (prebuf is the whole buffer), so the first
    // pass is as whole as the rest.
    pa_buffer_attr attributes;
    attributes.maxlength = std::uint32_t(-1);
    attributes.tlength = bytes(kBufferMs);
    attributes.prebuf = std::uint32_t(-1);
    attributes.minreq = bytes(kAskMs);
    attributes.fragsize = std::uint32_t(-1);
    const pa_cvolume volume = stereoVolume(m_gain);
    // How much is queued is asked of the server after each write, and told in between from
    // the clock.
    const auto flags = pa_stream_flags_t(PA_STREAM_INTERPOLATE_TIMING
                                         | (m_paused ? PA_STREAM_START_CORKED : 0));
    if (pulse()->pa_stream_connect_playback(m_stream, nullptr, &attributes, flags, &volume, nullptr)
        < 0) {
        dropStream();
        QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
    }
}

void PulseOutput::streamChanged()
{
    switch (pulse()->pa_stream_get_state(m_stream)) {
    case PA_STREAM_READY:
        m_running = true;
        QMetaObject::invokeMethod(this, &MusicOutput::running, Qt::QueuedConnection);
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        dropStream();
        QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
        break;
    default:
        break;
    }
}

// Writes as much of the stream as the server has room for, or as the stream has.
void PulseOutput::write()
{
    if (!m_stream || !m_source || pulse()->pa_stream_get_state(m_stream) != PA_STREAM_READY)
        return;
    size_t room = pulse()->pa_stream_writable_size(m_stream);
    if (room == size_t(-1) || room < kBytesPerFrame)
        return;
    while (room >= kBytesPerFrame) {
        void *data = nullptr;
        size_t bytes = room;
        if (pulse()->pa_stream_begin_write(m_stream, &data, &bytes) < 0 || !data)
            return;
        bool atEnd = false;
        const std::int64_t frames
                = m_source->take(data, std::int64_t(bytes) / kBytesPerFrame, &atEnd);
        if (frames > 0) {
            pulse()->pa_stream_write(m_stream, data, size_t(frames) * kBytesPerFrame, nullptr, 0,
                                     PA_SEEK_RELATIVE);
            m_writtenSinceDrop += frames;
        } else
            pulse()->pa_stream_cancel_write(m_stream);
        if (atEnd) {
            // The end of the file: what is written is played even if it does not fill the
            // buffer (a short file, and nobody starting it again).
            forget(pulse()->pa_stream_trigger(m_stream, nullptr, nullptr));
            break;
        }
        if (size_t(frames) * kBytesPerFrame < bytes)
            break; // the decoder is behind, and wakes this again when it has more
        room -= bytes;
    }
    pa_operation *update = pulse()->pa_stream_update_timing_info(m_stream, nullptr, nullptr);
    // After a drop, until the server has told how much it holds once something was written
    // since, it holds what was written.
    if (!m_dropConfirmed && !m_confirming && m_writtenSinceDrop > 0)
        m_confirming = std::exchange(update, nullptr);
    forget(update);
}

void PulseOutput::pause()
{
    if (!m_loop)
        return;
    const LoopLock lock(m_loop);
    m_paused = true;
    if (m_stream)
        forget(pulse()->pa_stream_cork(m_stream, 1, nullptr, nullptr));
}

void PulseOutput::restart(MusicStream *stream, std::int64_t frame, bool dropQueued)
{
    if (!m_loop) {
        stream->restart(frame);
        return;
    }
    const LoopLock lock(m_loop);
    stream->restart(frame);
    if (m_stream && m_running && dropQueued) {
        forget(pulse()->pa_stream_flush(m_stream, nullptr, nullptr));
        m_writtenSinceDrop = 0;
        m_dropConfirmed = false;
    }
    write();
}

void PulseOutput::close()
{
    if (!m_source)
        return;
    m_source->setWakeUp({}); // before the lock, which a wake-up under way may be waiting for
    const LoopLock lock(m_loop);
    dropStream();
    m_source = nullptr;
}

void PulseOutput::setGain(float gain)
{
    m_gain = gain;
    if (!m_loop)
        return;
    const LoopLock lock(m_loop);
    if (m_stream && m_running) {
        const pa_cvolume volume = stereoVolume(gain);
        forget(pulse()->pa_context_set_sink_input_volume(
                m_context, pulse()->pa_stream_get_index(m_stream), &volume, nullptr, nullptr));
    }
}

std::int64_t PulseOutput::queuedFrames() const
{
    if (!m_loop)
        return 0;
    const LoopLock lock(m_loop);
    if (m_confirming && pulse()->pa_operation_get_state(m_confirming) != PA_OPERATION_RUNNING) {
        m_dropConfirmed = true;
        forget(std::exchange(m_confirming, nullptr));
    }
    if (!m_dropConfirmed)
        return m_writtenSinceDrop;
    pa_usec_t latency = 0;
    int negative = 0;
    if (!m_stream || !m_running || pulse()->pa_stream_get_latency(m_stream, &latency, &negative) < 0
        || negative)
        return 0;
    return std::int64_t(latency * std::uint64_t(m_rate) / 1000000);
}

void PulseOutput::dropStream()
{
    m_running = false;
    m_dropConfirmed = true;
    forget(std::exchange(m_confirming, nullptr));
    if (!m_stream)
        return;
    pulse()->pa_stream_set_state_callback(m_stream, nullptr, nullptr);
    pulse()->pa_stream_set_write_callback(m_stream, nullptr, nullptr);
    if (pulse()->pa_stream_get_state(m_stream) == PA_STREAM_READY
        || pulse()->pa_stream_get_state(m_stream) == PA_STREAM_CREATING)
        pulse()->pa_stream_disconnect(m_stream);
    pulse()->pa_stream_unref(m_stream);
    m_stream = nullptr;
}

void PulseOutput::dropContext()
{
    dropStream();
    if (!m_context)
        return;
    pulse()->pa_context_set_state_callback(m_context, nullptr, nullptr);
    if (pulse()->pa_context_get_state(m_context) != PA_CONTEXT_FAILED
        && pulse()->pa_context_get_state(m_context) != PA_CONTEXT_TERMINATED)
        pulse()->pa_context_disconnect(m_context);
    pulse()->pa_context_unref(m_context);
    m_context = nullptr;
}
