// Steps the end-to-end scenarios share, each checking what it sees with GoogleTest expectations
// and returning null or false when the scenario cannot go on. The driving itself is in driver.h.
#pragma once

#include "tests/e2e/driver.h"
#include "tests/e2e/folders.h"

#include <string>
#include <vector>

namespace e2e {

// Starts krumenfeger.exe beside the tests in `directory` (its current directory).
bool start_program(Program &program, const std::wstring &directory = std::wstring());

// The client area's size, and the menu bar's height as the frame shows it (where the client area
// starts below a caption made for a window without a menu).
SIZE inner_size(HWND window);
int menu_bar_height(HWND window);

// Waits for a message box of the program and checks its title and text; null if none came.
HWND expect_message_box(const Program &program, const wchar_t *title, const wchar_t *text);
HWND expect_quit_question(const Program &program);
// Answers a dialog of the program and waits until the main window takes input again.
bool answer_and_return(const Program &program, HWND dialog, int button);
// Answers Yes to the quit question (already open) and checks the exit code 0.
void expect_yes_ends_program(Program &program, HWND question);
// Quits by the close box with Yes.
void quit_with_yes(Program &program);

// Waits for the folder chooser after "Vumbrel Musikverzeichnis wählen" was pressed and checks how it
// opens; null if none came.
HWND expect_chooser(const Program &program);
// Presses "Vumbrel Musikverzeichnis wählen" and waits for the folder chooser; null if none came.
HWND open_chooser(const Program &program);
// Whether the screen holds the results view whole, at its size and place, so that every click and
// picture reaches it; where it does not, one failure line names both sizes, and the scenario ends at
// once: `if (!screen_holds_results_view()) return;`.
bool screen_holds_results_view();
// Waits until the results view shows, with its first scan done.
bool wait_for_results(const Program &program);
// Answers an open chooser with `folder` and waits for the results view with its first scan done.
bool choose_and_show_results(const Program &program, HWND chooser, const std::wstring &folder);

// Checks that a scenario's two folders were made, and puts junk in `elsewhere`, the program's current
// directory, which no action may touch: ASSERT_NO_FATAL_FAILURE(make_scenario_folders(music, elsewhere)).
void make_scenario_folders(const TempFolder &music, const TempFolder &elsewhere);
// Checks the classification of a folder against its make-up, counted by hand:
// ASSERT_NO_FATAL_FAILURE(expect_make_up(expected, junk, mp3, other)).
void expect_make_up(const Classified &expected, size_t junk, size_t mp3, size_t other);

// What the three lists of the program hold.
Classified read_lists(const Program &program);

// Saves a picture of `window` as e2e_screenshots\<name>.bmp beside the tests and checks that it
// shows the window: the size of its frame, and not one colour all over.
void expect_screenshot(HWND window, const wchar_t *name);

bool gadget_enabled(const Program &program, int gadget);

} // namespace e2e
