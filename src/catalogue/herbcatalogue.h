#pragma once

#include "herbentry.h"

#include <QStringList>

#include <cstdint>

// The 1-based number of a chosen plant: a signed 16-bit value, as the window holds it.
using HerbNumber = std::int16_t;

// The constant table of the book's 133 plants, in the order of the plant list.
class HerbCatalogue
{
public:
    static int count();

    // The row with number n for 1..count(); nullptr for every other number.
    static const HerbEntry *entryAt(HerbNumber n);

    // The display names in row order: the plant list's items.
    static QStringList displayNames();
};
