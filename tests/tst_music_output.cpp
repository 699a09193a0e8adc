// The music heard through the window: the window's player playing into a private PulseAudio
// server's silent sink, and the server coming and going.
#include "form1.h"
#include "musicplayer.h"
#include "musictestfiles.h"
#include "pathtext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <csignal>
#include <sys/prctl.h>

#include <algorithm>

using State = MusicPlayer::PlayState;

namespace {

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
            if (QFileInfo::exists(socketPath())) // bound and listening
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
    QString m_folder;
    QProcess m_server;
};

// One StatusChange as the window saw it.
struct Change
{
    qint64 at; // ms since the window was made
    MusicPlayer::PlayState state;
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
            parts << QStringLiteral("%1:%2@%3").arg(c.at).arg(int(c.state)).arg(c.position);
        return parts.join(QLatin1Char(' ')).toUtf8();
    }
    int count(MusicPlayer::PlayState state) const
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

class MusicOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_server = std::make_unique<SoundServer>(m_root.path());
        m_tone2s = toneMp3(2 * kToneRate);
    }
    void init()
    {
        if (QByteArray(QTest::currentTestFunction()) != "soundServerComesAndGoes")
            QVERIFY2(m_server->start(), "the private sound server did not start");
    }
    void cleanup() { m_server->stop(); }

    // The window's rule plays the file again whenever it ends, at the pace of the file itself,
    // for a file of any length and rate.
    void loopsAtThePaceOfTheFile_data()
    {
        QTest::addColumn<QByteArray>("music");
        QTest::addColumn<int>("lengthMs");
        QTest::newRow("one second") << toneMp3(kToneRate) << 1000;
        QTest::newRow("one MP3 frame") << toneMp3(kToneRate * 26 / 1000) << 26;
        QTest::newRow("8 kHz mono, 2 s") << toneMp3(2 * 8000, 8000,
                                                    {QStringLiteral("-m"), QStringLiteral("m"),
                                                     QStringLiteral("-b"), QStringLiteral("16")})
                                         << 2000;
    }
    void loopsAtThePaceOfTheFile()
    {
        QFETCH(QByteArray, music);
        QFETCH(int, lengthMs);
        Session session(applicationFolder(QStringLiteral("loop %1 #?").arg(lengthMs), music));
        // The sound server takes its buffer's worth at the start, faster than real time; the
        // pace is taken once the first pass has ended and that buffer is full.
        QTRY_VERIFY_WITH_TIMEOUT(session.count(State::MediaEnded) > 0, 8000);
        QTest::qWait(1000);
        session.changes.clear();
        constexpr int kWatchMs = 4000;
        QTest::qWait(kWatchMs);
        const int passes = session.count(State::MediaEnded);
        // The server asks for sound a second at a time into a buffer of two, so the passes come
        // in bursts; over the watch they keep to the file's own pace, give or take those two
        // seconds (a loaded machine may starve the server, so one pass in all is enough). A
        // loop that ran free would make thousands.
        constexpr int kServerHoldsMs = 2000;
        constexpr int kSlackMs = 500;
        QVERIFY2(passes >= 1 && passes <= (kWatchMs + kServerHoldsMs + kSlackMs) / lengthMs + 2,
                 (QByteArray::number(passes) + " passes: " + session.describe()).constData());
        QVERIFY(session.answersKeys());
    }

    void barButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<State>("rests"); // the state the player is in a second later
        QTest::newRow("stop starts the music again")
                << QStringLiteral("stopButton") << State::Playing;
        QTest::newRow("pause stays paused") << QStringLiteral("pauseButton") << State::Paused;
    }
    void barButtons()
    {
        QFETCH(QString, button);
        QFETCH(State, rests);
        Session session(applicationFolder(QStringLiteral("bar"), toneMp3(5 * kToneRate)));
        MusicPlayer *player = session.player;
        QTRY_VERIFY_WITH_TIMEOUT(player->playState() == State::Playing && player->position() > 500,
                                 8000);
        session.changes.clear();
        auto *target = session.form.findChild<QToolButton *>(button);
        QVERIFY(target);
        const qint64 pressedAt = player->position();
        QTest::mouseClick(target, Qt::LeftButton);
        QTest::qWait(1000);
        QCOMPARE(player->playState(), rests);
        if (rests == State::Playing) { // stopped, then a new pass from the beginning
            QVERIFY2(session.changes.size() == 2, session.describe().constData());
            QCOMPARE(session.changes[0].state, State::Stopped);
            QCOMPARE(session.changes[1].position, qint64(0)); // from the beginning
        } else {
            QVERIFY2(session.changes.size() == 1, session.describe().constData());
            QVERIFY(qAbs(player->position() - pressedAt) < 300);
            // Played on, the music goes on from there (a silent sink may count what it had taken
            // ahead before the pause as heard: up to the server's buffer of two seconds).
            QTest::mouseClick(session.form.findChild<QToolButton *>(QStringLiteral("playButton")),
                              Qt::LeftButton);
            QTest::qWait(500);
            QVERIFY2(player->position() > pressedAt && player->position() < pressedAt + 2500,
                     qPrintable(QStringLiteral("paused at %1, now at %2")
                                        .arg(pressedAt)
                                        .arg(player->position())));
        }
    }

    // A press on the seek groove seeks to where it was pressed, and the music is heard from
    // there on.
    void seekLandsWhereAsked()
    {
        Session session(applicationFolder(QStringLiteral("seek"), toneMp3(10 * kToneRate)));
        MusicPlayer *player = session.player;
        QTRY_VERIFY_WITH_TIMEOUT(player->playState() == State::Playing && player->duration() > 9000,
                                 8000);
        auto *groove = session.form.findChild<QSlider *>(QStringLiteral("seekSlider"));
        QVERIFY(groove);
        QSignalSpy moved(player, &MusicPlayer::positionChanged);
        QTest::mouseClick(groove, Qt::LeftButton, {},
                          QPoint(groove->width() * 3 / 4, groove->height() / 2));
        QCOMPARE(moved.size(), 1);
        const qint64 landed = moved.first().first().toLongLong();
        QVERIFY2(landed > 7000 && landed < 8000, qPrintable(QString::number(landed)));
        QCOMPARE(player->playState(), State::Playing);
        QTest::qWait(500);
        QVERIFY2(player->position() > landed && player->position() < landed + 1000,
                 qPrintable(QString::number(player->position())));
        // The keys of the focused bar move five seconds.
        groove->setFocus();
        const int before = groove->value();
        QTest::keyClick(groove, Qt::Key_Left);
        QVERIFY(moved.size() >= 2);
        const qint64 back = moved.last().first().toLongLong();
        QVERIFY2(qAbs(back - (before - 5000)) < 300,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(back)));
    }

    // No sound server when the window opens, or the server gone for a long while: the window
    // answers keys throughout, waits without a storm of changes, and the music is heard
    // within five seconds of a server being there.
    void soundServerComesAndGoes_data()
    {
        QTest::addColumn<bool>("atStart");
        QTest::addColumn<int>("absentMs");
        QTest::newRow("none at start, one 5 s later") << true << 5000;
        QTest::newRow("gone for 20 s") << false << 20000;
    }
    void soundServerComesAndGoes()
    {
        QFETCH(bool, atStart);
        QFETCH(int, absentMs);
        if (!atStart)
            QVERIFY(m_server->start());
        Session session(applicationFolder(QStringLiteral("server"), m_tone2s));
        MusicPlayer *player = session.player;
        if (!atStart) {
            QTRY_VERIFY_WITH_TIMEOUT(player->playState() == State::Playing, 8000);
            m_server->stop();
        }
        QTRY_COMPARE_WITH_TIMEOUT(player->playState(), State::Transitioning, 5000);
        session.changes.clear();
        QElapsedTimer absent;
        absent.start();
        while (absent.elapsed() < absentMs) {
            QVERIFY(session.answersKeys());
            QTest::qWait(500);
        }
        QVERIFY2(session.changes.isEmpty(), session.describe().constData());
        QVERIFY(m_server->start());
        QTRY_VERIFY_WITH_TIMEOUT(player->playState() == State::Playing, 5000);
        const qint64 heard = player->position();
        QTRY_VERIFY_WITH_TIMEOUT(player->position() > heard, 3000); // the server takes it
        QVERIFY(session.answersKeys());
    }

private:
    // <root>/<name>/photos/BGM.mp3 holding `music`; the folder.
    QString applicationFolder(const QString &name, const QByteArray &music)
    {
        const QString folder = m_root.filePath(name);
        writeFile(folder + QStringLiteral("/photos/BGM.mp3"), music);
        return folder;
    }

    QTemporaryDir m_root;
    std::unique_ptr<SoundServer> m_server;
    QByteArray m_tone2s;
};

QTEST_MAIN(MusicOutputTest)

#include "tst_music_output.moc"
