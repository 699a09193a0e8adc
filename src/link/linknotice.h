#pragma once

#include <QLabel>
#include <QTimer>

// A small, non-modal notice that appears just above a button and hides itself after a few
// seconds. It takes no focus and lets mouse clicks through.
class LinkNotice : public QLabel
{
    Q_OBJECT

public:
    explicit LinkNotice(QWidget *parent);

    // Shows `text` right-aligned with `anchor`, just above it, and starts the hide countdown
    // again.
    void showNear(const QWidget *anchor, const QString &text);

private:
    QTimer m_hideTimer;
};
