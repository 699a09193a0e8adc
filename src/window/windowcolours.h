#pragma once

#include <QColor>

// The window's own colours, in one place. Controls that draw with other shades derive them from
// their palette, which the window fills from these.
inline const QColor kDarkGreen(0, 64, 0); // the window's and its controls' ground
inline const QColor kLightGreen(128, 255, 128); // the window's text, the player's symbols
inline const QColor kWhite(255, 255, 255); // the frame's caption and the plant names
inline const QColor kLightBlue(128, 128, 255); // the author button's face
// The keyboard focus mark: stands out from the dark green at 11 : 1, and by its hue from the
// light green and white of the text; black where yellow would not stand out (the light blue).
inline const QColor kFocusMark(255, 255, 0);
inline const QColor kFocusMarkOnLight(0, 0, 0);
