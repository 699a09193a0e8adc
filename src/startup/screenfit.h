#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QSize>

class QScreen;
class QWidget;

// The desktop's scale is Qt's: it draws a window at its screen's device pixel ratio, whether the
// desktop gives it by QT_SCREEN_SCALE_FACTORS, QT_SCALE_FACTOR, Xft.dpi or Windows' per-monitor
// DPI, fractional or not. What Qt does not do is keep a window of fixed size on its screen.

// The share of its full size (window, in device-independent pixels at the screen's scale) a
// window is drawn at so that, with its frame, it fits the area of its screen that windows may
// cover: 1 where it fits; else the scale is lowered in steps of 5 % of the unscaled size, as far
// as needed, but never below the unscaled size itself (scale × share ≥ 1).
qreal fittingZoom(qreal scale, const QSize &window, const QMargins &frame, const QSize &available);

// Keeps a window of fixed size on its screen: tells the share of its full size to draw it at,
// anew whenever its screen, that screen's scale or work area, or the window's frame changes (the
// window moved to another monitor, the desktop's scale changed while it runs), and moves it back
// inside the work area when its new size reaches past it. The window's size when this is made
// counts as its full size.
class ScreenFit : public QObject
{
    Q_OBJECT

public:
    explicit ScreenFit(QWidget *window);

    qreal zoom() const { return m_zoom; }

signals:
    void zoomChanged(qreal zoom);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watch(QScreen *screen);
    void refit();
    void keepInside(const QRect &area);

    QWidget *m_window;
    QSize m_fullSize;
    qreal m_zoom = 1;
    QPointer<QScreen> m_screen;
    bool m_watchingWindow = false;
};
