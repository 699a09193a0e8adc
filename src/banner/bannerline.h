#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

class QFont;
class QPainter;
class QRect;

// A whole number as the banner prints it: one blank, the decimal digits without leading zeros
// or grouping, one blank. 7 → " 7 ", 2009 → " 2009 ".
QString bannerNumber(int value);

// The banner line for one reading of the clock: 15 blanks, then
// 现在是 Y 年 M 月 D 日 W h 点 m 分 s 秒, where W is the full weekday name in the given
// locale. Date and time come from the same reading, so they never mix two instants.
QString bannerLine(const QDateTime &reading, const QLocale &locale);

// The band of the second text line on a surface of the given width: where the banner is
// printed, one line spacing of the font below the top, one line spacing high.
QRect bannerBand(const QFont &font, int surfaceWidth);

// Prints an empty first line and then the banner line at the start of the second line, in the
// painter's current font and pen. Nothing wraps; a narrow surface cuts the line off.
void printBanner(QPainter &painter, const QString &line);
