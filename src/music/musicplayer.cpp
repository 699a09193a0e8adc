#include "musicplayer.h"

#include "musicstream.h"

#include <QAudio>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>

namespace {

// The output's own buffer; the stream lets it run this far ahead of what has been heard, and is
// let on this often. Left to itself the output takes as much as the sound server will hold
// (two seconds on a silent sink), so the bar would run ahead of the music and a jump would be
// heard that much later.
constexpr int kOutputBufferMs = 1000;
constexpr int kAheadMs = 600;
constexpr int kTopUpMs = 200;
// How often a player whose output could not be opened (no sound server, or it went away) tries
// again, and how often the bar is told where the music is.
constexpr int kOutputRetryMs = 3000;
constexpr int kPositionIntervalMs = 1000;

// The linear output gain for a volume from 0 to 100, on a scale the ear hears as even.
float outputGain(int volume)
{
    const float level = std::clamp(volume, 0, 100) / 100.0f;
    return QAudio::convertVolume(level, QAudio::LogarithmicVolumeScale, QAudio::LinearVolumeScale);
}

} // namespace

MusicPlayer::MusicPlayer(QObject *parent)
    : QObject(parent)
    , m_stream(new MusicStream(this))
{
    connect(m_stream, &MusicStream::loaded, this, &MusicPlayer::fileLoaded);
    connect(m_stream, &MusicStream::endReached, this, &MusicPlayer::passEnded);
    m_positionTimer.setInterval(kPositionIntervalMs);
    connect(&m_positionTimer, &QTimer::timeout, this, [this] { emit positionChanged(position()); });
    m_topUpTimer.setInterval(kTopUpMs);
    connect(&m_topUpTimer, &QTimer::timeout, this, &MusicPlayer::topUp);
    m_outputRetry.setInterval(kOutputRetryMs);
    m_outputRetry.setSingleShot(true);
    connect(&m_outputRetry, &QTimer::timeout, this, [this] {
        if (m_state == Transitioning && m_loaded)
            play();
    });
}

MusicPlayer::~MusicPlayer()
{
    // Qt's sound output handles pending events while it closes; none of them may reach a player
    // that is going away, nor anyone listening to it.
    m_stream->disconnect(this);
    const QSignalBlocker blocker(this);
    if (m_sink) {
        m_sink->disconnect(this);
        delete m_sink; // before the stream it reads from
        m_sink = nullptr;
    }
}

void MusicPlayer::setURL(const std::filesystem::path &url)
{
    m_loaded = false;
    m_outputRetry.stop();
    m_positionTimer.stop();
    m_topUpTimer.stop();
    if (m_sink)
        m_sink->stop();
    emit durationChanged(0);
    emit positionChanged(0);
    if (url.empty()) {
        m_stream->close();
        m_state = Undefined;
    } else {
        m_stream->load(url);
        m_state = Transitioning;
    }
    setPlayState(m_state);
}

void MusicPlayer::fileLoaded(Mp3Decoder::Error error)
{
    if (error != Mp3Decoder::Error::None) {
        m_state = Ready; // a file that cannot be played rests here: nothing restarts it
        setPlayState(m_state);
        return;
    }
    m_loaded = true;
    emit durationChanged(duration());
    play(); // autoStart
}

void MusicPlayer::setOutputHeld(bool held)
{
    m_outputHeld = held;
    if (!held && m_loaded && m_state == Transitioning)
        play();
}

// Opens the sound output for the file's format on the default device and starts it pulling
// from the stream. False when there is no output to be had now.
bool MusicPlayer::startOutput()
{
    if (m_sink)
        return startSink();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    // 16-bit samples as decoded, or else 32-bit float ones: Windows mixes in float and converts
    // other samples first, which Wine's audio cannot always do.
    for (const QAudioFormat::SampleFormat sampleFormat :
         {QAudioFormat::Int16, QAudioFormat::Float}) {
        QAudioFormat format;
        format.setSampleRate(m_stream->sampleRate());
        format.setChannelCount(2);
        format.setSampleFormat(sampleFormat);
        if (!device.isFormatSupported(format))
            continue;
        m_stream->setFloatSamples(sampleFormat == QAudioFormat::Float);
        m_sink = new QAudioSink(device, format, this);
        m_sink->setBufferSize(format.bytesForDuration(kOutputBufferMs * 1000));
        connect(m_sink, &QAudioSink::stateChanged, this, &MusicPlayer::outputStateChanged);
        applyVolume();
        if (startSink())
            return true;
    }
    return false;
}

