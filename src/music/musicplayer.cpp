#include "musicplayer.h"

#include <QAudio>
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QTimer>

#include <algorithm>

namespace {

// How often a playing player checks that its position moves, and after how many checks
// without progress it takes its sound output for stuck.
constexpr int kProgressCheckMs = 500;
constexpr int kChecksBeforeStuck = 4;

} // namespace

MusicPlayer::MusicPlayer(QObject *parent)
    : QObject(parent)
    , m_progressCheck(new QTimer(this))
{
    m_progressCheck->setInterval(kProgressCheckMs);
    connect(m_progressCheck, &QTimer::timeout, this, &MusicPlayer::checkProgress);
}

QMediaPlayer *MusicPlayer::mediaPlayer()
{
    if (m_player)
        return m_player;
    m_player = new QMediaPlayer(this);
    setOutput(new QAudioOutput(this));
    m_player->setLoops(playCount());
    m_player->setPlaybackRate(1.0);

    // Errors are only ever shown as a play state; nothing here opens a dialog.
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &MusicPlayer::refresh);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &MusicPlayer::refresh);
    connect(m_player, &QMediaPlayer::errorOccurred, this, &MusicPlayer::refresh);
    connect(m_player, &QMediaPlayer::positionChanged, this, &MusicPlayer::positionChanged);
    // A reopening passes through "no media"; the bar keeps showing the file's length meanwhile.
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        if (duration > 0 || m_player->source() == m_url)
            emit durationChanged(duration);
    });
    return m_player;
}

void MusicPlayer::setOutput(QAudioOutput *output)
{
    output->setVolume(outputGain(m_volume));
    output->setMuted(m_muted);
    connect(output, &QAudioOutput::mutedChanged, this, [this](bool muted) {
        m_muted = muted;
        emit muteChanged(muted);
    });
    if (m_output) {
        m_player->setAudioOutput(nullptr);
        delete m_output;
    }
    m_output = output;
    m_player->setAudioOutput(output);
}

// Should the sound output still stop taking sound (the player then "plays" at a standstill),
// the file is opened again on a fresh output once the position has not moved for a while, and
// goes on from where it stood.
void MusicPlayer::checkProgress()
{
    const qint64 position = m_player->position();
    if (position != m_checkedPosition) {
        m_checkedPosition = position;
        m_checksWithoutProgress = 0;
        return;
    }
    if (++m_checksWithoutProgress < kChecksBeforeStuck)
        return;
    m_checksWithoutProgress = 0;
    reopen(position);
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
    // A player that has come to rest after a pass, or after a stop, starts the file again from
    // the beginning on a fresh opening.
    const QMediaPlayer::MediaStatus status = mediaPlayer()->mediaStatus();
    if (m_player->playbackState() == QMediaPlayer::StoppedState
        && (status == QMediaPlayer::EndOfMedia || status == QMediaPlayer::LoadedMedia
            || status == QMediaPlayer::BufferedMedia))
        reopen(0);
    else
        m_player->play();
    refresh();
}

// Opens the file again on a fresh sound output and plays it from `position`. Restarting the
// old stream instead is unreliable with GStreamer: played again from where a pass ended it
// ends again at once, and its PulseAudio output may lose the sound of later passes (the
// server's queue overflows) or stop taking sound altogether.
void MusicPlayer::reopen(qint64 position)
{
    setOutput(new QAudioOutput(this));
    m_player->setSource(QUrl());
    m_player->setSource(m_url);
    if (position > 0)
        m_player->setPosition(position);
    m_player->play();
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
    // Only a playing player watches its progress, so a silent one costs nothing.
    if (state == Playing && !m_progressCheck->isActive()) {
        m_checkedPosition = -1;
        m_checksWithoutProgress = 0;
        m_progressCheck->start();
    } else if (state != Playing && state != Buffering && state != Transitioning) {
        m_progressCheck->stop();
    }
    m_announcing.append(state);
    if (m_announcing.size() > 1)
        return; // announced by the loop below, further up the stack
    while (!m_announcing.isEmpty()) {
        m_playState = m_announcing.first();
        emit StatusChange();
        m_announcing.removeFirst();
    }
}
