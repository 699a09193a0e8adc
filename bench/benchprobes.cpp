#include "benchprobes.h"

#include "appicon.h"
#include "benchprocess.h"
#include "firstframewatch.h"
#include "fontmap.h"
#include "fontwarmup.h"
#include "form1.h"
#include "herbcatalogue.h"
#include "paintwatch.h"
#include "pathtext.h"
#include "photobox.h"
#include "photoreader.h"
#include "sessionbus.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QListWidget>
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

// Qt's object hooks (the ones debugging tools use): called for every QObject made and destroyed.
extern Q_DECL_IMPORT quintptr qtHookData[];

namespace {

constexpr int kAddQObjectHook = 3;
constexpr int kRemoveQObjectHook = 4;
std::atomic<long> liveObjects {0};

void countObjects()
{
    qtHookData[kAddQObjectHook] = reinterpret_cast<quintptr>(+[](QObject *) { ++liveObjects; });
    qtHookData[kRemoveQObjectHook] = reinterpret_cast<quintptr>(+[](QObject *) { --liveObjects; });
}

// All of the process's threads: the photo is read and decoded on a thread of its own.
qint64 processCpuNs()
{
    timespec t {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

long residentKb(const QByteArray &field = "VmRSS:")
{
    return residentKb(0, field);
}

// "1.5,2.25,3" for the probe's line.
QString list(const std::vector<double> &values)
{
    QStringList texts;
    for (double v : values)
        texts << QString::number(v);
    return texts.join(QLatin1Char(','));
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

void say(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

// The book's window on the given folder, shown and painted once, with the plant list's and
// the photo box's paints counted.
struct ShownWindow
{
    explicit ShownWindow(const QString &folder)
        : form([folder] { return localPath(folder); })
    {
        list = form.findChild<QListWidget *>(QStringLiteral("List1"));
        picture = form.findChild<PhotoBox *>(QStringLiteral("Picture1"));
        formPaints = new PaintWatch(&form);
        photoPaints = new PaintWatch(picture);
        form.show();
        formPaints->waitForNextPaint();
    }

    // Runs the event loop until the photo box has painted what it shows for the latest choice:
    // at once for a photo read in time, when it comes for a slower one (false after a timeout).
    bool waitForPhoto()
    {
        do {
            if (!photoPaints->waitForNextPaint())
                return false;
        } while (stillReading());
        return true;
    }
    bool stillReading() const
    {
        return picture->notice() == photoNotice(PhotoProblem::Reading, QString());
    }

    void press(Qt::Key key, bool autoRepeat = false)
    {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
        QCoreApplication::sendEvent(list, &event);
    }

    Form1 form;
    QListWidget *list = nullptr;
    PhotoBox *picture = nullptr;
    PaintWatch *formPaints = nullptr;
    PaintWatch *photoPaints = nullptr;
};

// Lets the event loop run for a while (timers, the music starting, late paints).
void settle(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int probeStartPhases(int argc, char *argv[], const QString &folder)
{
    const qint64 start = steadyNs();
    std::vector<std::pair<const char *, qint64>> marks;
    const auto mark = [&marks](const char *phase) { marks.emplace_back(phase, steadyNs()); };

    std::jthread fontWarmUp = warmUpFontConfiguration();
    connectSessionBus();
    QApplication app(argc, argv);
    const auto warmedUp = qScopeGuard([&fontWarmUp] {
        if (fontWarmUp.joinable())
            fontWarmUp.join();
    });
    mark("app");
    const QString names = HerbCatalogue::displayNames().join(QString());
    // The faces the first frame shows: the window's own bold Song face waits for the banner.
    for (const QFont &font :
         {songFont(12), songFont(9), songFont(9.75), tahomaFont(12, true), tahomaFont(12)})
        QFontMetrics(font).horizontalAdvance(names + QStringLiteral("种名别名科名属名习性"));
    mark("fonts");
    {
        QListWidget list;
        for (const QString &name : HerbCatalogue::displayNames())
            new QListWidgetItem(name, &list);
    }
    mark("list");
    const QIcon icon = quilloraIcon();
    mark("icon");
    Form1 form([folder] { return localPath(folder); });
    mark("form");
    FirstFrameWatch watch([] { QCoreApplication::exit(0); });
    app.installEventFilter(&watch);
    form.show();
    app.exec();
    mark("paint");

    QStringList fields {QStringLiteral("start=%1").arg(start)};
    qint64 previous = start;
    for (const auto &[phase, at] : marks) {
        fields << QStringLiteral("%1=%2").arg(QLatin1String(phase)).arg(ms(at - previous));
        previous = at;
    }
    say(fields.join(QLatin1Char(' ')));
    return 0;
}

int probeSelection(int argc, char *argv[], const QString &folder, int selections)
{
    QApplication app(argc, argv);
    ShownWindow window(folder);
    settle(300);
    // The peak from before the first choice on: writing 5 resets the kernel's high-water mark.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const long rssBefore = residentKb();
    window.list->setCurrentRow(0);
    window.waitForPhoto();
    settle(300);

    std::vector<double> cpu;
    std::vector<double> wall;
    for (int i = -2; i < selections; ++i) { // two rounds to warm up
        const qint64 cpu0 = processCpuNs();
        const qint64 wall0 = steadyNs();
        window.press(i % 2 == 0 ? Qt::Key_Down : Qt::Key_Up);
        if (!window.waitForPhoto())
            return 1;
        if (i >= 0) {
            cpu.push_back(ms(processCpuNs() - cpu0));
            wall.push_back(ms(steadyNs() - wall0));
        }
    }
    say(QStringLiteral("cpu=%1 wall=%2 added_peak=%3 shown=%4")
                .arg(list(cpu), list(wall))
                .arg(residentKb("VmHWM:") - rssBefore)
                .arg(window.picture->notice().isEmpty() ? 1 : 0));
    return 0;
}

int probeAllPlantsMemory(int argc, char *argv[], const QString &folder)
{
    QApplication app(argc, argv);
    ShownWindow window(folder);
    settle(500);
    const long before = residentKb();
    long peak = before;
    window.list->setCurrentRow(0);
    window.waitForPhoto();
    for (int row = 1; row < window.list->count(); ++row) {
        window.press(Qt::Key_Down);
        window.waitForPhoto();
        peak = std::max(peak, residentKb());
    }
    settle(500);
    say(QStringLiteral("before=%1 after=%2 peak=%3 anon=%4 file=%5 herb=%6")
                .arg(before)
                .arg(residentKb())
                .arg(peak)
                .arg(residentKb("RssAnon:"))
                .arg(residentKb("RssFile:"))
                .arg(window.form.herbNumber()));
    return 0;
}

int probeHeldKey(int argc, char *argv[], const QString &folder, int repeatsPerSecond)
{
    QApplication app(argc, argv);
    ShownWindow window(folder);
    window.list->setCurrentRow(0);
    window.waitForPhoto();
    settle(300);

    const int presses = window.list->count() - 1;
    const qint64 interval = 1000000000LL / repeatsPerSecond;
    std::vector<qint64> posted(presses);
    std::vector<qint64> handled;
    qint64 lastPainted = 0;
    QObject::connect(window.picture, &PhotoBox::photoShown, &app,
                     [&] { handled.push_back(steadyNs()); });
    PaintWatch lastPlant(window.picture, [&] {
        if (window.form.herbNumber() == window.list->count() && !window.stillReading())
            lastPainted = steadyNs();
    });

    // The key comes from another thread, like a display server that keeps queueing repeats
    // however busy the window is.
    const qint64 start = steadyNs() + interval;
    // The key is let go one repeat interval after the last repeat.
    const qint64 release = start + presses * interval;
    std::thread keyboard([&] {
        for (int k = 0; k <= presses; ++k) {
            std::this_thread::sleep_for(
                    std::chrono::nanoseconds(start + k * interval - steadyNs()));
            if (k < presses)
                posted[k] = steadyNs();
            QCoreApplication::postEvent(
                    window.list,
                    new QKeyEvent(k < presses ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Down,
                                  Qt::NoModifier, QString(), k > 0 && k < presses));
        }
    });
    while (lastPainted == 0 && steadyNs() < release + 30000000000LL)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    keyboard.join();

    double worstBacklog = 0;
    for (size_t k = 0; k < handled.size() && k < posted.size(); ++k)
        worstBacklog = std::max(worstBacklog, ms(handled[k] - posted[k]));
    say(QStringLiteral("presses=%1 handled=%2 backlog=%3 last_repeat_to_last=%4 "
                       "release_to_last=%5 herb=%6")
                .arg(presses)
                .arg(handled.size())
                .arg(worstBacklog)
                .arg(lastPainted ? ms(lastPainted - posted.back()) : -1.0)
                .arg(lastPainted ? ms(std::max<qint64>(0, lastPainted - release)) : -1.0)
                .arg(window.form.herbNumber()));
    return 0;
}

int probeSoak(int argc, char *argv[], const QString &folder, int ticks, int selections)
{
    countObjects();
    QApplication app(argc, argv);
    ShownWindow window(folder);
    qint64 simulatedMs = QDateTime(QDate(2024, 12, 31), QTime(23, 0)).toMSecsSinceEpoch();
    window.form.setClock([&simulatedMs] { return QDateTime::fromMSecsSinceEpoch(simulatedMs); });
    QTimer *timer = window.form.findChild<QTimer *>(QStringLiteral("Timer1"));
    timer->stop(); // ticks come from the loop below only

    const int rows = window.list->count();
    int selected = 0;
    const auto run = [&](int tickCount, int selectionCount) {
        for (int t = 0; t < tickCount; ++t) {
            simulatedMs += 100;
            QMetaObject::invokeMethod(&window.form, "Timer1_Timer");
            // Selections spread evenly over the ticks.
            const int due = int(qint64(t + 1) * selectionCount / tickCount);
            for (; selected < due; ++selected)
                window.list->setCurrentRow((selected * 37) % rows);
            QCoreApplication::processEvents();
        }
    };
    run(1000, 300); // warm up: every cache and pool filled once
    selected = 0;
    settle(200);
    const long rssBefore = residentKb();
    const long objectsBefore = liveObjects;
    const qint64 wall0 = steadyNs();
    // In two halves: memory that keeps growing grows in the second half too.
    run(ticks / 2, selections / 2);
    const long rssMiddle = residentKb();
    const int firstHalf = selected;
    selected = 0;
    run(ticks - ticks / 2, selections - selections / 2);
    const double seconds = double(steadyNs() - wall0) / 1e9;
    settle(200);
    say(QStringLiteral("ticks=%1 selections=%2 seconds=%3 rss_before=%4 rss_middle=%5 "
                       "rss_after=%6 objects_before=%7 objects_after=%8")
                .arg(ticks)
                .arg(firstHalf + selected)
                .arg(seconds)
                .arg(rssBefore)
                .arg(rssMiddle)
                .arg(residentKb())
                .arg(objectsBefore)
                .arg(long(liveObjects)));
    return 0;
}
