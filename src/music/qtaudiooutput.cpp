#include "qtaudiooutput.h"

#include "musicstream.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

namespace {

constexpr int kOutputBufferMs = 1000;

} // namespace

// The stream as the device QAudioSink pulls from.
class MusicStreamDevice : public QIODevice
{
public:
    MusicStreamDevice(MusicStream *stream, QObject *parent)
        : QIODevice(parent)
        , m_stream(stream)
    {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

    MusicStream *stream() const { return m_stream; }
    // Frames handed to the sink since it last started.
    std::int64_t taken() const { return m_taken; }
    void startCounting() { m_taken = 0; }
    // The stream goes on (a new pass, a jump): there is sound to take again. The sink asks
    // what is available before it reads, and would never read again after the end.
    void goOn()
    {
        m_atEnd = false;
        emit readyRead();
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_atEnd ? 0 : QIODevice::bytesAvailable() + 4096 * m_stream->bytesPerFrame();
    }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const int bytesPerFrame = m_stream->bytesPerFrame();
        const std::int64_t frames = m_stream->take(data, maxSize / bytesPerFrame, &m_atEnd);
        m_taken += frames;
        return frames * bytesPerFrame;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    MusicStream *m_stream;
    std::int64_t m_taken = 0;
    bool m_atEnd = false;
};

MusicOutput *makeMusicOutput(QObject *parent)
{
    return new QtAudioOutput(parent);
}

QtAudioOutput::QtAudioOutput(QObject *parent)
    : MusicOutput(parent)
{ }

QtAudioOutput::~QtAudioOutput()
{
    close();
}

void QtAudioOutput::play(MusicStream *stream)
{
    if (m_device && m_device->stream() != stream)
        close();
    if (!m_sink) {
        if (!open(stream))
            QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
        return;
    }
    if (m_sink->state() == QAudio::SuspendedState)
        m_sink->resume();
    else if (m_sink->state() == QAudio::StoppedState && !startSink())
        QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
    m_device->goOn();
}

// Opens the sound output for the stream's rate on the default device and starts it pulling.
// False when there is no output to be had now.
bool QtAudioOutput::open(MusicStream *stream)
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return false;
    for (const QAudioFormat::SampleFormat sampleFormat :
         {QAudioFormat::Int16, QAudioFormat::Float}) {
        QAudioFormat format;
        format.setSampleRate(stream->sampleRate());
        format.setChannelCount(2);
        format.setSampleFormat(sampleFormat);
        if (!device.isFormatSupported(format))
            continue;
        stream->setFloatSamples(sampleFormat == QAudioFormat::Float);
        m_device = new MusicStreamDevice(stream, this);
        m_sink = new QAudioSink(device, format, this);
        m_sink->setBufferSize(format.bytesForDuration(kOutputBufferMs * 1000));
        m_sink->setVolume(m_gain);
        connect(m_sink, &QAudioSink::stateChanged, this, &QtAudioOutput::sinkStateChanged);
        // The decoder tells when it has sound again after the sink got too little.
        stream->setWakeUp([device = m_device] {
            QMetaObject::invokeMethod(device, &QIODevice::readyRead, Qt::QueuedConnection);
        });
        if (startSink())
            return true;
        close();
    }
    return false;
}

bool QtAudioOutput::startSink()
{
    m_device->startCounting();
    {
        const QSignalBlocker blocker(m_sink); // a failure is handled here, not as a change
        m_sink->start(m_device);
    }
    return m_sink->error() == QAudio::NoError && m_sink->state() != QAudio::StoppedState;
}

// A sink that fails while playing (the sound server went away) is given up.
void QtAudioOutput::sinkStateChanged()
{
    if (!m_sink || m_sink->state() != QAudio::StoppedState
        || (m_sink->error() != QAudio::FatalError && m_sink->error() != QAudio::OpenError
            && m_sink->error() != QAudio::IOError))
        return;
    close();
    emit unavailable();
}

void QtAudioOutput::pause()
{
    if (m_sink)
        m_sink->suspend();
}

void QtAudioOutput::restart(MusicStream *stream, std::int64_t frame, bool dropQueued)
{
    stream->restart(frame);
    if (!m_sink)
        return;
    if (dropQueued) {
        const bool suspended = m_sink->state() == QAudio::SuspendedState;
        m_sink->stop();
        if (!startSink()) {
            close();
            QMetaObject::invokeMethod(this, &MusicOutput::unavailable, Qt::QueuedConnection);
            return;
        }
        if (suspended)
            m_sink->suspend();
    }
    m_device->goOn();
}

void QtAudioOutput::close()
{
    if (!m_sink)
        return;
    m_device->stream()->setWakeUp({});
    m_sink->disconnect(this);
    delete m_sink; // before the device it reads from
    m_sink = nullptr;
    delete m_device;
    m_device = nullptr;
}

void QtAudioOutput::setGain(float gain)
{
    m_gain = gain;
    if (m_sink)
        m_sink->setVolume(gain);
}

bool QtAudioOutput::isRunning() const
{
    return m_sink && m_sink->state() != QAudio::StoppedState;
}

std::int64_t QtAudioOutput::queuedFrames() const
{
    if (!isRunning())
        return 0;
    const int rate = m_sink->format().sampleRate();
    return std::max<std::int64_t>(m_device->taken() - m_sink->processedUSecs() * rate / 1000000, 0);
}
