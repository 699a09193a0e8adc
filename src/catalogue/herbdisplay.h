#pragma once

#include "herbcatalogue.h"

#include <QString>

#include <array>
#include <filesystem>
#include <optional>

// What one choice in the plant list shows: the photo to read and the nine strings for
// Text1 … Text9.
struct HerbDisplay
{
    std::filesystem::path photoFile; // the file to open, the folder's bytes kept as they are
    QString photoPath; // the same path as text, for notices
    std::array<QString, kHerbFieldCount> texts;
};

// The display for row n, or nothing when n names no row.
std::optional<HerbDisplay> composeHerbDisplay(HerbNumber n, const std::filesystem::path &appFolder);

// The step from a 0-based list position (-1 when nothing is selected) to a HerbNumber, in
// signed 16-bit arithmetic: position + 1, or nothing when that would overflow (32767).
std::optional<HerbNumber> herbNumberForPosition(HerbNumber position);
