#include "bench/bare_window.h"

#include <commctrl.h>

HWND bare_open(bool show_first) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = L"BareWindow";
    RegisterClassExW(&window_class);
    RECT outer = {0, 0, 200, 180};
    AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU, FALSE, 0);
    HWND window = CreateWindowExW(0, L"BareWindow", L"Bare", WS_CAPTION | WS_SYSMENU, 100, 200,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                  window_class.hInstance, nullptr);
    if (show_first)
        ShowWindow(window, SW_SHOWNORMAL);
    HMENU bar = CreateMenu(), file = CreateMenu(), information = CreateMenu();
    AppendMenuW(file, MF_STRING, 2, L"Beenden");
    AppendMenuW(information, MF_STRING, 3, L"über...");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"Datei");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(information), L"Information");
    SetMenu(window, bar);
    HWND status = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, L"", window, 1);
    int edges[] = {60, 160, 173, 186, 199};
    SendMessageW(status, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(edges));
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L" Version"));
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"0.9 "));
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const wchar_t *texts[] = {L"Vumbrel Musikverzeichnis wählen", L"Programm beenden"};
    for (int i = 0; i < 2; ++i) {
        HWND button = CreateWindowExW(0, L"Button", texts[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                                      30 + 50 * i, 180, 40, window, nullptr, window_class.hInstance, nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (!show_first)
        ShowWindow(window, SW_SHOWNORMAL);
    return window;
}
