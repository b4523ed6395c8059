#include "tests/e2e/input.h"

#include "tests/e2e/driver.h"
#include "tests/e2e/folders.h"
#include "tests/support/gui.h"

#include <gtest/gtest.h>

#include <vector>

namespace e2e {

namespace {

constexpr int ABSOLUTE_RANGE = 65535;

INPUT key_input(WORD key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

INPUT mouse_input(DWORD flags, POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, ABSOLUTE_RANGE, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, ABSOLUTE_RANGE, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    return input;
}

// How far the caption reaches below the frame's top edge.
int caption_bottom(HWND window) {
    RECT bare = {0, 0, 100, 100};
    AdjustWindowRectEx(&bare, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    return frame_of(window).top - bare.top;
}

bool send_inputs(std::vector<INPUT> inputs) {
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Input for `window`, sent only once that is in front.
bool send_inputs_to(HWND window, const std::vector<INPUT> &inputs) {
    return bring_to_front(window) && send_inputs(inputs);
}

// Class, title and process of a window, read without waiting on it.
std::string describe(HWND window) {
    if (!window)
        return "no window";
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return "the window of class \"" + utf8(class_of(window)) + "\" titled \"" + utf8(title) +
           "\" of process " + std::to_string(process);
}

} // namespace

bool bring_to_front(HWND window) {
    if (GetForegroundWindow() == window)
        return true;
    if (testing_support::take_foreground(window))
        return settle(window);
    ADD_FAILURE() << describe(window)
                  << " cannot be brought to the front for input: " << describe(GetForegroundWindow())
                  << " holds the foreground";
    return false;
}

bool press_keys(HWND window, std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys)
        inputs.push_back(key_input(key, false));
    for (auto key = keys.end(); key != keys.begin();)
        inputs.push_back(key_input(*--key, true));
    return send_inputs_to(window, inputs);
}

bool click_at(HWND window, POINT screen) {
    return send_inputs_to(window, {mouse_input(0, screen), mouse_input(MOUSEEVENTF_LEFTDOWN, screen),
                                   mouse_input(MOUSEEVENTF_LEFTUP, screen)});
}

POINT centre_of(const RECT &rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

bool click_child(HWND window, int id) {
    HWND child = GetDlgItem(window, id);
    return child && click_at(window, centre_of(frame_of(child)));
}

POINT close_box_point(HWND window) {
    RECT client = client_on_screen(window);
    return {client.right - GetSystemMetrics(SM_CXSIZE) / 2,
            caption_bottom(window) - GetSystemMetrics(SM_CYCAPTION) / 2};
}

POINT menu_title_point(HWND window, const std::vector<std::wstring> &titles, size_t index) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    HDC screen = GetDC(nullptr);
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HGDIOBJ old = SelectObject(screen, font);
    TEXTMETRICW text_metrics = {};
    GetTextMetricsW(screen, &text_metrics);
    // Each title takes its text's width and about two average characters of space.
    int gap = 2 * text_metrics.tmAveCharWidth;
    int x = client_on_screen(window).left;
    for (size_t i = 0; i < titles.size() && i <= index; ++i) {
        SIZE size = {};
        GetTextExtentPoint32W(screen, titles[i].c_str(), static_cast<int>(titles[i].size()), &size);
        x += i < index ? size.cx + gap : gap / 2 + size.cx / 2;
    }
    SelectObject(screen, old);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
    return {x, (caption_bottom(window) + client_on_screen(window).top) / 2};
}

HWND focus_of(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info))
        return nullptr;
    return info.hwndFocus;
}

bool save_screenshot(HWND window, const std::wstring &path, bool *blank) {
    RECT frame = frame_of(window);
    int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height; // bottom-up, as BMP files store it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, old);
    }
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    DWORD image_bytes = stride * static_cast<DWORD>(height);
    bool saved = false;
    if (copied) {
        const BYTE *pixels = static_cast<const BYTE *>(bits);
        *blank = true;
        for (int y = 0; y < height && *blank; ++y)
            for (int x = 0; x < width * 3; ++x)
                if (pixels[y * stride + x] != pixels[x % 3]) {
                    *blank = false;
                    break;
                }
        BITMAPFILEHEADER header = {};
        header.bfType = 0x4D42; // "BM"
        header.bfOffBits = sizeof header + sizeof info.bmiHeader;
        header.bfSize = header.bfOffBits + image_bytes;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            saved = WriteFile(file, &header, sizeof header, &written, nullptr) &&
                    WriteFile(file, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
                    WriteFile(file, bits, image_bytes, &written, nullptr) && written == image_bytes;
            saved = CloseHandle(file) && saved;
        }
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

} // namespace e2e
