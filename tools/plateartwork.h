#pragma once

#include <QImage>
#include <QSize>

struct HerbEntry;

// The size of a sample photo: it fills the photo box exactly.
inline constexpr QSize kPlateSize(433, 353);

// Draws the "specimen plate" for one plant: a stylised drawing on paper of the features a field
// guide tells it by (how it grows, its leaves and how they are set, its flowers and its fruit),
// its Chinese name in large type, its Latin name and its family. The name picks the small
// variations, so the same row always gives the same picture.
QImage drawSpecimenPlate(const HerbEntry &row);

// The plant of a plate alone, on a transparent image, with `seed` picking the small variations.
// Drawn with one seed, two plants that look alike here would be the same drawing.
QImage drawPlantSketch(const HerbEntry &row, quint64 seed);
