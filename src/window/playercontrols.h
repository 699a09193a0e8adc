#pragma once

#include "musicplayer.h"

#include <QWidget>

class QLabel;
class QSlider;
class QToolButton;

// The buttons and sliders of the music player bar. It keeps no playing logic: pressing a button
// or moving a slider only emits the wish, and the player's state is shown through the setters.
// It draws in its palette's colours: Window the ground, WindowText the symbols and times,
// Highlight the keyboard focus mark.
class PlayerControls : public QWidget
{
    Q_OBJECT
public:
    explicit PlayerControls(QWidget *parent = nullptr);

    // "m:ss", or "h:mm:ss" from one hour on.
    static QString formatTime(qint64 milliseconds);

public slots:
    void setPlayState(MusicPlayer::PlayState playState);
    void setDuration(qint64 milliseconds);
    void setPosition(qint64 milliseconds);
    void setVolume(int volume);
    void setMuted(bool muted);

signals:
    void play();
    void pause();
    void stop();
    void seek(qint64 milliseconds);
    void changeVolume(int volume);
    void changeMuting(bool muting);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyPalette();
    void showTimes();

    QToolButton *m_playButton = nullptr;
    QToolButton *m_pauseButton = nullptr;
    QToolButton *m_stopButton = nullptr;
    QLabel *m_elapsedLabel = nullptr;
    QSlider *m_seekSlider = nullptr;
    QLabel *m_totalLabel = nullptr;
    QToolButton *m_muteButton = nullptr;
    QSlider *m_volumeSlider = nullptr;
    qint64 m_duration = 0;
    qint64 m_position = 0;
    MusicPlayer::PlayState m_playState = MusicPlayer::PlayState::Undefined;
    bool m_muted = false;
};
