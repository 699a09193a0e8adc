// The benchmark cannot flatter: a program that exits at once, never shows a window or dies
// after its first frame gets "n/a" and missed goals with a failing exit status, a misspelt figure
// name is an error, a figure with a failed run meets no goal, and every break in a looped tone is
// found.

#include "samples.h"
#include "toneseams.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <vector>

namespace {

struct Result
{
    int exitCode = -1;
    QString output;
    QString errors;
};

Result runBench(const QStringList &arguments)
{
    QProcess bench;
    bench.start(QStringLiteral(QUILLORA_BENCH), arguments);
    bench.waitForFinished(100000);
    return {bench.exitStatus() == QProcess::NormalExit ? bench.exitCode() : -1,
            QString::fromUtf8(bench.readAllStandardOutput()),
            QString::fromUtf8(bench.readAllStandardError())};
}

// The table row that starts with the given figure's words.
QString row(const QString &table, const QString &figure)
{
    for (const QString &line : table.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("| ") + figure))
            return line;
    return {};
}

} // namespace

class BenchTest : public QObject
{
    Q_OBJECT

private slots:
    void programsThatShowNothing_data()
    {
        QTest::addColumn<QString>("script"); // empty: /bin/true
        QTest::addColumn<bool>("framesShown");
        QTest::newRow("exits at once") << QString() << false;
        QTest::newRow("never shows a window") << QStringLiteral("exec sleep 60") << false;
        // Shows its first frame and is gone a second later, before the idle figure is taken.
        QTest::newRow("dies after its first frame")
                << QStringLiteral("exec timeout 1 %1/quillora-bench-bare")
                           .arg(QFileInfo(QStringLiteral(QUILLORA_BENCH)).absolutePath())
                << true;
    }
    void programsThatShowNothing()
    {
        QFETCH(QString, script);
        QFETCH(bool, framesShown);
        QString program = QStringLiteral("/bin/true");
        if (!script.isEmpty()) {
            program = m_dir.filePath(
                    QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-'));
            QFile file(program);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("#!/bin/sh\n" + script.toLocal8Bit() + "\n");
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const Result result = runBench(
                QStringLiteral("--only startup,idle --runs 1 --idle-seconds 2 --wait 2 --program")
                        .split(u' ')
                << program);
        QCOMPARE(result.exitCode, 1);
        const QStringList startup
                = row(result.output, QStringLiteral("Start-up: process start to first frame |"))
                          .split(QStringLiteral(" | "));
        QVERIFY2(startup.size() == 6, qPrintable(result.output));
        QCOMPARE(!startup[1].startsWith(QStringLiteral("n/a")), framesShown);
        if (!framesShown)
            QVERIFY2(startup[5] == QStringLiteral("no |"), qPrintable(result.output));
        // The floor itself was measured: the bare window starts.
        QVERIFY2(startup[2].endsWith(QStringLiteral(" bare window"))
                         && !startup[2].startsWith(QStringLiteral("n/a")),
                 qPrintable(result.output));
        const QString idle = row(result.output, QStringLiteral("Idle over"));
        QVERIFY2(idle.contains(QStringLiteral("| n/a")) && idle.endsWith(QStringLiteral("| no |")),
                 qPrintable(result.output));
    }

    void unknownFigure()
    {
        const Result result = runBench({QStringLiteral("--only"), QStringLiteral("statrup")});
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.output.isEmpty());
        QVERIFY2(result.errors.contains(QStringLiteral("statrup"))
                         && result.errors.contains(QStringLiteral("startup, select")),
                 qPrintable(result.errors));
    }

    // One run that gave nothing spoils the figure, however good the others.
    void failedRunSpoilsTheFigure()
    {
        QCOMPARE(Samples().text(QStringLiteral(" ms")), QStringLiteral("n/a"));
        Samples some;
        for (double v : {4.0, 1.0, 3.0, 2.0})
            some.add(v);
        QVERIFY(some.valid());
        QCOMPARE(some.median(), 2.5);
        some.addFailure();
        QVERIFY(!some.valid());
        QVERIFY2(some.text(QStringLiteral(" ms")).contains(QStringLiteral("1 failed")),
                 qPrintable(some.text(QStringLiteral(" ms"))));
    }

    // A tone of 441 Hz, half a second after silence, with a gap of silence or a jump of phase
    // at 1.5 s: each break found, and how long it lasts.
    void toneFaults_data()
    {
        QTest::addColumn<int>("gapSamples");
        QTest::addColumn<double>("phaseJump"); // in periods
        QTest::addColumn<int>("faults");
        QTest::addColumn<double>("longestMs");
        QTest::newRow("seamless") << 0 << 0.0 << 0 << 0.0;
        QTest::newRow("10 ms of silence") << 441 << 0.0 << 1 << 10.0;
        QTest::newRow("2 ms of silence") << 88 << 0.0 << 1 << 2.0;
        QTest::newRow("half a period skipped") << 0 << 0.5 << 1 << 0.1;
        QTest::newRow("a fifth of a period skipped") << 0 << 0.2 << 1 << 0.1;
    }
    void toneFaults()
    {
        QFETCH(int, gapSamples);
        QFETCH(double, phaseJump);
        QFETCH(int, faults);
        QFETCH(double, longestMs);
        const int rate = 44100;
        std::vector<int16_t> recording(rate / 2, 0);
        double phase = 0.3;
        for (int i = 0; i < 3 * rate; ++i) {
            if (i == rate * 3 / 2) {
                recording.insert(recording.end(), gapSamples, 0);
                phase += phaseJump * 2 * M_PI;
            }
            recording.push_back(int16_t(3000 * std::sin(phase + 2 * M_PI * 441 * i / rate)));
        }
        const ToneFaults found = findToneFaults(recording, rate, 441);
        QVERIFY(found.heard);
        QCOMPARE(found.faults, faults);
        QVERIFY2(std::abs(found.longestFaultMs - longestMs) <= 0.5,
                 qPrintable(QString::number(found.longestFaultMs)));
        QVERIFY(std::abs(found.toneSeconds - (3.0 + gapSamples / double(rate))) < 0.1);
        QVERIFY(!findToneFaults(std::vector<int16_t>(2 * rate, 0), rate, 441).heard);
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(BenchTest)
#include "tst_bench.moc"
