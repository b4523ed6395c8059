// Real user input for the program under test: keys and mouse clicks go through SendInput to
// whatever window has the focus or lies under the pointer, exactly as a person's would. Each one
// first brings the window it is meant for to the front, as input to any other window would be lost.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// Makes `window` the foreground window, unless it is already. If it does not become so at once, adds
// a failure naming the window that holds the foreground instead, and returns false.
bool bring_to_front(HWND window);
// Presses the keys in `window` in order and releases them in reverse, e.g. {VK_SHIFT, VK_TAB}.
bool press_keys(HWND window, std::initializer_list<WORD> keys);
// Moves the pointer to a screen point of `window` and clicks the left button there.
bool click_at(HWND window, POINT screen);
// Clicks the middle of a child control of `window`.
bool click_child(HWND window, int id);
// The middle of a rectangle.
POINT centre_of(const RECT &rect);

// Where a person clicks the close box of a window with a caption.
POINT close_box_point(HWND window);
// Where a person clicks title `index` of a menu bar whose titles read `titles`, left to right:
// the middle of the title's text as the menu font measures it.
POINT menu_title_point(HWND window, const std::vector<std::wstring> &titles, size_t index);

// The control that has the keyboard focus in the thread of `window`, or null.
HWND focus_of(HWND window);

// Saves what the screen shows of `window` (frame included) as a 24-bit BMP file. Returns false if
// it could not; `blank` tells whether every pixel had the same colour.
bool save_screenshot(HWND window, const std::wstring &path, bool *blank);

} // namespace e2e
