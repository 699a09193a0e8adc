#pragma once

#include <QFont>

// The window's two typefaces. "宋体" and "Tahoma" are Windows fonts, used there; on Linux
// desktops stand-ins are used, their Chinese faces built into the program. Every character of the
// book is in the faces named; the system's fonts draw any other.

// "宋体": a Song-style (serif) Chinese face.
QFont songFont(qreal pointSize, bool bold = false);

// "Tahoma": a clean sans face for Latin text, with a sans Chinese face behind it.
QFont tahomaFont(qreal pointSize, bool bold = false);
