// The player's play states and the order they are told in, with an output that plays nothing:
// no sound server, and milliseconds per case.
#include "musicoutput.h"
#include "musicplayer.h"
#include "musicstream.h"
#include "musictestfiles.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

using State = MusicPlayer::PlayState;
Q_DECLARE_METATYPE(QList<State>)

namespace {

// An output that hears everything at once: it takes from the stream only when told to.
class SilentOutput : public MusicOutput
{
public:
    void play(MusicStream *stream) override { m_stream = stream; }
    void pause() override { }
    void restart(MusicStream *stream, std::int64_t frame, bool) override { stream->restart(frame); }
    void close() override { m_stream = nullptr; }
    void setGain(float) override { }
    bool isRunning() const override { return m_stream; }
    std::int64_t queuedFrames() const override { return 0; }

    // Takes the rest of the pass, as an output that has played it. The player hears of the
    // end through the event loop.
    void takeToTheEnd()
    {
        std::vector<std::int16_t> buffer(2 * 4096);
        for (bool atEnd = false; m_stream && !atEnd;)
            if (m_stream->take(buffer.data(), 4096, &atEnd) == 0 && !atEnd)
                QTest::qWait(1); // the decoder is behind
    }

private:
    MusicStream *m_stream = nullptr;
};

enum class Step { Pause, Play, Stop, PlayToTheEnd, TakeToTheEnd, Seek };

} // namespace

class MusicRuleTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_music = writeFile(m_root.filePath(QStringLiteral("tone.mp3")), toneMp3(kToneRate * 3));
    }

    // From a file that has started playing by itself, each row's steps, and the states told.
    void states_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QList<State>>("told");
        QTest::newRow("a pause holds, play goes on")
                << QList {Step::Pause, Step::Play} << QList {State::Paused, State::Playing};
        QTest::newRow("stop rests stopped")
                << QList {Step::Stop, Step::Pause} << QList {State::Stopped};
        QTest::newRow("a stopped player plays again")
                << QList {Step::Stop, Step::Play} << QList {State::Stopped, State::Playing};
        QTest::newRow("a paused player stops")
                << QList {Step::Pause, Step::Stop} << QList {State::Paused, State::Stopped};
        QTest::newRow("the end of a pass")
                << QList {Step::PlayToTheEnd} << QList {State::MediaEnded, State::Stopped};
        QTest::newRow("after the end, play starts a new pass")
                << QList {Step::PlayToTheEnd, Step::Play, Step::PlayToTheEnd}
                << QList {State::MediaEnded, State::Stopped, State::Playing, State::MediaEnded,
                          State::Stopped};
        QTest::newRow("a pass that ends as it is paused ends when played on")
                << QList {Step::TakeToTheEnd, Step::Pause, Step::Play}
                << QList {State::Paused, State::Playing, State::MediaEnded, State::Stopped};
        QTest::newRow("play while playing, seek, and pause twice tell nothing new")
                << QList {Step::Play, Step::Seek, Step::Pause, Step::Pause}
                << QList {State::Paused};
    }
    void states()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QList<State>, told);
        auto *output = new SilentOutput;
        MusicPlayer player(nullptr, output);
        QList<State> heard;
        connect(&player, &MusicPlayer::StatusChange, this,
                [&] { heard.append(player.playState()); });
        player.setURL(m_music.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), State::Playing, 5000);
        QCOMPARE(heard, (QList {State::Transitioning, State::Playing}));
        heard.clear();
        for (const Step step : steps) {
            switch (step) {
            case Step::Pause:
                player.pause();
                break;
            case Step::Play:
                player.play();
                break;
            case Step::Stop:
                player.stop();
                break;
            case Step::PlayToTheEnd:
                output->takeToTheEnd();
                break;
            case Step::TakeToTheEnd:
                output->takeToTheEnd();
                continue; // the player hears of it after the next step
            case Step::Seek:
                player.setPosition(2000);
                QCOMPARE(player.position(), qint64(2000));
                break;
            }
            QCoreApplication::processEvents();
        }
        QCOMPARE(heard, told);
    }

    // A listener that plays the stopped player again from its slot (as the window does): every
    // listener hears the end, then the stop, then the new pass, in that order, and reads the
    // state it is told of.
    void changesMadeByAListenerComeAfter()
    {
        auto *output = new SilentOutput;
        MusicPlayer player(nullptr, output);
        QList<State> first, second;
        connect(&player, &MusicPlayer::StatusChange, this, [&] {
            first.append(player.playState());
            if (player.playState() == State::Stopped)
                player.play();
        });
        connect(&player, &MusicPlayer::StatusChange, this,
                [&] { second.append(player.playState()); });
        player.setURL(m_music.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(player.playState(), State::Playing, 5000);
        output->takeToTheEnd();
        QCoreApplication::processEvents();
        const QList told {State::Transitioning, State::Playing, State::MediaEnded, State::Stopped,
                          State::Playing};
        QCOMPARE(first, told);
        QCOMPARE(second, told);
        QCOMPARE(player.position(), qint64(0));
    }

private:
    QTemporaryDir m_root;
    QString m_music;
};

QTEST_GUILESS_MAIN(MusicRuleTest)

#include "tst_music_rule.moc"
