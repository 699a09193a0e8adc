#include "soundserver.h"

#include "benchprocess.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString kSink = QStringLiteral("bench");

} // namespace

SoundServer::SoundServer()
{
    if (!m_dir.isValid() || !QFileInfo(QStringLiteral("/usr/bin/pulseaudio")).isExecutable())
        return;
    const QString dir = m_dir.path();
    m_pid = spawnChild(
            {QStringLiteral("/usr/bin/pulseaudio"), QStringLiteral("-n"),
             QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
             QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=yes"),
             QStringLiteral("-L"),
             QStringLiteral("module-null-sink sink_name=%1 rate=44100").arg(kSink),
             QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix socket=%1/native auth-anonymous=1")
                     .arg(dir)},
            {QStringLiteral("HOME=") + dir, QStringLiteral("PULSE_RUNTIME_PATH=") + dir,
             QStringLiteral("XDG_RUNTIME_DIR=") + dir},
            -1);
    for (int i = 0; i < 100; ++i) { // up to ten seconds for the server to listen
        if (runChild({QStringLiteral("/usr/bin/pactl"), QStringLiteral("info")}, environment(),
                     5000)
                    .exitCode
            == 0)
            return;
        if (waitpid(m_pid, nullptr, WNOHANG) != 0)
            break;
        QThread::msleep(100);
    }
    stopChild(m_pid);
    m_pid = -1;
}

SoundServer::~SoundServer()
{
    if (m_recorder > 0)
        stopRecording();
    stopChild(m_pid);
}

QStringList SoundServer::environment() const
{
    return {QStringLiteral("PULSE_SERVER=unix:%1/native").arg(m_dir.path())};
}

bool SoundServer::streaming(pid_t pid) const
{
    if (!running())
        return false;
    const ChildRun list = runChild({QStringLiteral("/usr/bin/pactl"), QStringLiteral("list"),
                                    QStringLiteral("sink-inputs")},
                                   environment() + QStringList {QStringLiteral("LC_ALL=C")}, 5000);
    // One block per stream: "Corked: no" comes before the stream's properties.
    const QString wanted = QStringLiteral("application.process.id = \"%1\"").arg(pid);
    for (const QString &block :
         QString::fromUtf8(list.output).split(QStringLiteral("Sink Input #")))
        if (block.contains(wanted) && block.contains(QStringLiteral("Corked: no")))
            return true;
    return false;
}

bool SoundServer::waitForStream(pid_t pid, int timeoutMs) const
{
    for (int waited = 0;; waited += 250) {
        if (streaming(pid))
            return true;
        if (waited >= timeoutMs)
            return false;
        QThread::msleep(250);
    }
}

bool SoundServer::startRecording()
{
    if (!running() || m_recorder > 0)
        return false;
    const QString path = m_dir.filePath(QStringLiteral("monitor.raw"));
    const int fd = open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        return false;
    m_recorder = spawnChild({QStringLiteral("/usr/bin/parec"), QStringLiteral("--latency-msec=20"),
                             QStringLiteral("-d"), kSink + QStringLiteral(".monitor"),
                             QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                             QStringLiteral("--channels=1")},
                            environment(), fd);
    close(fd);
    return m_recorder > 0;
}

std::vector<int16_t> SoundServer::stopRecording()
{
    if (m_recorder <= 0)
        return {};
    kill(m_recorder, SIGINT);
    bool ended = false;
    for (int i = 0; i < 50 && !ended; ++i) {
        ended = waitpid(m_recorder, nullptr, WNOHANG) != 0;
        if (!ended)
            QThread::msleep(100);
    }
    if (!ended)
        stopChild(m_recorder);
    m_recorder = -1;
    QFile raw(m_dir.filePath(QStringLiteral("monitor.raw")));
    if (!raw.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = raw.readAll();
    std::vector<int16_t> samples(size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}
