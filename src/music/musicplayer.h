#pragma once

#include "mp3decoder.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <filesystem>

class MusicOutput;
class MusicStream;

// The music player behind the player bar WindowsMediaPlayer1: one MP3 file, decoded by
// MusicStream and heard through a MusicOutput. Writing the URL starts the file (autoStart is
// always on, the play count is 1, and errors never open a dialog). StatusChange() is raised on
// every change of the play state; when a pass has played to its end the state goes through
// MediaEnded to Stopped, and play() on a stopped player plays the file from the beginning,
// straight on without a gap when it follows the end of a pass. Without a sound output the
// player waits in Transitioning, trying again every few seconds, for as long as it takes.
class MusicPlayer : public QObject
{
    Q_OBJECT
public:
    enum class PlayState : std::int32_t {
        Undefined = 0, // no file handed over
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        MediaEnded = 8,
        Transitioning = 9, // opening the file, or waiting for a sound output
        Ready = 10, // the file cannot be played; waiting for another URL
    };
    Q_ENUM(PlayState)

    // With the platform's own output unless another is given (the player takes it over).
    explicit MusicPlayer(QObject *parent = nullptr, MusicOutput *output = nullptr);
    ~MusicPlayer() override;

    void setURL(const std::filesystem::path &url);

    // The state last announced by StatusChange() (a listener hears each one in turn).
    PlayState playState() const { return m_state; }
    qint64 position() const; // ms into the file, as heard
    qint64 duration() const; // ms; 0 while unknown
    int volume() const { return m_volume; }
    bool isMuted() const { return m_muted; }

    // The file handed over is opened, and the sound output, only once this is released; until
    // then the player waits in Transitioning. The window holds it until its first frame is on
    // screen, so that decoding the music does not compete with the window for the processor.
    void setOutputHeld(bool held);

public slots:
    void play();
    void pause();
    void stop();
    void setPosition(qint64 milliseconds);
    void setVolume(int volume);
    void setMuted(bool muted);

signals:
    void StatusChange();
    void positionChanged(qint64 milliseconds);
    void durationChanged(qint64 milliseconds);
    void volumeChanged(int volume);
    void mutedChanged(bool muted);

private:
    PlayState latestState() const;
    void setPlayState(PlayState state);
    void fileLoaded(Mp3Decoder::Error error);
    void passEnded();
    void outputRunning();
    void outputUnavailable();
    void applyVolume();

    MusicStream *m_stream = nullptr;
    MusicOutput *m_output = nullptr;
    QTimer m_positionTimer; // while playing, tells the bar where the music is
    QTimer m_outputRetry; // while no sound output could be opened
    PlayState m_state = PlayState::Undefined;
    QList<PlayState> m_announcing; // states to announce, the one being announced first
    std::int64_t m_jumpedTo = 0; // the frame the music last started from, dropping what was queued
    qint64 m_pausedAt = 0; // ms; what the output holds while paused is not a measure of it
    qint64 m_heardFrom = 0; // ms; where the music last started to be heard, at m_heardClock
    QElapsedTimer m_heardClock;
    bool m_joinedPass = false; // a new pass follows the queued end of the last one
    bool m_passEndedWhilePaused = false;
    int m_volume = 50;
    bool m_muted = false;
    bool m_outputHeld = false;
    std::filesystem::path m_heldFile; // handed over while held, opened when released
    bool m_loaded = false;
};
