#pragma once

#include <thread>

// Reads the system's font configuration and font cache on a second thread while the
// application connects to the display, so that the window's first use of a font does not wait
// for it. Call before the application object is made; the thread is joined when the returned
// object goes. On systems without fontconfig it does nothing.
std::jthread warmUpFontConfiguration();
