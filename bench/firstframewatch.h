#pragma once

#include <QObject>

#include <functional>

// Watches every object of the application for the first frame of a widget window: a widget's
// paint, then the window event (expose or update request) that painted it and handed the frame
// to the display. Installed on the application object, so the program watched needs no code of
// its own for it.
class FirstFrameWatch : public QObject
{
public:
    // Called once, right after the first frame has been handed to the display.
    explicit FirstFrameWatch(std::function<void()> shown, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_shown;
    bool m_painted = false;
    bool m_reported = false;
    bool m_inside = false;
};
