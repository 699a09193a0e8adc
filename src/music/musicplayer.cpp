#include "musicplayer.h"

#include "musicoutput.h"
#include "musicstream.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// How often a player whose output could not be opened (no sound server, or it went away) tries
// again, and how often the bar is told where the music is.
constexpr int kOutputRetryMs = 3000;
constexpr int kPositionIntervalMs = 1000;

// The linear output gain for a volume from 0 to 100, on a scale the ear hears as even.
float outputGain(int volume)
{
    const double level = std::clamp(volume, 0, 100) / 100.0;
    return level > 0.99 ? 1.0f : float(-std::log(1.0 - level) / std::log(100.0));
}

} // namespace

MusicPlayer::MusicPlayer(QObject *parent, MusicOutput *output)
    : QObject(parent)
    , m_stream(new MusicStream(this))
    , m_output(output ? output : makeMusicOutput(this))
{
    m_output->setParent(this);
    connect(m_stream, &MusicStream::loaded, this, &MusicPlayer::fileLoaded);
    connect(m_stream, &MusicStream::endReached, this, &MusicPlayer::passEnded);
    connect(m_output, &MusicOutput::running, this, &MusicPlayer::outputRunning);
    connect(m_output, &MusicOutput::unavailable, this, &MusicPlayer::outputUnavailable);
    m_positionTimer.setInterval(kPositionIntervalMs);
    connect(&m_positionTimer, &QTimer::timeout, this, [this] { emit positionChanged(position()); });
    m_outputRetry.setInterval(kOutputRetryMs);
    m_outputRetry.setSingleShot(true);
    connect(&m_outputRetry, &QTimer::timeout, this, [this] {
        if (latestState() == PlayState::Transitioning)
            play();
    });
    applyVolume();
}

MusicPlayer::~MusicPlayer()
{
    // Nothing the output or the stream still has to say may reach a player that is going away,
    // nor anyone listening to it; the output goes before the stream it takes from.
    m_stream->disconnect(this);
    const QSignalBlocker blocker(this);
    delete m_output;
}

void MusicPlayer::setURL(const std::filesystem::path &url)
{
    m_loaded = false;
    m_outputRetry.stop();
    m_positionTimer.stop();
    m_output->close();
    m_heldFile.clear();
    emit durationChanged(0);
    emit positionChanged(0);
    if (url.empty()) {
        m_stream->close();
        setPlayState(PlayState::Undefined);
    } else {
        if (m_outputHeld)
            m_heldFile = url;
        else
            m_stream->load(url);
        setPlayState(PlayState::Transitioning);
    }
}

void MusicPlayer::fileLoaded(Mp3Decoder::Error error)
{
    if (error != Mp3Decoder::Error::None) {
        setPlayState(PlayState::Ready); // a file that cannot be played rests here
        return;
    }
    m_loaded = true;
    m_jumpedTo = 0;
    m_joinedPass = false;
    emit durationChanged(duration());
    play(); // autoStart
}

void MusicPlayer::setOutputHeld(bool held)
{
    m_outputHeld = held;
    if (held)
        return;
    if (!m_heldFile.empty())
        m_stream->load(std::exchange(m_heldFile, {}));
    else if (latestState() == PlayState::Transitioning)
        play();
}

void MusicPlayer::play()
{
    if (!m_loaded)
        return;
    switch (latestState()) {
    case PlayState::Stopped:
    case PlayState::MediaEnded:
        // After the end of a pass the new one follows what the output still holds of it; after
        // stop() the stream stands at the beginning already.
        if (m_joinedPass)
            m_output->restart(m_stream, 0, false);
        break;
    case PlayState::Paused:
    case PlayState::Transitioning:
        break;
    default:
        return;
    }
    if (m_outputHeld)
        return;
    m_outputRetry.stop();
    m_output->play(m_stream);
    if (!m_output->isRunning()) {
        setPlayState(PlayState::Transitioning); // until the output runs or says it cannot
        return;
    }
    m_heardFrom = position(); // while paused, where it was paused
    m_heardClock.start();
    setPlayState(PlayState::Playing);
    m_positionTimer.start();
    emit positionChanged(position());
    if (std::exchange(m_passEndedWhilePaused, false))
        passEnded();
}

void MusicPlayer::outputRunning()
{
    if (latestState() == PlayState::Transitioning && m_loaded && !m_outputHeld)
        play();
}

