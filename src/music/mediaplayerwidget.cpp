#include "mediaplayerwidget.h"

#include "musicplayer.h"
#include "playercontrols.h"

#include <QVBoxLayout>
#include <QWindow>

MediaPlayerWidget::MediaPlayerWidget(QWidget *parent)
    : QWidget(parent)
    , m_player(new MusicPlayer(this))
    , m_controls(new PlayerControls(this))
{
    setObjectName(QStringLiteral("WindowsMediaPlayer1"));
    setFixedSize(833, 49);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_controls);

    connect(m_controls, &PlayerControls::play, m_player, &MusicPlayer::play);
    connect(m_controls, &PlayerControls::pause, m_player, &MusicPlayer::pause);
    connect(m_controls, &PlayerControls::stop, m_player, &MusicPlayer::stop);
    connect(m_controls, &PlayerControls::seek, m_player, &MusicPlayer::setCurrentPosition);
    connect(m_controls, &PlayerControls::changeVolume, m_player, &MusicPlayer::setVolume);
    connect(m_controls, &PlayerControls::changeMuting, m_player, &MusicPlayer::setMute);

    connect(m_player, &MusicPlayer::positionChanged, m_controls, &PlayerControls::setPosition);
    connect(m_player, &MusicPlayer::durationChanged, m_controls, &PlayerControls::setDuration);
    connect(m_player, &MusicPlayer::volumeChanged, m_controls, &PlayerControls::setVolume);
    connect(m_player, &MusicPlayer::muteChanged, m_controls, &PlayerControls::setMuted);
    // The bar shows the new state before anyone else hears of it.
    connect(m_player, &MusicPlayer::StatusChange, this, [this] {
        m_controls->setPlayState(m_player->playState());
        emit StatusChange();
    });

    m_controls->setVolume(m_player->volume());
    m_controls->setMuted(m_player->mute());

    // A file handed over before the window is on screen is opened right after its first frame,
    // so that the window does not wait for the media framework to start.
    m_player->setOpeningHeld(true);
}

void MediaPlayerWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_waitingForScreen)
        return;
    QWindow *screenWindow = window()->windowHandle();
    if (screenWindow && !screenWindow->isExposed()) {
        screenWindow->installEventFilter(this);
    } else { // no screen window, or one already on screen: nothing to wait for
        m_waitingForScreen = false;
        m_player->setOpeningHeld(false);
    }
}

bool MediaPlayerWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (m_waitingForScreen && event->type() == QEvent::Expose
        && static_cast<QWindow *>(watched)->isExposed()) {
        m_waitingForScreen = false;
        watched->removeEventFilter(this);
        // The expose paints and flushes the first frame; the queued call runs after that.
        QMetaObject::invokeMethod(
                m_player, [player = m_player] { player->setOpeningHeld(false); },
                Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

QUrl MediaPlayerWidget::URL() const
{
    return m_player->URL();
}

void MediaPlayerWidget::setURL(const QUrl &url)
{
    m_player->setURL(url);
}

int MediaPlayerWidget::playState() const
{
    return m_player->playState();
}

MusicPlayer &MediaPlayerWidget::controls()
{
    return m_player->controls();
}
