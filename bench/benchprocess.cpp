#include "benchprocess.h"

#include <QDir>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

double seconds(const timeval &t)
{
    return double(t.tv_sec) + double(t.tv_usec) / 1e6;
}

} // namespace

pid_t spawnChild(const QStringList &argv, const QStringList &extraEnv, int outFd, int keepFd)
{
    // Everything the child needs is prepared before the fork, where only exec-safe calls are made.
    QList<QByteArray> args;
    for (const QString &a : argv)
        args << a.toLocal8Bit();
    QList<QByteArray> env;
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        const QByteArray name = entry.left(entry.indexOf('=') + 1);
        const bool replaced = std::any_of(extraEnv.begin(), extraEnv.end(), [&](const QString &x) {
            return x.toLocal8Bit().startsWith(name);
        });
        if (!replaced)
            env << entry;
    }
    for (const QString &e : extraEnv)
        env << e.toLocal8Bit();
    std::vector<char *> argp;
    for (QByteArray &a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);
    std::vector<char *> envp;
    for (QByteArray &e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    const int devNull = open("/dev/null", O_RDWR);
    dup2(outFd >= 0 ? outFd : devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    dup2(devNull, STDIN_FILENO);
    for (int fd = 3; fd < 1024; ++fd)
        if (fd != keepFd)
            close(fd);
    execve(argp[0], argp.data(), envp.data());
    _exit(127);
}

qint64 steadyNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
}

ChildRun runChild(const QStringList &argv, const QStringList &extraEnv, int timeoutMs)
{
    ChildRun run;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return run;
    run.startedNs = steadyNs();
    const pid_t pid = spawnChild(argv, extraEnv, pipeFds[1]);
    close(pipeFds[1]);
    const qint64 deadline = run.startedNs + qint64(timeoutMs) * 1000000;
    char buffer[4096];
    for (;;) {
        const qint64 left = (deadline - steadyNs()) / 1000000;
        pollfd p {pipeFds[0], POLLIN, 0};
        if (left <= 0 || poll(&p, 1, int(left)) <= 0) {
            run.timedOut = true;
            break;
        }
        const ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        run.output.append(buffer, n);
    }
    close(pipeFds[0]);
    if (run.timedOut && pid > 0)
        kill(pid, SIGKILL);
    int status = 0;
    rusage usage {};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        run.wallSeconds = double(steadyNs() - run.startedNs) / 1e9;
        run.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
        run.exitCode = WIFEXITED(status) && !run.timedOut ? WEXITSTATUS(status) : -1;
    }
    return run;
}

void stopChild(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) != 0)
            return;
        QThread::msleep(100);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

double processCpuSeconds(pid_t pid)
{
    // The scheduler's own count of time on a CPU, in nanoseconds, summed over the threads.
    double seconds = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            seconds += schedstat.readAll().split(' ').value(0).toDouble() / 1e9;
    }
    return seconds;
}

long long processContextSwitches(pid_t pid)
{
    long long switches = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks + QLatin1Char('/') + task + QStringLiteral("/status"));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
            if (line.startsWith("voluntary_ctxt_switches:")
                || line.startsWith("nonvoluntary_ctxt_switches:"))
                switches += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return switches;
}

long residentKb(pid_t pid, const QByteArray &field)
{
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid)
                     : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}
