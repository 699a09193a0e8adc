#include "herbentry.h"

#include "pathtext.h"

QString HerbEntry::value(HerbField field) const
{
    return QString::fromUtf8(values[herbFieldIndex(field)]);
}

QString HerbEntry::fieldText(HerbField field) const
{
    return herbFieldCaption(field) + value(field);
}

std::filesystem::path HerbEntry::photoPath(const std::filesystem::path &appFolder) const
{
    return photosFile(appFolder,
                      std::u8string(reinterpret_cast<const char8_t *>(photoStem)) + u8".jpg");
}
