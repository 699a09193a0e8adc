#pragma once

#include <QByteArray>
#include <QStringList>

#include <sys/types.h>

// A program the benchmark keeps running while it measures it: started at once, its standard
// output read on demand, stopped and reaped when the object goes.
class ChildProcess
{
public:
    ChildProcess(const QStringList &argv, const QStringList &extraEnv);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return m_pid; }
    qint64 startedNs() const { return m_startedNs; }

    // Still running (not exited, not a zombie).
    bool alive();

    // Reads standard output until a line that starts with prefix arrives (returned without its
    // newline), the output ends or timeoutMs pass (an empty result).
    QByteArray waitForLine(const QByteArray &prefix, int timeoutMs);

    void stop();

private:
    pid_t m_pid = -1;
    int m_out = -1;
    qint64 m_startedNs = 0;
    bool m_exited = false;
    QByteArray m_buffer;
};
