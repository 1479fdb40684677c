// The host's one top-level window, which the graphics and input modules draw
// into and read from, and the count of display monitors.
#pragma once

#include <windows.h>

// Resource id of the program icon (the program's .rc file provides it).
#define VARN_ICON_RESOURCE 101

// Creates the main window in the mode "APP" holds (appIsWindowed): windowed
// with a client area of width x height and the outer top-left corner at
// (x, y), or a full-screen popup covering the monitor that the rectangle
// overlaps most. Then focuses, shows (showCommand), raises and paints it and
// publishes it in the host state, the service access layer and "APP".
// 1 when the window exists, 0 when it could not be created.
int CreateMainWindow(void* instance, int showCommand, int x, int y, int width, int height);

// Adds the number of display monitors of the desktop to the monitor count.
void CountMonitors();

// The main window's procedure. While the host state's closing flag is set,
// every message goes to default processing.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window class and title.
extern const char kMainWindowClass[];
extern const char kMainWindowTitle[];
