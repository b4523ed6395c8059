// Menu bars: one per window, built title by title.
#include "ui/layer.h"

namespace ui {

namespace {

// A menu command comes back as 16 bits of WM_COMMAND; a wider number could not be told apart.
constexpr Id MENU_ITEM_MAX = 0xFFFF;

// The menu being built, per thread: its bar, its window and the drop-down that takes new items.
struct MenuInProgress {
    HMENU bar = nullptr;
    HWND window = nullptr;
    HMENU drop_down = nullptr;
};
thread_local MenuInProgress building;

} // namespace

HMENU create_menu(Id id, HWND window) {
    if (id < 0)
        return nullptr;
    MenuBar old;
    if (menu_bars.take(id, old)) {
        if (GetMenu(old.window) == old.handle)
            SetMenu(old.window, nullptr);
        DestroyMenu(old.handle);
        if (building.bar == old.handle)
            building = MenuInProgress();
    }
    HMENU bar = CreateMenu();
    if (!bar)
        return nullptr;
    menu_bars.put(id, {bar, window});
    building = {bar, window, nullptr};
    return bar;
}

// The layer's rule: the bar is attached to its window again (SetMenu) after each title and each item;
// it appears with the first title.
void add_menu_title(const wchar_t *text) {
    if (!building.bar)
        return;
    HMENU drop_down = CreateMenu();
    if (!drop_down)
        return;
    if (!AppendMenuW(building.bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(drop_down),
                     text ? text : L"")) {
        DestroyMenu(drop_down);
        return;
    }
    building.drop_down = drop_down;
    SetMenu(building.window, building.bar);
}

void add_menu_item(Id item, const wchar_t *text) {
    if (!building.drop_down || item < 0 || item > MENU_ITEM_MAX)
        return;
    AppendMenuW(building.drop_down, MF_STRING, static_cast<UINT_PTR>(item), text ? text : L"");
    SetMenu(building.window, building.bar);
}

} // namespace ui
