// Prints one table of the book's speed and memory figures, each beside its floor measured in
// the same run and its goal, and exits with status 1 when any goal is missed. Runs everything
// under its own Xvfb display and its own PulseAudio server, whose output is a null sink.
//
//   quillora-bench [--runs N] [--idle-seconds S] [--wait S] [--program PATH]
//                  [--only NAME[,NAME...]]
//
// The program (build/quillora, or --program) is watched from outside: its first frame by a
// preloaded library (libquillora-bench-frame.so), its CPU and memory from /proc, its music from
// the sound server. The figures inside the window are taken by child processes of this program
// on the window library ("quillora-bench --child ..."), see benchprobes.h.

#include "benchfiles.h"
#include "benchprobes.h"
#include "benchprocess.h"
#include "benchsearch.h"
#include "childprocess.h"
#include "samples.h"
#include "soundserver.h"
#include "toneseams.h"
#include "virtualdisplay.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

const QStringList kFigures {QStringLiteral("startup"),     QStringLiteral("select"),
                            QStringLiteral("progressive"), QStringLiteral("idle"),
                            QStringLiteral("seam"),        QStringLiteral("musicmemory"),
                            QStringLiteral("memory"),      QStringLiteral("hold"),
                            QStringLiteral("soak"),        QStringLiteral("search")};

using Fields = std::map<QString, QByteArray>;

// "name=value name=value" from the last line of a child's output.
Fields parseFields(const QByteArray &output)
{
    Fields fields;
    const QList<QByteArray> lines = output.trimmed().split('\n');
    for (const QByteArray &pair : lines.last().split(' ')) {
        const int eq = pair.indexOf('=');
        if (eq > 0)
            fields[QString::fromUtf8(pair.left(eq))] = pair.mid(eq + 1);
    }
    return fields;
}

// A named figure of a child's line; NaN when the child did not report it.
double field(const Fields &fields, const char *name)
{
    const auto found = fields.find(QLatin1String(name));
    bool ok = false;
    const double value = found == fields.end() ? 0 : found->second.toDouble(&ok);
    return ok ? value : std::nan("");
}

// A figure the child reported as a list "1.5,2,3".
Samples fieldSamples(const Fields &fields, const char *name)
{
    Samples samples;
    const auto found = fields.find(QLatin1String(name));
    if (found == fields.end() || found->second.isEmpty())
        return samples;
    for (const QByteArray &v : found->second.split(','))
        samples.add(v.toDouble());
    return samples;
}

QString number(double value, int decimals = 1)
{
    return std::isnan(value) ? QStringLiteral("n/a") : QString::number(value, 'f', decimals);
}

enum class Met { NoGoal, Yes, No };

struct Row
{
    QString figure;
    QString measured;
    QString floor;
    QString versusFloor;
    QString goal;
    Met met = Met::NoGoal;
};

Met meets(bool met)
{
    return met ? Met::Yes : Met::No;
}

// The ratio of two figures' medians, "n/a" unless both are valid.
QString ratioText(const Samples &value, const Samples &floor)
{
    if (!value.valid() || !floor.valid())
        return QStringLiteral("n/a");
    return number(value.median() / floor.median(), 3) + QStringLiteral("×");
}

bool ratioAtMost(const Samples &value, const Samples &floor, double goal)
{
    return value.valid() && floor.valid() && value.median() <= goal * floor.median();
}

