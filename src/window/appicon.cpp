#include "appicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// A pointed leaf from its base at the origin to its tip at (length, 0), widest nearer the base.
QPainterPath leafShape(qreal length, qreal width)
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(length * 0.2, -width * 0.75, length * 0.7, -width * 0.6, length, 0);
    path.cubicTo(length * 0.7, width * 0.6, length * 0.2, width * 0.75, 0, 0);
    return path;
}

void drawLeaf(QPainter &p, QPointF base, qreal angle, qreal length, qreal size)
{
    const QColor leaf(154, 205, 50); // yellow-green
    p.save();
    p.translate(base);
    p.rotate(angle);
    const qreal width = length * 0.52;
    QLinearGradient shade(0, -width / 2, 0, width / 2);
    shade.setColorAt(0, leaf.lighter(112));
    shade.setColorAt(1, leaf.darker(125));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(leafShape(length, width));
    // The midrib, and side veins where there is room for them. Widths are on the 64-pixel grid:
    // never thinner than about 0.7 of a real pixel.
    const QColor vein(232, 245, 190);
    p.setPen(QPen(vein, qMax(1.3, 45.0 / size), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(length * 0.06, 0), QPointF(length * 0.82, 0));
    if (size >= 48) {
        p.setPen(QPen(vein, 0.8, Qt::SolidLine, Qt::RoundCap));
        for (qreal t : {0.25, 0.45, 0.65}) {
            for (int side : {-1, 1})
                p.drawLine(QPointF(length * t, 0),
                           QPointF(length * (t + 0.14), side * width * 0.3 * (1.1 - t)));
        }
    }
    p.restore();
}

} // namespace

QImage quilloraIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0); // drawn on a 64 x 64 grid

    // A black tile with rounded corners.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(16, 20, 14));
    painter.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);

    // A sprig: a curved stem from the lower left, a large leaf at its tip and a smaller one
    // on its side.
    QPainterPath stem(QPointF(13, 56));
    stem.quadTo(QPointF(22, 40), QPointF(30, 33));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(120, 170, 40), 4.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(stem);
    drawLeaf(painter, QPointF(29, 34), -45, 33, size);
    drawLeaf(painter, QPointF(20, 45), -128, 21, size);
    return image;
}

QPixmap quilloraIconPixmap(int size)
{
    return QPixmap::fromImage(quilloraIconImage(size));
}

QIcon quilloraIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(quilloraIconPixmap(size));
    return icon;
}
