// The real program, started as its own process: its start window, the About box and every way
// of quitting, checked from outside.
#include "tests/e2e/driver.h"
#include "tests/e2e/expected.h"
#include "tests/e2e/folders.h"
#include "tests/e2e/steps.h"
#include "tests/e2e/view_state.h"

#include <gtest/gtest.h>

#include <iostream>

using namespace e2e;

namespace {

constexpr LONG FRAME_STYLE_BITS = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
constexpr LONG FRAME_STYLE = WS_CAPTION | WS_SYSMENU;

void expect_button(HWND window, int id, RECT rect, const wchar_t *text) {
    HWND button = GetDlgItem(window, id);
    ASSERT_NE(nullptr, button) << "no gadget " << id;
    EXPECT_EQ(text, text_of(button)) << "gadget " << id;
    EXPECT_EQ(0, _wcsicmp(L"Button", class_of(button).c_str())) << utf8(class_of(button));
    LONG style = GetWindowLongW(button, GWL_STYLE);
    EXPECT_EQ(BS_PUSHBUTTON, style & BS_TYPEMASK) << "gadget " << id;
    EXPECT_TRUE(style & WS_TABSTOP) << "gadget " << id;
    EXPECT_TRUE(IsWindowVisible(button) && IsWindowEnabled(button)) << "gadget " << id;
    RECT actual = child_rect(button);
    EXPECT_EQ(rect.left, actual.left) << "gadget " << id;
    EXPECT_EQ(rect.top, actual.top) << "gadget " << id;
    EXPECT_EQ(rect.right, actual.right) << "gadget " << id;
    EXPECT_EQ(rect.bottom, actual.bottom) << "gadget " << id;
}

// Menu texts can be read from another process on Windows; Wine keeps menus private to their process
// (GetMenuItemCount gives -1), and there the user scenarios show the menu by using it.
void expect_menu(HWND window) {
    HMENU menu = GetMenu(window);
    ASSERT_NE(nullptr, menu);
    if (GetMenuItemCount(menu) < 0) {
        std::cout << "note: the window system does not let this process read the menu's texts\n";
        return;
    }
    std::vector<MenuEntry> bar = {{L"Datei", -1}, {L"Information", -1}};
    EXPECT_EQ(bar, menu_entries(menu));
    std::vector<MenuEntry> file = {{L"Beenden", MENU_QUIT}};
    EXPECT_EQ(file, menu_entries(GetSubMenu(menu, 0)));
    std::vector<MenuEntry> information = {{L"über...", MENU_ABOUT}};
    EXPECT_EQ(information, menu_entries(GetSubMenu(menu, 1)));
}

} // namespace

