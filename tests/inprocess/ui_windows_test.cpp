// Windows and menu bars: the frame and inner sizes that open and resize give, with and without a
// menu bar, the flags word, identifiers that hold nothing, and replacing a window or a menu bar.
#include "tests/inprocess/ui_test_helpers.h"

#include <cstdint>

using namespace ui_testing;

namespace {

// The height a one-line menu bar takes from the inner area of a window with this style.
int menu_height(HWND window) {
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    DWORD extended_style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    RECT with_menu = {0, 0, 100, 100}, without_menu = {0, 0, 100, 100};
    AdjustWindowRectEx(&with_menu, style, TRUE, extended_style);
    AdjustWindowRectEx(&without_menu, style, FALSE, extended_style);
    return (with_menu.bottom - with_menu.top) - (without_menu.bottom - without_menu.top);
}

HMENU add_file_menu(ui::Id id, HWND window) {
    HMENU bar = ui::create_menu(id, window);
    ui::add_menu_title(L"Datei");
    ui::add_menu_item(2, L"Beenden");
    ui::add_menu_title(L"Information");
    ui::add_menu_item(3, L"über...");
    return bar;
}

std::wstring menu_string(HMENU menu, UINT item, UINT by) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, item, text, 64, by);
    return text;
}

int created_windows(const CbtWatch &watch) {
    int count = 0;
    for (const CbtRecord &record : watch.records)
        count += record.kind == CbtRecord::created;
    return count;
}

class UiWindows : public LayerTest {};

TEST_F(UiWindows, MainWindowGeometryWithAndWithoutMenuBar) {
    if (!testing_support::screen_holds(1230, 380))
        return;
    HWND window = ui::open_window(0, 100, 200, 200, 180, L"Krumenfeger 0.9 ", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(window, ui::window_handle(0));
    EXPECT_TRUE(IsWindowVisible(window));
    Rect frame = frame_rect(window);
    EXPECT_EQ(100, frame.x);
    EXPECT_EQ(200, frame.y);
    EXPECT_EQ(Size({200, 180}), client_size(window));

    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU, style & (WS_CAPTION | WS_SYSMENU)) << std::hex << style;
    EXPECT_EQ(0, style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_CHILD | WS_POPUP))
        << std::hex << style;
    EXPECT_EQ(0, GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(nullptr, GetParent(window));
    EXPECT_EQ(L"Krumenfeger 0.9 ", testing_support::window_text(window));

    // The layer's class: double clicks, the program's icon, the arrow and the button face.
    EXPECT_TRUE(GetClassLongPtrW(window, GCL_STYLE) & CS_DBLCLKS);
    EXPECT_NE(0, GetClassLongPtrW(window, GCLP_HICON)) << "no icon";
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))),
              GetClassLongPtrW(window, GCLP_HCURSOR));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(GetSysColorBrush(COLOR_BTNFACE)),
              GetClassLongPtrW(window, GCLP_HBRBACKGROUND));

    // A menu bar attached later keeps the frame and takes its height from the inner area.
    Rect frame_before_menu = frame_rect(window);
    HMENU bar = add_file_menu(1, window);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(bar, GetMenu(window));
    const int menu = menu_height(window);
    EXPECT_GT(menu, 0);
    EXPECT_EQ(frame_before_menu, frame_rect(window));
    EXPECT_EQ(Size({200, 180 - menu}), client_size(window)) << "menu height " << menu;

    // A given height includes the menu bar; kept coordinates keep the frame where it is.
    EXPECT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 1230, 380));
    frame = frame_rect(window);
    EXPECT_EQ(100, frame.x);
    EXPECT_EQ(200, frame.y);
    EXPECT_EQ(Size({1230, 380 - menu}), client_size(window)) << "menu height " << menu;

    // A kept height keeps the inner height, menu bar or not; a kept width keeps the width.
    EXPECT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 300, ui::KEEP));
    EXPECT_EQ(Size({300, 380 - menu}), client_size(window));
    EXPECT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, ui::KEEP, 250));
    EXPECT_EQ(Size({300, 250 - menu}), client_size(window));
    EXPECT_NE(0, ui::resize_window(0, 50, 60, ui::KEEP, ui::KEEP));
    EXPECT_EQ(Size({300, 250 - menu}), client_size(window));
    frame = frame_rect(window);
    EXPECT_EQ(50, frame.x);
    EXPECT_EQ(60, frame.y);
    EXPECT_NE(0, ui::resize_window(0, ui::KEEP, 70, ui::KEEP, ui::KEEP));
    EXPECT_EQ(Rect({50, 70, frame.width, frame.height}), frame_rect(window));

    HWND plain = ui::open_window(1, 400, 200, 200, 180, L"Ohne Menü", MAIN_FLAGS);
    ASSERT_NE(nullptr, plain);
    EXPECT_NE(0, ui::resize_window(1, ui::KEEP, ui::KEEP, 320, ui::KEEP));
    EXPECT_EQ(Size({320, 180}), client_size(plain));
}

