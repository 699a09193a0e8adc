#pragma once

#include <QStringList>
#include <QTemporaryDir>

#include <sys/types.h>

#include <cstdint>
#include <vector>

// A private PulseAudio server of the benchmark's own, in a temporary folder, whose one output is
// a null sink that plays in real time into nothing. Programs given environment() play to it;
// its monitor can be recorded.
class SoundServer
{
public:
    SoundServer();
    ~SoundServer();
    SoundServer(const SoundServer &) = delete;
    SoundServer &operator=(const SoundServer &) = delete;

    bool running() const { return m_pid > 0; }

    // PULSE_SERVER for the programs that are to play to it.
    QStringList environment() const;

    // True when the process has a stream on the sink that is not paused (corked).
    bool streaming(pid_t pid) const;
    // Asks every quarter second until the process streams or timeoutMs pass.
    bool waitForStream(pid_t pid, int timeoutMs) const;

    // Starts recording the sink's monitor as 16-bit mono at 44.1 kHz (one recording at a time).
    bool startRecording();
    // Ends the recording (SIGINT, so the recorder writes out its tail) and returns it.
    std::vector<int16_t> stopRecording();

private:
    QTemporaryDir m_dir;
    pid_t m_pid = -1;
    pid_t m_recorder = -1;
};