TEST(StartWindow, ShowsTitleFrameMenuStatusBarAndButtonsAndTheAboutBox) {
    Program program;
    ASSERT_TRUE(start_program(program));
    HWND window = program.window();

    EXPECT_EQ(TITLE, text_of(window));
    RECT frame = frame_of(window);
    EXPECT_EQ(FRAME_X, frame.left);
    EXPECT_EQ(FRAME_Y, frame.top);
    LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(FRAME_STYLE, style & FRAME_STYLE_BITS) << std::hex << style;
    EXPECT_EQ(0, GetWindowLongW(window, GWL_EXSTYLE) & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
    // The frame was made for a 200 x 180 client; the menu bar attached afterwards takes its height.
    RECT bare = {0, 0, START_WIDTH, START_HEIGHT};
    AdjustWindowRectEx(&bare, static_cast<DWORD>(style), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    EXPECT_EQ(bare.right - bare.left, frame.right - frame.left);
    EXPECT_EQ(bare.bottom - bare.top, frame.bottom - frame.top);
    int menu_height = menu_bar_height(window);
    EXPECT_GT(menu_height, 0);
    EXPECT_EQ(START_WIDTH, inner_size(window).cx);
    EXPECT_EQ(START_HEIGHT - menu_height, inner_size(window).cy);

    expect_menu(window);

    HWND status = status_bar_of(window);
    ASSERT_NE(nullptr, status);
    EXPECT_EQ((std::vector<int>{60, 160, 173, 186, 199}), status_edges(program.process(), status));
    EXPECT_EQ(L" Version", status_text(program.process(), status, 0));
    EXPECT_EQ(L"0.9 ", status_text(program.process(), status, 1));
    for (int field = 2; field <= 4; ++field)
        EXPECT_EQ(L"", status_text(program.process(), status, field)) << "field " << field;

    expect_button(window, BUTTON_CHOOSE, {10, 30, 190, 70}, L"Vumbrel Musikverzeichnis wählen");
    expect_button(window, BUTTON_QUIT, {10, 80, 190, 120}, L"Programm beenden");
    for (int id = 7; id <= 14; ++id)
        EXPECT_EQ(nullptr, GetDlgItem(window, id)) << "gadget " << id << " before a folder was chosen";

    // The About box, then back to the loop.
    ViewState before = read_view(program);
    ASSERT_TRUE(choose_menu_item(window, MENU_ABOUT));
    HWND about = expect_message_box(program, ABOUT_TITLE, ABOUT_TEXT);
    ASSERT_NE(nullptr, about);
    EXPECT_NE(nullptr, GetDlgItem(about, IDOK));
    EXPECT_EQ(nullptr, GetDlgItem(about, IDYES));
    EXPECT_EQ(nullptr, GetDlgItem(about, IDNO));
    ASSERT_TRUE(answer_and_return(program, about, IDOK));
    ViewState after = read_view(program);
    EXPECT_EQ(before, after) << "before:\n" << describe(before) << "\nafter:\n" << describe(after);

    // The loop still answers: the close box asks, and Yes ends the program.
    quit_with_yes(program);
}

// Every way of asking to quit: the close box, Alt+F4, "Datei" > "Beenden" and "Programm beenden".
enum class QuitWay { close_box, alt_f4, menu, button };

class Quitting : public testing::TestWithParam<QuitWay> {};

bool ask_to_quit(HWND window, QuitWay way) {
    switch (way) {
    case QuitWay::close_box:
        return press_close_box(window);
    case QuitWay::alt_f4: {
        // The keystrokes as the window system delivers them with Alt held down.
        HWND target = GetDlgItem(window, BUTTON_CHOOSE);
        LPARAM down = 1 | (static_cast<LPARAM>(MapVirtualKeyW(VK_F4, MAPVK_VK_TO_VSC)) << 16) | (1 << 29);
        return PostMessageW(target, WM_SYSKEYDOWN, VK_F4, down) &&
               PostMessageW(target, WM_SYSKEYUP, VK_F4, down | (1u << 30) | (1u << 31));
    }
    case QuitWay::menu:
        return choose_menu_item(window, MENU_QUIT);
    case QuitWay::button:
        return click_gadget(window, BUTTON_QUIT);
    }
    return false;
}

TEST_P(Quitting, AsksAndNoKeepsTheProgramUnchangedAndYesEndsItWithExitCode0) {
    Program program;
    ASSERT_TRUE(start_program(program));
    HWND window = program.window();
    ViewState before = read_view(program);

    ASSERT_TRUE(ask_to_quit(window, GetParam()));
    HWND box = expect_quit_question(program);
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(answer_and_return(program, box, IDNO));
    EXPECT_TRUE(program.running());
    ViewState after = read_view(program);
    EXPECT_EQ(before, after) << "before:\n" << describe(before) << "\nafter:\n" << describe(after);

    ASSERT_TRUE(ask_to_quit(window, GetParam()));
    box = expect_quit_question(program);
    ASSERT_NE(nullptr, box);
    expect_yes_ends_program(program, box);
}

std::string quit_way_name(const testing::TestParamInfo<QuitWay> &info) {
    const char *const names[] = {"CloseBox", "AltF4", "MenuBeenden", "ButtonProgrammBeenden"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Quitting,
                         testing::Values(QuitWay::close_box, QuitWay::alt_f4, QuitWay::menu, QuitWay::button),
                         quit_way_name);