void printTable(const std::vector<Row> &rows)
{
    std::printf("| Figure | Measured | Floor (same run) | Versus floor | Goal | Met |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const Row &r : rows)
        std::printf("| %s | %s | %s | %s | %s | %s |\n", qPrintable(r.figure),
                    qPrintable(r.measured), qPrintable(r.floor), qPrintable(r.versusFloor),
                    qPrintable(r.goal),
                    r.met == Met::NoGoal ? "" : (r.met == Met::Yes ? "yes" : "no"));
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

// Everything one run of the benchmark shares.
struct Bench
{
    int runs = 11;
    int idleSeconds = 10;
    int waitSeconds = 10;
    QString buildDir;
    QString program;
    QString bare;
    QString self;
    QString preload;
    QString djpeg = QStringLiteral("/usr/bin/djpeg");
    QStringList env; // display, platform, sound server
    QTemporaryDir work;
    std::vector<Row> rows;
    Samples rssBare; // resident kB at the bare window's first frame, in MB
    Samples rssProgram;

    // The environment of a program watched for its first frame; `exit` ends it there.
    QStringList frameEnv(bool exit) const
    {
        const QByteArray asan = qgetenv("ASAN_OPTIONS");
        return env
                + QStringList {QStringLiteral("LD_PRELOAD=") + preload,
                               QStringLiteral("QUILLORA_BENCH_FRAME=")
                                       + (exit ? QStringLiteral("exit") : QStringLiteral("run")),
                               // A sanitized program tolerates the library loaded before it.
                               QStringLiteral("ASAN_OPTIONS=") + QString::fromLocal8Bit(asan)
                                       + QStringLiteral(":verify_asan_link_order=0")};
    }

    Fields child(const QString &mode, const QString &folder, int n = 0) const
    {
        const ChildRun run = runChild(
                {self, QStringLiteral("--child"), mode, folder, QString::number(n)}, env);
        if (run.exitCode != 0) {
            std::fprintf(stderr, "probe %s failed (%d)\n", qPrintable(mode), run.exitCode);
            return {};
        }
        return parseFields(run.output);
    }

    // The first frame of a program run to it: process start to the frame in ms, the resident
    // memory then in MB and the CPU time of all its threads until then in ms.
    struct Frame
    {
        double ms = 0;
        double mb = 0;
        double cpuMs = 0;
    };
    // False when the program showed no frame within the wait.
    bool firstFrame(const QString &exe, Frame *frame) const
    {
        const ChildRun run = runChild({exe}, frameEnv(true), waitSeconds * 1000);
        for (const QByteArray &line : run.output.split('\n')) {
            const QList<QByteArray> words = line.trimmed().split(' ');
            if (words.size() == 4 && words[0] == "first-frame") {
                frame->ms = double(words[1].toLongLong() - run.startedNs) / 1e6;
                frame->mb = words[2].toDouble() / 1024;
                frame->cpuMs = words[3].toDouble() / 1000;
                return true;
            }
        }
        return false;
    }

    void startup();
    void select();
    void progressive();
    void idle(SoundServer &sound);
    void seam(SoundServer &sound);
    void musicMemory(SoundServer &sound);
    void memory();
    void hold();
    void soak();
    void search();
};

// Start-up: process start to first frame, the program and the bare window alternated.
void Bench::startup()
{
    Samples startProgram, startBare, cpuProgram, cpuBare;
    bool programDead = false, bareDead = false;
    for (int i = -1; i < runs; ++i) { // one round to warm the caches
        for (const bool isProgram : {true, false}) {
            bool &dead = isProgram ? programDead : bareDead;
            if (dead)
                continue;
            Frame frame;
            if (!firstFrame(isProgram ? program : bare, &frame)) {
                std::fprintf(stderr, "%s: no first frame\n",
                             qPrintable(isProgram ? program : bare));
                (isProgram ? startProgram : startBare).addFailure();
                dead = i < 0; // a program that shows nothing when warming up is not tried again
                continue;
            }
            if (i < 0)
                continue;
            (isProgram ? startProgram : startBare).add(frame.ms);
            (isProgram ? cpuProgram : cpuBare).add(frame.cpuMs);
            (isProgram ? rssProgram : rssBare).add(frame.mb);
        }
    }
    rows.push_back({QStringLiteral("Start-up: process start to first frame"),
                    startProgram.text(QStringLiteral(" ms")),
                    startBare.text(QStringLiteral(" ms")) + QStringLiteral(" bare window"),
                    ratioText(startProgram, startBare), QStringLiteral("≤ 1.25×"),
                    meets(ratioAtMost(startProgram, startBare, 1.25))});
    rows.push_back({QStringLiteral("Start-up: CPU time of all threads until the first frame "
                                   "(less sensitive to other load than the time)"),
                    cpuProgram.text(QStringLiteral(" ms")),
                    cpuBare.text(QStringLiteral(" ms")) + QStringLiteral(" bare window"),
                    ratioText(cpuProgram, cpuBare), QString(), Met::NoGoal});

    std::map<QString, Samples> phases;
    for (int i = 0; i < 3; ++i) {
        const ChildRun run = runChild(
                {self, QStringLiteral("--child"), QStringLiteral("phases"), buildDir}, env, 30000);
        const Fields one = parseFields(run.output);
        if (run.exitCode != 0 || one.empty())
            continue;
        phases[QStringLiteral("exec")].add((field(one, "start") - run.startedNs) / 1e6);
        for (const char *name : {"app", "fonts", "list", "icon", "form", "paint"})
            phases[QLatin1String(name)].add(field(one, name));
    }
    QStringList phaseText;
    for (const char *name : {"exec", "app", "fonts", "list", "icon", "form", "paint"})
        phaseText << QLatin1String(name) + QLatin1Char(' ')
                        + phases[QLatin1String(name)].text(QString());
    rows.push_back({QStringLiteral("Start-up, where the time goes (ms, the window library in a "
                                   "probe; the music starts after the first frame)"),
                    phaseText.join(QStringLiteral(", ")), QString(), QString(), QString(),
                    Met::NoGoal});
}

// Choosing a plant: CPU of the whole process per selection against one full decode.
void Bench::select()
{
    const QString camera = work.filePath(QStringLiteral("camera.jpg"));
    const qint64 bytes = writeCameraPhoto(camera);
    const QString folder = work.filePath(QStringLiteral("camera"));
    makeProgramFolder(folder, QString(), camera, QString());
    Samples fullDecode;
    for (int i = 0; i < 7; ++i) {
        const ChildRun run = runChild(
                {djpeg, QStringLiteral("-outfile"), QStringLiteral("/dev/null"), camera});
        run.exitCode == 0 ? fullDecode.add(run.cpuSeconds * 1000) : fullDecode.addFailure();
    }
    const Fields big = child(QStringLiteral("select"), folder, 20);
    const Fields sample = child(QStringLiteral("select"), buildDir, 20);
    // A photo refused with a notice costs nothing: such a choice is no figure.
    Samples bigCpu = field(big, "shown") == 1 ? fieldSamples(big, "cpu") : Samples();
    rows.push_back({QStringLiteral("Choosing a plant, 4000×3000 baseline JPEG (%1 MB): CPU per "
                                   "selection")
                            .arg(number(bytes / 1048576.0)),
                    bigCpu.text(QStringLiteral(" ms"), 1, QStringLiteral("choices")),
                    fullDecode.text(QStringLiteral(" ms")) + QStringLiteral(" djpeg full decode"),
                    ratioText(bigCpu, fullDecode), QStringLiteral("≤ 0.15×"),
                    meets(ratioAtMost(bigCpu, fullDecode, 0.15))});
    rows.push_back(
            {QStringLiteral("Choosing a plant, sample photos: CPU per selection"),
             fieldSamples(sample, "cpu").text(QStringLiteral(" ms"), 1, QStringLiteral("choices")),
             QString(), QString(), QString(), Met::NoGoal});
    rows.push_back(
            {QStringLiteral("Key press to painted photo: 12 MP baseline / sample photos"),
             fieldSamples(big, "wall").text(QStringLiteral(" ms"), 1, QStringLiteral("choices"))
                     + QStringLiteral(" / ")
                     + fieldSamples(sample, "wall")
                               .text(QStringLiteral(" ms"), 1, QStringLiteral("choices")),
             QString(), QString(), QString(), Met::NoGoal});
}

// Progressive camera-size photos: a choice against a full decode, and the peak memory it adds.
void Bench::progressive()
{
    struct Photo
    {
        const char *content;
        bool bark;
        bool cameraScans;
    };
    for (const Photo &photo : {Photo {"smooth leaves, jpegtran's standard script", false, false},
                               Photo {"fine bark, a camera's many-scan script", true, true}}) {
        const QString name = QLatin1String(photo.bark ? "bark" : "leaves");
        const QString baseline = work.filePath(name + QStringLiteral("-baseline.jpg"));
        const QString progressive = work.filePath(name + QStringLiteral("-progressive.jpg"));
        const int scans = writeCameraPhoto(baseline, photo.bark) > 0
                ? writeProgressiveCopy(baseline, progressive, photo.cameraScans)
                : 0;
        const QString folder = work.filePath(name);
        makeProgramFolder(folder, QString(), progressive, QString());
        Samples fullDecode;
        for (int i = 0; scans > 0 && i < 5; ++i) {
            const ChildRun run = runChild(
                    {djpeg, QStringLiteral("-outfile"), QStringLiteral("/dev/null"), progressive});
            run.exitCode == 0 ? fullDecode.add(run.cpuSeconds * 1000) : fullDecode.addFailure();
        }
        const Fields chosen = scans > 0 ? child(QStringLiteral("select"), folder, 8) : Fields();
        const bool shown = field(chosen, "shown") == 1;
        const Samples cpu = shown ? fieldSamples(chosen, "cpu") : Samples();
        Samples peak;
        if (shown && !std::isnan(field(chosen, "added_peak")))
            peak.add(field(chosen, "added_peak") / 1024);
        const QString what = QStringLiteral("Choosing a plant, 4000×3000 progressive JPEG (%1; "
                                            "%2 scans, %3 MB)")
                                     .arg(QLatin1String(photo.content))
                                     .arg(scans)
                                     .arg(number(QFileInfo(progressive).size() / 1048576.0));
        rows.push_back(
                {what + QStringLiteral(": CPU per selection"),
                 cpu.text(QStringLiteral(" ms"), 1, QStringLiteral("choices")),
                 fullDecode.text(QStringLiteral(" ms")) + QStringLiteral(" djpeg full decode"),
                 ratioText(cpu, fullDecode), QStringLiteral("≤ 1.0×"),
                 meets(ratioAtMost(cpu, fullDecode, 1.0))});
        rows.push_back({what + QStringLiteral(": peak memory added by the choices"),
                        peak.text(QStringLiteral(" MB")), QString(), QString(),
                        QStringLiteral("≤ 45 MB"), meets(peak.valid() && peak.median() <= 45)});
    }
}

// Idle: the program with its music playing to the sound server, a copy of it with no music, and
// the bare window, side by side, in windows of two seconds: the CPU time of all their threads,
// and their wake-ups, counted as the context switches of all their threads (/proc/PID/task/*/
// status, voluntary and not: a thread that sleeps and wakes again switches once).
void Bench::idle(SoundServer &sound)
{
    const QString withMusic
            = makeProgramFolder(work.filePath(QStringLiteral("idle-music")), program, QString(),
                                buildDir + QStringLiteral("/photos/BGM.mp3"));
    const QString withoutMusic = makeProgramFolder(work.filePath(QStringLiteral("idle-silent")),
                                                   program, QString(), QString());
    std::vector<std::unique_ptr<ChildProcess>> running;
    std::vector<bool> shown;
    for (const QString &exe : {withMusic, withoutMusic, bare}) {
        running.push_back(std::make_unique<ChildProcess>(QStringList {exe}, frameEnv(false)));
        shown.push_back(false);
    }
    for (size_t i = 0; i < running.size(); ++i)
        shown[i] = !running[i]->waitForLine("first-frame", waitSeconds * 1000).isEmpty();
    // The music starts after the first frame: up to five seconds for its stream to appear.
    const bool musicStarted = shown[0] && sound.waitForStream(running[0]->pid(), 5000);
    QThread::sleep(1);
    std::vector<Samples> cpu(running.size()), wakeUps(running.size());
    const int windows = idleSeconds / 2;
    std::vector<double> before(running.size()), total(running.size());
    std::vector<long long> switchesBefore(running.size());
    for (size_t i = 0; i < running.size(); ++i)
        total[i] = processCpuSeconds(running[i]->pid());
    int windowsWithMusic = 0;
    for (int w = 0; w < windows; ++w) {
        std::vector<bool> alive(running.size());
        for (size_t i = 0; i < running.size(); ++i) {
            alive[i] = shown[i] && running[i]->alive();
            before[i] = processCpuSeconds(running[i]->pid());
            switchesBefore[i] = processContextSwitches(running[i]->pid());
        }
        QThread::sleep(2);
        for (size_t i = 0; i < running.size(); ++i) {
            const double used = processCpuSeconds(running[i]->pid()) - before[i];
            const long long switches
                    = processContextSwitches(running[i]->pid()) - switchesBefore[i];
            if (alive[i] && running[i]->alive()) {
                cpu[i].add(used / 2 * 100);
                wakeUps[i].add(double(switches) / 2);
            } else {
                cpu[i].addFailure();
                wakeUps[i].addFailure();
            }
        }
        // Checked at the end of each window (outside its time): between two passes a player
        // may close its stream for a moment, so one window without a stream is forgiven.
        windowsWithMusic += musicStarted && sound.streaming(running[0]->pid());
    }
    for (size_t i = 0; i < running.size(); ++i)
        total[i] = (processCpuSeconds(running[i]->pid()) - total[i]) / (windows * 2) * 100;
    running.clear();
    Samples music = cpu[0];
    Samples musicWakeUps = wakeUps[0];
    if (windowsWithMusic < std::max(1, windows - 1)) {
        std::fprintf(stderr, "idle: the music was not playing to the sound server\n");
        music = Samples();
        music.addFailure();
        musicWakeUps = Samples();
        musicWakeUps.addFailure();
    }
    const QString windowsName = QStringLiteral("2-s windows");
    rows.push_back(
            {QStringLiteral("Idle over %1 s, banner ticking, music playing to a null "
                            "sound sink: CPU of one core")
                     .arg(windows * 2),
             music.text(QStringLiteral(" %"), 2, windowsName)
                     + QStringLiteral(", %1 % over the whole time; %2 without music")
                               .arg(music.valid() ? number(total[0], 2) : QStringLiteral("n/a"))
                               .arg(cpu[1].text(QStringLiteral(" %"), 2, windowsName)),
             cpu[2].text(QStringLiteral(" %"), 2, windowsName) + QStringLiteral(" bare window"),
             QString(), QStringLiteral("≤ 0.5 %"), meets(music.valid() && music.median() <= 0.5)});
    const bool wakeUpsValid = musicWakeUps.valid() && wakeUps[1].valid();
    rows.push_back(
            {QStringLiteral("Idle: wake-ups a second of the whole process (context switches of "
                            "all its threads), music playing"),
             musicWakeUps.text(QStringLiteral("/s"), 1, windowsName),
             wakeUps[1].text(QStringLiteral("/s"), 1, windowsName)
                     + QStringLiteral(" without music; ")
                     + wakeUps[2].text(QStringLiteral("/s"), 1, windowsName)
                     + QStringLiteral(" bare window"),
             wakeUpsValid ? QStringLiteral("%1%2/s")
                                    .arg(musicWakeUps.median() >= wakeUps[1].median() ? "+" : "")
                                    .arg(number(musicWakeUps.median() - wakeUps[1].median()))
                          : QStringLiteral("n/a"),
             QStringLiteral("music adds ≤ 20/s"),
             meets(wakeUpsValid && musicWakeUps.median() - wakeUps[1].median() <= 20)});
}

// The loop seam: a two-second tone looped by the program, recorded from the sound sink.
void Bench::seam(SoundServer &sound)
{
    const double hertz = 441; // exactly 100 samples a period at 44.1 kHz: 882 periods a pass
    const QString tone = work.filePath(QStringLiteral("tone-2s.mp3"));
    const QString exe = writeToneMp3(tone, 2.0, hertz, false)
            ? makeProgramFolder(work.filePath(QStringLiteral("seam")), program, QString(), tone)
            : QString();
    ToneFaults faults;
    bool alive = false;
    if (!exe.isEmpty() && sound.startRecording()) {
        ChildProcess running({exe}, frameEnv(false));
        const bool shown = !running.waitForLine("first-frame", waitSeconds * 1000).isEmpty();
        QThread::msleep(9000);
        alive = shown && running.alive();
        const std::vector<int16_t> recording = sound.stopRecording();
        faults = findToneFaults(recording, 44100, hertz);
    }
    const int seams = int(faults.toneSeconds / 2.0);
    const bool valid = alive && faults.heard && seams >= 2;
    rows.push_back({QStringLiteral("Loop seam: a 2 s steady-tone MP3 looped, recorded from the "
                                   "sound sink (parec, 20 ms latency); the longest stretch of "
                                   "silence or discontinuity"),
                    valid ? QStringLiteral("%1 ms (%2 faulty stretches over %3 seams, %4 s of "
                                           "tone; 1 recording)")
                                    .arg(number(faults.longestFaultMs, 2))
                                    .arg(faults.faults)
                                    .arg(seams)
                                    .arg(number(faults.toneSeconds))
                          : QStringLiteral("n/a"),
                    QString(), QString(), QStringLiteral("≤ 5 ms"),
                    meets(valid && faults.longestFaultMs <= 5)});
}

// Resident memory with a three-hour MP3 playing against a three-second one of the same frames.
void Bench::musicMemory(SoundServer &sound)
{
    const QString unit = work.filePath(QStringLiteral("tone-3s.mp3"));
    const QString longFile = work.filePath(QStringLiteral("tone-3h.mp3"));
    const bool made = writeToneMp3(unit, 3.0, 441, true) && writeRepeated(unit, longFile, 3600);
    Samples shortMb, longMb;
    if (made) {
        const QString shortExe = makeProgramFolder(work.filePath(QStringLiteral("mem-short")),
                                                   program, QString(), unit);
        const QString longExe = makeProgramFolder(work.filePath(QStringLiteral("mem-long")),
                                                  program, QString(), longFile);
        ChildProcess shortRun({shortExe}, frameEnv(false));
        ChildProcess longRun({longExe}, frameEnv(false));
        const bool shortShown = !shortRun.waitForLine("first-frame", waitSeconds * 1000).isEmpty();
        const bool longShown = !longRun.waitForLine("first-frame", waitSeconds * 1000).isEmpty();
        const bool shown = shortShown && longShown;
        QThread::sleep(4);
        // (Between two passes a player may close its stream for a moment.)
        const bool playing = shown && sound.waitForStream(shortRun.pid(), 5000)
                && sound.waitForStream(longRun.pid(), 5000);
        for (int i = 0; i < 5; ++i) {
            for (auto [run, mb] :
                 {std::pair {&shortRun, &shortMb}, std::pair {&longRun, &longMb}}) {
                const long kb = residentKb(run->pid());
                if (playing && run->alive() && kb > 0)
                    mb->add(kb / 1024.0);
                else
                    mb->addFailure();
            }
            QThread::msleep(500);
        }
        if (!playing)
            std::fprintf(stderr,
                         "music memory: the music was not playing to the sound server (first "
                         "frame: %s, %s)\n",
                         shortShown ? "short" : "-", longShown ? "long" : "-");
    } else {
        shortMb.addFailure();
        longMb.addFailure();
    }
    const bool valid = shortMb.valid() && longMb.valid();
    rows.push_back({QStringLiteral("Resident memory with a 3-hour MP3 playing (%1 MB, 32 kbit/s)")
                            .arg(number(QFileInfo(longFile).size() / 1048576.0)),
                    longMb.text(QStringLiteral(" MB"), 1, QStringLiteral("samples")),
                    shortMb.text(QStringLiteral(" MB"), 1, QStringLiteral("samples"))
                            + QStringLiteral(" with a 3-second one"),
                    valid ? QStringLiteral("%1%2 MB")
                                    .arg(longMb.median() >= shortMb.median() ? "+" : "")
                                    .arg(number(longMb.median() - shortMb.median()))
                          : QStringLiteral("n/a"),
                    QStringLiteral("≤ +5 MB"),
                    meets(valid && longMb.median() - shortMb.median() <= 5)});
}

// Memory after every plant with camera-size photos, against the bare window.
void Bench::memory()
{
    const QString camera = work.filePath(QStringLiteral("camera.jpg"));
    if (!QFileInfo::exists(camera))
        writeCameraPhoto(camera);
    const QString folder = work.filePath(QStringLiteral("camera"));
    if (!QFileInfo::exists(folder))
        makeProgramFolder(folder, QString(), camera, QString());
    Samples after, peak, anon, file;
    for (int i = 0; i < 3; ++i) {
        const Fields memory = child(QStringLiteral("memory"), folder);
        if (field(memory, "herb") != 133) {
            after.addFailure();
            continue;
        }
        after.add(field(memory, "after") / 1024);
        peak.add(field(memory, "peak") / 1024);
        anon.add(field(memory, "anon") / 1024);
        file.add(field(memory, "file") / 1024);
    }
    for (int i = 0; rssBare.empty() && i < 3; ++i) {
        Frame frame;
        if (firstFrame(bare, &frame))
            rssBare.add(frame.mb);
    }
    const bool valid = after.valid() && rssBare.valid();
    rows.push_back(
            {QStringLiteral("Resident memory after choosing all 133 plants, 12 MP "
                            "baseline photos (the window library in a probe)"),
             after.text(QStringLiteral(" MB")) + QStringLiteral("; peak ") + number(peak.median())
                     + QStringLiteral(" MB, ") + number(anon.median())
                     + QStringLiteral(" MB heap and stacks, ") + number(file.median())
                     + QStringLiteral(" MB mapped libraries and fonts"),
             rssBare.text(QStringLiteral(" MB")) + QStringLiteral(" bare window"),
             valid ? QStringLiteral("+") + number(after.median() - rssBare.median())
                             + QStringLiteral(" MB")
                   : QStringLiteral("n/a"),
             QStringLiteral("≤ +50 MB"), meets(valid && after.median() - rssBare.median() <= 50)});
    if (!rssProgram.empty())
        rows.push_back({QStringLiteral("Resident memory at first frame (the program)"),
                        rssProgram.text(QStringLiteral(" MB")),
                        rssBare.text(QStringLiteral(" MB")) + QStringLiteral(" bare window"),
                        rssBare.valid() && rssProgram.valid() ? QStringLiteral("+")
                                        + number(rssProgram.median() - rssBare.median())
                                        + QStringLiteral(" MB")
                                                              : QStringLiteral("n/a"),
                        QString(), Met::NoGoal});
}

// Down held through the list at key-repeat speed with camera-size photos.
void Bench::hold()
{
    const QString folder = work.filePath(QStringLiteral("camera"));
    if (!QFileInfo::exists(folder)) {
        const QString camera = work.filePath(QStringLiteral("camera.jpg"));
        writeCameraPhoto(camera);
        makeProgramFolder(folder, QString(), camera, QString());
    }
    const int repeats = 30;
    Samples backlog, lag;
    bool allHandled = true;
    for (int i = 0; i < 3; ++i) {
        const Fields hold = child(QStringLiteral("hold"), folder, repeats);
        const bool handled = field(hold, "handled") == field(hold, "presses")
                && field(hold, "presses") == 132 && field(hold, "release_to_last") >= 0;
        allHandled = allHandled && handled;
        if (!handled) {
            backlog.addFailure();
            lag.addFailure();
            continue;
        }
        backlog.add(field(hold, "backlog"));
        lag.add(field(hold, "release_to_last"));
    }
    rows.push_back({QStringLiteral("Down held through 133 names at %1/s, 12 MP photos: worst "
                                   "backlog; last plant painted after the release")
                            .arg(repeats),
                    backlog.text(QStringLiteral(" ms")) + QStringLiteral("; ")
                            + lag.text(QStringLiteral(" ms"))
                            + (allHandled ? QStringLiteral("; every repeat handled")
                                          : QStringLiteral("; repeats lost")),
                    number(1000.0 / repeats) + QStringLiteral(" ms between repeats"), QString(),
                    QStringLiteral("never 100 ms behind; last plant ≤ 100 ms after release"),
                    meets(allHandled && backlog.valid() && lag.valid() && backlog.median() <= 100
                          && lag.median() <= 100)});
}

// Soak: banner ticks and selections driven through the handlers.
void Bench::soak()
{
    const Fields soak = child(QStringLiteral("soak"), buildDir, 12000);
    const double secondHalf = (field(soak, "rss_after") - field(soak, "rss_middle")) / 1024;
    const double objectGrowth = field(soak, "objects_after") - field(soak, "objects_before");
    rows.push_back({QStringLiteral("Soak: %1 banner ticks + %2 selections (%3 s)")
                            .arg(number(field(soak, "ticks"), 0))
                            .arg(number(field(soak, "selections"), 0))
                            .arg(number(field(soak, "seconds"))),
                    QStringLiteral("RSS %1 → %2 → %3 MB (start, half-way, end), live "
                                   "QObjects %4 → %5")
                            .arg(number(field(soak, "rss_before") / 1024))
                            .arg(number(field(soak, "rss_middle") / 1024))
                            .arg(number(field(soak, "rss_after") / 1024))
                            .arg(number(field(soak, "objects_before"), 0))
                            .arg(number(field(soak, "objects_after"), 0)),
                    QString(),
                    QStringLiteral("second half %1 MB, %2 objects")
                            .arg(number(secondHalf))
                            .arg(number(objectGrowth, 0)),
                    QStringLiteral("no growth (second half < 1 MB)"),
                    meets(secondHalf < 1 && objectGrowth <= 0)});
}

// The list's type-to-find: its index, made on the first key (start-up does not wait for it),
// and one search.
void Bench::search()
{
    const SearchCost cost = measureSearch();
    const double perRow = cost.rows > 0 ? cost.firstBuildUs / cost.rows : std::nan("");
    rows.push_back({QStringLiteral("Type-to-find: index of the %1 plants built from the table and "
                                   "the readings, CPU (first build, on the first key, a row and "
                                   "in all; later builds)")
                            .arg(cost.rows),
                    QStringLiteral("%1 µs a row, %2 µs; %3")
                            .arg(number(perRow, 2), number(cost.firstBuildUs),
                                 cost.buildUs.text(QStringLiteral(" µs"))),
                    QString(), QString(), QStringLiteral("well under 1 ms a row: ≤ 100 µs"),
                    meets(cost.buildUs.valid() && perRow <= 100)});
    rows.push_back({QStringLiteral("Type-to-find: one search, CPU (median of %1 typical texts, "
                                   "fastest to slowest)")
                            .arg(cost.searchUs.count()),
                    cost.searchUs.text(QStringLiteral(" µs"), 1, QStringLiteral("texts")),
                    QString(), QString(), QStringLiteral("slowest ≤ 1 ms"),
                    meets(cost.searchUs.valid() && cost.searchUs.max() <= 1000)});
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 4 && QByteArray(argv[1]) == "--child")
        return runChildMode(argc, argv);

    QCoreApplication app(argc, argv);
    Bench bench;
    bench.buildDir = QCoreApplication::applicationDirPath();
    bench.program = bench.buildDir + QStringLiteral("/quillora");
    bench.bare = bench.buildDir + QStringLiteral("/quillora-bench-bare");
    bench.preload = bench.buildDir + QStringLiteral("/libquillora-bench-frame.so");
    bench.self = QCoreApplication::applicationFilePath();
    QStringList only = kFigures;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &option = args[i];
        const QString value = args.value(i + 1);
        ++i;
        if (option == QLatin1String("--only")) {
            only = value.split(QLatin1Char(','));
            for (const QString &name : only)
                if (!kFigures.contains(name)) {
                    std::fprintf(stderr, "unknown figure \"%s\"; the figures are: %s\n",
                                 qPrintable(name), qPrintable(kFigures.join(QStringLiteral(", "))));
                    return 2;
                }
        } else if (option == QLatin1String("--runs") && value.toInt() > 0) {
            bench.runs = value.toInt();
        } else if (option == QLatin1String("--idle-seconds") && value.toInt() >= 2) {
            bench.idleSeconds = value.toInt();
        } else if (option == QLatin1String("--wait") && value.toInt() > 0) {
            bench.waitSeconds = value.toInt();
        } else if (option == QLatin1String("--program") && !value.isEmpty()) {
            bench.program = QFileInfo(value).absoluteFilePath();
        } else {
            std::fprintf(stderr,
                         "usage: quillora-bench [--runs N] [--idle-seconds S] [--wait S] "
                         "[--program PATH] [--only %s]\n",
                         qPrintable(kFigures.join(QLatin1Char(','))));
            return 2;
        }
    }
    for (const QString &needed : {bench.bare, bench.preload, bench.djpeg,
                                  bench.buildDir + QStringLiteral("/photos/BGM.mp3")})
        if (!QFileInfo(needed).isFile()) {
            std::fprintf(stderr, "missing: %s\n", qPrintable(needed));
            return 2;
        }

    VirtualDisplay display;
    if (display.name().isEmpty()) {
        std::fprintf(stderr, "Xvfb could not be started\n");
        return 2;
    }
    SoundServer sound;
    if (!sound.running())
        std::fprintf(stderr, "the private PulseAudio server could not be started\n");
    bench.env = QStringList {QStringLiteral("DISPLAY=") + display.name(),
                             QStringLiteral("QT_QPA_PLATFORM=xcb")}
            + sound.environment();

    const auto want = [&only](const char *name) { return only.contains(QLatin1String(name)); };
    if (want("startup"))
        bench.startup();
    if (want("select"))
        bench.select();
    if (want("progressive"))
        bench.progressive();
    if (want("idle"))
        bench.idle(sound);
    if (want("seam"))
        bench.seam(sound);
    if (want("musicmemory"))
        bench.musicMemory(sound);
    if (want("memory"))
        bench.memory();
    if (want("hold"))
        bench.hold();
    if (want("soak"))
        bench.soak();
    if (want("search"))
        bench.search();

    printTable(bench.rows);
    int missed = 0;
    for (const Row &row : bench.rows)
        missed += row.met == Met::No;
    if (missed)
        std::printf("\n%d goal%s missed.\n", missed, missed == 1 ? "" : "s");
    return missed ? 1 : 0;
}
