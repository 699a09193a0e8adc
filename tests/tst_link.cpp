// The author page button: each click starts another browser on the author's page, detached, and
// returns at once; $BROWSER is read as people set it, and a browser that cannot be started leaves a
// short notice and nothing else.

#include "authorpage.h"
#include "form1.h"
#include "linknotice.h"
#include "windowscommandline.h"

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
        const auto script = [this](const char *name, const QByteArray &body) {
            QFile file(m_dir.filePath(QLatin1String(name)));
            return file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n" + body) > 0
                    && file.setPermissions(file.permissions() | QFile::ExeOwner);
        };
        QVERIFY(script("browser",
                       "echo \"$$ $# $*\" >> \"$(dirname \"$0\")/calls\"\nexec sleep 300\n"));
        QVERIFY(script("fail", "exit 3\n"));
    }
    void cleanup()
    {
        for (const QString &call : calls())
            ::kill(call.section(u' ', 0, 0).toInt(), SIGTERM);
        QFile::remove(m_dir.filePath(QStringLiteral("calls")));
        QFile::remove(m_dir.filePath(QStringLiteral("xdg-open")));
        qunsetenv("BROWSER");
        qputenv("PATH", m_path);
    }

    void browserCommandsFromTheVariable_data()
    {
        QTest::addColumn<QString>("browser");
        QTest::addColumn<QList<QStringList>>("commands");
        const QString a = QStringLiteral("http://a.example/");
        QTest::newRow("not set") << QString() << QList<QStringList> {{"xdg-open", a}};
        QTest::newRow("blank") << "  " << QList<QStringList> {{"xdg-open", a}};
        QTest::newRow("one program")
                << " /opt/浏览器/run " << QList<QStringList> {{"/opt/浏览器/run", a}};
        QTest::newRow("with arguments")
                << "firefox --new-window" << QList<QStringList> {{"firefox", "--new-window", a}};
        QTest::newRow("%s placed, %% kept")
                << "run --url=%s 100%%" << QList<QStringList> {{"run", "--url=" + a, "100%"}};
        QTest::newRow("quoted") << "\"/opt/my browser/run\" -x"
                                << QList<QStringList> {{"/opt/my browser/run", "-x", a}};
        QTest::newRow("list") << "/missing/a::b %s"
                              << QList<QStringList> {{"/missing/a", a}, {"b", a}};
    }
    void browserCommandsFromTheVariable()
    {
        QFETCH(QString, browser);
        QFETCH(QList<QStringList>, commands);
        QCOMPARE(browserCommands(browser, QStringLiteral("http://a.example/")), commands);
    }

    // The command line the Windows start hands over, by the rules Windows programs split it by.
    void windowsCommandLines_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("line");
        QTest::newRow("the default browser")
                << QStringList {"C:\\Program Files\\Internet Explorer\\IEXPLORE.exe",
                                "https://a.example/"}
                << "\"C:\\Program Files\\Internet Explorer\\IEXPLORE.exe\" https://a.example/";
        QTest::newRow("slashes, nothing to quote")
                << QStringList {"C:/tools/run.exe", "-x", "C:\\dir\\"}
                << "C:\\tools\\run.exe -x C:\\dir\\";
        QTest::newRow("empty, blank, tab, Chinese")
                << QStringList {"run", "", "a b", "a\tb", "薄荷 图"}
                << "run \"\" \"a b\" \"a\tb\" \"薄荷 图\"";
        QTest::newRow("quotes") << QStringList {"run", "say \"hi\""} << "run \"say \\\"hi\\\"\"";
        QTest::newRow("backslashes before a quote") << QStringList {"run", "a\\\"b", "a\\\\\"b"}
                                                    << "run \"a\\\\\\\"b\" \"a\\\\\\\\\\\"b\"";
        QTest::newRow("backslashes before the closing quote")
                << QStringList {"run", "C:\\my dir\\", "a b\\\\"}
                << "run \"C:\\my dir\\\\\" \"a b\\\\\\\\\"";
    }
    void windowsCommandLines()
    {
        QFETCH(QStringList, command);
        QFETCH(QString, line);
        QCOMPARE(windowsCommandLine(command), line);
    }

    // $BROWSER as people set it, through the button. In the values, %B is the stand-in browser,
    // %F a browser starter that finds no browser (it ends with status 3), %D the test's folder.
    void browserForms_data()
    {
        QTest::addColumn<QByteArray>("browser"); // "-": not set
        QTest::addColumn<QString>("arguments"); // what the browser got; empty: not started
        QTest::addColumn<QString>("named"); // the program the notice names; empty: no notice
        const QString a = authorPageAddress();
        QTest::newRow("with arguments")
                << QByteArray("%B --new-window") << "2 --new-window " + a << QString();
        QTest::newRow("first missing") << QByteArray("/missing/a:%B") << "1 " + a << QString();
        QTest::newRow("first finds no browser") << QByteArray("%F:%B") << "1 " + a << QString();
        QTest::newRow("all missing") << QByteArray("/missing/a:/missing/没有这个浏览器")
                                     << QString() << "没有这个浏览器";
        QTest::newRow("last finds no browser")
                << QByteArray("/missing/a:%F") << QString() << "fail";
        // xdg-open found on the PATH finds no browser.
        QTest::newRow("not set, xdg-open fails") << QByteArray("-") << QString() << "xdg-open";
    }
    void browserForms()
    {
        QFETCH(QByteArray, browser);
        QFETCH(QString, arguments);
        QFETCH(QString, named);
        const QByteArray dir = QFile::encodeName(m_dir.path());
        if (browser == "-") {
            qunsetenv("BROWSER");
            QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("fail")),
                                m_dir.filePath(QStringLiteral("xdg-open"))));
            qputenv("PATH", dir + ':' + m_path);
        } else {
            qputenv("BROWSER",
                    browser.replace("%B", dir + "/browser").replace("%F", dir + "/fail"));
        }
        Form1 form([] { return std::filesystem::path("/nonexistent-quillora"); });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto *button = form.findChild<QPushButton *>(QStringLiteral("Command2"));
        QTest::mouseClick(button, Qt::LeftButton);

        if (!arguments.isEmpty()) { // each click starts another browser, and does not wait for it
            QTest::mouseClick(button, Qt::LeftButton);
            QTRY_COMPARE(calls().size(), 2);
            QSet<int> running;
            for (const QString &call : calls()) {
                QCOMPARE(call.section(u' ', 1), arguments);
                // Running, not a browser ended and not yet reaped (a zombie, "Z" in its stat).
                QFile stat("/proc/" + call.section(u' ', 0, 0) + "/stat");
                if (stat.open(QIODevice::ReadOnly)
                    && stat.readAll().split(')').last().trimmed().at(0) != 'Z')
                    running << call.section(u' ', 0, 0).toInt();
            }
            QCOMPARE(running.size(), 2);
        }
        if (!named.isEmpty()) {
            QTRY_VERIFY(form.findChild<LinkNotice *>());
            const auto *notice = form.findChild<LinkNotice *>();
            QVERIFY(notice->isVisible());
            QVERIFY(notice->geometry().bottom() < button->geometry().top());
            QCOMPARE(notice->text().section(u'\n', 0, 0),
                     QStringLiteral("无法启动浏览器：") + named);
            // The address, for the reader to open by hand: a double click on it, through the
            // window as a display delivers it, selects a word of it.
            const QString address = authorPageAddress();
            QVERIFY(notice->text().endsWith(address));
            const QPoint onAddress(
                    notice->width() - notice->fontMetrics().horizontalAdvance(address.right(8)),
                    notice->height() * 3 / 4);
            QTest::mouseDClick(form.windowHandle(), Qt::LeftButton, {},
                               notice->mapTo(&form, onAddress));
            QVERIFY2(!notice->selectedText().isEmpty() && address.contains(notice->selectedText()),
                     qPrintable(notice->selectedText()));
            QVERIFY(!QApplication::activeModalWidget());
        } else {
            QTest::qWait(300); // a failure the launch sees comes within a poll or two
            QVERIFY(!form.findChild<LinkNotice *>());
        }
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
    const QByteArray m_path = qgetenv("PATH");
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
