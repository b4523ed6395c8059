#include "tests/support/gui.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <sstream>

namespace testing_support {

namespace {

constexpr UINT POLL_MS = 30;
// How long a change of the foreground that was granted may take to show; a refused one is not waited for.
constexpr DWORD FOREGROUND_MS = 1000;
constexpr DWORD FOREGROUND_POLL_MS = 10;
// Wine's chooser now and then ignores a selection request; it is repeated for this many polls.
constexpr int SELECTION_TRIES = 60;
constexpr DWORD MAIN_WINDOW_STYLE = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

struct Answering {
    std::vector<Answer> answers;
    size_t next = 0;
    DWORD deadline = 0;
    DWORD give_up_ms = 0;
    UINT_PTR timer = 0;
    HWND answered_dialog = nullptr; // may still be closing
    int selection_tries = 0;
    std::vector<SeenDialog> seen;
};
Answering answering;

bool is_dialog(HWND window) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    return wcscmp(name, L"#32770") == 0 && IsWindowVisible(window);
}

BOOL CALLBACK find_dialog(HWND window, LPARAM found) {
    if (is_dialog(window)) {
        *reinterpret_cast<HWND *>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK collect_disabled(HWND window, LPARAM list) {
    if (!is_dialog(window) && IsWindowVisible(window) && !IsWindowEnabled(window))
        reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

BOOL CALLBACK collect_labels(HWND child, LPARAM text) {
    wchar_t name[16] = L"";
    GetClassNameW(child, name, 16);
    if (_wcsicmp(name, L"Static") == 0) {
        std::wstring label = window_text(child);
        if (!label.empty()) {
            auto &all = *reinterpret_cast<std::wstring *>(text);
            all += (all.empty() ? L"" : L"\n") + label;
        }
    }
    return TRUE;
}

// The shell's item for a folder holds its last access time. Under Wine on Linux the first read of
// a folder after a change moves that time, so the chooser's tree and the path it is asked to select
// can disagree about a folder just made, and the selection then fails now and then. One read of the
// folder and each folder above it settles the times.
void read_folder_and_parents(std::wstring folder) {
    if (!folder.empty() && folder.back() == L'\\')
        folder.pop_back();
    for (;;) {
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        size_t separator = folder.find_last_of(L'\\');
        if (separator == std::wstring::npos)
            return;
        folder.resize(separator);
    }
}

// The chooser holds a tree of folders; a message box does not.
bool is_folder_chooser(HWND dialog) { return chooser_tree(dialog) != nullptr; }

// Whether the chooser's tree shows the folder's last component as its selected item.
bool folder_selected(HWND dialog, const std::wstring &folder) {
    std::wstring path = folder;
    if (!path.empty() && path.back() == L'\\')
        path.pop_back();
    size_t separator = path.find_last_of(L'\\');
    if (separator == std::wstring::npos)
        return true; // a drive root is shown under a name of the shell's own
    return _wcsicmp(selected_tree_text(chooser_tree(dialog)).c_str(), path.c_str() + separator + 1) == 0;
}

// Selects the wanted folder; false while the chooser has not taken the selection yet.
bool select_folder(HWND dialog, const std::wstring &folder) {
    read_folder_and_parents(folder);
    SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    return folder_selected(dialog, folder) || !chooser_needs_repeats() ||
           ++answering.selection_tries >= SELECTION_TRIES;
}

void answer(HWND dialog) {
    const Answer &wanted = answering.answers[answering.next];
    bool chooser = is_folder_chooser(dialog);
    if (chooser && wanted.button == IDOK && !wanted.folder.empty() && !select_folder(dialog, wanted.folder))
        return; // try again at the next poll
    SeenDialog seen;
    seen.title = window_text(dialog);
    seen.had_owner = GetWindow(dialog, GW_OWNER) != nullptr;
    EnumThreadWindows(GetCurrentThreadId(), collect_disabled,
                      reinterpret_cast<LPARAM>(&seen.disabled_windows));
    seen.text = chooser ? label_texts(dialog) : window_text(GetDlgItem(dialog, 0xFFFF));
    answering.seen.push_back(seen);
    answering.next++;
    answering.answered_dialog = dialog;
    answering.selection_tries = 0;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(wanted.button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, wanted.button)));
    answering.deadline = GetTickCount() + answering.give_up_ms;
}

void CALLBACK poll(HWND, UINT, UINT_PTR, DWORD) {
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dialog));
    bool overdue = static_cast<LONG>(GetTickCount() - answering.deadline) > 0;
    if (dialog && answering.next < answering.answers.size()) {
        // A dialog we answered may still be closing; only a different one is new.
        if (dialog != answering.answered_dialog) {
            answer(dialog);
            return;
        }
    }
    if (overdue) {
        if (dialog)
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); // never leave a test hanging
        else if (answering.next >= answering.answers.size() && answering.timer) {
            KillTimer(nullptr, answering.timer);
            answering.timer = 0;
        }
    }
}

} // namespace

