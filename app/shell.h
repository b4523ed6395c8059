// The program's spine: start-up, the main window, the event loop and its own two dialogs.
#pragma once

namespace app {

// Set once the user has confirmed quitting; the event loop ends on it.
extern int quit_flag;

// Initialises the window system, runs the program until the user quits, shuts down; returns the
// process's exit code, which is 0 on every path.
int run();

// Opens the main window with its menu, status bar and start buttons. Returns false when the window
// cannot be opened (reported to the user already).
bool open_main_window();

// Handles one event from wait_for_event() by the dispatch table.
void dispatch(int event);

void confirm_quit();
void show_about();

} // namespace app
