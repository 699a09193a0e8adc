#pragma once

class QWidget;

// For the start-up benchmark: when the environment variable QUILLORA_FIRST_FRAME is set, prints
// "first-frame <monotonic ns> <resident kB>" on standard output as soon as the window's first
// frame has been painted and handed to the display, and then ends the event loop. Without the
// variable it does nothing. Call it right after show().
void quitAfterFirstFrameWhenAsked(QWidget &window);
