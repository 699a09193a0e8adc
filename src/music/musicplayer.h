#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

class QAudioOutput;
class QMediaPlayer;
class QTimer;

// The playing logic behind WindowsMediaPlayer1: one music file on QMediaPlayer + QAudioOutput,
// seen from outside the way the window uses it. Writing URL with autoStart on starts the file;
// playState() gives the player's numeric play state; controls() reaches play, pause and stop;
// StatusChange() is raised whenever the play state changes. When the file has played to its end
// the state passes through MediaEnded to Stopped, and play() on a stopped player starts the file
// again from the beginning.
class MusicPlayer : public QObject
{
    Q_OBJECT
public:
    enum PlayState {
        Undefined = 0, // no file handed over
        Stopped = 1,
        Paused = 2,
        Playing = 3,
        Buffering = 6,
        MediaEnded = 8,
        Transitioning = 9, // opening the file, or between the end of a pass and the stop
        Ready = 10, // the file cannot be opened or played; waiting for another URL
    };
    Q_ENUM(PlayState)

    explicit MusicPlayer(QObject *parent = nullptr);

    // The media framework takes a noticeable moment to start, so it is started only when a file
    // is first opened. While opening is held, a URL written is kept (the state is Transitioning)
    // and opened when the hold is released.
    void setOpeningHeld(bool held);

    QUrl URL() const { return m_url; }
    void setURL(const QUrl &url);

    int playState() const { return m_playState; }

    // The player's transport controls (play, pause, stop, position).
    MusicPlayer &controls() { return *this; }
    void play();
    void pause();
    void stop();
    qint64 currentPosition() const;
    void setCurrentPosition(qint64 milliseconds);
    qint64 duration() const;

    // Settings. Only volume and mute can be changed, from the player's own controls.
    bool autoStart() const { return true; }
    int playCount() const { return 1; }
    double rate() const;
    bool enableErrorDialogs() const { return false; }
    int volume() const { return m_volume; }
    void setVolume(int volume);
    bool mute() const;
    void setMute(bool mute);

    // The linear output gain for a volume from 0 to 100, on a scale the ear hears as even.
    static float outputGain(int volume);

signals:
    void StatusChange();
    void positionChanged(qint64 milliseconds);
    void durationChanged(qint64 milliseconds);
    void volumeChanged(int volume);
    void muteChanged(bool mute);

private:
    QMediaPlayer *mediaPlayer();
    void open();
    int currentPlayState() const;
    void refresh();
    void setPlayState(int state);
    void setOutput(QAudioOutput *output);
    void reopen(qint64 position);
    void checkProgress();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    QTimer *m_progressCheck = nullptr;
    qint64 m_checkedPosition = -1;
    int m_checksWithoutProgress = 0;
    QUrl m_url;
    int m_playState = Undefined;
    QList<int> m_announcing; // states to announce, the one being announced first
    int m_volume = 50;
    bool m_stopRequested = false;
    bool m_muted = false;
    bool m_openingHeld = false;
    bool m_openPending = false;
};
