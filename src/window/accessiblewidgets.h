#pragma once

// Makes screen readers (AT-SPI on Linux, UI Automation on Windows) see the window's controls as
// what they are, where Qt's own view of them falls short:
// - a tool button is a push button, a checkable one telling whether it is pressed in (Qt makes
//   it a check box), and its tool tip, which repeats its name, is not its description;
// - the photo box is a picture, described by what it shows;
// - the book's window is a window, whose coming to the front is told (Qt makes it a filler).
// Call once the application exists; calling again changes nothing.
void installAccessibleWidgets();
