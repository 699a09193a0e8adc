#include "appicon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kLeaf(154, 205, 50); // yellow-green
const QColor kStem(128, 180, 38);

// A pointed leaf from its base at the origin to its tip at (length, 0), widest nearer the base.
QPainterPath leafShape(qreal length, qreal width)
{
    QPainterPath path;
    path.moveTo(0, 0);
    path.cubicTo(length * 0.25, -width * 0.7, length * 0.7, -width * 0.55, length, 0);
    path.cubicTo(length * 0.7, width * 0.55, length * 0.25, width * 0.7, 0, 0);
    return path;
}

// A leaf on the 64-unit grid; `pixel` is one pixel of the finished image in grid units.
void drawLeaf(QPainter &p, QPointF base, qreal angle, qreal length, qreal pixel)
{
    const qreal width = length * 0.56;
    p.save();
    p.translate(base);
    p.rotate(-angle); // counter-clockwise, as on paper
    QLinearGradient shade(0, -width / 2, 0, width / 2);
    shade.setColorAt(0, kLeaf.lighter(115));
    shade.setColorAt(1, kLeaf.darker(118));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(leafShape(length, width));
    if (length > 14 * pixel) { // veins only where they do not smudge the leaf
        const QColor vein(92, 132, 24);
        p.setPen(QPen(vein, qMax(0.7, pixel), Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(length * 0.05, 0), QPointF(length * 0.85, 0));
        p.setPen(QPen(vein, qMax(0.5, 0.6 * pixel), Qt::SolidLine, Qt::RoundCap));
        for (qreal t : {0.25, 0.45, 0.65}) {
            for (int side : {-1, 1})
                p.drawLine(QPointF(length * t, 0),
                           QPointF(length * (t + 0.13), side * width * 0.32 * (1.05 - t)));
        }
    }
    p.restore();
}

// One sprig from the lower left to the upper right, bowed slightly into an S, with a leaf at
// each end pointing out to the corner and small leaves along it that leave the crossing clear.
void drawSprig(QPainter &p, bool overOther, qreal pixel)
{
    QPainterPath stem(QPointF(15, 49));
    stem.cubicTo(QPointF(27.7, 40.3), QPointF(36.3, 23.7), QPointF(49, 15));

    const qreal stemWidth = qMax(3.6, 1.3 * pixel);
    p.setBrush(Qt::NoBrush);
    if (overOther) { // a black rim where it crosses the first sprig shows one lying on the other
        p.save();
        p.setClipRect(QRectF(22, 22, 20, 20));
        p.setPen(QPen(Qt::black, stemWidth + 2.4 * qMin(pixel, 1.0), Qt::SolidLine, Qt::FlatCap));
        p.drawPath(stem);
        p.restore();
    }
    p.setPen(QPen(kStem, stemWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(stem);

    // Each end: a leaf whose tip points out along the stem to the corner.
    for (qreal at : {0.0, 1.0}) {
        const qreal outward = stem.angleAtPercent(at) + (at < 0.5 ? 180 : 0);
        drawLeaf(p, stem.pointAtPercent(at), outward, 16, pixel);
    }
    // Side leaves, alternately left and right along each arm, slanting towards its end. Small
    // icons get one per arm so that the arms stay slim enough to read as an X.
    const QList<qreal> places = pixel > 1.5 ? QList<qreal> {0.2} : QList<qreal> {0.12, 0.3};
    int side = 1;
    for (qreal place : places) {
        for (qreal at : {place, 1 - place}) {
            const qreal outward = stem.angleAtPercent(at) + (at < 0.5 ? 180 : 0);
            drawLeaf(p, stem.pointAtPercent(at), outward + side * 40, pixel > 1.5 ? 14 : 11.5,
                     pixel);
        }
        side = -side;
    }
}

} // namespace

QImage quilloraIconImage(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0); // drawn on a 64 x 64 grid
    const qreal pixel = 64.0 / size;

    // Two leafy sprigs crossed into an X, the second the mirror image of the first.
    drawSprig(painter, false, pixel);
    painter.translate(64, 0);
    painter.scale(-1, 1);
    drawSprig(painter, true, pixel);
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
