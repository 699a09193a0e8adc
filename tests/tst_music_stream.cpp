// The music with no sound server: the player's play states and the order they are told in, with
// an output that plays nothing; the decoder and the stream below the sound output: what a file
// decodes to, passes joined sample for sample, reads that stall, and closing the window meanwhile.
#include "form1.h"
#include "mp3decoder.h"
#include "musicoutput.h"
#include "musicplayer.h"
#include "musicstream.h"
#include "musictestfiles.h"
#include "pathtext.h"
#include "regularfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMetaEnum>
#include <QProcess>
#include <QReadWriteLock>
#include <QRegularExpression>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdio>

namespace {

std::vector<std::int16_t> decodeAll(const QString &path)
{
    Mp3Decoder decoder;
    std::vector<std::int16_t> samples;
    if (decoder.open(QFileInfo(path).filesystemFilePath()) == Mp3Decoder::Error::None)
        while (decoder.decode(samples, 4096) > 0) { }
    return samples;
}

// A figure of /proc/self/status in kB: VmRSS (resident now), VmHWM (at the peak).
long statusKb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    const QRegularExpression figure(QStringLiteral("%1:\\s*(\\d+)").arg(QLatin1String(field)));
    return figure.match(QString::fromLatin1(status.readAll())).captured(1).toLong();
}

// An ID3v2.3 tag holding one comment frame of `bytes` bytes.
QByteArray id3CommentTag(qint64 bytes)
{
    const qint64 frame = 10 + bytes;
    QByteArray tag("ID3\x03\x00\x00", 6);
    for (int shift = 21; shift >= 0; shift -= 7) // the tag's size, 7 bits a byte
        tag.append(char((frame >> shift) & 0x7f));
    tag.append("COMM");
    for (int shift = 24; shift >= 0; shift -= 8)
        tag.append(char((bytes >> shift) & 0xff));
    tag.append(2, '\0');
    tag.append("\0eng\0", 5);
    return tag;
}

// A file system whose reads stall while the test holds the gate for writing.
QReadWriteLock s_gate;
std::atomic<bool> s_stalled = false;

void passTheGate(const std::filesystem::path &)
{
    s_stalled = true;
    s_gate.lockForRead();
    s_gate.unlock();
    s_stalled = false;
}

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

// The child the closing test starts: the window, whose music file stalls at once and for good,
// closed after a moment.
int closeDuringStall(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const std::filesystem::path folder
            = QFileInfo(QString::fromLocal8Bit(argv[2])).filesystemFilePath();
    RegularFile::setStallForTesting([](const std::filesystem::path &) { QSemaphore().acquire(); });
    Form1 form([folder] { return folder; });
    form.show();
    QTimer::singleShot(300, &form, [&form] {
        std::puts("closing");
        std::fflush(stdout);
        form.close();
    });
    return app.exec();
}

} // namespace

class MusicStreamTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_root.isValid());
        m_tone2s = writeFile(m_root.filePath(QStringLiteral("tone2s.mp3")), toneMp3(2 * kToneRate));
    }

    // From a file that has started playing by itself, each row's steps, and the states told.
    // "end": the output takes the pass to its end and the player hears of it; "take": the
    // output takes it, and the player hears of it only after the next step.
    void states_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("told");
        const auto row = [](const char *tag, const char *steps, const char *told) {
            QTest::newRow(tag) << QString(steps) << QString(told);
        };
        row("a pause holds, play goes on", "pause play", "Paused Playing");
        row("stop rests stopped", "stop pause", "Stopped");
        row("a stopped player plays again", "stop play", "Stopped Playing");
        row("a paused player stops", "pause stop", "Paused Stopped");
        row("the end of a pass", "end", "MediaEnded Stopped");
        row("after the end, play starts a new pass", "end play end",
            "MediaEnded Stopped Playing MediaEnded Stopped");
        row("a pass that ends as it is paused ends when played on", "take pause play",
            "Paused Playing MediaEnded Stopped");
        row("play while playing, seek, and pause twice tell nothing new", "play seek pause pause",
            "Paused");
    }
    void states()
    {
        QFETCH(QString, steps);
        QFETCH(QString, told);
        Player p;
        QStringList heard;
        p.listen(&heard);
        p.player.setURL(m_tone2s.toStdString());
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
                p.player.setPosition(1000);
            else
                p.output->takeToTheEnd();
            if (step == "seek")
                QCOMPARE(p.player.position(), qint64(1000));
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
        p.player.setURL(m_tone2s.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(p.player.playState(), MusicPlayer::PlayState::Playing, 5000);
        p.output->takeToTheEnd();
        QCoreApplication::processEvents();
        for (const QStringList *told : {&first, &last})
            QCOMPARE(told->join(u' '), "Transitioning Playing MediaEnded Stopped Playing");
        QCOMPARE(p.player.position(), qint64(0));
    }

    // A file decodes to exactly the samples that were encoded, down to a single frame's worth:
    // the encoder's delay and padding are left out. Files that are not one plain MP3 play
    // through to their end at the rate they start with (where two parts meet, the first one's
    // padding and the second one's delay and tag are heard: up to four MP3 frames); a huge tag
    // is skipped, not kept.
    void playsThrough_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("frames"); // at 44.1 kHz
        QTest::addColumn<int>("slack");
        QTest::newRow("0.3 s") << toneMp3(kToneRate * 3 / 10) << kToneRate * 3 / 10 << 0;
        QTest::newRow("ten milliseconds") << toneMp3(kToneRate / 100) << kToneRate / 100 << 0;
        const QByteArray second = toneMp3(kToneRate);
        QTest::newRow("two LAME-tagged files joined")
                << second + second << 2 * kToneRate << 4 * 1152;
        QTest::newRow("the rate halves midway")
                << second + toneMp3(kToneRate / 2, kToneRate / 2) << 2 * kToneRate << 4 * 1152;
        QTest::newRow("mono, then stereo")
                << toneMp3(kToneRate, kToneRate, {QStringLiteral("-m"), QStringLiteral("m")})
                        + second
                << 2 * kToneRate << 4 * 1152;
        QTest::newRow("a 200 MB comment in its tag")
                << id3CommentTag(200 << 20) + second << kToneRate << 0;
    }
    void playsThrough()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, frames);
        QFETCH(int, slack);
        const QString path = m_root.filePath(QStringLiteral("through.mp3"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        const bool tagged = file.startsWith("ID3");
        const qint64 filler = tagged ? (200 << 20) : 0; // the comment's text, written in pieces
        out.write(file.left(tagged ? id3CommentTag(0).size() : 0));
        const QByteArray piece(1 << 20, 'a');
        for (qint64 written = 0; written < filler; written += piece.size())
            out.write(piece);
        out.write(file.mid(tagged ? id3CommentTag(0).size() : 0));
        out.close();
        const long before = statusKb("VmRSS");
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        QVERIFY(clear.open(QIODevice::WriteOnly) && clear.write("5") == 1); // resets the peak
        clear.close();
        const qsizetype decoded = qsizetype(decodeAll(path).size() / 2);
        const long peakMb = (statusKb("VmHWM") - before) / 1024;
        QVERIFY2(qAbs(decoded - frames) <= slack, qPrintable(QString::number(decoded)));
        QVERIFY2(peakMb <= 20, qPrintable(QStringLiteral("%1 MB").arg(peakMb)));
        QFile::remove(path);
    }

    // The stream taken as a sound output takes it, only ever going on when the stream wakes
    // it, each new pass asked for when the last one ends: the passes make one unbroken tone,
    // and the stream never leaves its taker waiting a second.
    void passesJoinSampleForSample_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("floatSamples"); // as an output that mixes in float asks for them
        QTest::addColumn<int>("seconds");
        QTest::newRow("16-bit") << m_tone2s << false << 6;
        QTest::newRow("float") << m_tone2s << true << 6;
        QTest::newRow("8 kHz mono, 20 s")
                << writeFile(m_root.filePath(QStringLiteral("8k.mp3")),
                             toneMp3(2 * 8000, 8000,
                                     {QStringLiteral("-m"), QStringLiteral("m"),
                                      QStringLiteral("-b"), QStringLiteral("16")}))
                << false << 20;
    }
    void passesJoinSampleForSample()
    {
        QFETCH(QString, file);
        QFETCH(bool, floatSamples);
        QFETCH(int, seconds);
        MusicStream stream;
        stream.setFloatSamples(floatSamples);
        QSemaphore woken;
        stream.setWakeUp([&woken] { woken.release(); });
        QSignalSpy loaded(&stream, &MusicStream::loaded);
        stream.load(QFileInfo(file).filesystemFilePath());
        QVERIFY(loaded.wait(5000));
        QCOMPARE(loaded.first().first().value<Mp3Decoder::Error>(), Mp3Decoder::Error::None);
        const std::vector<std::int16_t> once = decodeAll(file);
        const qsizetype wanted = qsizetype(seconds) * stream.sampleRate() * 2;
        QSignalSpy ends(&stream, &MusicStream::endReached);
        std::vector<std::int16_t> heard, chunk(2 * 4096);
        std::vector<float> floats(2 * 4096);
        while (qsizetype(heard.size()) < wanted) {
            woken.tryAcquire(woken.available());
            bool atEnd = false;
            const std::int64_t got = floatSamples ? stream.take(floats.data(), 4096, &atEnd)
                                                  : stream.take(chunk.data(), 4096, &atEnd);
            for (std::int64_t i = 0; i < got * 2; ++i) {
                QVERIFY(floats[i] >= -1.0f && floats[i] < 1.0f);
                heard.push_back(floatSamples ? std::int16_t(std::lround(floats[i] * 32768.0f))
                                             : chunk[i]);
            }
            if (atEnd) {
                const qsizetype endsBefore = ends.size();
                QTRY_COMPARE_WITH_TIMEOUT(ends.size(), endsBefore + 1, 1000);
                QCOMPARE(qsizetype(heard.size()) % qsizetype(once.size()), 0);
                stream.restart(0);
            } else if (got < 4096) {
                QVERIFY2(woken.tryAcquire(1, 1000), "the stream left its taker waiting");
            }
        }
        int worst = 0;
        for (size_t i = 0; i < size_t(wanted); ++i)
            worst = std::max(worst, std::abs(heard[i] - once[i % once.size()]));
        QVERIFY2(worst <= 2, qPrintable(QString::number(worst)));
    }

    // A read of the file stalls for three seconds while the music plays, then is answered:
    // the stream wakes its taker at once, and goes on where it was.
    void stalledReadGoesOn()
    {
        const QString file = writeFile(m_root.filePath(QStringLiteral("tone10s.mp3")),
                                       toneMp3(10 * kToneRate));
        const std::vector<std::int16_t> once = decodeAll(file);
        RegularFile::setStallForTesting(passTheGate);
        MusicStream stream;
        QSemaphore woken;
        stream.setWakeUp([&woken] { woken.release(); });
        QSignalSpy loaded(&stream, &MusicStream::loaded);
        stream.load(QFileInfo(file).filesystemFilePath());
        QVERIFY(loaded.wait(5000));
        s_gate.lockForWrite();
        std::vector<std::int16_t> chunk(2 * 4096);
        QElapsedTimer waited;
        waited.start();
        while (!s_stalled && waited.elapsed() < 5000)
            if (stream.take(chunk.data(), 4096) == 0)
                QTest::qWait(5);
        QVERIFY(s_stalled);
        while (stream.take(chunk.data(), 4096) > 0) { } // what was decoded before the stall
        const std::int64_t taken = stream.position();
        woken.tryAcquire(woken.available());
        QTest::qWait(3000);
        s_gate.unlock();
        QVERIFY2(woken.tryAcquire(1, 1000), "not woken within a second of the answer");
        const std::int64_t got = stream.take(chunk.data(), 4096);
        RegularFile::setStallForTesting({});
        QVERIFY(got > 0);
        for (std::int64_t i = 0; i < got * 2; ++i)
            QVERIFY(std::abs(chunk[size_t(i)] - once[size_t(taken * 2 + i)]) <= 2);
    }

    // The window is closed while its music file's reads stall for good: the program ends at
    // once all the same.
    void closingDuringAStallEnds()
    {
        const QString folder = m_root.filePath(QStringLiteral("stalled"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/photos")));
        QVERIFY(QFile::copy(m_tone2s, folder + QStringLiteral("/photos/BGM.mp3")));
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--close-during-stall"), folder});
        QVERIFY(child.waitForStarted());
        while (!child.readAllStandardOutput().contains("closing"))
            QVERIFY(child.waitForReadyRead(10000));
        const bool ended = child.waitForFinished(1000);
        if (!ended)
            child.kill();
        QVERIFY2(ended, "still running a second after the window closed");
        QCOMPARE(child.exitCode(), 0);
    }

private:
    QTemporaryDir m_root;
    QString m_tone2s;
};

int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], "--close-during-stall") == 0)
        return closeDuringStall(argc, argv);
    QApplication app(argc, argv);
    MusicStreamTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_music_stream.moc"
