// The installed tree: the application folder with its photos, the link in bin/, the desktop
// entry and icons, and the program started by the desktop entry's command finding its photos;
// copies of the program in folders with awkward names finding theirs and writing no file.

#include "herbcatalogue.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class TestInstallLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void installsOnlyTheProgramAndItsData();
    void linkLeadsToTheApplicationFolder();
    void everyPlantHasItsPhoto();
    void iconsAtEverySize_data();
    void iconsAtEverySize();
    void desktopCommandShowsAPhoto();
    void copiedAnywhereFindsItsPhotosAndWritesNothing_data();
    void copiedAnywhereFindsItsPhotosAndWritesNothing();

private:
    QString path(const QString &relative) const { return m_prefix.filePath(relative); }
    QString desktopKey(const QString &key) const;
    static bool showsAPhoto(const QString &screenshot);
    static QStringList filesBelow(const QString &folder);

    QTemporaryDir m_prefix;
    QString m_desktopFile;
};

void TestInstallLayout::initTestCase()
{
    QVERIFY(m_prefix.isValid());
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(QUILLORA_CMAKE),
                  {"--install", QStringLiteral(QUILLORA_BUILD_DIR), "--prefix", m_prefix.path()});
    QVERIFY(install.waitForFinished(120000));
    QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0,
             install.readAll().constData());

    const QStringList desktopFiles = QDir(path("share/applications")).entryList({"*.desktop"});
    QCOMPARE(desktopFiles.size(), 1);
    m_desktopFile = path("share/applications/" + desktopFiles.first());
}

