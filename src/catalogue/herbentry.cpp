#include "herbentry.h"

QString HerbEntry::value(HerbField field) const
{
    return QString::fromUtf8(values[herbFieldIndex(field)]);
}

QString HerbEntry::fieldText(HerbField field) const
{
    return herbFieldCaption(field) + value(field);
}

QString HerbEntry::photoPath(const QString &appFolder) const
{
    return appFolder + QStringLiteral("/photos/") + QString::fromUtf8(photoStem)
            + QStringLiteral(".jpg");
}
