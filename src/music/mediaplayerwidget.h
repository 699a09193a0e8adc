#pragma once

#include <QUrl>
#include <QWidget>

class MusicPlayer;
class PlayerControls;

// The window's music player control WindowsMediaPlayer1: the player bar on top of the playing
// logic, 833 x 49 logical pixels. The window reaches it through URL, playState(), controls()
// and StatusChange(); the buttons and sliders in the bar drive the same player.
class MediaPlayerWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MediaPlayerWidget(QWidget *parent = nullptr);

    QUrl URL() const;
    void setURL(const QUrl &url);
    int playState() const;
    MusicPlayer &controls();

    MusicPlayer *player() const { return m_player; }
    PlayerControls *playerControls() const { return m_controls; }

signals:
    void StatusChange();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    MusicPlayer *m_player = nullptr;
    PlayerControls *m_controls = nullptr;
    bool m_waitingForScreen = true;
};
