#pragma once

#include "herbfield.h"

#include <QString>

#include <array>
#include <filesystem>

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

    // The row's photo, stem + ".jpg" in the photos folder (see photosFile()), keeping the
    // folder's bytes as they are.
    std::filesystem::path photoPath(const std::filesystem::path &appFolder) const;
};
