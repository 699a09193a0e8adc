// The player's play states and the order they are told in, with an output that plays nothing:
// no sound server, and milliseconds per case.
#include "musicoutput.h"
#include "musicplayer.h"
#include "musicstream.h"
#include "musictestfiles.h"

#include <QMetaEnum>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

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

// A player of its own output.
struct Player
{
    // Writes each state told down by name.
    void listen(QStringList *told)
    {
        QObject::connect(&player, &MusicPlayer::StatusChange, &player, [this, told] {
            *told << QMetaEnum::fromType<MusicPlayer::PlayState>().valueToKey(
                    int(player.playState()));
        });
    }
    SilentOutput *output = new SilentOutput;
    MusicPlayer player {nullptr, output};
};

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
    // "end": the output takes the pass to its end and the player hears of it; "take": the
    // output takes it, and the player hears of it only after the next step.
    void states_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("told");
        QTest::newRow("a pause holds, play goes on") << "pause play"
                                                     << "Paused Playing";
        QTest::newRow("stop rests stopped") << "stop pause"
                                            << "Stopped";
        QTest::newRow("a stopped player plays again") << "stop play"
                                                      << "Stopped Playing";
        QTest::newRow("a paused player stops") << "pause stop"
                                               << "Paused Stopped";
        QTest::newRow("the end of a pass") << "end"
                                           << "MediaEnded Stopped";
        QTest::newRow("after the end, play starts a new pass")
                << "end play end"
                << "MediaEnded Stopped Playing MediaEnded Stopped";
        QTest::newRow("a pass that ends as it is paused ends when played on")
                << "take pause play"
                << "Paused Playing MediaEnded Stopped";
        QTest::newRow("play while playing, seek, and pause twice tell nothing new")
                << "play seek pause pause"
                << "Paused";
    }
    void states()
    {
        QFETCH(QString, steps);
        QFETCH(QString, told);
        Player p;
        QStringList heard;
        p.listen(&heard);
        p.player.setURL(m_music.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(p.player.playState(), MusicPlayer::PlayState::Playing, 5000);
        QCOMPARE(heard.join(u' '), "Transitioning Playing");
        heard.clear();
        for (const QString &step : steps.split(u' ')) {
            if (step == "pause")
                p.player.pause();
            else if (step == "play")
                p.player.play();
            else if (step == "stop")
                p.player.stop();
            else if (step == "seek")
                p.player.setPosition(2000);
            else
                p.output->takeToTheEnd();
            if (step == "seek")
                QCOMPARE(p.player.position(), qint64(2000));
            if (step != "take")
                QCoreApplication::processEvents();
        }
        QCOMPARE(heard.join(u' '), told);
    }

    // A listener that plays the stopped player again from its slot (as the window does): every
    // listener, before it and after it, hears the end, then the stop, then the new pass, in that
    // order, and reads the state it is told of.
    void changesMadeByAListenerComeAfter()
    {
        Player p;
        QStringList first, last;
        p.listen(&first);
        QObject::connect(&p.player, &MusicPlayer::StatusChange, &p.player, [&p] {
            if (p.player.playState() == MusicPlayer::PlayState::Stopped)
                p.player.play();
        });
        p.listen(&last);
        p.player.setURL(m_music.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(p.player.playState(), MusicPlayer::PlayState::Playing, 5000);
        p.output->takeToTheEnd();
        QCoreApplication::processEvents();
        for (const QStringList *told : {&first, &last})
            QCOMPARE(told->join(u' '), "Transitioning Playing MediaEnded Stopped Playing");
        QCOMPARE(p.player.position(), qint64(0));
    }

private:
    QTemporaryDir m_root;
    QString m_music;
};

QTEST_GUILESS_MAIN(MusicRuleTest)

#include "tst_music_rule.moc"
