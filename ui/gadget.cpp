// Gadgets: push buttons, text labels and lists inside the gadget target, and the list items.
#include "ui/layer.h"

#include <commctrl.h>

#include <climits>
#include <cstdlib>
#include <map>

namespace ui {

namespace {

constexpr DWORD BUTTON_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD TEXT_STYLE = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;
constexpr DWORD LIST_STYLE = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP |
                             LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY;
constexpr DWORD COMMON_CONTROL_CLASSES =
    ICC_TAB_CLASSES | ICC_HOTKEY_CLASS | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_INTERNET_CLASSES;

HFONT gadget_font;

// Tells the layer's subclass of a list from any other the list may carry.
constexpr UINT_PTR LIST_SUBCLASS = 1;

// A plain press on an entry of one list, which may end in a click or start a drag.
struct Press {
    bool on_entry = false;
    POINT at = {};
    bool dragged = false;
};
// The press of each watched list, by list; only the thread that owns the lists touches it.
std::map<HWND, Press> presses;

void notify_list_event(HWND list, int subtype) {
    PostMessageW(GetParent(list), MESSAGE_LIST_NOTIFICATION,
                 static_cast<WPARAM>(GetWindowLongPtrW(list, GWLP_ID)), static_cast<LPARAM>(subtype));
}

bool press_on_entry(HWND list, LPARAM position) {
    LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, position);
    return HIWORD(hit) == 0 && LOWORD(hit) < SendMessageW(list, LB_GETCOUNT, 0, 0);
}

void stop_watching_list(HWND list);

// Watches the mouse on a list for the clicks and drags the list box itself does not report. The
// list's press lives as long as its subclass, which goes when the list does.
LRESULT CALLBACK list_procedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    Press &press = presses[list];
    switch (message) {
    case WM_LBUTTONDOWN:
        press = Press();
        if (!(wparam & (MK_SHIFT | MK_CONTROL)) && press_on_entry(list, lparam)) {
            press.on_entry = true;
            press.at = {static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        }
        break;
    case WM_MOUSEMOVE:
        if (press.on_entry && !press.dragged && (wparam & MK_LBUTTON)) {
            int dx = static_cast<short>(LOWORD(lparam)) - press.at.x;
            int dy = static_cast<short>(HIWORD(lparam)) - press.at.y;
            if (std::abs(dx) > GetSystemMetrics(SM_CXDRAG) || std::abs(dy) > GetSystemMetrics(SM_CYDRAG)) {
                press.dragged = true;
                notify_list_event(list, SUBTYPE_DRAG);
            }
        }
        break;
    case WM_LBUTTONUP:
        if (press.on_entry)
            notify_list_event(list, SUBTYPE_PRESSED);
        press = Press();
        break;
    case WM_NCDESTROY:
        stop_watching_list(list);
        break;
    }
    return DefSubclassProc(list, message, wparam, lparam);
}

// Gives a list the subclass that watches its mouse, with no press yet; false leaves it unwatched.
bool watch_list(HWND list) {
    if (!SetWindowSubclass(list, list_procedure, LIST_SUBCLASS, 0))
        return false;
    presses[list] = Press();
    return true;
}

// Takes the subclass and its press from a list again; nothing for a list that is not watched.
void stop_watching_list(HWND list) {
    RemoveWindowSubclass(list, list_procedure, LIST_SUBCLASS);
    presses.erase(list);
}

HWND create_gadget(Id id, GadgetKind kind, const wchar_t *window_class, DWORD style, DWORD extended_style,
                   int x, int y, int width, int height, const wchar_t *text) {
    HWND parent = gadget_target();
    if (id < 0 || !parent)
        return nullptr;
    HWND handle = CreateWindowExW(extended_style, window_class, text ? text : L"", style, x, y, width, height,
                                  parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!handle)
        return nullptr;
    if (kind == GadgetKind::list && !watch_list(handle)) {
        DestroyWindow(handle);
        return nullptr;
    }
    Gadget old;
    if (gadgets.take(id, old))
        DestroyWindow(old.handle);
    SetWindowLongPtrW(handle, GWLP_ID, id);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(gadget_font), TRUE);
    gadgets.put(id, {handle, parent, kind});
    return handle;
}

HWND gadget_handle(Id id) {
    Gadget gadget;
    return gadgets.find(id, gadget) ? gadget.handle : nullptr;
}

HWND list_handle(Id id) {
    Gadget gadget;
    return gadgets.find(id, gadget) && gadget.kind == GadgetKind::list ? gadget.handle : nullptr;
}

// List boxes take an int index; a wider identifier must not wrap onto an existing item.
bool valid_index(Id index) { return index >= 0 && index <= INT_MAX; }

} // namespace

