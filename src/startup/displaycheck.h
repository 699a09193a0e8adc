#pragma once

#include <QString>

// The platform the application will open: the command line's -platform NAME (Qt also takes
// --platform), else QT_QPA_PLATFORM, else empty for Qt's own default. Every start-up decision
// that depends on the platform asks this one rule.
QString chosenPlatform(int argc, char *argv[]);

// Whether the window can be opened, asked before Qt is started: Qt aborts the program when its
// platform cannot be opened. Empty when it can (or another platform than X11 was chosen, whose
// own checks then apply); otherwise the one line to tell the user.
// The connection that asked stays open until releaseDisplayCheck() is called, once the
// application object has connected for itself.
QString displayProblem(int argc, char *argv[]);
void releaseDisplayCheck();