// No sound output to be had (no sound server, or it went away): the music waits where it is,
// and a fresh output is tried every few seconds.
void MusicPlayer::outputUnavailable()
{
    m_positionTimer.stop();
    if (latestState() == PlayState::Playing)
        setPlayState(PlayState::Transitioning);
    if (latestState() == PlayState::Transitioning && m_loaded)
        m_outputRetry.start();
}

void MusicPlayer::pause()
{
    if (latestState() != PlayState::Playing)
        return;
    m_pausedAt = position();
    m_output->pause();
    m_positionTimer.stop();
    setPlayState(PlayState::Paused);
}

void MusicPlayer::stop()
{
    const PlayState state = latestState();
    if (state != PlayState::Playing && state != PlayState::Paused)
        return;
    m_output->pause();
    m_output->restart(m_stream, 0, true);
    m_positionTimer.stop();
    m_jumpedTo = 0;
    m_joinedPass = false;
    m_passEndedWhilePaused = false;
    setPlayState(PlayState::Stopped);
    emit positionChanged(0);
}

void MusicPlayer::passEnded()
{
    if (latestState() == PlayState::Paused) {
        m_passEndedWhilePaused = true; // told when the music goes on
        return;
    }
    if (latestState() != PlayState::Playing)
        return;
    m_positionTimer.stop();
    m_joinedPass = true;
    emit positionChanged(duration());
    setPlayState(PlayState::MediaEnded);
    setPlayState(PlayState::Stopped);
}

void MusicPlayer::setPosition(qint64 milliseconds)
{
    const PlayState state = latestState();
    if (!m_loaded || (state != PlayState::Playing && state != PlayState::Paused))
        return;
    const std::int64_t frame = std::max<qint64>(milliseconds, 0) * m_stream->sampleRate() / 1000;
    m_output->restart(m_stream, frame, true);
    m_jumpedTo = frame;
    m_heardFrom = frame * 1000 / m_stream->sampleRate();
    m_heardClock.start();
    if (state == PlayState::Paused)
        m_pausedAt = m_heardFrom;
    m_joinedPass = false;
    m_passEndedWhilePaused = false;
    emit positionChanged(position());
}

qint64 MusicPlayer::position() const
{
    if (latestState() == PlayState::Paused)
        return m_pausedAt;
    const int rate = m_stream->sampleRate();
    if (rate <= 0)
        return 0;
    // What the output holds has been taken from the stream but not heard yet.
    std::int64_t frame = m_stream->position() - m_output->queuedFrames();
    if (frame < m_jumpedTo) {
        // The end of the last pass, still being heard; or the sound from before a jump, which
        // is not heard: the music is where it jumped to.
        const std::int64_t length = m_stream->frameCount();
        frame = m_joinedPass && length > 0 ? (frame % length + length) % length : m_jumpedTo;
    }
    qint64 milliseconds = frame * 1000 / rate;
    // The output's own count can run ahead of what was heard for a moment after the music
    // starts or jumps (the server's timing is a little older than its write index); the music
    // cannot have gone further than the time since.
    if (latestState() == PlayState::Playing && m_heardClock.isValid())
        milliseconds = std::min(milliseconds, m_heardFrom + m_heardClock.elapsed());
    return milliseconds;
}

qint64 MusicPlayer::duration() const
{
    const int rate = m_stream->sampleRate();
    return rate > 0 ? m_stream->frameCount() * 1000 / rate : 0;
}

void MusicPlayer::setVolume(int volume)
{
    volume = std::clamp(volume, 0, 100);
    if (volume == m_volume)
        return;
    m_volume = volume;
    applyVolume();
    emit volumeChanged(volume);
}

void MusicPlayer::setMuted(bool muted)
{
    if (muted == m_muted)
        return;
    m_muted = muted;
    applyVolume();
    emit mutedChanged(muted);
}

void MusicPlayer::applyVolume()
{
    m_output->setGain(m_muted ? 0.0f : outputGain(m_volume));
}

MusicPlayer::PlayState MusicPlayer::latestState() const
{
    return m_announcing.isEmpty() ? m_state : m_announcing.last();
}

void MusicPlayer::setPlayState(PlayState state)
{
    // Listeners may change the player from their slot (the window restarts it there). The
    // changes that causes are announced after every listener has heard the current one, so
    // each of them sees every state in order and playState() always tells the state announced.
    if (state == latestState())
        return;
    m_announcing.append(state);
    if (m_announcing.size() > 1)
        return; // announced by the loop below, further up the stack
    while (!m_announcing.isEmpty()) {
        m_state = m_announcing.first();
        emit StatusChange();
        m_announcing.removeFirst();
    }
}
