#pragma once

#include "musicoutput.h"

class QAudioSink;
class MusicStreamDevice;

// The music played through Qt Multimedia's QAudioSink, which pulls it from the stream (Windows'
// audio). The output's buffer is a second long. Where the output refuses 16-bit samples it is
// given 32-bit float ones: Windows mixes in float and converts other samples first, which
// Wine's audio cannot always do.
class QtAudioOutput : public MusicOutput
{
    Q_OBJECT
public:
    explicit QtAudioOutput(QObject *parent = nullptr);
    ~QtAudioOutput() override;

    void play(MusicStream *stream) override;
    void pause() override;
    void restart(MusicStream *stream, std::int64_t frame, bool dropQueued) override;
    void close() override;
    void setGain(float gain) override;
    bool isRunning() const override;
    std::int64_t queuedFrames() const override;

private:
    bool open(MusicStream *stream);
    bool startSink();
    void sinkStateChanged();

    QAudioSink *m_sink = nullptr;
    MusicStreamDevice *m_device = nullptr;
    float m_gain = 1.0f;
};
