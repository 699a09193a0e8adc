#include "musicplayer.h"

#include <QAudio>
#include <QAudioOutput>
#include <QMediaPlayer>

#include <algorithm>

MusicPlayer::MusicPlayer(QObject *parent)
    : QObject(parent)
{
}

QMediaPlayer *MusicPlayer::mediaPlayer()
{
    if (m_player)
        return m_player;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_player->setAudioOutput(m_output);
    m_player->setLoops(playCount());
    m_player->setPlaybackRate(1.0);
    m_output->setVolume(outputGain(m_volume));
    m_output->setMuted(m_muted);

    // Errors are only ever shown as a play state; nothing here opens a dialog.
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &MusicPlayer::refresh);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &MusicPlayer::refresh);
    connect(m_player, &QMediaPlayer::errorOccurred, this, &MusicPlayer::refresh);
    connect(m_player, &QMediaPlayer::positionChanged, this, &MusicPlayer::positionChanged);
    connect(m_player, &QMediaPlayer::durationChanged, this, &MusicPlayer::durationChanged);
    connect(m_output, &QAudioOutput::mutedChanged, this, [this](bool muted) {
        m_muted = muted;
        emit muteChanged(muted);
    });
    return m_player;
}

void MusicPlayer::setOpeningHeld(bool held)
{
    m_openingHeld = held;
    if (!held && m_openPending)
        open();
}

void MusicPlayer::setURL(const QUrl &url)
{
    m_url = url;
    m_stopRequested = false;
    m_openPending = m_openingHeld;
    if (m_openPending)
        refresh();
    else
        open();
}

void MusicPlayer::open()
{
    m_openPending = false;
    if (m_player || !m_url.isEmpty())
        mediaPlayer()->setSource(m_url);
    if (autoStart() && !m_url.isEmpty())
        play();
    refresh();
}

void MusicPlayer::play()
{
    if (m_url.isEmpty() || m_openPending)
        return;
    m_stopRequested = false;
    // A stopped player starts from the beginning. GStreamer leaves the position at the end of
    // the stream after a pass, and playing from there would end again at once.
    if (mediaPlayer()->playbackState() == QMediaPlayer::StoppedState)
        m_player->setPosition(0);
    m_player->play();
    refresh();
}

void MusicPlayer::pause()
{
    if (m_url.isEmpty() || !m_player)
        return;
    m_player->pause();
    refresh();
}

void MusicPlayer::stop()
{
    if (m_url.isEmpty() || !m_player)
        return;
    m_stopRequested = true;
    m_player->stop();
    refresh();
}

qint64 MusicPlayer::currentPosition() const
{
    return m_player ? m_player->position() : 0;
}

void MusicPlayer::setCurrentPosition(qint64 milliseconds)
{
    if (m_player)
        m_player->setPosition(milliseconds);
}

qint64 MusicPlayer::duration() const
{
    return m_player ? m_player->duration() : 0;
}

double MusicPlayer::rate() const
{
    return m_player ? m_player->playbackRate() : 1.0;
}

void MusicPlayer::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    if (m_output)
        m_output->setVolume(outputGain(volume));
    emit volumeChanged(volume);
}

bool MusicPlayer::mute() const
{
    return m_muted;
}

void MusicPlayer::setMute(bool mute)
{
    if (m_output) {
        m_output->setMuted(mute);
    } else if (mute != m_muted) {
        m_muted = mute;
        emit muteChanged(mute);
    }
}

float MusicPlayer::outputGain(int volume)
{
    const float level = std::clamp(volume, 0, 100) / 100.0f;
    return QAudio::convertVolume(level, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale);
}

int MusicPlayer::currentPlayState() const
{
    if (m_url.isEmpty())
        return Undefined;
    if (!m_player || m_openPending)
        return Transitioning; // the file is still to be opened
    const QMediaPlayer::MediaStatus status = m_player->mediaStatus();
    if (m_player->error() != QMediaPlayer::NoError || status == QMediaPlayer::InvalidMedia)
        return Ready;
    switch (m_player->playbackState()) {
    case QMediaPlayer::PlayingState:
        if (status == QMediaPlayer::LoadingMedia)
            return Transitioning;
        if (status == QMediaPlayer::StalledMedia || status == QMediaPlayer::BufferingMedia)
            return Buffering;
        return Playing; // an end-of-media status left over from the previous pass is stale
    case QMediaPlayer::PausedState:
        return Paused;
    case QMediaPlayer::StoppedState:
        break;
    }
    if (m_stopRequested || status == QMediaPlayer::EndOfMedia)
        return Stopped;
    // The pipeline has stopped on its own but has not yet said why (the end of the file is
    // reported a moment later); a failure would surface as an error instead.
    return Transitioning;
}

void MusicPlayer::refresh()
{
    // A pass that has played to its end is reported as ended first, then as stopped.
    const int last = m_announcing.isEmpty() ? m_playState : m_announcing.last();
    if (currentPlayState() == Stopped && !m_stopRequested && last != Stopped && last != MediaEnded)
        setPlayState(MediaEnded);
    setPlayState(currentPlayState());
}

void MusicPlayer::setPlayState(int state)
{
    // Listeners may change the player from their slot (the window restarts it there). The
    // changes that causes are announced after every listener has heard the current one, so
    // each of them sees every state in order and playState() always tells the state announced.
    const int last = m_announcing.isEmpty() ? m_playState : m_announcing.last();
    if (state == last)
        return;
    m_announcing.append(state);
    if (m_announcing.size() > 1)
        return; // announced by the loop below, further up the stack
    while (!m_announcing.isEmpty()) {
        m_playState = m_announcing.first();
        emit StatusChange();
        m_announcing.removeFirst();
    }
}
