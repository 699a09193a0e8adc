#pragma once

#include <QByteArray>
#include <QStringList>

#include <sys/types.h>

#include <vector>

// Child processes of the benchmark, started with fork/exec so that their CPU time (rusage) and
// resident memory can be read.

struct ChildRun
{
    int exitCode = -1; // -1 when it did not exit normally
    double cpuSeconds = 0; // user + system
    double wallSeconds = 0;
    qint64 startedNs = 0; // steady clock just before the fork
    QByteArray output; // standard output
};

// Runs argv[0] (a path) with the extra environment entries "NAME=value" and waits for it.
ChildRun runChild(const QStringList &argv, const QStringList &extraEnv = {});

// Starts argv[0] without waiting; its output goes to /dev/null. Returns its pid, or -1.
pid_t startChild(const QStringList &argv, const QStringList &extraEnv = {});

// Ends a child started by startChild and reaps it.
void stopChild(pid_t pid);

// CPU seconds a running process's live threads have used so far (the scheduler's count).
double processCpuSeconds(pid_t pid);

// The middle of the values (the upper middle for an even count); 0 for none.
double median(std::vector<double> values);

// The steady (monotonic) clock in nanoseconds, the clock of the first-frame probe.
qint64 steadyNs();

// An Xvfb server on a free display number, ended when the object goes.
class VirtualDisplay
{
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;

    // ":N", or empty when Xvfb could not be started.
    QString name() const { return m_name; }

private:
    pid_t m_pid = -1;
    QString m_name;
};
