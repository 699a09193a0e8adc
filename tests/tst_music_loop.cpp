// The background music as the window plays it: real playback of a short generated MP3.
#include "form1.h"
#include "mediabackend.h"
#include "mediaplayerwidget.h"
#include "mp3encoder.h"
#include "musicplayer.h"
#include "pathtext.h"
#include "pentatonictune.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <algorithm>

namespace {

// The length of the test music.
constexpr qint64 kLengthMs = 1000;

// One StatusChange as the window saw it.
struct Change
{
    qint64 at; // ms since the window was made
    int state;
    qint64 position; // ms into the file
};

// The window with the player's changes written down from the moment it exists.
struct Session
{
    explicit Session(const QString &folder)
        : form([folder] { return localPath(folder); })
    {
        player = form.findChild<MediaPlayerWidget *>(QStringLiteral("WindowsMediaPlayer1"));
        clock.start();
        QObject::connect(player, &MediaPlayerWidget::StatusChange, player, [this] {
            changes.append(
                    {clock.elapsed(), player->playState(), player->player()->currentPosition()});
        });
        form.show();
    }

    // "ms:state@position" for each change, for failure messages.
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

    // The first change to Playing from change number `from` on; null when there is none.
    const Change *playingFrom(qsizetype from) const
    {
        for (qsizetype i = from; i < changes.size(); ++i)
            if (changes[i].state == MusicPlayer::Playing)
                return &changes[i];
        return nullptr;
    }

    Form1 form;
    MediaPlayerWidget *player = nullptr;
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
        QString error;
        m_oneSecond = encodeMp3(toWav(composePentatonicTune(kLengthMs / 1000.0)), &error);
        QVERIFY2(!m_oneSecond.isEmpty(), qPrintable(error));
    }

    void loopsFromTheStart()
    {
        // A folder name that a file URL must escape.
        const QString appFolder
                = applicationFolder(QStringLiteral("药用 植物#1 100%?"), m_oneSecond);
        Session session(appFolder);

        QCOMPARE(session.player->URL().toLocalFile(),
                 appFolder + QStringLiteral("/photos/BGM.mp3"));
        QTRY_VERIFY2_WITH_TIMEOUT(session.count(MusicPlayer::MediaEnded) >= 3
                                          && session.changes.last().state == MusicPlayer::Playing,
                                  session.describe().constData(), 10000);

        // Every end is followed by a stop and a new pass that starts at the beginning, and the
        // passes between the ends last as long as the file.
        qint64 previousEnd = -1;
        for (qsizetype i = 0; i < session.changes.size(); ++i) {
            const Change &change = session.changes[i];
            if (change.state != MusicPlayer::MediaEnded)
                continue;
            const qint64 pass = change.at - qMax<qint64>(previousEnd, 0);
            QVERIFY2(pass >= kLengthMs * 8 / 10
                             && (previousEnd < 0 || pass <= kLengthMs * 3 / 2 + 500),
                     qPrintable(QStringLiteral("a pass lasted %1 ms: ").arg(pass)
                                + session.describe()));
            previousEnd = change.at;
            QVERIFY(i + 2 < session.changes.size());
            QCOMPARE(session.changes[i + 1].state, int(MusicPlayer::Stopped));
            const Change *restart = session.playingFrom(i + 2);
            QVERIFY(restart);
            QVERIFY2(restart->position < 250, qPrintable(QString::number(restart->position)));
        }
    }

    void barButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("restarts");
        QTest::newRow("stop starts the music again") << QStringLiteral("stopButton") << true;
        QTest::newRow("pause stays paused") << QStringLiteral("pauseButton") << false;
    }
    void barButtons()
    {
        QFETCH(QString, button);
        QFETCH(bool, restarts);
        Session session(applicationFolder(QStringLiteral("bar"), m_oneSecond));
        MusicPlayer *player = session.player->player();
        // Midway through a pass, so that what is left of it is plain to see.
        QTRY_VERIFY2_WITH_TIMEOUT(player->playState() == MusicPlayer::Playing
                                          && player->currentPosition() > 300
                                          && player->currentPosition() < 600,
                                  session.describe().constData(), 5000);

        session.changes.clear();
        auto *target = session.player->findChild<QToolButton *>(button);
        QVERIFY(target);
        const qint64 clickedAt = session.clock.elapsed();
        QTest::mouseClick(target, Qt::LeftButton);
        const qint64 pressedAt = player->currentPosition();
        QTest::qWait(1500); // longer than what was left of the file

        QVERIFY2(!session.changes.isEmpty(), session.describe().constData());
        if (restarts) {
            QCOMPARE(session.changes.first().state, int(MusicPlayer::Stopped));
            const Change *restart = session.playingFrom(0);
            QVERIFY(restart);
            QVERIFY2(restart->at - clickedAt < 500, session.describe().constData());
            QVERIFY2(restart->position < 250, qPrintable(QString::number(restart->position)));
            QTRY_COMPARE(player->playState(), int(MusicPlayer::Playing));
        } else {
            QVERIFY2(session.changes.size() == 1, session.describe().constData());
            QCOMPARE(session.changes.first().state, int(MusicPlayer::Paused));
            QCOMPARE(player->playState(), int(MusicPlayer::Paused));
            QVERIFY(qAbs(player->currentPosition() - pressedAt) < 100);
        }
    }

    void badFileStaysQuiet_data()
    {
        QTest::addColumn<QByteArray>("music");
        QRandomGenerator random(12345);
        QByteArray noise(40000, '\0');
        for (char &byte : noise)
            byte = char(random.generate());
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("not music") << noise;
        QTest::newRow("cut after the header") << m_oneSecond.left(420);
    }
    void badFileStaysQuiet()
    {
        QFETCH(QByteArray, music);
        Session session(applicationFolder(QString::fromLatin1(QTest::currentDataTag()), music));
        QTest::qWait(2000);
        QVERIFY2(session.changes.size() <= 5, session.describe().constData());
        QCOMPARE(session.count(MusicPlayer::Playing), 0);
        QCOMPARE(session.count(MusicPlayer::Stopped), 0);
        QVERIFY(session.player->playState() != MusicPlayer::Stopped);
    }

private:
    // <root>/<name>/photos/BGM.mp3 holding `music` (no file when it is null); returns the folder.
    QString applicationFolder(const QString &name, const QByteArray &music)
    {
        const QString folder = m_root.filePath(name);
        QDir().mkpath(folder + QStringLiteral("/photos"));
        if (!music.isNull()) {
            QFile file(folder + QStringLiteral("/photos/BGM.mp3"));
            if (!file.open(QIODevice::WriteOnly) || file.write(music) != music.size())
                qFatal("cannot write the test music");
        }
        return folder;
    }

    QTemporaryDir m_root;
    QByteArray m_oneSecond;
};

int main(int argc, char *argv[])
{
    chooseMediaBackend();
    QApplication app(argc, argv);
    MusicLoopTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_music_loop.moc"
