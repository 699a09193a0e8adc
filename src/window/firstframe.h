#pragma once

#include <QObject>

class QWidget;

// Says once, right after a window's first frame has been handed to the display, that it has:
// the moment for the work that frame does not show.
class FirstFrame : public QObject
{
    Q_OBJECT

public:
    explicit FirstFrame(QWidget *window);

signals:
    void shown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_window;
};
