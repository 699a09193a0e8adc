#pragma once

#include <QString>

// Whether the window can be opened, asked before Qt is started: Qt aborts the program when its
// platform cannot be opened. Empty when it can (or another platform than X11 was chosen, whose
// own checks then apply); otherwise the one line to tell the user.
// The connection that asked stays open until this is called, once the application object has
// connected for itself.
QString displayProblem(int argc, char *argv[]);
void releaseDisplayCheck();
