#include "appicon.h"

#include <QPainter>

QImage quilloraIconImage(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(154, 205, 50), size * 0.16, Qt::SolidLine, Qt::RoundCap));
    const qreal near = size * 0.2;
    const qreal far = size - near;
    painter.drawLine(QPointF(near, near), QPointF(far, far));
    painter.drawLine(QPointF(far, near), QPointF(near, far));
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
