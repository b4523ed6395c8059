#include "app/shell.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // A long walk or removal takes no messages. After five seconds of that, Windows would put a frozen
    // copy in the window's place: the counts it repaints would go unseen, and the copy's close box
    // would offer to end the program.
    DisableProcessWindowsGhosting();
    return app::run();
}
