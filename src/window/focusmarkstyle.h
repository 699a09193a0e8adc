#pragma once

#include <QProxyStyle>

// The window's keyboard focus mark, drawn over a style: a solid line two pixels wide around a
// focused text box or list, and in place of the faint dotted focus rectangle of a button. It is
// yellow where that stands out from the ground it is drawn on, black elsewhere (on the author
// button's light blue). A list's chosen row is drawn in the palette's highlight colours on every
// platform's style.
class FocusMarkStyle : public QProxyStyle
{
    Q_OBJECT

public:
    // `base` (owned from now on) or, without one, the application's style.
    explicit FocusMarkStyle(QStyle *base = nullptr);

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
};
