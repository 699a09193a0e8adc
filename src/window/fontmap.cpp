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

QFont songFont(qreal pointSize, bool bold)
{
    return makeFont({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
                     QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC")},
                    QFont::Serif, pointSize, bold);
}

QFont tahomaFont(qreal pointSize, bool bold)
{
    return makeFont({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK SC"),
                     QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei")},
                    QFont::SansSerif, pointSize, bold);
}
