// The author page button: each click starts the browser on the author's page, detached, and
// returns at once; a browser that cannot be started leaves a short notice and nothing else.

#include "authorpage.h"
#include "form1.h"
#include "linknotice.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/types.h>

class TestLink : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QFile script(m_dir.filePath(QStringLiteral("browser")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
                "#!/bin/sh\necho \"$$ $# $*\" >> \"$(dirname \"$0\")/calls\"\nexec sleep 300\n");
        script.close();
        script.setPermissions(script.permissions() | QFile::ExeOwner);
    }
    void cleanup()
    {
        for (const QString &call : calls())
            ::kill(call.section(u' ', 0, 0).toInt(), SIGTERM);
        QFile::remove(m_dir.filePath(QStringLiteral("calls")));
        qunsetenv("BROWSER");
    }

    void browserChoice_data()
    {
        QTest::addColumn<QByteArray>("browser"); // "-": not set
        QTest::addColumn<QString>("program");
        QTest::newRow("not set") << QByteArray("-") << "xdg-open";
        QTest::newRow("blank") << QByteArray("  ") << "xdg-open";
        QTest::newRow("set") << QByteArray(" /opt/浏览器/run ") << "/opt/浏览器/run";
    }
    void browserChoice()
    {
        QFETCH(QByteArray, browser);
        QFETCH(QString, program);
        if (browser != "-")
            qputenv("BROWSER", browser);
        QCOMPARE(browserProgram(), program);
    }

    void eachClickStartsAnotherBrowser()
    {
        const QString address = authorPageAddress();
        QVERIFY(address.startsWith(QLatin1String("http")) && address.endsWith(u'/'));
        qputenv("BROWSER", m_dir.filePath(QStringLiteral("browser")).toLocal8Bit());
        Form1 form([] { return QStringLiteral("/nonexistent-quillora"); });
        auto *button = form.findChild<QPushButton *>(QStringLiteral("Command2"));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);

        QTRY_COMPARE(calls().size(), 2);
        QSet<int> browsers;
        for (const QString &call : calls()) {
            QCOMPARE(call.section(u' ', 1), QStringLiteral("1 ") + address);
            const int pid = call.section(u' ', 0, 0).toInt();
            QCOMPARE(::kill(pid, 0), 0); // still running: the clicks did not wait for it
            browsers << pid;
        }
        QCOMPARE(browsers.size(), 2);
        QVERIFY(!form.findChild<LinkNotice *>());
    }

    void missingBrowserLeavesANotice()
    {
        qputenv("BROWSER", m_dir.filePath(QStringLiteral("没有这个浏览器")).toLocal8Bit());
        Form1 form([] { return QStringLiteral("/nonexistent-quillora"); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *button = form.findChild<QPushButton *>(QStringLiteral("Command2"));
        QTest::mouseClick(button, Qt::LeftButton);

        auto *notice = form.findChild<LinkNotice *>();
        QVERIFY(notice && notice->isVisible());
        QVERIFY(notice->text().contains(QStringLiteral("无法启动浏览器")));
        QVERIFY(notice->geometry().bottom() < button->geometry().top());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(calls().isEmpty());
    }

private:
    // Lines the stand-in browser wrote: "<pid> <argument count> <arguments>".
    QStringList calls() const
    {
        QFile file(m_dir.filePath(QStringLiteral("calls")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
