#pragma once

#include <thread>

// Reads the system's font configuration and font cache on a second thread while the
// application connects to the display, so that the window's first use of a font does not wait
// for it. Call before the application object is made, and join the returned thread before that
// object goes: Qt's font database hands the configuration back to fontconfig as it is destroyed,
// and must not do so while the configuration is still being read. On systems without fontconfig
// the returned thread is empty.
std::jthread warmUpFontConfiguration();