void initialise_gadgets() {
    gadget_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    INITCOMMONCONTROLSEX classes = {sizeof classes, COMMON_CONTROL_CLASSES};
    InitCommonControlsEx(&classes);
}

void handle_list_command(HWND list, WORD notification) {
    if (notification == LBN_SELCHANGE)
        notify_list_event(list, SUBTYPE_PRESSED);
    else if (notification == LBN_DBLCLK)
        notify_list_event(list, SUBTYPE_DOUBLE_CLICK);
}

HWND create_button(Id id, int x, int y, int width, int height, const wchar_t *text) {
    return create_gadget(id, GadgetKind::button, L"Button", BUTTON_STYLE, 0, x, y, width, height, text);
}

HWND create_text(Id id, int x, int y, int width, int height, const wchar_t *text) {
    return create_gadget(id, GadgetKind::text, L"Static", TEXT_STYLE, 0, x, y, width, height, text);
}

HWND create_list(Id id, int x, int y, int width, int height) {
    return create_gadget(id, GadgetKind::list, L"ListBox", LIST_STYLE, WS_EX_CLIENTEDGE, x, y, width, height,
                         nullptr);
}

void resize_gadget(Id id, int x, int y, int width, int height) {
    Gadget gadget;
    if (!gadgets.find(id, gadget))
        return;
    RECT frame;
    GetWindowRect(gadget.handle, &frame);
    MapWindowPoints(nullptr, gadget.parent, reinterpret_cast<POINT *>(&frame), 2);
    if (x == KEEP)
        x = frame.left;
    if (y == KEEP)
        y = frame.top;
    if (width == KEEP)
        width = frame.right - frame.left;
    if (height == KEEP)
        height = frame.bottom - frame.top;
    MoveWindow(gadget.handle, x, y, width, height, TRUE);
    if (gadget.kind == GadgetKind::button)
        RedrawWindow(gadget.handle, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
    else if (gadget.kind == GadgetKind::text)
        InvalidateRect(gadget.handle, nullptr, FALSE);
}

void disable_gadget(Id id, int state) {
    if (HWND handle = gadget_handle(id))
        EnableWindow(handle, state == 0);
}

void add_item(Id list, Id position, const wchar_t *text) {
    HWND handle = list_handle(list);
    if (handle && (position == -1 || valid_index(position)))
        SendMessageW(handle, LB_INSERTSTRING, static_cast<WPARAM>(position),
                     reinterpret_cast<LPARAM>(text ? text : L""));
}

Id count_items(Id list) {
    HWND handle = list_handle(list);
    if (!handle)
        return 0;
    LRESULT count = SendMessageW(handle, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<Id>(count);
}

std::wstring item_text(Id list, Id index) {
    HWND handle = list_handle(list);
    if (!handle || !valid_index(index))
        return std::wstring();
    LRESULT length = SendMessageW(handle, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR || length <= 0)
        return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0'); // room for the terminator
    LRESULT copied =
        SendMessageW(handle, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

void remove_item(Id list, Id index) {
    HWND handle = list_handle(list);
    if (handle && valid_index(index))
        SendMessageW(handle, LB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void clear_items(Id list) {
    if (HWND handle = list_handle(list))
        SendMessageW(handle, LB_RESETCONTENT, 0, 0);
}

void reserve_items(Id list, Id items) {
    HWND handle = list_handle(list);
    if (handle && items > 0 && items <= INT_MAX)
        SendMessageW(handle, LB_INITSTORAGE, static_cast<WPARAM>(items), 0);
}

// A held list is not watched: under Wine each message through a subclass costs a round trip to the
// server (docs/performance.md, "What makes it fast").
void hold_gadget_painting(Id id) {
    Gadget gadget;
    if (!gadgets.find(id, gadget))
        return;
    SendMessageW(gadget.handle, WM_SETREDRAW, FALSE, 0);
    if (gadget.kind == GadgetKind::list)
        stop_watching_list(gadget.handle);
}

void resume_gadget_painting(Id id) {
    Gadget gadget;
    if (!gadgets.find(id, gadget))
        return;
    if (gadget.kind == GadgetKind::list)
        watch_list(gadget.handle);
    SendMessageW(gadget.handle, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(gadget.handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

// Whole, not just what is pending: a held control counts as hidden, so what it invalidated and the
// parent's area it left when it moved were dropped, and the screen may still show its old pixels.
void repaint_now(Id window) {
    if (HWND handle = window_handle(window))
        RedrawWindow(handle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void paint_pending(Id window) {
    if (HWND handle = window_handle(window))
        RedrawWindow(handle, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
}

} // namespace ui
