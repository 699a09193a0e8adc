#include "herbcatalogue.h"

#include <iterator>

namespace {

const HerbEntry kRows[] = {
#include "herbrows.inc"
};

} // namespace

int HerbCatalogue::count()
{
    return static_cast<int>(std::size(kRows));
}

const HerbEntry *HerbCatalogue::entryAt(HerbNumber n)
{
    if (n < 1 || n > count())
        return nullptr;
    return &kRows[n - 1];
}

QStringList HerbCatalogue::displayNames()
{
    QStringList names;
    names.reserve(count());
    for (const HerbEntry &row : kRows)
        names.append(row.name());
    return names;
}
