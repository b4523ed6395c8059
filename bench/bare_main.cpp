#include "bench/bare_window.h"

// Run as its own program: the bare window, waiting for events until it is ended from outside.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    bare_open(false);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return 0;
}
