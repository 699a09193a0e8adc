#pragma once

#include <QObject>

#include <cstdint>

class MusicStream;

// Where the music is heard: plays what a MusicStream hands out, at the stream's rate, in
// stereo. Every call returns at once; opening is told by running(), and an output that cannot
// be opened or goes away says unavailable() and is closed (play() tries again). The player
// makes one with makeMusicOutput(), the one of the platform it is built for.
class MusicOutput : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the output for the stream if it is not open, and plays.
    virtual void play(MusicStream *stream) = 0;
    // Holds what is queued, to go on with it at the next play().
    virtual void pause() = 0;
    // Lets the stream go on from `frame` (MusicStream::restart()); with dropQueued what the
    // output holds of the music so far is not heard, else it is heard first.
    virtual void restart(MusicStream *stream, std::int64_t frame, bool dropQueued) = 0;
    // Closes the output; the stream is not touched again.
    virtual void close() = 0;
    // The linear gain, from 0 (silent) to 1.
    virtual void setGain(float gain) = 0;
    virtual bool isRunning() const = 0;
    // Frames taken from the stream that have not been heard yet.
    virtual std::int64_t queuedFrames() const = 0;

signals:
    void running();
    void unavailable();
};

MusicOutput *makeMusicOutput(QObject *parent);
