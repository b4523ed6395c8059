// Drives the real krumenfeger.exe from outside, as another process: starts and ends it, finds its
// windows and dialogs, answers them, presses its gadgets and reads back what its controls hold.
// Every wait is bounded; a function that runs out of time returns null, false or the empty value,
// and the caller's Program ends the process when it goes out of scope.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// How long anything the program does in answer to one action may take under Wine.
constexpr DWORD WAIT_MS = 5000;
// The folder chooser enumerates the shell namespace before it shows.
constexpr DWORD CHOOSER_WAIT_MS = 10000;

// A started program. Ends the process (TerminateProcess) if it still runs when this goes away.
class Program {
  public:
    Program() = default;
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Starts `exe` in `directory` and waits until its main window shows its start buttons and the
    // program waits for input. False (and nothing left running) if that does not happen in time.
    bool start(const std::wstring &exe, const std::wstring &directory);
    // Waits for the process to end; false on timeout. `exit_code` receives its exit code.
    bool wait_for_exit(DWORD ms, DWORD *exit_code);
    bool running() const;
    // Ends the process at once, if it still runs.
    void kill();

    HANDLE process() const { return info_.hProcess; }
    DWORD id() const { return info_.dwProcessId; }
    HWND window() const { return window_; }

  private:
    PROCESS_INFORMATION info_ = {};
    HWND window_ = nullptr;
};

// Memory in another process, for messages whose pointers the window system does not carry across.
class RemoteBuffer {
  public:
    RemoteBuffer(HANDLE process, size_t bytes);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer &) = delete;
    RemoteBuffer &operator=(const RemoteBuffer &) = delete;

    bool valid() const { return address_ != nullptr; }
    LPARAM address() const { return reinterpret_cast<LPARAM>(address_); }
    bool write(const void *data, size_t bytes);
    bool read(void *data, size_t bytes) const;

  private:
    HANDLE process_;
    void *address_;
};

// krumenfeger.exe (or any `name`) in the folder of this test executable.
std::wstring beside_this_program(const wchar_t *name);

// Polls `done` until it holds or `ms` have passed; returns its last result.
template <typename Condition> bool wait_until(Condition done, DWORD ms = WAIT_MS) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done())
            return true;
        if (GetTickCount() - start >= ms)
            return done();
        Sleep(10);
    }
}

// Sends a message and waits for its result at most WAIT_MS; 0 on timeout.
LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
// True once the window's thread has handled every message sent before (a round trip).
bool settle(HWND window);

// Window texts, read with WM_GETTEXT (which the window system carries across processes).
std::wstring text_of(HWND window);
std::wstring class_of(HWND window);
// A window's frame and client rectangles, the client one in screen coordinates.
RECT frame_of(HWND window);
RECT client_on_screen(HWND window);
// A child's rectangle relative to its parent's client area.
RECT child_rect(HWND child);

// Dialogs (#32770) of a process: a visible one that is not `other`, waited for at most `ms`.
HWND wait_for_dialog(DWORD process_id, DWORD ms = WAIT_MS, HWND other = nullptr);
// The dialog of a process showing now, or null.
HWND find_dialog(DWORD process_id);
bool is_folder_chooser(HWND dialog);
// A message box's text (its static control 0xFFFF).
std::wstring message_box_text(HWND box);
// Presses `button` (IDOK, IDYES, IDNO, IDCANCEL) of a dialog and waits until the dialog is gone.
bool answer(HWND dialog, int button);
// Selects `folder` in the folder chooser of `process`; true once the chooser shows it selected.
bool select_folder(HANDLE process, HWND chooser, const std::wstring &folder);
// Selects `folder` and presses OK; waits until the chooser is gone.
bool choose_folder(HANDLE process, HWND chooser, const std::wstring &folder);

// The text of the item selected in the folder chooser's tree.
std::wstring chooser_selection(HANDLE process, HWND chooser);

// Presses a gadget (a push button of the main window) the way a click does, by BM_CLICK posted to
// it; returns at once, as the program may answer with a modal dialog.
bool click_gadget(HWND window, int gadget);
// The drop-down menu of a process once it shows (a #32768 window), or null.
HWND wait_for_popup_menu(DWORD process_id);
// Chooses a menu item of the main window, as the menu bar reports it.
bool choose_menu_item(HWND window, int item);
// The close box: the system command a click on it produces.
bool press_close_box(HWND window);

// A list box's items. The window system carries LB_GETTEXT of a list with strings across processes
// (Windows and Wine alike), so no buffer in the other process is needed.
std::vector<std::wstring> list_items(HWND list);

// Status bar: its window, the right edges of its fields and a field's text.
HWND status_bar_of(HWND window);
std::vector<int> status_edges(HANDLE process, HWND bar);
std::wstring status_text(HANDLE process, HWND bar, int field);
// A field of the program's status bar, and a count text as the program writes it there.
std::wstring status_field(const Program &program, int field);
std::wstring count_text(const wchar_t *prefix, size_t count);

// A menu's items at one level: text and command (or -1 for a drop-down).
struct MenuEntry {
    std::wstring text;
    int command;
    bool operator==(const MenuEntry &other) const { return text == other.text && command == other.command; }
};
std::vector<MenuEntry> menu_entries(HMENU menu);

} // namespace e2e
