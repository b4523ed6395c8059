// Windows: opening, resizing and closing.
#include "ui/layer.h"

#include "resources/resource.h"

#include <algorithm>

namespace ui {

namespace {

constexpr unsigned LAYER_FLAGS =
    FLAG_CENTRE_ON_SCREEN | FLAG_CENTRE_ON_PARENT | FLAG_TOOL_WINDOW | FLAG_NOT_GADGET_TARGET | FLAG_HIDDEN;
// Flags that still leave a plain window, which gets a caption.
constexpr unsigned PLAIN_FLAGS =
    FLAG_CENTRE_ON_SCREEN | FLAG_CENTRE_ON_PARENT | FLAG_NOT_GADGET_TARGET | FLAG_HIDDEN;

HICON program_icon;
HCURSOR arrow_cursor;
thread_local HWND target_window;

std::wstring class_name_for(Id id) { return L"KrumenfegerWindow" + std::to_wstring(id); }

// Forgets the gadgets, status bars and menu bars of a window that is about to be destroyed.
void forget_children_of(HWND parent) {
    gadgets.erase_if([parent](const Gadget &gadget) { return gadget.parent == parent; });
    status_bars.erase_if([parent](const StatusBar &bar) { return bar.parent == parent; });
    menu_bars.erase_if([parent](const MenuBar &menu) { return menu.window == parent; });
}

POINT centred(const RECT &area, int width, int height) {
    return {area.left + (area.right - area.left - width) / 2,
            area.top + (area.bottom - area.top - height) / 2};
}

// The work-area rule of open_window() and resize_window(): on a small screen the right part of a wide
// window, or the status bar at its bottom, would otherwise lie off the screen or under the taskbar.
// The left and top edges win because the title bar, by which the user moves the window, is there.
// A maximised or minimised window is placed by the window system and left alone.
void keep_inside_work_area(HWND handle) {
    if (IsIconic(handle) || IsZoomed(handle))
        return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(handle, MONITOR_DEFAULTTONEAREST), &monitor))
        return;
    const RECT &work = monitor.rcWork;
    RECT frame;
    GetWindowRect(handle, &frame);
    LONG x = std::max(work.left, std::min(frame.left, work.right - (frame.right - frame.left)));
    LONG y = std::max(work.top, std::min(frame.top, work.bottom - (frame.bottom - frame.top)));
    if (x != frame.left || y != frame.top)
        SetWindowPos(handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

bool window_id_of(HWND handle, Id &id) {
    return handle && windows.find_if([handle](const Window &window) { return window.handle == handle; }, id);
}

HWND gadget_target() { return target_window; }

void initialise_windows() {
    program_icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PROGRAM));
    arrow_cursor = LoadCursorW(nullptr, IDC_ARROW);
}

void close_window(Id id) {
    Window window;
    if (!windows.take(id, window))
        return;
    forget_children_of(window.handle);
    if (HWND owner = GetWindow(window.handle, GW_OWNER))
        SetActiveWindow(owner);
    if (target_window == window.handle)
        target_window = nullptr;
    DestroyWindow(window.handle);
    UnregisterClassW(class_name_for(id).c_str(), GetModuleHandleW(nullptr));
    DestroyAcceleratorTable(window.accelerators);
}

HWND open_window(Id id, int x, int y, int width, int height, const wchar_t *title, unsigned flags) {
    if (id < 0)
        return nullptr;
    close_window(id);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    std::wstring class_name = class_name_for(id);
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = program_icon;
    window_class.hCursor = arrow_cursor;
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = class_name.c_str();
    if (!RegisterClassExW(&window_class))
        return nullptr;

    DWORD style = flags & ~LAYER_FLAGS;
    DWORD extended_style = 0;
    if ((flags & ~PLAIN_FLAGS) == 0)
        style |= WS_CAPTION;
    if (flags & FLAG_TOOL_WINDOW) {
        extended_style |= WS_EX_TOOLWINDOW;
        style &= ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    }

    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, extended_style);
    int outer_width = outer.right - outer.left;
    int outer_height = outer.bottom - outer.top;

    if (flags & (FLAG_CENTRE_ON_SCREEN | FLAG_CENTRE_ON_PARENT)) {
        RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if ((flags & FLAG_CENTRE_ON_PARENT) && GetActiveWindow())
            GetWindowRect(GetActiveWindow(), &area);
        POINT corner = centred(area, outer_width, outer_height);
        x = corner.x;
        y = corner.y;
    } else if (x == KEEP || y == KEEP) {
        x = CW_USEDEFAULT;
        y = CW_USEDEFAULT;
    }

    HWND handle = CreateWindowExW(extended_style, class_name.c_str(), title ? title : L"", style, x, y,
                                  outer_width, outer_height, nullptr, nullptr, instance, nullptr);
    if (!handle) {
        UnregisterClassW(class_name.c_str(), instance);
        return nullptr;
    }
    Window window;
    window.handle = handle;
    window.accelerators = create_tab_accelerators();
    windows.put(id, window);
    keep_inside_work_area(handle);

    if (!(flags & FLAG_HIDDEN)) {
        int show = SW_SHOWNORMAL;
        if (style & WS_MAXIMIZE)
            show = SW_MAXIMIZE;
        else if (style & WS_MINIMIZE)
            show = SW_SHOWMINIMIZED;
        ShowWindow(handle, show);
    }
    if (!(flags & FLAG_NOT_GADGET_TARGET))
        target_window = handle;
    return handle;
}

HWND window_handle(Id id) {
    Window window;
    return windows.find(id, window) ? window.handle : nullptr;
}

int resize_window(Id id, int x, int y, int width, int height) {
    Window window;
    if (!windows.find(id, window))
        return 0;
    HWND handle = window.handle;
    RECT frame;
    GetWindowRect(handle, &frame);
    if (x == KEEP)
        x = frame.left;
    if (y == KEEP)
        y = frame.top;

    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE));
    DWORD extended_style = static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_EXSTYLE));
    // A given height includes the menu bar; only a kept height keeps the inner area as it is.
    BOOL count_menu = FALSE;
    if (width == KEEP || height == KEEP) {
        RECT inner;
        GetClientRect(handle, &inner);
        if (width == KEEP)
            width = inner.right;
        if (height == KEEP) {
            height = inner.bottom;
            count_menu = GetMenu(handle) != nullptr;
        }
    }
    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, style, count_menu, extended_style);
    int resized = SetWindowPos(handle, nullptr, x, y, outer.right - outer.left, outer.bottom - outer.top,
                               SWP_NOZORDER | SWP_NOACTIVATE);
    keep_inside_work_area(handle);
    return resized;
}

} // namespace ui
