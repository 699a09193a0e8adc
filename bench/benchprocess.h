#pragma once

#include <QByteArray>
#include <QStringList>

#include <sys/types.h>

// Child processes of the benchmark, started with fork/exec so that their CPU time (rusage) and
// resident memory can be read.

struct ChildRun
{
    int exitCode = -1; // -1 when it did not exit normally or was ended for taking too long
    bool timedOut = false;
    double cpuSeconds = 0; // user + system
    double wallSeconds = 0;
    qint64 startedNs = 0; // steady clock just before the fork
    QByteArray output; // standard output
};

// Runs argv[0] (a path) with the extra environment entries "NAME=value" and waits for it, at
// most timeoutMs: then it is killed and the run counts as timed out.
ChildRun runChild(const QStringList &argv, const QStringList &extraEnv = {},
                  int timeoutMs = 120000);

// fork + exec with the extra environment; standard output to outFd (or /dev/null when -1),
// standard error to /dev/null.
pid_t spawnChild(const QStringList &argv, const QStringList &extraEnv, int outFd, int keepFd = -1);

// Ends a child (SIGTERM, then SIGKILL after five seconds) and reaps it.
void stopChild(pid_t pid);

// CPU seconds a running process's live threads have used so far (the scheduler's count).
double processCpuSeconds(pid_t pid);

// Context switches (voluntary and not) of a running process's live threads so far: each is a
// thread going to sleep or being put off the CPU, so their growth over a time counts wake-ups.
long long processContextSwitches(pid_t pid);

// A resident-set line of /proc/PID/status in kB ("VmRSS:", "VmHWM:", "RssAnon:", "RssFile:");
// -1 when it cannot be read. PID 0 is this process.
long residentKb(pid_t pid, const QByteArray &field = "VmRSS:");

// The steady (monotonic) clock in nanoseconds, the clock of the first-frame watch.
qint64 steadyNs();
