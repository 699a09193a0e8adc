// Starting the program where no window can be opened: no display set, or one that no X server
// answers. Either way one line in Chinese and exit status 1, never Qt's abort.

#include <QFile>
#include <QProcess>
#include <QTest>

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
        QTest::newRow("no display") << QByteArray() << QByteArray();
        QTest::newRow("dead display") << dead << QByteArray();
        QTest::newRow("dead display, X11 chosen") << dead << QByteArray("xcb");
    }
    void noDisplayToOpen()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, platform);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(name);
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        if (!platform.isEmpty())
            environment.insert("QT_QPA_PLATFORM", platform);
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(QUILLORA_PROGRAM), {});
        QVERIFY(run.waitForFinished(30000));
        const QString said = QString::fromLocal8Bit(run.readAllStandardError());
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 1);
        QVERIFY2(said.startsWith(QStringLiteral("无法打开窗口：没有可用的图形显示"))
                         && said.count(u'\n') == 1,
                 qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
