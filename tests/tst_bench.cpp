// The benchmark cannot flatter: a program that exits at once or never shows a window gets
// "n/a" and missed goals with a failing exit status, and a misspelt figure name is an error.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class BenchTest : public QObject
{
    Q_OBJECT

private slots:
    void programsThatShowNothing_data();
    void programsThatShowNothing();
    void unknownFigure();

private:
    QTemporaryDir m_dir;
};

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

void BenchTest::programsThatShowNothing_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("exits at once") << QStringLiteral("/bin/true");
    QTest::newRow("never shows a window") << QStringLiteral("sleeper");
}

void BenchTest::programsThatShowNothing()
{
    QFETCH(QString, program);
    if (program == QLatin1String("sleeper")) {
        program = m_dir.filePath(QStringLiteral("sleeper"));
        QFile script(program);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nexec sleep 60\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    const Result result
            = runBench({QStringLiteral("--program"), program, QStringLiteral("--only"),
                        QStringLiteral("startup,idle"), QStringLiteral("--runs"),
                        QStringLiteral("1"), QStringLiteral("--idle-seconds"), QStringLiteral("2"),
                        QStringLiteral("--wait"), QStringLiteral("2")});
    QCOMPARE(result.exitCode, 1);
    for (const QString &figure : {QStringLiteral("Start-up: process start to first frame |"),
                                  QStringLiteral("Idle over")}) {
        const QString line = row(result.output, figure);
        QVERIFY2(line.contains(QStringLiteral("| n/a")), qPrintable(result.output));
        QVERIFY2(line.endsWith(QStringLiteral("| no |")), qPrintable(line));
    }
    // The floor itself was measured: the bare window starts.
    const QStringList cells
            = row(result.output, QStringLiteral("Start-up: process start to first frame |"))
                      .split(QStringLiteral(" | "));
    QVERIFY2(cells.size() == 6 && cells[2].endsWith(QStringLiteral(" bare window"))
                     && !cells[2].startsWith(QStringLiteral("n/a")),
             qPrintable(result.output));
}

void BenchTest::unknownFigure()
{
    const Result result = runBench({QStringLiteral("--only"), QStringLiteral("statrup")});
    QCOMPARE(result.exitCode, 2);
    QVERIFY(result.output.isEmpty());
    QVERIFY2(result.errors.contains(QStringLiteral("statrup"))
                     && result.errors.contains(QStringLiteral("startup, select")),
             qPrintable(result.errors));
}

QTEST_GUILESS_MAIN(BenchTest)
#include "tst_bench.moc"
