// The background music: the decoder and the stream below the sound output, and real playback
// through the window into a private sound server's silent sink.
#include "form1.h"
#include "mp3decoder.h"
#include "mp3encoder.h"
#include "musicplayer.h"
#include "musicstream.h"
#include "pathtext.h"
#include "pentatonictune.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <csignal>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr int kRate = 44100;
constexpr int kToneHz = 441; // exactly 100 samples a period, so whole seconds loop in phase
constexpr double kToneLevel = 0.5;

// A steady tone `frames` samples long, encoded with lame (which records its delay and padding).
QByteArray toneMp3(int frames)
{
    TuneAudio audio;
    audio.sampleRate = kRate;
    for (int i = 0; i < frames; ++i) {
        const float v = float(kToneLevel * std::sin(2 * std::numbers::pi * kToneHz * i / kRate));
        audio.left.push_back(v);
        audio.right.push_back(v);
    }
    QString error;
    const QByteArray mp3 = encodeMp3(toWav(audio), &error);
    if (mp3.isEmpty())
        qFatal("cannot encode the test tone: %s", qPrintable(error));
    return mp3;
}

// A PulseAudio server of the test's own with one silent sink, so that playback is real but
// makes no sound and does not depend on the desktop's sound.
class SoundServer
{
public:
    explicit SoundServer(const QString &folder)
        : m_folder(folder)
    {
        qputenv("PULSE_SERVER", ("unix:" + socketPath()).toLocal8Bit());
        qputenv("PULSE_RUNTIME_PATH", QFile::encodeName(m_folder + QStringLiteral("/run")));
        const QString config = m_folder + QStringLiteral("/client.conf");
        QFile file(config);
        if (file.open(QIODevice::WriteOnly))
            file.write("autospawn = no\n");
        qputenv("PULSE_CLIENTCONFIG", QFile::encodeName(config));
    }
    ~SoundServer() { stop(); }

    bool start()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_folder);
        m_server.setProcessEnvironment(environment);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The server goes with the test, also when the test is killed.
        m_server.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("--daemonize=no"),
                        QStringLiteral("--exit-idle-time=-1"), QStringLiteral("--use-pid-file=no"),
                        QStringLiteral("--log-level=error"), QStringLiteral("-L"),
                        QStringLiteral("module-null-sink sink_name=quiet"), QStringLiteral("-L"),
                        QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=")
                                + socketPath()});
        if (!m_server.waitForStarted(5000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 10000 && m_server.state() == QProcess::Running) {
            if (accepts())
                return true;
            QTest::qWait(50);
        }
        return false;
    }
    void stop()
    {
        m_server.kill();
        m_server.waitForFinished(5000);
        QFile::remove(socketPath());
    }

private:
    QString socketPath() const { return m_folder + QStringLiteral("/native"); }
    bool accepts() const
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const QByteArray path = QFile::encodeName(socketPath());
        std::copy_n(path.constData(), std::min<qsizetype>(path.size(), 100), address.sun_path);
        const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
        ::close(fd);
        return ok;
    }

    QString m_folder;
    QProcess m_server;
};

// One StatusChange as the window saw it.
struct Change
{
    qint64 at; // ms since the window was made
    int state;
    qint64 position; // ms into the file
};

// The window, with the player's changes written down from the moment it exists.
struct Session
{
    explicit Session(const QString &folder)
        : form([folder] { return localPath(folder); })
    {
        player = form.findChild<MusicPlayer *>(QStringLiteral("WindowsMediaPlayer1"));
        clock.start();
        QObject::connect(player, &MusicPlayer::StatusChange, player, [this] {
            changes.append({clock.elapsed(), player->playState(), player->position()});
        });
        form.show();
    }

    QByteArray describe() const
    {
        QStringList parts;
        for (const Change &c : changes)
            parts << QStringLiteral("%1:%2@%3").arg(c.at).arg(c.state).arg(c.position);
        return parts.join(QLatin1Char(' ')).toUtf8();
    }
    int count(int state) const
    {
        return int(std::count_if(changes.begin(), changes.end(),
                                 [state](const Change &c) { return c.state == state; }));
    }
    // The window still answers: a key moves the plant list at once.
    bool answersKeys()
    {
        auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
        const HerbNumber before = form.herbNumber();
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        return form.herbNumber() != before;
    }

    Form1 form;
    MusicPlayer *player = nullptr;
    QElapsedTimer clock;
    QList<Change> changes;
};

} // namespace

class MusicLoopTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_server = std::make_unique<SoundServer>(m_root.path());
        QVERIFY2(m_server->start(), "the private sound server did not start");
        m_tone2s = toneMp3(2 * kRate);
    }

    // The decoder leaves out the encoder's delay and padding: a file gives back exactly the
    // samples that were encoded, down to a single frame's worth.
    void decodesExactLength_data()
    {
        QTest::addColumn<int>("frames");
        QTest::newRow("two seconds") << 2 * kRate;
        QTest::newRow("0.3 s") << kRate * 3 / 10;
        QTest::newRow("ten milliseconds") << kRate / 100;
    }
    void decodesExactLength()
    {
        QFETCH(int, frames);
        const QString path = writeFile(QStringLiteral("length.mp3"),
                                       frames == 2 * kRate ? m_tone2s : toneMp3(frames));
        Mp3Decoder decoder;
        QCOMPARE(decoder.open(QFileInfo(path).filesystemFilePath()), Mp3Decoder::Error::None);
        QCOMPARE(decoder.sampleRate(), kRate);
        std::vector<std::int16_t> samples;
        while (decoder.decode(samples, 4096) > 0) { }
        QCOMPARE(qsizetype(samples.size() / 2), qsizetype(frames));
    }

    // Three passes of the stream as the sound output pulls them, each new pass asked for when
    // the last one ends, make one unbroken tone: no sample missing or repeated at a seam.
    void passesJoinSampleForSample_data()
    {
        QTest::addColumn<bool>("floatSamples"); // as an output that mixes in float asks for them
        QTest::newRow("16-bit") << false;
        QTest::newRow("float") << true;
    }
    void passesJoinSampleForSample()
    {
        QFETCH(bool, floatSamples);
        MusicStream stream;
        stream.setFloatSamples(floatSamples);
        stream.setReadLimit(std::numeric_limits<std::int64_t>::max());
        QSignalSpy loaded(&stream, &MusicStream::loaded);
        stream.load(
                QFileInfo(writeFile(QStringLiteral("seam.mp3"), m_tone2s)).filesystemFilePath());
        QVERIFY(loaded.wait(5000));
        QCOMPARE(loaded.first().first().value<Mp3Decoder::Error>(), Mp3Decoder::Error::None);
        int passes = 0;
        connect(&stream, &MusicStream::endReached, &stream, [&] {
            if (++passes < 3)
                stream.restart(0);
        });
        std::vector<std::int16_t> heard;
        QElapsedTimer waited;
        waited.start();
        while (passes < 3 && waited.elapsed() < 20000) {
            QByteArray chunk(882 * stream.bytesPerFrame(), Qt::Uninitialized);
            const qint64 got = stream.read(chunk.data(), chunk.size());
            for (qint64 i = 0; i < got / stream.bytesPerFrame() * 2; ++i) {
                if (floatSamples) {
                    const float sample = reinterpret_cast<const float *>(chunk.constData())[i];
                    QVERIFY(sample >= -1.0f && sample < 1.0f);
                    heard.push_back(std::int16_t(std::lround(sample * 32768.0f)));
                } else {
                    heard.push_back(reinterpret_cast<const std::int16_t *>(chunk.constData())[i]);
                }
            }
            QCoreApplication::processEvents(); // where the end of a pass is told
            if (got == 0)
                QTest::qWait(2);
        }
        QCOMPARE(passes, 3);
        QCOMPARE(qsizetype(heard.size() / 2), qsizetype(3 * 2 * kRate));
        // Each pass is the whole file as the decoder gives it read straight through.
        Mp3Decoder decoder;
        QCOMPARE(decoder.open(QFileInfo(m_root.filePath(QStringLiteral("seam.mp3")))
                                      .filesystemFilePath()),
                 Mp3Decoder::Error::None);
        std::vector<std::int16_t> once;
        while (decoder.decode(once, 4096) > 0) { }
        QCOMPARE(once.size() * 3, heard.size());
        int worst = 0;
        for (size_t i = 0; i < heard.size(); ++i)
            worst = std::max(worst, std::abs(heard[i] - once[i % once.size()]));
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    }

    // The window's rule plays the file again whenever it ends, at the pace of the file itself,
    // for a file of any length.
    void loopsAtThePaceOfTheFile_data()
    {
        QTest::addColumn<int>("lengthMs");
        QTest::newRow("one second") << 1000;
        QTest::newRow("0.3 s") << 300;
        QTest::newRow("one MP3 frame") << 26;
    }
    void loopsAtThePaceOfTheFile()
    {
        QFETCH(int, lengthMs);
        Session session(applicationFolder(QStringLiteral("loop %1 #?").arg(lengthMs),
                                          toneMp3(kRate * lengthMs / 1000)));
        // A sound server fills its own buffer at the start, faster than real time; the pace is
        // taken once the first pass has ended and that buffer is full.
        QTRY_VERIFY_WITH_TIMEOUT(session.count(MusicPlayer::MediaEnded) > 0, 8000);
        QTest::qWait(1000);
        session.changes.clear();
        constexpr int kWatchMs = 3000;
        QTest::qWait(kWatchMs);
        const int passes = session.count(MusicPlayer::MediaEnded);
        // The sound server takes sound in bursts (its silent sink holds about two seconds), so
        // the passes come in bursts too; over the watch they keep to the file's own pace, give
        // or take what the server holds and the 0.6 s the player lets it take ahead of that (a
        // loaded machine may starve the server, so only one pass is asked for). A loop that ran
        // free would make thousands.
        constexpr int kServerHoldsMs = 2000;
        constexpr int kPlayerAheadMs = 600;
        constexpr int kSlackMs = 500;
        QVERIFY2(passes >= 1
                         && passes <= (kWatchMs + kServerHoldsMs + kPlayerAheadMs + kSlackMs)
                                                 / lengthMs
                                         + 2,
                 (QByteArray::number(passes) + " passes: " + session.describe()).constData());
        // Every end is followed by the stop and the new pass.
        for (qsizetype i = 0; i + 2 < session.changes.size(); ++i)
            if (session.changes[i].state == MusicPlayer::MediaEnded) {
                QCOMPARE(session.changes[i + 1].state, int(MusicPlayer::Stopped));
                QCOMPARE(session.changes[i + 2].state, int(MusicPlayer::Playing));
            }
        QVERIFY(session.answersKeys());
    }

    void barButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("rests"); // the state the player is in a second later
        QTest::newRow("stop starts the music again")
                << QStringLiteral("stopButton") << int(MusicPlayer::Playing);
        QTest::newRow("pause stays paused")
                << QStringLiteral("pauseButton") << int(MusicPlayer::Paused);
    }
    void barButtons()
    {
        QFETCH(QString, button);
        QFETCH(int, rests);
        Session session(applicationFolder(QStringLiteral("bar"), m_tone2s));
        MusicPlayer *player = session.player;
        QTRY_VERIFY_WITH_TIMEOUT(
                player->playState() == MusicPlayer::Playing && player->position() > 500, 5000);
        session.changes.clear();
        auto *target = session.form.findChild<QToolButton *>(button);
        QVERIFY(target);
        const qint64 pressedAt = player->position();
        QTest::mouseClick(target, Qt::LeftButton);
        QTest::qWait(1000);
        QCOMPARE(player->playState(), rests);
        if (rests == MusicPlayer::Playing) { // stopped, then a new pass from the beginning
            QVERIFY2(session.changes.size() == 2, session.describe().constData());
            QCOMPARE(session.changes[0].state, int(MusicPlayer::Stopped));
            QVERIFY(player->position() < 1450); // a second into a new pass, not 1.5 s on
        } else {
            QVERIFY2(session.changes.size() == 1, session.describe().constData());
            QVERIFY(qAbs(player->position() - pressedAt) < 300);
        }
    }

    // A press on the seek groove seeks to where it was pressed.
    void seekLandsWhereAsked()
    {
        Session session(applicationFolder(QStringLiteral("seek"), toneMp3(10 * kRate)));
        MusicPlayer *player = session.player;
        QTRY_VERIFY_WITH_TIMEOUT(
                player->playState() == MusicPlayer::Playing && player->duration() > 9000, 5000);
        auto *groove = session.form.findChild<QSlider *>(QStringLiteral("seekSlider"));
        QVERIFY(groove);
        QSignalSpy moved(player, &MusicPlayer::positionChanged);
        QTest::mouseClick(groove, Qt::LeftButton, {},
                          QPoint(groove->width() * 3 / 4, groove->height() / 2));
        QCOMPARE(moved.size(), 1);
        const qint64 landed = moved.first().first().toLongLong();
        QVERIFY2(landed > 7000 && landed < 8000, qPrintable(QString::number(landed)));
        QCOMPARE(player->playState(), int(MusicPlayer::Playing));
        // The keys of the focused bar move five seconds.
        groove->setFocus();
        const int before = groove->value();
        QTest::keyClick(groove, Qt::Key_Left);
        QVERIFY(moved.size() >= 2);
        const qint64 back = moved.last().first().toLongLong();
        QVERIFY2(qAbs(back - (before - 5000)) < 300,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(back)));
    }

    // A music file that cannot be played leaves the player resting, not stopped, so the rule
    // never restarts it, and the window goes on answering.
    void badFileStaysQuiet_data()
    {
        QTest::addColumn<QByteArray>("music");
        QTest::addColumn<QString>("kind");
        QRandomGenerator random(12345);
        QByteArray noise(40000, '\0');
        for (char &byte : noise)
            byte = char(random.generate());
        QByteArray tagOnly("ID3\x04\x00\x00\x00\x00\x00\x10", 10);
        tagOnly.append(16, '\0');
        QTest::newRow("missing") << QByteArray() << QString();
        QTest::newRow("empty") << QByteArray("") << QString();
        QTest::newRow("not music") << noise << QString();
        QTest::newRow("a tag and no frame") << tagOnly << QString();
        QTest::newRow("cut in its header") << m_tone2s.left(100) << QString();
        QTest::newRow("a folder") << QByteArray() << QStringLiteral("folder");
        QTest::newRow("a FIFO") << QByteArray() << QStringLiteral("fifo");
        QTest::newRow("a socket") << QByteArray() << QStringLiteral("socket");
    }
    void badFileStaysQuiet()
    {
        QFETCH(QByteArray, music);
        QFETCH(QString, kind);
        const QString folder
                = applicationFolder(QString::fromLatin1(QTest::currentDataTag()), music);
        const QByteArray file = QFile::encodeName(folder + QStringLiteral("/photos/BGM.mp3"));
        int socketFd = -1;
        if (kind == QLatin1String("folder"))
            QVERIFY(::mkdir(file.constData(), 0755) == 0);
        else if (kind == QLatin1String("fifo"))
            QVERIFY(::mkfifo(file.constData(), 0644) == 0);
        else if (kind == QLatin1String("socket")) {
            socketFd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address = {};
            address.sun_family = AF_UNIX;
            std::copy_n(file.constData(), std::min<qsizetype>(file.size(), 100), address.sun_path);
            QVERIFY(::bind(socketFd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0);
        }
        Session session(folder);
        QTest::qWait(1500);
        if (socketFd >= 0)
            ::close(socketFd);
        QVERIFY2(session.changes.size() <= 3, session.describe().constData());
        QCOMPARE(session.player->playState(), int(MusicPlayer::Ready));
        QVERIFY(session.answersKeys());
    }

    // The sound server goes away while the music plays, and comes back: the player waits
    // without a storm of changes, and the music goes on by itself.
    void soundServerComesBack()
    {
        Session session(applicationFolder(QStringLiteral("server"), m_tone2s));
        QTRY_VERIFY_WITH_TIMEOUT(session.player->playState() == MusicPlayer::Playing, 5000);
        m_server->stop();
        QTRY_VERIFY_WITH_TIMEOUT(session.player->playState() == MusicPlayer::Transitioning, 5000);
        session.changes.clear();
        QTest::qWait(2000);
        QVERIFY2(session.changes.size() <= 3, session.describe().constData());
        QVERIFY(session.answersKeys());
        QVERIFY(m_server->start());
        QTRY_VERIFY_WITH_TIMEOUT(session.player->playState() == MusicPlayer::Playing, 15000);
    }

private:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_root.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // <root>/<name>/photos/BGM.mp3 holding `music` (no file when it is null); the folder.
    QString applicationFolder(const QString &name, const QByteArray &music)
    {
        const QString folder = m_root.filePath(name);
        QDir().mkpath(folder + QStringLiteral("/photos"));
        if (!music.isNull())
            writeFile(name + QStringLiteral("/photos/BGM.mp3"), music);
        return folder;
    }

    QTemporaryDir m_root;
    std::unique_ptr<SoundServer> m_server;
    QByteArray m_tone2s;
};

QTEST_MAIN(MusicLoopTest)

#include "tst_music_loop.moc"
