#include "bannerline.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRect>

QString bannerNumber(int value)
{
    return QLatin1Char(' ') + QString::number(value) + QLatin1Char(' ');
}

QString bannerLine(const QDateTime &reading, const QLocale &locale)
{
    const QDate date = reading.date();
    const QTime time = reading.time();
    return QString(15, QLatin1Char(' ')) + QStringLiteral("现在是") + bannerNumber(date.year())
            + QStringLiteral("年") + bannerNumber(date.month()) + QStringLiteral("月")
            + bannerNumber(date.day()) + QStringLiteral("日 ")
            + locale.dayName(date.dayOfWeek(), QLocale::LongFormat) + bannerNumber(time.hour())
            + QStringLiteral("点") + bannerNumber(time.minute()) + QStringLiteral("分")
            + bannerNumber(time.second()) + QStringLiteral("秒");
}

QRect bannerBand(const QFont &font, int surfaceWidth)
{
    const int lineSpacing = QFontMetrics(font).lineSpacing();
    return QRect(0, lineSpacing, surfaceWidth, lineSpacing);
}

void printBanner(QPainter &painter, const QString &line)
{
    const QFontMetrics metrics = painter.fontMetrics();
    // The first line is printed empty; the banner's baseline sits on the second line.
    const int baseline = metrics.lineSpacing() + metrics.ascent();
    painter.drawText(QPoint(0, baseline), line);
}
