#include "herbdisplay.h"

#include "pathtext.h"

#include <limits>

std::optional<HerbDisplay> composeHerbDisplay(HerbNumber n, const std::filesystem::path &appFolder)
{
    const HerbEntry *row = HerbCatalogue::entryAt(n);
    if (!row)
        return std::nullopt;
    HerbDisplay display;
    display.photoFile = row->photoPath(appFolder);
    display.photoPath = pathText(display.photoFile);
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
