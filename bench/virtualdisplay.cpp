#include "virtualdisplay.h"

#include "benchprocess.h"

#include <unistd.h>

VirtualDisplay::VirtualDisplay()
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    m_pid = spawnChild({QStringLiteral("/usr/bin/Xvfb"), QStringLiteral("-displayfd"),
                        QString::number(fds[1]), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("1280x800x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")},
                       {}, -1, fds[1]);
    close(fds[1]);
    QByteArray number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n')
        number.append(c);
    close(fds[0]);
    if (!number.isEmpty())
        m_name = QLatin1Char(':') + QString::fromLatin1(number);
}

VirtualDisplay::~VirtualDisplay()
{
    stopChild(m_pid);
}
