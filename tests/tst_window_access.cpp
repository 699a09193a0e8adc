// What a screen reader learns of the window, read back over the accessibility bus (AT-SPI) by
// atspi_dump.py: the fact boxes named by their captions and read-only, the plant list and the
// photo named and described, the player's controls in Chinese with their states, and the first
// key's choice told as a move of the focus like every later one. Runs on an X display with its
// own session bus.

#include "form1.h"
#include "musicplayer.h"
#include "pathtext.h"

#include <QDir>
#include <QImage>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
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

const QRegularExpression kTime(QStringLiteral("^\\d+:\\d\\d$"));

} // namespace

class TestWindowAccess : public QObject
{
    Q_OBJECT

private slots:
    // The window as the reader meets it: 播放 pressed in, as while the music plays; then the
    // first Down, heard by the screen reader's focus listener, and the whole tree after it.
    void initTestCase()
    {
        QVERIFY(QDir(m_folder.path()).mkpath(QStringLiteral("photos")));
        QImage photo(40, 30, QImage::Format_RGB32);
        photo.fill(Qt::red);
        QVERIFY(photo.save(m_folder.filePath(QStringLiteral("photos/艾.jpg")), "JPG"));
        m_form = std::make_unique<Form1>([this] { return localPath(m_folder.path()); });
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
        // The player opens its file after the first frame; here there is none, and once it has
        // said so nothing undoes the press.
        QTRY_COMPARE(m_form->findChild<MusicPlayer *>()->playState(),
                     MusicPlayer::PlayState::Ready);
        m_form->findChild<QToolButton *>(QStringLiteral("playButton"))->setChecked(true);

        QProcess reader;
        reader.start(QStringLiteral(QUILLORA_PYTHON),
                     {QStringLiteral(QUILLORA_ATSPI_DUMP), QCoreApplication::applicationName()});
        QTRY_VERIFY_WITH_TIMEOUT(reader.canReadLine() || reader.state() == QProcess::NotRunning,
                                 40000);
        QVERIFY2(reader.readLine().trimmed() == "ready", reader.readAllStandardError());
        QTest::qWait(200);
        QTest::keyClick(m_form->findChild<QListWidget *>(QStringLiteral("List1")), Qt::Key_Down);
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
                    << QStringList {"read only", "focusable", "-editable"} << "^$"
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

    // Controls are named in words, never by what they show (a time), and no button is a check
    // box.
    void everyControlNamedInWords()
    {
        for (const Seen &seen : std::as_const(m_seen)) {
            QVERIFY2(seen.role != "check box", qPrintable(seen.name));
            if (seen.role == "push button" || seen.role == "slider" || seen.role == "label")
                QVERIFY2(seen.name.contains(QRegularExpression(QStringLiteral("\\p{Han}")))
                                 && !seen.name.contains(kTime),
                         qPrintable(seen.role + ": " + seen.name));
        }
    }

private:
    QTemporaryDir m_folder;
    std::unique_ptr<Form1> m_form;
    QString m_focus;
    QList<Seen> m_seen;
};

QTEST_MAIN(TestWindowAccess)
#include "tst_window_access.moc"
