#pragma once

#include "herbfield.h"

#include <QString>

#include <array>

// One row of the plant table. The strings are UTF-8 literals compiled into the program; every
// value starts with one ASCII blank and is shown exactly as stored.
struct HerbEntry
{
    const char *displayName;
    const char *photoStem;
    std::array<const char *, kHerbFieldCount> values;

    QString name() const { return QString::fromUtf8(displayName); }
    QString value(HerbField field) const;

    // The caption followed directly by the stored value, nothing trimmed.
    QString fieldText(HerbField field) const;

    // appFolder + "/photos/" + stem + ".jpg". No separator check: at the root folder the
    // separator is doubled, which the file system reads as one.
    QString photoPath(const QString &appFolder) const;
};
