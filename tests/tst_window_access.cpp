// What a screen reader learns of the window, read back over the accessibility bus (AT-SPI) by
// atspi_dump.py: the fact boxes named by their captions and editable, the plant list and the
// photo named and described, the player's controls in Chinese with their states, and the first
// key's choice told as a move of the focus like every later one. Runs on an X display with its
// own session bus.

#include "bookwindow.h"
#include "musicplayer.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QToolButton>

namespace {

struct Seen
{
    QString role;
    QString name;
    QString description;
    QStringList states;
    QString content; // the text, or the value
};

} // namespace

class TestWindowAccess : public QObject
{
    Q_OBJECT

private slots:
    // The window as the reader meets it: 播放 pressed in, as while the music plays; then the
    // first Down, heard by the screen reader's focus listener, and the whole tree after it.
    void initTestCase()
    {
        QVERIFY(m_book.ready()
                && m_book.writePhoto("艾", encoded(solid({40, 30}, Qt::red), "JPG")));
        // The player opens its file after the first frame; here there is none, and once it has
        // said so nothing undoes the press.
        QTRY_COMPARE(m_book.form.findChild<MusicPlayer *>()->playState(),
                     MusicPlayer::PlayState::Ready);
        m_book.form.findChild<QToolButton *>(QStringLiteral("playButton"))->setChecked(true);

        QProcess reader;
        reader.start(QStringLiteral(QUILLORA_PYTHON),
                     {QStringLiteral(QUILLORA_ATSPI_DUMP), QCoreApplication::applicationName()});
        QTRY_VERIFY_WITH_TIMEOUT(reader.canReadLine() || reader.state() == QProcess::NotRunning,
                                 40000);
        QVERIFY2(reader.readLine().trimmed() == "ready", reader.readAllStandardError());
        QTest::qWait(200);
        QTest::keyClick(m_book.list, Qt::Key_Down);
        QTRY_VERIFY_WITH_TIMEOUT(reader.state() == QProcess::NotRunning, 40000);
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError());

        const QStringList lines = QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n');
        m_focus = lines.first();
        for (const QString &line : lines.mid(1)) {
            const QStringList fields = line.split(u'|');
            if (fields.size() == 6)
                m_seen.append({fields[1], fields[2], fields[3], fields[4].split(u','), fields[5]});
        }
        QVERIFY(m_seen.size() > 20);
    }

    void firstKeyMovesTheFocus() { QCOMPARE(m_focus, QStringLiteral("focus list item|艾")); }

    // The program as shipped, which connects to the session bus before its application object:
    // screen readers find its window, the plant list and the fact boxes on the bus.
    void shippedProgramIsReadable()
    {
        QProcess program;
        program.start(QStringLiteral(QUILLORA_PROGRAM));
        QVERIFY(program.waitForStarted());
        QProcess reader;
        reader.start(QStringLiteral(QUILLORA_PYTHON),
                     {QStringLiteral(QUILLORA_ATSPI_DUMP), QStringLiteral("--tree"),
                      QFileInfo(QStringLiteral(QUILLORA_PROGRAM)).fileName()});
        const bool read = reader.waitForFinished(60000);
        program.kill();
        program.waitForFinished();
        QVERIFY(read);
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError());
        const QString tree = QString::fromUtf8(reader.readAllStandardOutput());
        QVERIFY2(tree.contains(QStringLiteral("|list|植物名录|")), qPrintable(tree));
        QVERIFY2(tree.contains(QStringLiteral("|text|药用价值|")), qPrintable(tree));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("role");
        QTest::addColumn<QString>("name"); // a pattern
        QTest::addColumn<QStringList>("states"); // held; "-" before a state not held
        QTest::addColumn<QString>("description"); // a pattern
        QTest::addColumn<QString>("content"); // a pattern
        const auto row = [](const char *role, const char *name, const QStringList &states,
                            const char *description, const char *content) {
            QTest::newRow(name) << QString::fromUtf8(role) << QString::fromUtf8(name) << states
                                << QString::fromUtf8(description) << QString::fromUtf8(content);
        };
        for (const char *caption :
             {"种名", "别名", "科名", "属名", "习性", "花果期", "拉丁学名", "药用部位", "药用价值"})
            QTest::newRow(caption)
                    << "text" << QStringLiteral("^%1$").arg(QString::fromUtf8(caption))
                    << QStringList {"editable", "focusable", "-read only"} << "^$"
                    << QStringLiteral("^%1： .+").arg(QString::fromUtf8(caption));
        row("frame", "^Quillora 2.0$", {"active"}, "", "");
        row("filler", "^\\p{Han}+$", {}, "", ""); // the player's band
        row("list", "^\\p{Han}+$", {"focusable"}, "^$", "");
        row("list item", "^艾$", {"selected"}, "^$", "");
        row("image", "^\\p{Han}+$", {}, "^艾$", "");
        row("push button", "^播放$", {"focusable", "pressed", "checked"}, "^$", "");
        row("push button", "^暂停$", {"focusable", "-pressed", "-checked"}, "^$", "");
        row("push button", "^停止$", {"focusable"}, "^$", "");
        row("push button", "^静音$", {"focusable"}, "^$", "");
        row("label", "^已播放", {}, "^\\d+:\\d\\d$", "");
        row("label", "^总时长$", {}, "^\\d+:\\d\\d$", "");
        row("slider", "^播放位置$", {"focusable"}, "^\\d+:\\d\\d / \\d+:\\d\\d$", "");
        row("slider", "^音量$", {"focusable"}, "^50%$", "^50(\\.0)?$");
        row("push button", "^作者博客$", {"focusable"}, "", "");
    }
    void controls()
    {
        QFETCH(QString, role);
        QFETCH(QString, name);
        QFETCH(QStringList, states);
        QFETCH(QString, description);
        QFETCH(QString, content);
        QList<Seen> found;
        for (const Seen &seen : std::as_const(m_seen))
            if (seen.role == role && seen.name.contains(QRegularExpression(name)))
                found << seen;
        QCOMPARE(found.size(), 1);
        const Seen &seen = found.first();
        for (const QString &state : std::as_const(states)) {
            const bool held = !state.startsWith(u'-');
            QVERIFY2(seen.states.contains(held ? state : state.mid(1)) == held,
                     qPrintable(seen.states.join(u',')));
        }
        QVERIFY2(seen.description.contains(QRegularExpression(description)),
                 qPrintable(seen.description));
        QVERIFY2(seen.content.contains(QRegularExpression(content)), qPrintable(seen.content));
    }

private:
    BookWindow m_book;
    QString m_focus;
    QList<Seen> m_seen;
};

QTEST_MAIN(TestWindowAccess)
#include "tst_window_access.moc"
