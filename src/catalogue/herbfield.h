#pragma once

#include <QString>

#include <array>

// The nine facts of a plant, in the order the window shows them.
enum class HerbField {
    SpeciesName,
    OtherNames,
    Family,
    Genus,
    Habit,
    FloweringFruiting,
    LatinName,
    PartsUsed,
    MedicinalValue,
};

inline constexpr int kHerbFieldCount = 9;

inline constexpr std::array<HerbField, kHerbFieldCount> kHerbFields = {
        HerbField::SpeciesName, HerbField::OtherNames, HerbField::Family,
        HerbField::Genus,       HerbField::Habit,      HerbField::FloweringFruiting,
        HerbField::LatinName,   HerbField::PartsUsed,  HerbField::MedicinalValue,
};

// 0 for SpeciesName up to 8 for MedicinalValue.
constexpr int herbFieldIndex(HerbField field)
{
    return static_cast<int>(field);
}

// The caption shown before the value, ending in the full-width colon, e.g. "种名：".
QString herbFieldCaption(HerbField field);

// The words a fact box shows before any plant is chosen: the caption without its colon.
QString herbFieldPlaceholder(HerbField field);

// The object name of the box that shows the field: "Text1" … "Text9".
QString herbFieldTextBox(HerbField field);
