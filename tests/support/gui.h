// Helpers for tests that drive real windows in this process: pumping messages and answering the
// modal dialogs (message boxes, the folder chooser) that the code under test opens. Telling the
// chooser by its tree and checking the screen's size serve the end-to-end tests as well.
#pragma once

#include "tests/support/chooser.h"

#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

// Handles the messages waiting in this thread's queue, for at most `ms` milliseconds.
void pump_messages(DWORD ms = 50);

// Asks for `window` to become the foreground window and returns whether it did. Where Windows refuses
// a test the foreground, a press of the Alt key lets the second request through.
bool take_foreground(HWND window);

// What a dialog answered by answer_dialogs() showed.
struct SeenDialog {
    std::wstring title;
    std::wstring text; // a message box's text; for the folder chooser, the texts of its labels joined by '\n'
    bool had_owner = false;
    std::vector<HWND> disabled_windows; // this thread's top-level windows that were disabled meanwhile
};

// One answer: for a message box, the button to press (IDOK, IDYES, IDNO, ...); for the folder
// chooser, IDOK after selecting `folder` (if not empty) or IDCANCEL.
struct Answer {
    int button;
    std::wstring folder;
};

// Arms a thread timer that answers the next dialogs of this thread in turn while the code under
// test runs its modal loop. A dialog still open after `give_up_ms` is cancelled, so a test never
// hangs. Call answered() afterwards to see what was shown.
void answer_dialogs(const std::vector<Answer> &answers, DWORD give_up_ms = 10000);
// Stops answering and returns the dialogs seen since answer_dialogs().
std::vector<SeenDialog> answered();

// True under Wine, for the few checks that only Wine can make fail.
bool running_under_wine();

// The texts of the dialog's static controls (its labels) joined by '\n', empty ones left out.
std::wstring label_texts(HWND dialog);

// The text of a tree view's selected item; empty when nothing is selected.
std::wstring selected_tree_text(HWND tree);

// Window text of any window.
std::wstring window_text(HWND window);

// Whether the screen lets a window with a title bar and system menu have an inner area of
// `inner_width` x `inner_height` (menu bar included) and, with `whole_at`, lie whole on the screen
// with its frame's corner there, where clicks and screenshots reach all of it. Windows and Wine
// narrow a top-level window to the largest size the screen allows, which would spoil every layout
// check for a reason of the machine's own. Where the screen is too small, this adds one failure line
// naming both sizes, and the test ends at once: `if (!screen_holds(...)) return;`.
bool screen_holds(int inner_width, int inner_height, const POINT *whole_at = nullptr);

// The pixels the screen shows of `window`'s inner area, row by row from the top; empty
// when they cannot be taken. The window must lie whole on the screen, uncovered.
std::vector<DWORD> inner_pixels_on_screen(HWND window);

} // namespace testing_support
