// The floor for start-up: the program's start window, menu, status bar and buttons in plain Win32.
#pragma once

#include <windows.h>

// Opens the window shown either once it is complete, as a hand-written program would, or at once,
// as the program's window is. Returns the window.
HWND bare_open(bool show_first);
