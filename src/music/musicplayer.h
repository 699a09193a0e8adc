#pragma once

#include "mp3decoder.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <filesystem>

class MusicStream;
class QAudioSink;

// The music player behind the player bar WindowsMediaPlayer1: one MP3 file, decoded by
// MusicStream and played through QAudioSink. Writing the URL starts the file (autoStart is
// always on, the play count is 1, and errors never open a dialog). StatusChange() is raised on
// every change of the play state; when a pass has played to its end the state goes through
// MediaEnded to Stopped, and play() on a stopped player plays the file from the beginning,
// straight on without a gap when it follows the end of a pass.
class MusicPlayer : public QObject
{
    Q_OBJECT
public:
    enum PlayState {
        Undefined = 0, // no file handed over
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        MediaEnded = 8,
        Transitioning = 9, // opening the file, or waiting for a sound output
        Ready = 10, // the file cannot be played; waiting for another URL
    };
    Q_ENUM(PlayState)

    explicit MusicPlayer(QObject *parent = nullptr);
    ~MusicPlayer() override;

    void setURL(const std::filesystem::path &url);

    int playState() const { return m_playState; }
    qint64 position() const; // ms into the file, as heard
    qint64 duration() const; // ms; 0 while unknown
    int volume() const { return m_volume; }
    bool isMuted() const { return m_muted; }

    // The sound output is opened only once this is released; until then a file handed over
    // waits in Transitioning. The window holds it until its first frame is on screen.
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
    void fileLoaded(Mp3Decoder::Error error);
    void passEnded();
    bool startOutput();
    bool startSink();
    void topUp();
    void outputStateChanged();
    void applyVolume();
    void setPlayState(int state);

    MusicStream *m_stream = nullptr;
    QAudioSink *m_sink = nullptr;
    QTimer m_positionTimer; // while playing, tells the bar where the music is
    QTimer m_topUpTimer; // while playing, lets the output pull a little further
    QTimer m_outputRetry; // while no sound output could be opened
    int m_state = Undefined; // what the player does now
    int m_playState = Undefined; // the state last announced
    QList<int> m_announcing; // states to announce, the one being announced first
    qint64 m_jumpedTo = 0; // the frame the music last started from
    qint64 m_handedOutAtStart = 0; // the stream's count when the output last started
    int m_volume = 50;
    bool m_muted = false;
    bool m_outputHeld = false;
    bool m_loaded = false;
};
