#pragma once

#include <QSize>
#include <QString>

// Sharp scaling that keeps the whole fixed-size window on screen. Desktops tell Qt their scale
// in QT_SCREEN_SCALE_FACTORS (a factor, or name=factor pairs, separated by ';'); at 125 % on a
// 1366 x 768 screen or 175 % on a 1920 x 1080 one the window would reach below the screen.

// The factors to give Qt in place of the desktop's: each rounded down to a whole number, so that
// lines, text and photos stay sharp, and lowered further while a window of windowSize
// (device-independent pixels, frame included) would not fit into the available area (physical
// pixels; an empty size when it is not known). No factor goes below 1, and text that is no factor
// is kept as it is.
QString crispScaleFactors(const QString &desktop, const QSize &available, const QSize &windowSize);

// Call before the application object is made: rewrites QT_SCREEN_SCALE_FACTORS and
// QT_SCALE_FACTOR as above for the book's window, measuring the X display's work area where
// there is one, and has Qt round down the factors it takes from the screens' resolution.
void chooseCrispScaling();
