#pragma once

// Connects the program to the desktop's session bus, which the screen-reader bridge and the
// desktop's other services use, before the application object and the window are made. In a
// session that has no bus address D-Bus looks for a bus by starting a helper process, a copy of
// this one: made now, while the process is small, the copy costs little, where made when the
// bridge starts, half-way through building the window, every page the window had written would
// have to be faulted in again. Where the session names its bus the connection costs the same
// now as then. Without Qt D-Bus (Windows) it does nothing.
void connectSessionBus();
