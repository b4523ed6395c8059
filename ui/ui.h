// The numbered window-system object layer. The rest of the program never holds a window-system
// handle: it creates windows, menu bars, status bars and gadgets under identifiers it chooses, and
// learns what the user did by waiting for one event at a time. Every operation runs on the thread
// that called initialise(). An identifier that holds no object makes an operation do nothing and
// return 0, a null handle or the empty text; a null text counts as the empty text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ui {

// Identifiers and item counts have the width of a pointer in both builds.
using Id = intptr_t;

// As a coordinate or size: leave it as it is. As a status-bar field width: an equal share of the rest.
constexpr int KEEP = -65535;

// Event codes returned by wait_for_event(); any other code is the number of a window-system
// message that produced no event.
constexpr int EVENT_WINDOW_MOVED = 3;
constexpr int EVENT_WINDOW_RESIZED = 5;
constexpr int EVENT_REPAINT = 15;
constexpr int EVENT_CLOSE = 16;
constexpr int EVENT_GADGET = 13100;
constexpr int EVENT_MENU = 13101;
constexpr int EVENT_WINDOW_ACTIVATED = 13104;
constexpr int EVENT_WINDOW_MINIMISED = 13107;
constexpr int EVENT_WINDOW_MAXIMISED = 13108;
constexpr int EVENT_WINDOW_RESTORED = 13109;
constexpr int EVENT_TIMER = 13110;

// Subtypes of a gadget event (event_subtype()); -1 after any other event.
constexpr int SUBTYPE_PRESSED = 0; // button pressed, list selection changed or entry clicked
constexpr int SUBTYPE_DOUBLE_CLICK = 2;
constexpr int SUBTYPE_DRAG = 14002;

// Low bits of the open_window() flags that the layer reads itself; the rest is a window style.
constexpr unsigned FLAG_CENTRE_ON_SCREEN = 0x1;
constexpr unsigned FLAG_CENTRE_ON_PARENT = 0x2;
constexpr unsigned FLAG_TOOL_WINDOW = 0x4;
constexpr unsigned FLAG_NOT_GADGET_TARGET = 0x8;
constexpr unsigned FLAG_HIDDEN = 0x10000000;

// Message-box flags and answers, as the window system defines them.
constexpr unsigned BOX_OK = MB_OK;
constexpr unsigned BOX_YES_NO = MB_YESNO;
constexpr int ANSWER_OK = IDOK;
constexpr int ANSWER_YES = IDYES;
constexpr int ANSWER_NO = IDNO;

// Setup and teardown. shut_down() closes every window with its gadgets, menu bar and status bar.
void initialise();
void shut_down();

// Windows. Width and height are the inner size of a window without a menu bar. open_window()
// closes a window held by the identifier first; it returns null when the window cannot be created.
// Both open_window() and resize_window() move a window whose frame would cross its monitor's work
// area just far enough to lie inside it, never changing its size, and keep the left and top edges of
// one larger than the area inside it; a maximised or minimised window is left where it is.
HWND open_window(Id window, int x, int y, int width, int height, const wchar_t *title, unsigned flags);
HWND window_handle(Id window);
int resize_window(Id window, int x, int y, int width, int height);

// Menus: create_menu() starts a menu bar, add_menu_title() a drop-down, add_menu_item() fills it.
HMENU create_menu(Id menu, HWND window);
void add_menu_title(const wchar_t *text);
void add_menu_item(Id item, const wchar_t *text);

// Events. event_gadget() and event_menu_item() return the identifier carried by the last gadget
// or menu event; event_window() the window of the last event.
int wait_for_event();
Id event_gadget();
Id event_menu_item();
Id event_window();
int event_subtype();

// Status bar. Fields go to the status bar created last; a text to the bar whose identifier is passed.
HWND create_status_bar(Id bar, HWND window);
void add_status_field(int width);
void set_status_text(Id bar, int field, const wchar_t *text);

// Gadgets go into the window opened last. A gadget held by the identifier is destroyed only once
// its successor exists; a failed creation returns null and leaves the old gadget in place.
HWND create_button(Id gadget, int x, int y, int width, int height, const wchar_t *text);
HWND create_text(Id gadget, int x, int y, int width, int height, const wchar_t *text);
HWND create_list(Id gadget, int x, int y, int width, int height);
void resize_gadget(Id gadget, int x, int y, int width, int height);
void disable_gadget(Id gadget, int state); // 1 disables, 0 enables

// List items keep their insertion order; position -1 appends.
void add_item(Id list, Id position, const wchar_t *text);
Id count_items(Id list);
std::wstring item_text(Id list, Id index);
void remove_item(Id list, Id index);
void clear_items(Id list);
// Reserves room for `items` more entries, so that a list on Windows takes them without growing item by
// item; Wine's list box gives the room back at its next insert (see docs/performance.md).
void reserve_items(Id list, Id items);

// Painting of a gadget or status bar can be held off while it changes a lot and resumed with one
// repaint. A held list does not watch its mouse; the rule this sets callers stands beside
// cleanup::HeldView, which keeps it for the program. repaint_now() paints the window and all its
// children whole, at once, without taking messages; call it once after resuming. paint_pending()
// paints at once only what is invalid in the window and its children.
void hold_gadget_painting(Id gadget);
void resume_gadget_painting(Id gadget);
void hold_status_painting(Id bar);
void resume_status_painting(Id bar);
void repaint_now(Id window);
void paint_pending(Id window);

// Modal dialogs. Both disable the thread's other visible windows while they are open.
// message_box() returns the button pressed (ANSWER_*), or 0 when the box cannot be shown.
// choose_folder() returns the chosen folder ending in one backslash, or the empty text on cancel,
// for an item without a file-system path, or when the shell cannot be loaded.
int message_box(const wchar_t *title, const wchar_t *text, unsigned flags);
std::wstring choose_folder(const wchar_t *prompt, const wchar_t *initial_path);

} // namespace ui
