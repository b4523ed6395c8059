// Status bars: fields of fixed width or an equal share of the rest, laid out again on every resize.
#include "ui/layer.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace ui {

namespace {

constexpr UINT STATUS_BAR_CONTROL_ID = 0xE404040F;
constexpr int STATUS_MIN_HEIGHT = 18;
// The size grip of a sizable window takes the bar's height less this from the fields.
constexpr int SIZE_GRIP_MARGIN = 3;

thread_local Id current_bar = -1;

void lay_out(const StatusBar &bar) {
    RECT inner;
    GetClientRect(bar.handle, &inner);
    int available = inner.right;
    LONG_PTR parent_style = GetWindowLongPtrW(bar.parent, GWL_STYLE);
    if ((parent_style & WS_THICKFRAME) && !IsZoomed(bar.parent))
        available -= inner.bottom - SIZE_GRIP_MARGIN;

    // Summed wide: 256 fields of any int width cannot overflow, and each edge is clamped to an int.
    long long fixed = 0, shared = 0;
    for (int width : bar.widths) {
        if (width == KEEP)
            ++shared;
        else
            fixed += width;
    }
    long long share = shared > 0 ? (available - fixed) / shared : 0;
    std::vector<int> edges;
    long long edge = 0;
    for (int width : bar.widths) {
        edge += width == KEEP ? share : width;
        edges.push_back(static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, edge))));
    }
    SendMessageW(bar.handle, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

HWND bar_handle(Id id) {
    StatusBar bar;
    return status_bars.find(id, bar) ? bar.handle : nullptr;
}

// Sends the bar's parent its current inner size, as a resize would.
void notify_parent_size(HWND parent) {
    RECT inner;
    GetClientRect(parent, &inner);
    SendMessageW(parent, WM_SIZE, SIZE_RESTORED, MAKELPARAM(inner.right, inner.bottom));
}

} // namespace

void status_bars_follow_parent(HWND parent) {
    RECT inner;
    GetClientRect(parent, &inner);
    for (auto &entry : status_bars.snapshot()) {
        StatusBar bar = entry.second;
        if (bar.parent != parent ||
            (bar.recorded_width == inner.right && bar.recorded_height == inner.bottom))
            continue;
        SendMessageW(bar.handle, WM_SIZE, 0, 0);
        lay_out(bar);
        InvalidateRect(bar.handle, nullptr, TRUE);
        bar.recorded_width = inner.right;
        bar.recorded_height = inner.bottom;
        status_bars.put(entry.first, bar);
    }
}

HWND create_status_bar(Id id, HWND window) {
    if (id < 0 || !window)
        return nullptr;
    StatusBar old;
    if (status_bars.take(id, old))
        DestroyWindow(old.handle);
    HWND handle = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, L"", window, STATUS_BAR_CONTROL_ID);
    if (!handle)
        return nullptr;
    SendMessageW(handle, SB_SETMINHEIGHT, STATUS_MIN_HEIGHT, 0);
    SendMessageW(handle, WM_SIZE, 0, 0);
    StatusBar bar;
    bar.handle = handle;
    bar.parent = window;
    status_bars.put(id, bar);
    current_bar = id;
    notify_parent_size(window);
    return handle;
}

void add_status_field(int width) {
    StatusBar bar;
    if (!status_bars.find(current_bar, bar) || bar.widths.size() >= MAX_STATUS_FIELDS)
        return;
    bar.widths.push_back(width);
    status_bars.put(current_bar, bar);
    lay_out(bar);
}

void set_status_text(Id id, int field, const wchar_t *text) {
    StatusBar bar;
    // The high byte of the index would be read as drawing flags: only fields that exist are written.
    if (status_bars.find(id, bar) && field >= 0 && field < static_cast<int>(bar.widths.size()))
        SendMessageW(bar.handle, SB_SETTEXTW, static_cast<WPARAM>(field),
                     reinterpret_cast<LPARAM>(text ? text : L""));
}

void hold_status_painting(Id id) {
    if (HWND handle = bar_handle(id))
        SendMessageW(handle, WM_SETREDRAW, FALSE, 0);
}

void resume_status_painting(Id id) {
    if (HWND handle = bar_handle(id)) {
        SendMessageW(handle, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(handle, nullptr, TRUE);
    }
}

} // namespace ui
