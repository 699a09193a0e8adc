#include "firstframewatch.h"

#include <QEvent>

FirstFrameWatch::FirstFrameWatch(std::function<void()> shown, QObject *parent)
    : QObject(parent)
    , m_shown(std::move(shown))
{ }

bool FirstFrameWatch::eventFilter(QObject *watched, QEvent *event)
{
    if (m_reported)
        return false;
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
        m_painted = true;
        return false;
    }
    if (m_inside || !watched->isWindowType()
        || (event->type() != QEvent::Expose && event->type() != QEvent::UpdateRequest))
        return false;
    // The window paints its widgets and flushes the frame inside its own handling of the event.
    m_inside = true;
    watched->event(event);
    m_inside = false;
    if (m_painted) {
        m_reported = true;
        m_shown();
    }
    return true;
}
