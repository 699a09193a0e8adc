#pragma once

#include "musicoutput.h"

#include <atomic>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

// The music played to the PulseAudio server (or PipeWire's stand-in for it) on libpulse's own
// thread: the server asks for sound when its buffer of two seconds has room for one more, and
// only then is the stream's sound written, a second at a time. Between two asks nothing in the
// program wakes for the music. Everything the server is told runs on that thread, so no call
// waits for the server; not having one, or losing it, is told by unavailable().
class PulseOutput : public MusicOutput
{
    Q_OBJECT
public:
    explicit PulseOutput(QObject *parent = nullptr);
    ~PulseOutput() override;

    void play(MusicStream *stream) override;
    void pause() override;
    void restart(MusicStream *stream, std::int64_t frame, bool dropQueued) override;
    void close() override;
    void setGain(float gain) override;
    bool isRunning() const override { return m_running; }
    std::int64_t queuedFrames() const override;

private:
    // On the server's thread, or with its lock held.
    void connectToServer();
    void contextChanged();
    void openStream();
    void streamChanged();
    void write();
    void dropStream();
    void dropContext();

    pa_threaded_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
    MusicStream *m_source = nullptr; // while the output is open
    int m_rate = 0;
    float m_gain = 1.0f;
    bool m_paused = false;
    std::int64_t m_writtenSinceDrop = 0;
    mutable bool m_dropConfirmed = true;
    mutable pa_operation *m_confirming = nullptr; // asking how much the server holds after a drop
    std::atomic<bool> m_running = false;
};
