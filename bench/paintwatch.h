#pragma once

#include <QObject>

#include <functional>

class QEventLoop;
class QWidget;

// Counts the paint events a widget receives and calls back after each one has been painted.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QWidget *widget, std::function<void()> painted = {});

    int count() const { return m_count; }

    // Runs the event loop until the widget has been painted once more (false after timeoutMs).
    bool waitForNextPaint(int timeoutMs = 5000);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void()> m_painted;
    int m_count = 0;
    QEventLoop *m_loop = nullptr;
};