TEST_F(UiWindows, IdentifiersThatHoldNothingAndBadIdentifiers) {
    EXPECT_EQ(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 100, 100));
    EXPECT_EQ(nullptr, ui::window_handle(0));
    HWND window = ui::open_window(0, 100, 200, 200, 180, L"Null", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, ui::resize_window(1, ui::KEEP, ui::KEEP, 100, 100));
    EXPECT_EQ(0, ui::resize_window(-1, ui::KEEP, ui::KEEP, 100, 100));
    EXPECT_EQ(nullptr, ui::window_handle(-1));

    // A negative identifier creates nothing and leaves the gadget target where it was.
    {
        CbtWatch watch;
        EXPECT_EQ(nullptr, ui::open_window(-1, 100, 200, 200, 180, L"Negativ", MAIN_FLAGS));
        EXPECT_EQ(0, created_windows(watch));
    }
    EXPECT_EQ(window, ui::window_handle(0));
    HWND button = ui::create_button(1, 10, 10, 50, 20, L"Knopf");
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(window, GetParent(button));

    // A huge identifier works like any other.
    const ui::Id huge = INTPTR_MAX;
    HWND big = ui::open_window(huge, 400, 200, 150, 100, L"Groß", MAIN_FLAGS);
    ASSERT_NE(nullptr, big);
    EXPECT_EQ(big, ui::window_handle(huge));
    EXPECT_NE(0, ui::resize_window(huge, ui::KEEP, ui::KEEP, 160, 110));
    EXPECT_EQ(Size({160, 110}), client_size(big));
    EXPECT_EQ(window, ui::window_handle(0));
    HWND big_again = ui::open_window(huge, 400, 200, 150, 100, L"Groß", MAIN_FLAGS);
    ASSERT_NE(nullptr, big_again);
    EXPECT_FALSE(IsWindow(big)) << "the old window under the identifier was not closed";
    EXPECT_EQ(big_again, ui::window_handle(huge));
}

TEST_F(UiWindows, WindowThatCannotBeCreatedLeavesTheIdentifierFree) {
    HWND old = ui::open_window(2, 100, 200, 200, 180, L"Alt", MAIN_FLAGS);
    ASSERT_NE(nullptr, old);
    {
        CbtWatch refuse(1);
        ASSERT_TRUE(refuse.hooked());
        EXPECT_EQ(nullptr, ui::open_window(2, 100, 200, 200, 180, L"Abgelehnt", MAIN_FLAGS));
    }
    EXPECT_FALSE(IsWindow(old)) << "the window held by the identifier is closed first";
    EXPECT_EQ(nullptr, ui::window_handle(2));
    EXPECT_EQ(0, ui::resize_window(2, ui::KEEP, ui::KEEP, 100, 100));
    // Its class was given back, so the identifier can be used again.
    HWND again = ui::open_window(2, 100, 200, 200, 180, L"Wieder", MAIN_FLAGS);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(again, ui::window_handle(2));
}