QString TestInstallLayout::desktopKey(const QString &key) const
{
    QFile entry(m_desktopFile);
    if (!entry.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QByteArray prefix = key.toUtf8() + '=';
    while (!entry.atEnd()) {
        const QByteArray line = entry.readLine().trimmed();
        if (line.startsWith(prefix))
            return QString::fromUtf8(line.mid(prefix.size()));
    }
    return {};
}

void TestInstallLayout::installsOnlyTheProgramAndItsData()
{
    static const QRegularExpression allowed(
            "^(bin/quillora|lib/quillora/quillora|lib/quillora/photos/[^/]+\\.(jpg|mp3)"
            "|share/applications/[^/]+\\.desktop|share/metainfo/[^/]+\\.metainfo\\.xml"
            "|share/icons/hicolor/\\d+x\\d+/apps/[^/]+\\.png)$");
    const QDir prefix(m_prefix.path());
    QDirIterator it(m_prefix.path(), QDir::Files | QDir::System | QDir::Hidden,
                    QDirIterator::Subdirectories);
    int count = 0;
    while (it.hasNext()) {
        const QString relative = prefix.relativeFilePath(it.next());
        QVERIFY2(allowed.match(relative).hasMatch(), qPrintable("unexpected file " + relative));
        ++count;
    }
    QVERIFY(count > HerbCatalogue::count());
}

void TestInstallLayout::linkLeadsToTheApplicationFolder()
{
    const QString link = path("bin/quillora");
    QVERIFY(QFileInfo(link).isSymLink());
    QByteArray target(256, '\0');
    const auto length
            = ::readlink(QFile::encodeName(link).constData(), target.data(), target.size());
    target.truncate(qMax<qsizetype>(length, 0));
    // Relative, so the tree works below DESTDIR and wherever it is moved.
    QCOMPARE(target, QByteArray("../lib/quillora/quillora"));
    QVERIFY(QFileInfo(link).isExecutable());
}

void TestInstallLayout::everyPlantHasItsPhoto()
{
    for (const QString &name : HerbCatalogue::displayNames()) {
        const QFileInfo photo(path("lib/quillora/photos/" + name + ".jpg"));
        QVERIFY2(photo.isFile() && photo.size() > 0, qPrintable(photo.fileName()));
    }
    QVERIFY(QFileInfo(path("lib/quillora/photos/BGM.mp3")).size() > 0);
}

void TestInstallLayout::iconsAtEverySize_data()
{
    QTest::addColumn<int>("size");
    for (int size : {32, 48, 64, 128, 256})
        QTest::addRow("%d", size) << size;
}

void TestInstallLayout::iconsAtEverySize()
{
    QFETCH(int, size);
    const QString name = desktopKey("Icon");
    QVERIFY(!name.isEmpty());
    const QImage icon(path(QString("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(name)));
    QCOMPARE(icon.size(), QSize(size, size));
}

void TestInstallLayout::desktopCommandShowsAPhoto()
{
    // Started from another folder through bin/, as a desktop would start it.
    const QString command = desktopKey("Exec").section(' ', 0, 0);
    QVERIFY(!command.isEmpty());
    QTemporaryDir elsewhere;
    const QString shot = elsewhere.filePath("shot.png");
    QProcess program;
    program.setWorkingDirectory(elsewhere.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(path("bin/" + command), {"--screenshot", shot});
    QVERIFY(program.waitForFinished(60000));
    QVERIFY2(program.exitCode() == 0, program.readAll().constData());

    // The photo box lies at (432, 32), 433 x 353. When the photo is missing it shows only dark
    // green and a line of notice text; a photo covers most of it with other colours.
    QVERIFY2(showsAPhoto(shot), qPrintable(shot));
}

void TestInstallLayout::copiedAnywhereFindsItsPhotosAndWritesNothing_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("blanks") << QStringLiteral("my book");
    QTest::newRow("#") << QStringLiteral("book#2");
    QTest::newRow("%") << QStringLiteral("100%book");
    QTest::newRow("?") << QStringLiteral("book?");
    QTest::newRow("Chinese") << QStringLiteral("药用植物图鉴");
    QTest::newRow("all together") << QStringLiteral("药用 植物#1 100%?");
}

void TestInstallLayout::copiedAnywhereFindsItsPhotosAndWritesNothing()
{
    // The program, the photo --screenshot chooses (薄荷) and the music, copied into a folder
    // whose name a URL or a shell would treat specially; run with a home folder of its own.
    QFETCH(QString, folder);
    QTemporaryDir root;
    const QString app = root.filePath(folder);
    const QString home = root.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(app + "/photos") && QDir().mkpath(home));
    for (const QString &file : {QStringLiteral("quillora"), QStringLiteral("photos/薄荷.jpg"),
                                QStringLiteral("photos/BGM.mp3")})
        QVERIFY(QFile::copy(path("lib/quillora/" + file), app + '/' + file));
    const QStringList before = filesBelow(root.path());

    QTemporaryDir elsewhere;
    const QString shot = elsewhere.filePath("shot.png");
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home);
    for (const auto &[xdg, where] : {std::pair {"XDG_CONFIG_HOME", "/.config"},
                                     {"XDG_CACHE_HOME", "/.cache"},
                                     {"XDG_DATA_HOME", "/.local/share"},
                                     {"XDG_STATE_HOME", "/.local/state"}})
        environment.insert(xdg, home + where);
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(elsewhere.path());
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(app + "/quillora", {"--screenshot", shot});
    QVERIFY(program.waitForFinished(60000));
    QVERIFY2(program.exitCode() == 0, program.readAll().constData());
    QVERIFY2(showsAPhoto(shot), qPrintable(folder));

    // The platform's own: font and media plugin caches, the sound server's client link.
    static const QRegularExpression platformFiles(
            "^home/\\.(cache(/(fontconfig|gstreamer-1\\.0|mesa_shader_cache)(/|$)|$)"
            "|config(/pulse(/|$)|$))");
    QStringList after = filesBelow(root.path());
    after.removeIf([](const QString &file) { return platformFiles.match(file).hasMatch(); });
    QCOMPARE(after, before);
}

bool TestInstallLayout::showsAPhoto(const QString &screenshot)
{
    // The photo box lies at (432, 32), 433 x 353. When the photo is missing it shows only dark
    // green and a line of notice text; a photo covers most of it with other colours.
    const QImage window(screenshot);
    const QRect box(432, 32, 433, 353);
    int darkGreen = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            darkGreen += window.pixelColor(x, y) == QColor(0, 64, 0);
    return !window.isNull() && darkGreen < box.width() * box.height() / 2;
}

QStringList TestInstallLayout::filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

QTEST_GUILESS_MAIN(TestInstallLayout)
#include "tst_install_layout.moc"
