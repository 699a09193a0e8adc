// Prints one table of the book's speed and memory figures, each beside its floor measured in
// the same run and its goal. Runs everything under its own Xvfb display.
//
//   quillora-bench [--runs N] [--idle-seconds S] [--only startup|select|idle|memory|hold|soak]
//
// The figures inside the window are taken by child processes of this program
// ("quillora-bench --child ..."), see benchprobes.h.

#include "benchprobes.h"
#include "benchprocess.h"
#include "herbcatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace {

using Fields = std::map<QString, double>;

// "name=value name=value" from the last line of a child's output.
Fields parseFields(const QByteArray &output)
{
    Fields fields;
    const QList<QByteArray> lines = output.trimmed().split('\n');
    for (const QByteArray &pair : lines.last().split(' ')) {
        const int eq = pair.indexOf('=');
        if (eq > 0)
            fields[QString::fromUtf8(pair.left(eq))] = pair.mid(eq + 1).toDouble();
    }
    return fields;
}

// A named figure of a child's line; NaN (printed "nan") when the child did not report it.
double field(const Fields &fields, const char *name)
{
    const auto found = fields.find(QLatin1String(name));
    return found == fields.end() ? std::nan("") : found->second;
}

// A camera-size photo: smooth light and shade with fine grain, as a 12-megapixel JPEG at the
// quality phones use. Returns its size in bytes.
qint64 writeCameraPhoto(const QString &path)
{
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator grain(20240601);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(grain.bounded(13)) - 6;
            const double leaf = std::sin(x / 97.0 + std::sin(y / 143.0) * 3) * 0.5 + 0.5;
            const int g = std::clamp(int(70 + 120 * leaf) + noise, 0, 255);
            const int r = std::clamp(int(40 + 60 * (y / 3000.0) + 40 * leaf) + noise, 0, 255);
            const int b = std::clamp(int(30 + 50 * (1 - leaf)) + noise, 0, 255);
            line[x] = qRgb(r, g, b);
        }
    }
    image.save(path, "JPEG", 90);
    return QFileInfo(path).size();
}

// An application folder whose photos/ holds the given photo under every plant's name, and the
// build's music.
QString makePhotoFolder(const QString &root, const QString &photo, const QString &music)
{
    QDir(root).mkpath(QStringLiteral("photos"));
    for (const QString &name : HerbCatalogue::displayNames())
        QFile::link(photo, root + QStringLiteral("/photos/") + name + QStringLiteral(".jpg"));
    QFile::link(music, root + QStringLiteral("/photos/BGM.mp3"));
    return root;
}

QString number(double value, int decimals = 1)
{
    return QString::number(value, 'f', decimals);
}

struct Row
{
    QString figure;
    QString measured;
    QString floor;
    QString versusFloor;
    QString goal;
    QString met; // "yes", "no" or "" when the figure has no goal
};

void printTable(const std::vector<Row> &rows)
{
    std::printf("| Figure | Measured | Floor (same run) | Versus floor | Goal | Met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row &r : rows)
        std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(r.figure),
                    qPrintable(r.measured), qPrintable(r.floor), qPrintable(r.versusFloor),
                    qPrintable(r.goal), qPrintable(r.met));
}

QString yesNo(bool met)
{
    return met ? QStringLiteral("yes") : QStringLiteral("no");
}

