#pragma once

#include <QString>

// The measurements taken inside a child process of the benchmark, on the book's real window
// (Form1) under the benchmark's X display. Each prints one line of "name=value" pairs on
// standard output and returns the process's exit code. `folder` is the application folder
// whose photos/ the window reads.

// Where start-up time goes: the Qt application, the window's fonts, filling the plant list, the
// window's icon, the rest of the window (its music player held until the first frame), and
// painting its first frame.
int probeStartPhases(int argc, char *argv[], const QString &folder);

// CPU time (of all the process's threads) and wall time from a key press in the plant list to the
// painted photo, per selection, alternating between two plants; and how far the measured
// choices raise the peak resident memory above the memory of the window before the first one.
int probeSelection(int argc, char *argv[], const QString &folder, int selections);

// Resident memory after choosing every plant once, from the first to the last.
int probeAllPlantsMemory(int argc, char *argv[], const QString &folder);

// Down held from the first plant to the last at repeatsPerSecond: how far the list falls behind
// the key and how long after the release the last plant is painted.
int probeHeldKey(int argc, char *argv[], const QString &folder, int repeatsPerSecond);

// Banner ticks on a simulated clock and selections, driven through the window's handlers:
// resident memory and live QObjects before and after.
int probeSoak(int argc, char *argv[], const QString &folder, int ticks, int selections);
