#include "childprocess.h"

#include "benchprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

ChildProcess::ChildProcess(const QStringList &argv, const QStringList &extraEnv)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    m_startedNs = steadyNs();
    m_pid = spawnChild(argv, extraEnv, fds[1]);
    close(fds[1]);
    m_out = fds[0];
}

ChildProcess::~ChildProcess()
{
    stop();
}

bool ChildProcess::alive()
{
    if (m_pid <= 0 || m_exited)
        return false;
    if (waitpid(m_pid, nullptr, WNOHANG) != 0)
        m_exited = true;
    return !m_exited;
}

QByteArray ChildProcess::waitForLine(const QByteArray &prefix, int timeoutMs)
{
    const qint64 deadline = steadyNs() + qint64(timeoutMs) * 1000000;
    for (;;) {
        for (int newline; (newline = m_buffer.indexOf('\n')) >= 0;) {
            const QByteArray line = m_buffer.left(newline);
            m_buffer.remove(0, newline + 1);
            if (line.startsWith(prefix))
                return line;
        }
        const qint64 left = (deadline - steadyNs()) / 1000000;
        pollfd p {m_out, POLLIN, 0};
        if (m_out < 0 || left <= 0 || poll(&p, 1, int(left)) <= 0)
            return {};
        char chunk[4096];
        const ssize_t n = read(m_out, chunk, sizeof chunk);
        if (n <= 0) {
            close(m_out);
            m_out = -1;
            return {};
        }
        m_buffer.append(chunk, n);
    }
}

void ChildProcess::stop()
{
    if (m_out >= 0)
        close(m_out);
    m_out = -1;
    if (m_pid > 0 && !m_exited)
        stopChild(m_pid);
    m_exited = true;
}
