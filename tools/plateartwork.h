#pragma once

#include <QImage>
#include <QSize>

struct HerbEntry;

// The size of a sample photo: it fills the photo box exactly.
inline constexpr QSize kPlateSize(433, 353);

// Draws the "specimen plate" for one plant: a stylised drawing of its leaves, flowers or fruit
// on paper, its Chinese name in large type, its Latin name and its family. Shapes and colours
// follow from the row (habit → form, family → flowers and palette, name → the small
// variations), so the same row always gives the same picture.
QImage drawSpecimenPlate(const HerbEntry &row);
