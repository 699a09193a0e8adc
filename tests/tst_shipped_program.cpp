// The program as shipped. The installed tree: the application folder with its photos, the link in
// bin/, the desktop entry and icons, and the program started by the desktop entry's command
// finding its photos; a copy of the program in a folder with an awkward or non-UTF-8 name finding
// its own and writing no file. Started where no window can be opened (no display set, or one that
// no X server answers, whichever way X11 was chosen) it says so in one line in Chinese and ends
// with status 1, never Qt's abort; it takes no command line of its own; and the browser it starts
// writes nothing into its output and gets the environment the program was started with.

#include "herbcatalogue.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

namespace {

// The program worked through the drive library (tools/drivepreload.cpp).
void driven(QProcessEnvironment &environment)
{
    environment.insert("LD_PRELOAD", QStringLiteral(QUILLORA_DRIVE));
    environment.insert("ASAN_OPTIONS",
                       environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
}

QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    return environment;
}

// Runs the program from another folder, as a desktop starts it, chooses 薄荷 and saves the window
// (the drive library, tools/drivepreload.cpp); returns what went wrong, or nothing when the
// window shows a photo. The photo box lies at (432, 32), 433 x 353: a missing photo leaves it
// dark green but for a line of notice text.
QString problemShowingAPhoto(const QString &program, QProcessEnvironment environment)
{
    QTemporaryDir elsewhere;
    const QString shot = elsewhere.filePath("shot.png");
    environment.insert("QUILLORA_DRIVE_CHOOSE", QStringLiteral("薄荷"));
    driven(environment);
    environment.insert("QUILLORA_DRIVE_SHOT", shot);
    QProcess run;
    run.setProcessEnvironment(environment);
    run.setWorkingDirectory(elsewhere.path());
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(program, {});
    if (!run.waitForFinished(60000) || run.exitStatus() != QProcess::NormalExit
        || run.exitCode() != 0)
        return "the program failed: " + QString::fromLocal8Bit(run.readAll());
    const QImage window(shot);
    const QRect box(432, 32, 433, 353);
    int darkGreen = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            darkGreen += window.pixelColor(x, y) == QColor(0, 64, 0);
    if (window.isNull() || darkGreen >= box.width() * box.height() / 2)
        return "no photo in " + program;
    return {};
}

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

class TestShippedProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(
                QStringLiteral(QUILLORA_CMAKE),
                {"--install", QStringLiteral(QUILLORA_BUILD_DIR), "--prefix", m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
                 install.readAll().constData());
        const QStringList desktopFiles = QDir(path("share/applications")).entryList({"*.desktop"});
        QCOMPARE(desktopFiles.size(), 1);
        m_desktopFile = path("share/applications/" + desktopFiles.first());
    }

    // Only the program and its data: the program in its application folder with a photo for
    // every plant and the music, a link to it in bin/, the desktop entry, its metadata and its
    // icon at every size. The link is relative, so the tree works below DESTDIR and wherever it
    // is moved.
    void installsTheProgramAndItsData()
    {
        static const QRegularExpression allowed(
                "^(bin/quillora|lib/quillora/quillora|lib/quillora/photos/[^/]+\\.(jpg|mp3)"
                "|share/applications/[^/]+\\.desktop|share/metainfo/[^/]+\\.metainfo\\.xml"
                "|share/icons/hicolor/\\d+x\\d+/apps/[^/]+\\.png)$");
        for (const QString &relative : filesBelow(m_prefix.path()))
            QVERIFY2(QFileInfo(path(relative)).isDir() || allowed.match(relative).hasMatch(),
                     qPrintable("unexpected file " + relative));
        QCOMPARE(QString::fromStdString(
                         std::filesystem::read_symlink(path("bin/quillora").toStdString())),
                 QStringLiteral("../lib/quillora/quillora"));
        for (const QString &name : HerbCatalogue::displayNames()) {
            const QFileInfo photo(path("lib/quillora/photos/" + name + ".jpg"));
            QVERIFY2(photo.isFile() && photo.size() > 0, qPrintable(photo.fileName()));
        }
        QVERIFY(QFileInfo(path("lib/quillora/photos/BGM.mp3")).size() > 0);
        const QString icon = desktopKey("Icon");
        QVERIFY(!icon.isEmpty());
        for (int size : {32, 48, 64, 128, 256}) {
            const QString file
                    = QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(icon);
            QVERIFY2(QImage(path(file)).size() == QSize(size, size), qPrintable(file));
        }
    }

