#pragma once

#include <QString>

#include <sys/types.h>

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
