#include "paintwatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

PaintWatch::PaintWatch(QWidget *widget, std::function<void()> painted)
    : QObject(widget)
    , m_painted(std::move(painted))
{
    widget->installEventFilter(this);
}

bool PaintWatch::waitForNextPaint(int timeoutMs)
{
    const int before = m_count;
    QEventLoop loop;
    m_loop = &loop;
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    m_loop = nullptr;
    return m_count != before;
}

bool PaintWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Paint)
        return false;
    // Paint first, then count: the callback sees the widget painted.
    watched->removeEventFilter(this);
    QCoreApplication::sendEvent(watched, event);
    watched->installEventFilter(this);
    ++m_count;
    if (m_painted)
        m_painted();
    // The repaint manager flushes the frame to the display once every widget has painted; the
    // queued quit runs after that.
    if (m_loop)
        QMetaObject::invokeMethod(m_loop, &QEventLoop::quit, Qt::QueuedConnection);
    return true;
}