int runChildMode(int argc, char *argv[])
{
    // quillora-bench --child MODE FOLDER [N]
    const QString mode = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    const int n = argc > 4 ? std::atoi(argv[4]) : 0;
    int qtArgc = 1;
    if (mode == QLatin1String("phases"))
        return probeStartPhases(qtArgc, argv, folder);
    if (mode == QLatin1String("select"))
        return probeSelection(qtArgc, argv, folder, n);
    if (mode == QLatin1String("memory"))
        return probeAllPlantsMemory(qtArgc, argv, folder);
    if (mode == QLatin1String("hold"))
        return probeHeldKey(qtArgc, argv, folder, n);
    if (mode == QLatin1String("soak"))
        return probeSoak(qtArgc, argv, folder, n, n * 10 / 36);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 4 && QByteArray(argv[1]) == "--child")
        return runChildMode(argc, argv);

    QCoreApplication app(argc, argv);
    int runs = 11;
    int idleSeconds = 10;
    QString only;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--only"))
            only = args[i + 1];
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(5, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--idle-seconds"))
            idleSeconds = std::max(10, args[i + 1].toInt());
    }

    const QString buildDir = QCoreApplication::applicationDirPath();
    const QString program = buildDir + QStringLiteral("/quillora");
    const QString bare = buildDir + QStringLiteral("/quillora-bench-bare");
    const QString self = QCoreApplication::applicationFilePath();
    const QString djpeg = QStringLiteral("/usr/bin/djpeg");
    for (const QString &needed :
         {program, bare, djpeg, buildDir + QStringLiteral("/photos/BGM.mp3")})
        if (!QFileInfo(needed).isExecutable() && !QFileInfo(needed).isFile()) {
            std::fprintf(stderr, "missing: %s\n", qPrintable(needed));
            return 1;
        }

    VirtualDisplay display;
    if (display.name().isEmpty()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 1;
    }
    const QStringList env {QStringLiteral("DISPLAY=") + display.name(),
                           QStringLiteral("QT_QPA_PLATFORM=xcb")};
    QTemporaryDir work;
    const QString camera = work.filePath(QStringLiteral("camera.jpg"));
    const qint64 cameraBytes = writeCameraPhoto(camera);
    const QString cameraFolder = makePhotoFolder(work.filePath(QStringLiteral("camera")), camera,
                                                 buildDir + QStringLiteral("/photos/BGM.mp3"));
    const auto child = [&](const QString &mode, const QString &folder, int n = 0) {
        const ChildRun run = runChild(
                {self, QStringLiteral("--child"), mode, folder, QString::number(n)}, env);
        if (run.exitCode != 0)
            std::fprintf(stderr, "child %s failed (%d)\n", qPrintable(mode), run.exitCode);
        return parseFields(run.output);
    };
    std::vector<Row> rows;
    std::vector<double> startProgram, startBare, rssProgram, rssBare;
    const QStringList probeEnv = env + QStringList {QStringLiteral("QUILLORA_FIRST_FRAME=1")};
    const auto want = [&only](const char *figure) {
        return only.isEmpty() || only == QLatin1String(figure);
    };

    // Start-up: process start to first frame, the program and the bare window alternated.
    if (want("startup")) {
        for (int i = -1; i < runs; ++i) { // one round to warm the caches
            for (const QString &exe : {program, bare}) {
                const ChildRun run = runChild({exe}, probeEnv);
                const QList<QByteArray> words = run.output.trimmed().split(' ');
                if (words.size() < 3 || words[0] != "first-frame") {
                    std::fprintf(stderr, "%s: no first frame\n", qPrintable(exe));
                    continue;
                }
                if (i < 0)
                    continue;
                const double startMs = double(words[1].toLongLong() - run.startedNs) / 1e6;
                (exe == program ? startProgram : startBare).push_back(startMs);
                (exe == program ? rssProgram : rssBare).push_back(words[2].toDouble() / 1024);
            }
        }
        const double startUp = median(startProgram);
        const double startUpBare = median(startBare);
        rows.push_back({QStringLiteral("Start-up: process start to first frame (median of %1)")
                                .arg(startProgram.size()),
                        number(startUp) + QStringLiteral(" ms"),
                        number(startUpBare) + QStringLiteral(" ms bare window"),
                        number(startUp / startUpBare, 2) + QStringLiteral("×"),
                        QStringLiteral("≤ 1.5×"), yesNo(startUp <= 1.5 * startUpBare)});
        Fields phases;
        for (int i = 0; i < 3; ++i) { // the median of three for each phase
            const ChildRun run = runChild(
                    {self, QStringLiteral("--child"), QStringLiteral("phases"), buildDir}, env);
            Fields one = parseFields(run.output);
            one[QStringLiteral("exec")] = (one[QStringLiteral("start")] - run.startedNs) / 1e6;
            for (const auto &[name, value] : one)
                phases[name + QString::number(i)] = value;
        }
        QStringList phaseText;
        for (const char *name :
             {"exec", "app", "fonts", "list", "player", "form", "paint", "media"}) {
            const QString key = QLatin1String(name);
            phaseText << key + QLatin1Char(' ')
                            + number(median(
                                    {phases[key + "0"], phases[key + "1"], phases[key + "2"]}));
        }
        rows.push_back(
                {QStringLiteral("Start-up, where the time goes (ms, first use of each; media "
                                "starts after the first frame)"),
                 phaseText.join(QStringLiteral(", ")), QString(), QString(), QString(), QString()});
    }

    // Choosing a plant: CPU of the window's thread per selection against one full decode.
    if (want("select")) {
        std::vector<double> djpegCpu;
        for (int i = 0; i < 7; ++i)
            djpegCpu.push_back(runChild({djpeg, QStringLiteral("-outfile"),
                                         QStringLiteral("/dev/null"), camera})
                                       .cpuSeconds
                               * 1000);
        const double fullDecode = median(djpegCpu);
        const Fields big = child(QStringLiteral("select"), cameraFolder, 20);
        const Fields sample = child(QStringLiteral("select"), buildDir, 20);
        rows.push_back(
                {QStringLiteral("Choosing a plant, 4000×3000 JPEG (%1 MB): CPU per selection")
                         .arg(number(cameraBytes / 1048576.0)),
                 number(field(big, "cpu")) + QStringLiteral(" ms"),
                 number(fullDecode) + QStringLiteral(" ms djpeg full decode"),
                 number(field(big, "cpu") / fullDecode, 2) + QStringLiteral("×"),
                 QStringLiteral("≤ 0.5×"), yesNo(field(big, "cpu") <= 0.5 * fullDecode)});
        rows.push_back({QStringLiteral("Choosing a plant, sample photos: CPU per selection"),
                        number(field(sample, "cpu")) + QStringLiteral(" ms"), QString(), QString(),
                        QString(), QString()});
        rows.push_back({QStringLiteral("Key press to painted photo (12 MP / sample)"),
                        number(field(big, "wall")) + QStringLiteral(" ms / ")
                                + number(field(sample, "wall")) + QStringLiteral(" ms"),
                        QString(), QString(), QString(), QString()});
    }

    // Idle: the program (banner ticking, music playing), a copy of it beside no music, and the
    // bare window, side by side.
    if (want("idle")) {
        const QString silentFolder = work.filePath(QStringLiteral("silent"));
        const QString silent = silentFolder + QStringLiteral("/quillora");
        QDir().mkpath(silentFolder + QStringLiteral("/photos"));
        QFile::copy(program, silent);
        const std::vector<pid_t> running {startChild({program}, env), startChild({silent}, env),
                                          startChild({bare}, env)};
        QThread::sleep(3);
        std::vector<double> cpu;
        for (pid_t pid : running)
            cpu.push_back(processCpuSeconds(pid));
        QThread::sleep(idleSeconds);
        for (size_t i = 0; i < running.size(); ++i) {
            cpu[i] = (processCpuSeconds(running[i]) - cpu[i]) / idleSeconds * 100;
            stopChild(running[i]);
        }
        rows.push_back({QStringLiteral("Idle over %1 s, banner ticking, music playing: CPU")
                                .arg(idleSeconds),
                        number(cpu[0], 2) + QStringLiteral(" % of a core (") + number(cpu[1], 2)
                                + QStringLiteral(" % without music)"),
                        number(cpu[2], 2) + QStringLiteral(" % bare window"), QString(),
                        QStringLiteral("≤ 1 %"), yesNo(cpu[0] <= 1.0)});
    }

    // Memory after every plant with camera-size photos, against the bare window.
    if (want("memory")) {
        const Fields memory = child(QStringLiteral("memory"), cameraFolder);
        const double memoryAfter = field(memory, "after") / 1024;
        for (int i = 0; rssBare.empty() && i < 3; ++i) {
            const QList<QByteArray> words = runChild({bare}, probeEnv).output.trimmed().split(' ');
            if (words.size() >= 3)
                rssBare.push_back(words[2].toDouble() / 1024);
        }
        const double memoryBare = median(rssBare);
        rows.push_back(
                {QStringLiteral("Resident memory after choosing all 133 plants, 12 MP photos"),
                 number(memoryAfter) + QStringLiteral(" MB (peak ")
                         + number(field(memory, "peak") / 1024) + QStringLiteral(" MB; ")
                         + number(field(memory, "anon") / 1024)
                         + QStringLiteral(" MB heap and stacks, ")
                         + number(field(memory, "file") / 1024)
                         + QStringLiteral(" MB mapped libraries and fonts)"),
                 number(memoryBare) + QStringLiteral(" MB bare window"),
                 QStringLiteral("+") + number(memoryAfter - memoryBare) + QStringLiteral(" MB"),
                 QStringLiteral("≤ +60 MB"), yesNo(memoryAfter - memoryBare <= 60)});
        if (!rssProgram.empty())
            rows.push_back({QStringLiteral("Resident memory at first frame (program)"),
                            number(median(rssProgram)) + QStringLiteral(" MB"),
                            number(memoryBare) + QStringLiteral(" MB bare window"),
                            QStringLiteral("+") + number(median(rssProgram) - memoryBare)
                                    + QStringLiteral(" MB"),
                            QString(), QString()});
    }

    // Down held through the list at key-repeat speed with camera-size photos.
    if (want("hold")) {
        const int repeats = 30;
        const Fields hold = child(QStringLiteral("hold"), cameraFolder, repeats);
        const double lag = field(hold, "release_to_last");
        const double backlog = field(hold, "backlog");
        rows.push_back(
                {QStringLiteral("Down held through 133 names at %1/s, 12 MP photos").arg(repeats),
                 QStringLiteral("%1 of %2 repeats handled, worst backlog %3 ms; last "
                                "plant painted %4 ms after the last repeat, %5 ms after "
                                "the release")
                         .arg(field(hold, "handled"))
                         .arg(field(hold, "presses"))
                         .arg(number(backlog))
                         .arg(number(field(hold, "last_repeat_to_last")))
                         .arg(number(lag)),
                 number(1000.0 / repeats) + QStringLiteral(" ms between repeats"), QString(),
                 QStringLiteral(
                         "keeps up (never 100 ms behind); last plant ≤ 100 ms after release"),
                 yesNo(field(hold, "handled") == field(hold, "presses") && backlog <= 100
                       && lag >= 0 && lag <= 100)});
    }

    // Soak: banner ticks and selections driven through the handlers.
    if (want("soak")) {
        const Fields soak = child(QStringLiteral("soak"), buildDir, 36000);
        const double secondHalf = (field(soak, "rss_after") - field(soak, "rss_middle")) / 1024;
        const double objectGrowth = field(soak, "objects_after") - field(soak, "objects_before");
        rows.push_back({QStringLiteral("Soak: %1 banner ticks + %2 selections (%3 s)")
                                .arg(field(soak, "ticks"))
                                .arg(field(soak, "selections"))
                                .arg(number(field(soak, "seconds"))),
                        QStringLiteral("RSS %1 → %2 → %3 MB (start, half-way, end), live "
                                       "QObjects %4 → %5")
                                .arg(number(field(soak, "rss_before") / 1024))
                                .arg(number(field(soak, "rss_middle") / 1024))
                                .arg(number(field(soak, "rss_after") / 1024))
                                .arg(field(soak, "objects_before"))
                                .arg(field(soak, "objects_after")),
                        QString(),
                        QStringLiteral("second half %1 MB, %2 objects")
                                .arg(number(secondHalf))
                                .arg(objectGrowth),
                        QStringLiteral("no growth (second half < 1 MB)"),
                        yesNo(secondHalf < 1 && objectGrowth <= 0)});
    }

    printTable(rows);
    return 0;
}