TEST_F(UiWindows, FlagsTheLayerReadsItself) {
    // Hidden, tool window, centred on the screen.
    HWND hidden = ui::open_window(0, 100, 200, 200, 180, L"Versteckt", MAIN_FLAGS | ui::FLAG_HIDDEN);
    ASSERT_NE(nullptr, hidden);
    EXPECT_FALSE(IsWindowVisible(hidden));
    HWND tool =
        ui::open_window(1, 300, 200, 200, 180, L"Werkzeug", WS_OVERLAPPEDWINDOW | ui::FLAG_TOOL_WINDOW);
    ASSERT_NE(nullptr, tool);
    EXPECT_TRUE(GetWindowLongPtrW(tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(0, GetWindowLongPtrW(tool, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(GetWindowLongPtrW(tool, GWL_STYLE) & WS_THICKFRAME);
    EXPECT_EQ(Size({200, 180}), client_size(tool));
    // With no style bits besides the flag, the layer adds no caption and sizes the frame for the
    // style it asked for; the window system may still give an overlapped window a caption of its own.
    HWND bare_tool = ui::open_window(4, 600, 200, 200, 180, L"Werkzeug", ui::FLAG_TOOL_WINDOW);
    ASSERT_NE(nullptr, bare_tool);
    EXPECT_TRUE(GetWindowLongPtrW(bare_tool, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT outer = {0, 0, 200, 180};
    AdjustWindowRectEx(&outer, 0, FALSE, WS_EX_TOOLWINDOW);
    Rect bare_frame = frame_rect(bare_tool);
    EXPECT_EQ(Size({outer.right - outer.left, outer.bottom - outer.top}),
              Size({bare_frame.width, bare_frame.height}));

    HWND centred = ui::open_window(2, ui::KEEP, ui::KEEP, 300, 200, L"Mitte", ui::FLAG_CENTRE_ON_SCREEN);
    ASSERT_NE(nullptr, centred);
    EXPECT_TRUE(GetWindowLongPtrW(centred, GWL_STYLE) & WS_CAPTION) << "a plain window gets a caption";
    Rect frame = frame_rect(centred);
    EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - frame.width) / 2, frame.x);
    EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - frame.height) / 2, frame.y);

    // Flag 8 keeps the gadget target on the window opened before.
    HWND aside = ui::open_window(3, 500, 200, 200, 180, L"Daneben", MAIN_FLAGS | ui::FLAG_NOT_GADGET_TARGET);
    ASSERT_NE(nullptr, aside);
    HWND button = ui::create_button(1, 10, 10, 50, 20, L"Knopf");
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(centred, GetParent(button));

    // One kept coordinate without centring leaves the whole position to the window system.
    HWND placed = ui::open_window(5, ui::KEEP, 200, 200, 180, L"Irgendwo", MAIN_FLAGS);
    ASSERT_NE(nullptr, placed);
    Rect where = frame_rect(placed);
    EXPECT_TRUE(where.x >= 0 && where.x < GetSystemMetrics(SM_CXSCREEN)) << where;
}

TEST_F(UiWindows, MenuBarTitlesAndItems) {
    HWND window = ui::open_window(0, 100, 200, 300, 180, L"Menü", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    HMENU bar = ui::create_menu(1, window);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(nullptr, GetMenu(window)) << "shown before its first title";
    ui::add_menu_title(L"Datei");
    EXPECT_EQ(bar, GetMenu(window));
    ui::add_menu_item(2, L"Beenden");
    ui::add_menu_title(L"Information");
    ui::add_menu_item(3, L"über...");
    // A command comes back in 16 bits: the highest number is taken, the next one is not.
    ui::add_menu_item(0xFFFF, L"oben");
    ui::add_menu_item(0x10000, L"zu hoch");

    ASSERT_EQ(2, GetMenuItemCount(bar));
    EXPECT_EQ(L"Datei", menu_string(bar, 0, MF_BYPOSITION));
    EXPECT_EQ(L"Information", menu_string(bar, 1, MF_BYPOSITION));
    HMENU file = GetSubMenu(bar, 0), information = GetSubMenu(bar, 1);
    ASSERT_NE(nullptr, file);
    ASSERT_NE(nullptr, information);
    ASSERT_EQ(1, GetMenuItemCount(file));
    ASSERT_EQ(2, GetMenuItemCount(information));
    EXPECT_EQ(2u, GetMenuItemID(file, 0));
    EXPECT_EQ(L"Beenden", menu_string(file, 0, MF_BYPOSITION));
    EXPECT_EQ(3u, GetMenuItemID(information, 0));
    EXPECT_EQ(L"über...", menu_string(information, 0, MF_BYPOSITION));
    EXPECT_EQ(0xFFFFu, GetMenuItemID(information, 1));

    // A new menu bar under the same identifier detaches and destroys the old one first.
    HMENU second = ui::create_menu(1, window);
    ASSERT_NE(nullptr, second);
    EXPECT_FALSE(IsMenu(bar)) << "old menu bar not destroyed";
    EXPECT_EQ(nullptr, GetMenu(window));
    ui::add_menu_title(L"Neu");
    EXPECT_EQ(second, GetMenu(window));
    EXPECT_EQ(1, GetMenuItemCount(second));
    EXPECT_EQ(nullptr, ui::create_menu(-1, window));
}

} // namespace
