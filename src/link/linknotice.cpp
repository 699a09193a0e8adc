#include "linknotice.h"

#include <QPalette>

namespace {
constexpr int kShownMilliseconds = 8000;
}

LinkNotice::LinkNotice(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("LinkNotice"));
    setTextFormat(Qt::PlainText);
    setTextInteractionFlags(Qt::TextSelectableByMouse); // takes the focus only when clicked
    setFrameShape(QFrame::Box);
    setMargin(3);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(255, 250, 205));
    colours.setColor(QPalette::WindowText, QColor(96, 32, 0));
    setPalette(colours);
    QFont small = font();
    small.setBold(false);
    small.setPointSizeF(9);
    setFont(small);
    hide();

    m_hideTimer.setSingleShot(true);
    m_hideTimer.setInterval(kShownMilliseconds);
    connect(&m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void LinkNotice::showNear(const QWidget *anchor, const QString &text)
{
    setText(text);
    adjustSize();
    const QRect button = anchor->geometry();
    move(qMax(0, button.right() + 1 - width()), qMax(0, button.top() - height() - 2));
    raise();
    show();
    m_hideTimer.start();
}

// The notice stays while the pointer rests on it, so that its text can be selected.
void LinkNotice::enterEvent(QEnterEvent *event)
{
    m_hideTimer.stop();
    QLabel::enterEvent(event);
}

void LinkNotice::leaveEvent(QEvent *event)
{
    if (isVisible())
        m_hideTimer.start();
    QLabel::leaveEvent(event);
}
