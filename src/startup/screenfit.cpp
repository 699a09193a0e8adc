#include "screenfit.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

// Room kept for a frame the window manager has not drawn yet (a title bar and thin borders, as
// desktops draw them at their scale); once the window is shown its real frame counts.
constexpr QMargins kFrameAllowance(4, 32, 4, 4);

QMargins frameOf(const QWidget *window)
{
    const QRect inner = window->geometry();
    const QRect outer = window->frameGeometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                    outer.right() - inner.right(), outer.bottom() - inner.bottom());
}

} // namespace

qreal fittingZoom(qreal scale, const QSize &window, const QMargins &frame, const QSize &available)
{
    if (scale <= 1 || window.isEmpty() || available.isEmpty())
        return 1;
    const auto fits = [&](qreal zoom) {
        return qRound(window.width() * zoom) + frame.left() + frame.right() <= available.width()
                && qRound(window.height() * zoom) + frame.top() + frame.bottom()
                <= available.height();
    };
    constexpr qreal kStep = 0.05;
    qreal scaled = scale;
    while (scaled > 1 && !fits(scaled / scale))
        scaled = std::max(1.0, scaled - kStep);
    return scaled / scale;
}

ScreenFit::ScreenFit(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_fullSize(window->size())
{
    window->installEventFilter(this);
    refit();
}

bool ScreenFit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        if (event->type() == QEvent::Show && !m_watchingWindow && m_window->windowHandle()) {
            m_watchingWindow = true;
            connect(m_window->windowHandle(), &QWindow::screenChanged, this, &ScreenFit::refit);
        } else if (event->type() == QEvent::Move) {
            refit(); // the window manager has framed or moved the window
        }
    }
    return QObject::eventFilter(watched, event);
}

void ScreenFit::watch(QScreen *screen)
{
    if (screen == m_screen)
        return;
    if (m_screen)
        disconnect(m_screen, nullptr, this, nullptr);
    m_screen = screen;
    connect(screen, &QScreen::availableGeometryChanged, this, &ScreenFit::refit);
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ScreenFit::refit);
    connect(screen, &QScreen::physicalDotsPerInchChanged, this, &ScreenFit::refit);
}

void ScreenFit::refit()
{
    QScreen *screen = m_window->screen();
    if (!screen)
        return;
    watch(screen);
    const QMargins frame = m_window->isVisible() ? frameOf(m_window) : kFrameAllowance;
    const qreal zoom = fittingZoom(screen->devicePixelRatio(), m_fullSize, frame,
                                   screen->availableGeometry().size());
    if (qFuzzyCompare(zoom, m_zoom))
        return;
    m_zoom = zoom;
    emit zoomChanged(zoom);
    if (m_window->isVisible())
        keepInside(screen->availableGeometry());
}

// A window drawn larger, or on a smaller screen, may reach past the work area where it stands:
// it moves back inside, where it fits.
void ScreenFit::keepInside(const QRect &area)
{
    const QRect frame = m_window->frameGeometry();
    if (area.contains(frame) || frame.width() > area.width() || frame.height() > area.height())
        return;
    m_window->move(std::clamp(frame.left(), area.left(), area.right() + 1 - frame.width()),
                   std::clamp(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
}
