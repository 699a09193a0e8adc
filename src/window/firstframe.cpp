#include "firstframe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>

namespace {

// The resident set of this process in kB, from /proc (0 where there is none).
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

// Watches the widget for its first paint and its screen window for the events that paint and
// flush a frame (expose, update request). The frame has reached the display once such an event
// has been handled after the widget was painted.
class FirstFrameWatch : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            m_painted = true;
            return false;
        }
        if (!watched->isWindowType()
            || (event->type() != QEvent::Expose && event->type() != QEvent::UpdateRequest))
            return false;
        watched->removeEventFilter(this);
        watched->event(event); // paints and flushes
        watched->installEventFilter(this);
        if (m_painted && !m_reported) {
            m_reported = true;
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("first-frame %lld %ld\n",
                        static_cast<long long>(
                                std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                        residentKilobytes());
            std::fflush(stdout);
            QCoreApplication::exit(0);
        }
        return true;
    }

private:
    bool m_painted = false;
    bool m_reported = false;
};

} // namespace

void quitAfterFirstFrameWhenAsked(QWidget &window)
{
    if (!qEnvironmentVariableIsSet("QUILLORA_FIRST_FRAME"))
        return;
    auto *watch = new FirstFrameWatch(&window);
    window.installEventFilter(watch);
    if (QWindow *screenWindow = window.windowHandle())
        screenWindow->installEventFilter(watch);
}
