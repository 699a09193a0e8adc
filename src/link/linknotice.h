#pragma once

#include <QLabel>
#include <QTimer>

// A small, non-modal notice that appears just above a button and hides itself some seconds after
// it was shown or the pointer left it. Its text can be selected and copied with the mouse; it is
// not a stop of the Tab key.
class LinkNotice : public QLabel
{
    Q_OBJECT

public:
    explicit LinkNotice(QWidget *parent);

    // Shows `text` right-aligned with `anchor`, just above it, and starts the hide countdown
    // again.
    void showNear(const QWidget *anchor, const QString &text);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QTimer m_hideTimer;
};
