#include "herbdisplay.h"

#include <limits>

std::optional<HerbDisplay> composeHerbDisplay(HerbNumber n, const QString &appFolder)
{
    const HerbEntry *row = HerbCatalogue::entryAt(n);
    if (!row)
        return std::nullopt;
    HerbDisplay display;
    display.photoPath = row->photoPath(appFolder);
    for (HerbField field : kHerbFields)
        display.texts[herbFieldIndex(field)] = row->fieldText(field);
    return display;
}

std::optional<HerbNumber> herbNumberForPosition(HerbNumber position)
{
    if (position == std::numeric_limits<HerbNumber>::max())
        return std::nullopt;
    return static_cast<HerbNumber>(position + 1);
}
