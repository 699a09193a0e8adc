#pragma once

#include <QString>
#include <QStringList>

// The command line that starts `command` (a program's path, then its arguments) on Windows, as
// Windows programs split it again: the program, then each argument after one blank. A word is
// quoted only where it is empty or holds blanks, tabs or quotes; inside quotes a quote is
// escaped with a backslash and the backslashes before a quote, or before the closing quote, are
// doubled. The program's path is written with backslashes and quoted whenever it holds a blank,
// so that a C:\Program.exe can never stand in for C:\Program Files\....
QString windowsCommandLine(const QStringList &command);
