// The music heard through the window: the window's player playing into a private PulseAudio
// server's silent sink, and the server coming and going.
#include "bookwindow.h"
#include "musicplayer.h"
#include "musictestfiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSlider>
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
        m_server.start("pulseaudio",
                       {"-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                        "--log-level=error", "-L", "module-null-sink sink_name=quiet", "-L",
                        "module-native-protocol-unix auth-anonymous=1 socket=" + socketPath()});
        // Bound and listening once its socket is there.
        return m_server.waitForStarted(5000)
                && QTest::qWaitFor(
                        [this] {
                            return QFileInfo::exists(socketPath())
                                    || m_server.state() != QProcess::Running;
                        },
                        10000)
                && m_server.state() == QProcess::Running;
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

// The window over a book with `music`, with the player's changes written down from the moment
// it exists.
struct Session
{
    explicit Session(const QByteArray &music)
        : book(music)
    {
        clock.start();
        QObject::connect(player, &MusicPlayer::StatusChange, player, [this] {
            changes.append({clock.elapsed(), player->playState(), player->position()});
        });
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
        const HerbNumber before = book.form.herbNumber();
        QTest::keyClick(book.list, Qt::Key_Down);
        QTest::keyClick(book.list, Qt::Key_Down);
        return book.form.herbNumber() != before;
    }

    BookWindow book;
    MusicPlayer *player = book.form.findChild<MusicPlayer *>(QStringLiteral("WindowsMediaPlayer1"));
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
        Session session(music);
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

    // The player's bar drives the music. A press on the seek groove seeks there, and the music
    // is heard from there on; the focused groove's Left key goes back five seconds. A pause holds
    // the place (the window's rule leaves it paused) and play goes on from there. Stop is
    // followed by a new pass, by the window's rule.
    void playerBar()
    {
        Session session(toneMp3(10 * kToneRate));
        MusicPlayer *player = session.player;
        QTRY_VERIFY_WITH_TIMEOUT(player->playState() == State::Playing && player->duration() > 9000,
                                 8000);
        const auto press = [&session](const char *button) {
            QTest::mouseClick(session.book.form.findChild<QToolButton *>(QLatin1String(button)),
                              Qt::LeftButton);
        };
        const auto at = [player](qint64 from, qint64 to) {
            return player->position() > from && player->position() < to;
        };
        auto *groove = session.book.form.findChild<QSlider *>(QStringLiteral("seekSlider"));
        QSignalSpy moved(player, &MusicPlayer::positionChanged);
        QTest::mouseClick(groove, Qt::LeftButton, {},
                          QPoint(groove->width() * 3 / 4, groove->height() / 2));
        QCOMPARE(moved.size(), 1);
        const qint64 landed = moved.first().first().toLongLong();
        QVERIFY2(landed > 7000 && landed < 8000, qPrintable(QString::number(landed)));
        QCOMPARE(player->playState(), State::Playing);
        QTest::qWait(500);
        QVERIFY2(at(landed, landed + 1000), qPrintable(QString::number(player->position())));
        // The key goes back from where the bar shows the music: at most one tick of the bar's
        // clock behind it.
        groove->setFocus();
        const int shown = groove->value();
        const qint64 heard = player->position();
        QTest::keyClick(groove, Qt::Key_Left);
        const qint64 back = moved.last().first().toLongLong();
        QVERIFY2(back > shown - 5300 && back < heard - 4700,
                 qPrintable(QStringLiteral("%1, %2 -> %3").arg(shown).arg(heard).arg(back)));

        session.changes.clear();
        const qint64 pausedAt = player->position();
        press("pauseButton");
        QTest::qWait(1000);
        QVERIFY2(session.count(State::Paused) == 1 && session.changes.size() == 1,
                 session.describe().constData());
        QVERIFY2(qAbs(player->position() - pausedAt) < 300,
                 qPrintable(QStringLiteral("%1 -> %2").arg(pausedAt).arg(player->position())));
        press("playButton");
        QTest::qWait(500);
        // A silent sink may count what it had taken ahead before the pause as heard: up to the
        // server's buffer of two seconds.
        QVERIFY2(at(pausedAt, pausedAt + 2500), qPrintable(QString::number(player->position())));

        // Stopped well into the file, it plays again from the beginning (where the output may
        // tell it ahead by what it has just taken, up to the server's buffer of two seconds).
        QTRY_VERIFY_WITH_TIMEOUT(player->position() > 4500, 5000);
        session.changes.clear();
        press("stopButton");
        QTest::qWait(1000);
        QCOMPARE(player->playState(), State::Playing);
        QVERIFY2(session.changes.size() == 2 && session.changes[0].state == State::Stopped
                         && session.changes[1].position < 2500,
                 session.describe().constData());
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
        Session session(toneMp3(2 * kToneRate));
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
    QTemporaryDir m_root;
    std::unique_ptr<SoundServer> m_server;
};

QTEST_MAIN(MusicOutputTest)

#include "tst_music_output.moc"
