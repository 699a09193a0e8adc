// The program as shipped: started where no window can be opened (no display set, or one that no
// X server answers, whichever way X11 was chosen) it says so in one line in Chinese and ends with
// status 1, never Qt's abort; it takes no command line of its own; and the browser it starts
// writes nothing into its output and gets the environment the program was started with.

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    return environment;
}

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void noDisplayToOpen_data()
    {
        // A display number no X server holds: no lock file, no socket.
        QByteArray dead;
        for (int n = 731; dead.isEmpty(); ++n)
            if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))
                && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                dead = ':' + QByteArray::number(n);
        QTest::addColumn<QByteArray>("display"); // empty: not set
        QTest::addColumn<QByteArray>("platform"); // QT_QPA_PLATFORM; empty: not set
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no display") << QByteArray() << QByteArray() << QStringList();
        QTest::newRow("dead display") << dead << QByteArray() << QStringList();
        QTest::newRow("dead display, X11 chosen") << dead << QByteArray("xcb") << QStringList();
        QTest::newRow("dead display, X11 on the command line")
                << dead << QByteArray("offscreen") << QStringList {"-platform", "xcb"};
    }
    void noDisplayToOpen()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, platform);
        QFETCH(QStringList, arguments);
        QProcessEnvironment environment = withoutDisplay();
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        if (!platform.isEmpty())
            environment.insert("QT_QPA_PLATFORM", platform);
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(QUILLORA_PROGRAM), arguments);
        QVERIFY(run.waitForFinished(30000));
        const QString said = QString::fromLocal8Bit(run.readAllStandardError());
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(said.startsWith(QStringLiteral("无法打开窗口：没有可用的图形显示"))
                         && said.count(u'\n') == 1,
                 qPrintable(said));
    }

    // What once asked for a screenshot is refused like any other argument, and writes nothing.
    void noCommandLineOfItsOwn()
    {
        QTemporaryDir dir;
        QProcessEnvironment environment = withoutDisplay();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(QUILLORA_PROGRAM), {"--screenshot", dir.filePath("shot.png")});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 2);
        QVERIFY(QString::fromUtf8(run.readAllStandardError()).contains(QStringLiteral("用法")));
        QVERIFY(!QFile::exists(dir.filePath("shot.png")));
    }

    // The author button clicked in the running program, with the desktop's scale set.
    void browserStartsClean()
    {
        QTemporaryDir dir;
        QFile script(dir.filePath("browser"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\necho browser-output\necho browser-output >&2\n"
                     "echo \"$QT_SCALE_FACTOR\" > \"$0.scale\"\nmv \"$0.scale\" \"$0.done\"\n");
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);

        QProcessEnvironment environment = withoutDisplay();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("QT_SCALE_FACTOR", "1.25");
        environment.insert("BROWSER", script.fileName());
        environment.insert("LD_PRELOAD", QStringLiteral(QUILLORA_DRIVE));
        environment.insert("ASAN_OPTIONS",
                           environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        environment.insert("QUILLORA_DRIVE_CLICK", "Command2");
        QProcess run;
        run.setProcessEnvironment(environment);
        // Files, not pipes: what the browser writes lands there even after the program has ended.
        run.setStandardOutputFile(dir.filePath("out"));
        run.setStandardErrorFile(dir.filePath("err"));
        run.start(QStringLiteral(QUILLORA_PROGRAM), {});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(script.fileName() + ".done"), 10000);

        QFile seen(script.fileName() + ".done");
        QVERIFY(seen.open(QIODevice::ReadOnly));
        QCOMPARE(seen.readAll().trimmed(), QByteArray("1.25"));
        for (const char *output : {"out", "err"}) {
            QFile file(dir.filePath(output));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray said = file.readAll();
            QVERIFY2(!said.contains("browser-output"), said.constData());
        }
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