// Starts the open output pulling from the stream, up to kAheadMs ahead; on failure the output is
// given up.
bool MusicPlayer::startSink()
{
    m_handedOutAtStart = m_stream->framesHandedOut();
    m_stream->setReadLimit(m_handedOutAtStart + qint64(m_stream->sampleRate()) * kAheadMs / 1000);
    {
        const QSignalBlocker blocker(m_sink); // a failure is handled here, not as a change
        m_sink->start(m_stream);
    }
    if (m_sink->error() == QAudio::NoError && m_sink->state() != QAudio::StoppedState)
        return true;
    m_sink->disconnect(this);
    m_sink->deleteLater();
    m_sink = nullptr;
    return false;
}

// Lets the output pull up to kAheadMs past what has been heard.
void MusicPlayer::topUp()
{
    if (!m_sink)
        return;
    const qint64 heard = m_sink->processedUSecs() * m_stream->sampleRate() / 1000000;
    m_stream->setReadLimit(m_handedOutAtStart + heard
                           + qint64(m_stream->sampleRate()) * kAheadMs / 1000);
}

// An output that fails while playing (the sound server went away) is given up; a fresh one is
// tried every few seconds, going on from where the music was.
void MusicPlayer::outputStateChanged()
{
    if (!m_sink || m_sink->state() != QAudio::StoppedState
        || (m_sink->error() != QAudio::FatalError && m_sink->error() != QAudio::OpenError
            && m_sink->error() != QAudio::IOError))
        return;
    m_sink->disconnect(this);
    m_sink->deleteLater();
    m_sink = nullptr;
    if (m_state == Playing) {
        m_positionTimer.stop();
        m_topUpTimer.stop();
        m_state = Transitioning;
        setPlayState(m_state);
        m_outputRetry.start();
    }
}

void MusicPlayer::play()
{
    if (!m_loaded)
        return;
    switch (m_state) {
    case Playing:
        return;
    case Paused:
        if (m_sink)
            m_sink->resume();
        break;
    case Stopped:
    case MediaEnded:
        m_stream->restart(0);
        m_jumpedTo = 0;
        [[fallthrough]];
    case Transitioning:
        if (m_outputHeld)
            return;
        // An output that is still open (after the end of a pass) goes on with the new pass.
        if (!m_sink || m_sink->state() == QAudio::StoppedState) {
            if (!startOutput()) {
                m_state = Transitioning;
                setPlayState(m_state);
                m_outputRetry.start();
                return;
            }
        }
        break;
    default:
        return;
    }
    m_state = Playing;
    m_positionTimer.start();
    m_topUpTimer.start();
    setPlayState(m_state);
    emit positionChanged(position());
}

void MusicPlayer::pause()
{
    if (m_state != Playing)
        return;
    if (m_sink)
        m_sink->suspend();
    m_positionTimer.stop();
    m_topUpTimer.stop();
    m_state = Paused;
    setPlayState(m_state);
}

void MusicPlayer::stop()
{
    if (m_state != Playing && m_state != Paused)
        return;
    if (m_sink)
        m_sink->stop();
    m_positionTimer.stop();
    m_topUpTimer.stop();
    m_stream->restart(0);
    m_jumpedTo = 0;
    m_state = Stopped;
    setPlayState(m_state);
    emit positionChanged(0);
}

void MusicPlayer::passEnded()
{
    if (m_state != Playing)
        return;
    m_positionTimer.stop();
    m_topUpTimer.stop();
    emit positionChanged(duration());
    m_state = Stopped;
    setPlayState(MediaEnded);
    setPlayState(Stopped);
}

void MusicPlayer::setPosition(qint64 milliseconds)
{
    if (!m_loaded || (m_state != Playing && m_state != Paused))
        return;
    const qint64 frame = std::max<qint64>(milliseconds, 0) * m_stream->sampleRate() / 1000;
    m_stream->restart(frame);
    m_jumpedTo = frame;
    emit positionChanged(position());
}

qint64 MusicPlayer::position() const
{
    const int rate = m_stream->sampleRate();
    if (rate <= 0)
        return 0;
    qint64 frame = m_stream->position();
    // What the output and the sound server hold has been handed out but not heard yet.
    if (m_sink && m_sink->state() != QAudio::StoppedState) {
        const qint64 heard = m_sink->processedUSecs() * rate / 1000000;
        frame -= std::max<qint64>(m_stream->framesHandedOut() - m_handedOutAtStart - heard, 0);
    }
    // After a jump the sound from before it is still draining; the music is where it jumped to.
    frame = std::max(frame, m_jumpedTo);
    return std::max<qint64>(frame, 0) * 1000 / rate;
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
    if (m_sink)
        m_sink->setVolume(m_muted ? 0.0 : outputGain(m_volume));
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
