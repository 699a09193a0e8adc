// The sample background music and the build step that writes it.
#include "outputmanifest.h"
#include "pentatonictune.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

// The power of one frequency in a stretch of sound (Goertzel).
double powerAt(const std::vector<float> &sound, double frequency, int sampleRate)
{
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / sampleRate);
    double s1 = 0, s2 = 0;
    for (const float x : sound) {
        const double s0 = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - coefficient * s1 * s2;
}

} // namespace

class MusicSampleTest : public QObject
{
    Q_OBJECT

private slots:
    void pieceIsPentatonicAndLoopsCleanly()
    {
        const TuneAudio tune = composePentatonicTune();
        QVERIFY2(tune.seconds() >= 30, qPrintable(QString::number(tune.seconds())));

        // Silent at both ends, so the end runs into the beginning without a click; loud enough
        // to hear and never clipped in between.
        float peak = 0;
        for (std::size_t n = 0; n < tune.left.size(); ++n)
            peak = std::max({peak, std::abs(tune.left[n]), std::abs(tune.right[n])});
        QVERIFY(peak > 0.2f && peak < 1.0f);
        for (const std::vector<float> *side : {&tune.left, &tune.right}) {
            QVERIFY(std::abs(side->front()) < 1e-3f);
            QVERIFY(std::abs(side->back()) < 1e-3f);
        }

        // The five notes of the mode (D E F# A B) carry more sound than any of the other seven.
        std::vector<float> mono(tune.left.size());
        for (std::size_t n = 0; n < mono.size(); ++n)
            mono[n] = tune.left[n] + tune.right[n];
        std::array<double, 12> byPitchClass {};
        for (int midi = 50; midi < 86; ++midi)
            byPitchClass[std::size_t(midi % 12)]
                    += powerAt(mono, 440.0 * std::pow(2.0, (midi - 69) / 12.0), tune.sampleRate);
        const std::array<int, 5> mode {2, 4, 6, 9, 11};
        double weakestInMode = 1e300, strongestOutside = 0;
        for (int pitchClass = 0; pitchClass < 12; ++pitchClass) {
            const double power = byPitchClass[std::size_t(pitchClass)];
            if (std::find(mode.begin(), mode.end(), pitchClass) != mode.end())
                weakestInMode = std::min(weakestInMode, power);
            else
                strongestOutside = std::max(strongestOutside, power);
        }
        QVERIFY2(weakestInMode > 2 * strongestOutside,
                 qPrintable(QStringLiteral("%1 vs %2").arg(weakestInMode).arg(strongestOutside)));
    }

    void writesOnlyItsOwnFile_data()
    {
        QTest::addColumn<bool>("ours"); // the tool has run before
        QTest::addColumn<QByteArray>("put"); // then someone put this file in the music's place
        QTest::addColumn<bool>("older"); // the tool's record names an older piece
        QTest::addColumn<bool>("written");
        const QByteArray mine("my own music");
        QTest::newRow("no music yet") << false << QByteArray() << false << true;
        QTest::newRow("someone's own music") << false << mine << false << false;
        QTest::newRow("someone's music over ours") << true << mine << false << false;
        QTest::newRow("ours, up to date") << true << QByteArray() << false << false;
        QTest::newRow("ours, from an older piece") << true << QByteArray() << true << true;
    }

    void writesOnlyItsOwnFile()
    {
        QFETCH(bool, ours);
        QFETCH(QByteArray, put);
        QFETCH(bool, older);
        QFETCH(bool, written);
        QTemporaryDir build;
        QVERIFY(build.isValid());
        const QString music = build.filePath(QStringLiteral("photos/BGM.mp3"));
        const QString manifest = build.filePath(QStringLiteral("bgm-manifest.txt"));
        const auto runTool = [&] {
            QProcess tool;
            tool.start(QStringLiteral(QUILLORA_BGM_TOOL),
                       {QStringLiteral("--seconds"), QStringLiteral("0.3"),
                        QStringLiteral("--manifest"), manifest, music});
            return tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit
                    && tool.exitCode() == 0;
        };
        if (ours)
            QVERIFY(runTool());
        if (QFile file(music); !put.isEmpty())
            QVERIFY(QDir(build.path()).mkpath(QStringLiteral("photos"))
                    && file.open(QIODevice::WriteOnly) && file.write(put) == put.size());
        if (older) {
            OutputManifest record = OutputManifest::load(manifest);
            record.setVersion(kPentatonicTuneVersion - 1);
            QVERIFY(record.save(manifest));
        }
        QByteArray contentsBefore;
        if (QFile file(music); file.open(QIODevice::ReadWrite)) {
            contentsBefore = file.readAll();
            QVERIFY(file.setFileTime(QDateTime(QDate(2001, 1, 1), QTime(0, 0)),
                                     QFileDevice::FileModificationTime));
        }

        QVERIFY(runTool());

        QFile after(music);
        QVERIFY(after.open(QIODevice::ReadOnly));
        const bool rewritten
                = after.fileTime(QFileDevice::FileModificationTime).date().year() > 2001;
        QCOMPARE(rewritten, written);
        if (written) {
            QVERIFY(after.readAll().startsWith(QByteArray::fromHex("fffb"))); // an MPEG audio frame
            QVERIFY(OutputManifest::load(manifest).matches(QStringLiteral("BGM.mp3"), music));
            QCOMPARE(OutputManifest::load(manifest).version(), kPentatonicTuneVersion);
        } else {
            QCOMPARE(after.readAll(), contentsBefore);
        }
    }
};

QTEST_GUILESS_MAIN(MusicSampleTest)

#include "tst_music_sample.moc"