std::vector<DWORD> inner_pixels_on_screen(HWND window) {
    RECT inner;
    GetClientRect(window, &inner);
    if (inner.right <= 0 || inner.bottom <= 0)
        return {};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = inner.right;
    info.bmiHeader.biHeight = -inner.bottom; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        POINT origin = {0, 0};
        ClientToScreen(window, &origin);
        bool taken = BitBlt(memory, 0, 0, inner.right, inner.bottom, screen, origin.x, origin.y, SRCCOPY);
        GdiFlush();
        if (taken) {
            const DWORD *first = static_cast<const DWORD *>(bits);
            pixels.assign(first,
                          first + static_cast<size_t>(inner.right) * static_cast<size_t>(inner.bottom));
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

void pump_messages(DWORD ms) {
    DWORD start = GetTickCount();
    MSG message;
    do {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (GetTickCount() - start >= ms)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

namespace {

// Sent messages are handled while waiting, as activation may send some to this thread; posted ones stay
// queued for the test.
bool foreground_granted(HWND window) {
    if (!SetForegroundWindow(window))
        return false;
    for (DWORD start = GetTickCount(); GetForegroundWindow() != window; Sleep(FOREGROUND_POLL_MS)) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
        if (GetTickCount() - start >= FOREGROUND_MS)
            return false;
    }
    return true;
}

} // namespace

bool take_foreground(HWND window) {
    // Windows lets a background process, such as a test started from a console, set the foreground
    // window only on conditions (SetForegroundWindow, Remarks). When it refuses, a press of the Alt
    // key lifts the lock for the next call: "The system automatically enables calls to
    // SetForegroundWindow if the user presses the ALT key" (LockSetForegroundWindow, Remarks,
    // https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-locksetforegroundwindow).
    // The press goes to the window in front before the call, not to the one that is to take the input.
    // Wine grants every call: only Windows can take the second way, or refuse both.
    if (foreground_granted(window))
        return true;
    INPUT alt[2] = {};
    for (INPUT &input : alt) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_MENU;
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(VK_MENU, MAPVK_VK_TO_VSC));
    }
    alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, alt, sizeof(INPUT)) == 2 && foreground_granted(window);
}

void answer_dialogs(const std::vector<Answer> &answers, DWORD give_up_ms) {
    answered();
    answering = Answering();
    answering.answers = answers;
    answering.give_up_ms = give_up_ms;
    answering.deadline = GetTickCount() + give_up_ms;
    answering.timer = SetTimer(nullptr, 0, POLL_MS, poll);
}

std::vector<SeenDialog> answered() {
    if (answering.timer)
        KillTimer(nullptr, answering.timer);
    answering.timer = 0;
    std::vector<SeenDialog> seen;
    seen.swap(answering.seen);
    return seen;
}

bool running_under_wine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::wstring label_texts(HWND dialog) {
    std::wstring texts;
    EnumChildWindows(dialog, collect_labels, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::wstring selected_tree_text(HWND tree) {
    wchar_t text[MAX_PATH] = L"";
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    if (!item.hItem || !SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)))
        return std::wstring();
    return text;
}

std::wstring window_text(HWND window) {
    if (!window)
        return std::wstring();
    int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, &text[0], length + 1)));
    return text;
}

bool screen_holds(int inner_width, int inner_height, const POINT *whole_at) {
    RECT frame = {0, 0, inner_width, inner_height};
    AdjustWindowRectEx(&frame, MAIN_WINDOW_STYLE, FALSE, 0);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int screen_width = GetSystemMetrics(SM_CXSCREEN), screen_height = GetSystemMetrics(SM_CYSCREEN);
    std::ostringstream shortfall;
    shortfall << "screen too small for this test: it needs a window of " << width << "x" << height
              << " (inner " << inner_width << "x" << inner_height << " and its frame)";
    if (whole_at) {
        int right = whole_at->x + width, bottom = whole_at->y + height;
        if (right <= screen_width && bottom <= screen_height)
            return true;
        shortfall << " whole on screen at (" << whole_at->x << ", " << whole_at->y
                  << "), so a screen of at least " << right << "x" << bottom << "; this one is "
                  << screen_width << "x" << screen_height;
    } else {
        // The largest window the screen allows: WM_GETMINMAXINFO's default maximum tracking size.
        int widest = GetSystemMetrics(SM_CXMAXTRACK), highest = GetSystemMetrics(SM_CYMAXTRACK);
        if (width <= widest && height <= highest)
            return true;
        shortfall << ", this " << screen_width << "x" << screen_height << " screen allows at most " << widest
                  << "x" << highest;
    }
    ADD_FAILURE() << shortfall.str();
    return false;
}

} // namespace testing_support
