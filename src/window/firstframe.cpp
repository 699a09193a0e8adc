#include "firstframe.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

FirstFrame::FirstFrame(QWidget *window)
    : QObject(window)
    , m_window(window)
{
    window->installEventFilter(this);
}

// The window's surface exists from its first show on; its first expose paints the widgets and
// flushes the frame while the event is handled, so what is queued then comes after the frame.
bool FirstFrame::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show && m_window->windowHandle()) {
        m_window->removeEventFilter(this);
        m_window->windowHandle()->installEventFilter(this);
    } else if (watched == m_window->windowHandle() && event->type() == QEvent::Expose
               && m_window->windowHandle()->isExposed()) {
        watched->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &FirstFrame::shown, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}
