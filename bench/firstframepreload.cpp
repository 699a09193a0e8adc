// Loaded into a program with LD_PRELOAD by the benchmark: when the program makes its Qt
// application, watches it for its first frame and prints
//   first-frame <monotonic ns> <resident kB> <CPU µs of all its threads so far>
// on standard output. QUILLORA_BENCH_FRAME=exit then ends the program's event loop; any other
// value lets it run on. Programs without a Qt GUI application print nothing.

#include "firstframewatch.h"

#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

void watchFirstFrame()
{
    auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    const bool exitAfter = qgetenv("QUILLORA_BENCH_FRAME") == "exit";
    const auto shown = [exitAfter] {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        const long long cpuMicroseconds
                = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL
                + usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
        std::printf("first-frame %lld %ld %lld\n",
                    static_cast<long long>(
                            std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                    residentKilobytes(), cpuMicroseconds);
        std::fflush(stdout);
        if (exitAfter)
            QCoreApplication::exit(0);
    };
    app->installEventFilter(new FirstFrameWatch(shown, app));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchFirstFrame)
