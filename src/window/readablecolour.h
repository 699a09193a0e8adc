#pragma once

#include <QColor>

// The contrast ratio of two colours as WCAG 2 defines it: from 1 (the same) to 21 (black on
// white).
double contrastRatio(const QColor &a, const QColor &b);

// The least contrast text needs to be read with ease (WCAG 2, level AA).
inline constexpr double kReadableContrast = 4.5;

// The desktop's colour where it can be read on the background, otherwise the fallback.
QColor readableColour(const QColor &desktop, const QColor &background, const QColor &fallback);
