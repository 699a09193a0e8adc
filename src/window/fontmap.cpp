#include "fontmap.h"

#include <QStringList>

namespace {

QFont makeFont(const QStringList &families, QFont::StyleHint hint, qreal pointSize, bool bold)
{
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

// Windows has both faces (SimSun is 宋体's family name); Wine has its own Tahoma and takes the
// Chinese faces of the Linux desktop it runs on, Noto CJK among them.
QFont songFont(qreal pointSize, bool bold)
{
#ifdef Q_OS_WIN
    return makeFont({QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                     QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Microsoft YaHei"),
                     QStringLiteral("Noto Sans CJK SC")},
                    QFont::Serif, pointSize, bold);
#else
    return makeFont({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
                     QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC")},
                    QFont::Serif, pointSize, bold);
#endif
}

QFont tahomaFont(qreal pointSize, bool bold)
{
#ifdef Q_OS_WIN
    return makeFont({QStringLiteral("Tahoma"), QStringLiteral("Microsoft YaHei"),
                     QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")},
                    QFont::SansSerif, pointSize, bold);
#else
    return makeFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                     QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei")},
                    QFont::SansSerif, pointSize, bold);
#endif
}