    // The program as installed, started by the desktop entry's command; and a copy of it, the
    // photo chosen (薄荷) and the music in a folder whose name a URL or a shell would treat
    // specially, or that is not UTF-8 at all (an archive unzipped from another system), run
    // through a link with a plain name. Each run from another folder with a home folder of its
    // own finds its photo and writes no file.
    void findsItsPhotosAndWritesNothing_data()
    {
        QTest::addColumn<QByteArray>("folder"); // the copy's folder name as bytes; none: installed
        QTest::newRow("installed") << QByteArray();
        QTest::newRow("URL and shell characters") << QByteArray("药用 植物#1 100%?");
        QTest::newRow("Latin-1") << QByteArray("caf\xe9");
        QTest::newRow("GBK") << QByteArray("\xd2\xa9\xd3\xc3\xd6\xb2\xce\xef"); // 药用植物
    }
    void findsItsPhotosAndWritesNothing()
    {
        QFETCH(QByteArray, folder);
        namespace fs = std::filesystem;
        QTemporaryDir root;
        const QString home = root.filePath(QStringLiteral("home"));
        QVERIFY(QDir().mkpath(home));
        QString run = path("bin/" + desktopKey("Exec").section(' ', 0, 0));
        // Qt cannot name, so cannot remove, a folder whose name is not UTF-8.
        const fs::path app
                = QFile::encodeName(root.path()).toStdString() + '/' + folder.toStdString();
        const auto removeCopy = qScopeGuard([&] { fs::remove_all(app); });
        if (!folder.isEmpty()) {
            fs::create_directories(app / "photos");
            for (const QString &file :
                 {QStringLiteral("quillora"), QStringLiteral("photos/薄荷.jpg"),
                  QStringLiteral("photos/BGM.mp3")})
                fs::copy_file(QFile::encodeName(path("lib/quillora/" + file)).toStdString(),
                              app / QFile::encodeName(file).toStdString());
            run = root.filePath(QStringLiteral("run"));
            fs::create_symlink(app / "quillora", QFile::encodeName(run).toStdString());
        }
        const QStringList before = filesBelow(root.path());

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home);
        for (const char *xdg :
             {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"})
            environment.remove(xdg); // the defaults below HOME
        const QString problem = problemShowingAPhoto(run, environment);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // The platform's own: font and media plugin caches, the sound server's client link.
        static const QRegularExpression platformFiles(
                "^home/\\.(cache(/(fontconfig|gstreamer-1\\.0|mesa_shader_cache)(/|$)|$)"
                "|config(/pulse(/|$)|$))");
        QStringList after = filesBelow(root.path());
        after.removeIf([](const QString &file) { return platformFiles.match(file).hasMatch(); });
        QCOMPARE(after, before);
    }

    void noDisplayOrCommandLine_data()
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
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said"); // how the one line on stderr begins
        const QString noDisplay = QStringLiteral("无法打开窗口：没有可用的图形显示");
        QTest::newRow("no display")
                << QByteArray() << QByteArray() << QStringList() << 1 << noDisplay;
        QTest::newRow("dead display") << dead << QByteArray() << QStringList() << 1 << noDisplay;
        QTest::newRow("dead display, X11 chosen")
                << dead << QByteArray("xcb") << QStringList() << 1 << noDisplay;
        QTest::newRow("dead display, X11 on the command line")
                << dead << QByteArray("offscreen") << QStringList {"-platform", "xcb"} << 1
                << noDisplay;
        // What once asked for a screenshot is refused like any other argument, and writes nothing.
        QTest::newRow("no command line of its own")
                << QByteArray() << QByteArray("offscreen")
                << QStringList {"--screenshot", QDir::temp().filePath("quillora-shot.png")} << 2
                << QStringLiteral("用法");
    }
    void noDisplayOrCommandLine()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, platform);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        QProcessEnvironment environment = withoutDisplay();
        if (!display.isEmpty())
            environment.insert("DISPLAY", display);
        if (!platform.isEmpty())
            environment.insert("QT_QPA_PLATFORM", platform);
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral(QUILLORA_PROGRAM), arguments);
        QVERIFY(run.waitForFinished(30000));
        const QString error = QString::fromLocal8Bit(run.readAllStandardError());
        QVERIFY2(run.exitStatus() == QProcess::NormalExit, qPrintable(error));
        QCOMPARE(run.exitCode(), status);
        // Once Qt has started, its own warnings may come first.
        QVERIFY2(status == 1 ? error.startsWith(said) && error.count(u'\n') == 1
                             : error.contains(said),
                 qPrintable(error));
        QVERIFY(!QFile::exists(QDir::temp().filePath("quillora-shot.png")));
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
        environment.insert("QUILLORA_DRIVE_CLICK", "Command2");
        driven(environment);
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

private:
    QString path(const QString &relative) const { return m_prefix.filePath(relative); }
    QString desktopKey(const QString &key) const
    {
        return QSettings(m_desktopFile, QSettings::IniFormat)
                .value("Desktop Entry/" + key)
                .toString();
    }

    QTemporaryDir m_prefix;
    QString m_desktopFile;
};

QTEST_GUILESS_MAIN(TestShippedProgram)
#include "tst_shipped_program.moc"
