// The real program, worked as a person works it: real keys and mouse clicks through the window
// system's input queue, what it shows read back from outside and checked against the disk.
#include "tests/e2e/driver.h"
#include "tests/e2e/expected.h"
#include "tests/e2e/folders.h"
#include "tests/e2e/input.h"
#include "tests/e2e/steps.h"
#include "tests/e2e/view_state.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;

namespace {

const std::vector<std::wstring> MENU_TITLES = {L"Datei", L"Information"};
constexpr size_t MENU_FILE = 0;
constexpr size_t MENU_INFORMATION = 1;
constexpr int TAB_ROUND = 12; // more Tabs than the window has tab stops

// The gadget number of the control with the keyboard focus; 0 when no gadget has it.
int focused_gadget(const Program &program) {
    HWND focus = focus_of(program.window());
    return focus && GetParent(focus) == program.window() ? GetDlgCtrlID(focus) : 0;
}

// Presses Tab (or Shift+Tab) and returns the gadget that has the focus then; 0 if it did not move.
int tab(const Program &program, bool backwards = false) {
    int before = focused_gadget(program);
    bool pressed =
        backwards ? press_keys(program.window(), {VK_SHIFT, VK_TAB}) : press_keys(program.window(), {VK_TAB});
    if (!pressed || !wait_until([&] { return focused_gadget(program) != before; }))
        return 0;
    return focused_gadget(program);
}

std::vector<int> tabs(const Program &program, size_t count, bool backwards = false) {
    std::vector<int> reached;
    for (size_t i = 0; i < count; ++i)
        reached.push_back(tab(program, backwards));
    return reached;
}

// Tabs until `gadget` has the focus; false if one round does not get there.
bool tab_to(const Program &program, int gadget) {
    for (int i = 0; i < TAB_ROUND && focused_gadget(program) != gadget; ++i)
        if (!tab(program))
            return false;
    return focused_gadget(program) == gadget;
}

bool gone(HWND dialog) {
    return wait_until([dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

bool back_in_main_window(const Program &program) {
    return wait_until([&] { return IsWindowEnabled(program.window()) != 0; }) && settle(program.window());
}

// Answers a dialog with keys pressed in it and waits until the main window takes input again.
bool answer_by_keys(const Program &program, HWND dialog, std::initializer_list<WORD> keys) {
    return press_keys(dialog, keys) && gone(dialog) && back_in_main_window(program);
}

// Answers a dialog with a click on one of its buttons.
bool answer_by_click(const Program &program, HWND dialog, int button) {
    return click_child(dialog, button) && gone(dialog) && back_in_main_window(program);
}

// Opens a drop-down of the menu bar with a click on its title and clicks its one item.
bool click_menu(const Program &program, size_t title) {
    if (!click_at(program.window(), menu_title_point(program.window(), MENU_TITLES, title)))
        return false;
    HWND menu = wait_for_popup_menu(program.id());
    EXPECT_NE(nullptr, menu) << "no drop-down under \"" << utf8(MENU_TITLES[title]) << "\"";
    return menu && click_at(program.window(), centre_of(frame_of(menu)));
}

std::vector<DiskEntry> without(std::vector<DiskEntry> entries, const std::wstring &gone_name) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const DiskEntry &entry) { return entry.path == gone_name; }),
                  entries.end());
    return entries;
}

// A small music folder as a user of the program has it: junk beside the songs, and a few other files.
bool fill_demo_folder(const TempFolder &music) {
    const wchar_t *const names[] = {
        L"Sommerhit.mp3",         L"Sommerhit.mp3_work.mp3",
        L"Ballade in a-Moll.mp3", L"Ballade in a-Moll.mp3_work.mp3",
        L"Zugabe (live).mp3",     L"Intro.mp3",
        L"Intro.mp3_work.mp3",    L"Cover.jpg",
        L"Wiedergabeliste.m3u",   L"Liesmich.txt",
    };
    bool ok = true;
    for (const wchar_t *name : names)
        ok = write_file(music / name, "content of " + utf8(name)) && ok;
    return ok;
}

void expect_lists_and_counts(const Program &program, const Classified &expected) {
    Classified shown = read_lists(program);
    EXPECT_EQ(expected.junk, shown.junk) << "junk list";
    EXPECT_EQ(expected.mp3, shown.mp3) << "MP3 list";
    EXPECT_EQ(expected.other, shown.other) << "other list";
    EXPECT_EQ(count_text(JUNK_PREFIX, expected.junk.size()), status_field(program, FIELD_JUNK));
    EXPECT_EQ(count_text(MP3_PREFIX, expected.mp3.size()), status_field(program, FIELD_MP3));
    EXPECT_EQ(count_text(OTHER_PREFIX, expected.other.size()), status_field(program, FIELD_OTHER));
}

} // namespace

// The run the program is made for, done with the mouse: choose the folder, look at the lists, delete
// the junk, rescan after the folder changed, quit. Pictures of each stage are kept beside the tests.
TEST(UserScenarios, TypicalRunWithTheMouse) {
    if (!screen_holds_results_view())
        return;
    TempFolder music(L"Musik");
    TempFolder elsewhere(L"cwd");
    ASSERT_NO_FATAL_FAILURE(make_scenario_folders(music, elsewhere));
    ASSERT_TRUE(fill_demo_folder(music));
    const Classified expected = classify_folder(music.path());
    ASSERT_NO_FATAL_FAILURE(expect_make_up(expected, 3, 4, 3));
    const std::vector<DiskEntry> disk_before = read_tree(music.path());

    Program program;
    ASSERT_TRUE(start_program(program, elsewhere.path()));
    HWND window = program.window();
    expect_screenshot(window, L"typical_run_start_window");

    ASSERT_TRUE(click_child(window, BUTTON_CHOOSE));
    HWND chooser = expect_chooser(program);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(select_folder(program.process(), chooser, music.path()));
    ASSERT_TRUE(answer_by_click(program, chooser, IDOK));
    ASSERT_TRUE(wait_for_results(program));
    expect_lists_and_counts(program, expected);
    EXPECT_TRUE(gadget_enabled(program, BUTTON_DELETE));
    EXPECT_EQ(disk_before, read_tree(music.path())) << "the scan changed the disk";
    expect_screenshot(window, L"typical_run_results_view");

    ASSERT_TRUE(click_child(window, BUTTON_DELETE));
    HWND question = expect_message_box(program, DELETE_TITLE, DELETE_QUESTION);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(answer_by_click(program, question, IDYES));
    std::vector<DiskEntry> disk_left = disk_before;
    for (const std::wstring &junk : expected.junk)
        disk_left = without(disk_left, junk.substr(music.path().size() + 1));
    EXPECT_EQ(disk_left, read_tree(music.path())) << "not exactly the junk was deleted";
    expect_lists_and_counts(program, {{}, expected.mp3, expected.other});
    EXPECT_FALSE(gadget_enabled(program, BUTTON_DELETE));
    expect_screenshot(window, L"typical_run_after_removal");

    // Meanwhile, outside the program, new junk and a new song arrive and a file goes away.
    ASSERT_TRUE(write_file(music / L"Neues Lied.mp3_work.mp3", "new junk"));
    ASSERT_TRUE(write_file(music / L"Neues Lied.mp3", "new song"));
    ASSERT_TRUE(DeleteFileW((music / L"Liesmich.txt").c_str()));
    const Classified changed = classify_folder(music.path());
    ASSERT_EQ(1u, changed.junk.size());
    ASSERT_TRUE(click_child(window, BUTTON_RESCAN));
    // The click is handled once the lists show the folder as it is now; the round trip after it
    // waits for the rest of the rescan.
    ASSERT_TRUE(wait_until([&] { return read_lists(program).junk == changed.junk; }) && settle(window))
        << "the rescan did not list the new junk";
    expect_lists_and_counts(program, changed);
    EXPECT_TRUE(gadget_enabled(program, BUTTON_DELETE));

    ASSERT_TRUE(click_child(window, BUTTON_QUIT));
    question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    expect_screenshot(question, L"typical_run_quit_question");
    ASSERT_TRUE(click_child(question, IDYES));
    DWORD exit_code = 1;
    ASSERT_TRUE(program.wait_for_exit(WAIT_MS, &exit_code)) << "still running after Yes";
    EXPECT_EQ(0u, exit_code);
    EXPECT_TRUE(exists(music / L"Neues Lied.mp3_work.mp3")) << "junk went without being asked for";
    EXPECT_TRUE(exists(elsewhere / L"fremd.mp3_work.mp3")) << "junk of a folder nobody chose was deleted";
}

// Everything a person does with the keyboard alone: Tab and Shift+Tab between the buttons and
// lists, Space to press, Enter and Escape only inside the dialogs, Alt+F4 to quit.
TEST(UserScenarios, KeyboardOnly) {
    if (!screen_holds_results_view())
        return;
    TempFolder music(L"music");
    TempFolder elsewhere(L"cwd");
    ASSERT_NO_FATAL_FAILURE(make_scenario_folders(music, elsewhere));
    ASSERT_TRUE(write_file(music / L"lied.mp3_work.mp3", "junk"));
    ASSERT_TRUE(write_file(music / L"lied.mp3", "music"));
    ASSERT_TRUE(write_file(music / L"hülle.jpg", "picture"));
    const Classified expected = classify_folder(music.path());
    const std::vector<DiskEntry> disk_before = read_tree(music.path());

    Program program;
    ASSERT_TRUE(start_program(program, elsewhere.path()));
    HWND window = program.window();

    // Tab and Shift+Tab go round the two start buttons.
    ASSERT_TRUE(tab_to(program, BUTTON_CHOOSE));
    EXPECT_EQ((std::vector<int>{BUTTON_QUIT, BUTTON_CHOOSE}), tabs(program, 2));
    EXPECT_EQ((std::vector<int>{BUTTON_QUIT, BUTTON_CHOOSE}), tabs(program, 2, true));

    // Enter on a button of the main window does nothing. Input is handled in order, so once the
    // Tab pressed after it has moved the focus, Enter has been handled.
    ViewState start_view = read_view(program);
    ASSERT_TRUE(press_keys(window, {VK_RETURN}));
    EXPECT_EQ(BUTTON_QUIT, tab(program));
    EXPECT_EQ(nullptr, find_dialog(program.id())) << "Enter pressed a button";
    EXPECT_EQ(BUTTON_CHOOSE, tab(program, true));
    ViewState after_enter = read_view(program);
    EXPECT_EQ(start_view, after_enter);

    // Space presses the focused button; Enter in the chooser takes the folder selected there.
    ASSERT_TRUE(press_keys(window, {VK_SPACE}));
    HWND chooser = wait_for_dialog(program.id(), CHOOSER_WAIT_MS);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(is_folder_chooser(chooser));
    ASSERT_TRUE(select_folder(program.process(), chooser, music.path()));
    ASSERT_TRUE(answer_by_keys(program, chooser, {VK_RETURN}));
    ASSERT_TRUE(wait_for_results(program));
    Classified shown = read_lists(program);
    EXPECT_EQ(expected.junk, shown.junk);
    EXPECT_EQ(expected.mp3, shown.mp3);
    EXPECT_EQ(expected.other, shown.other);

    // In the results view Tab goes through buttons and lists in the order they were made.
    ASSERT_TRUE(bring_to_front(window));
    ASSERT_TRUE(tab_to(program, BUTTON_CHOOSE));
    EXPECT_EQ((std::vector<int>{BUTTON_QUIT, LIST_JUNK, LIST_MP3, LIST_OTHER, BUTTON_DELETE, BUTTON_RESCAN,
                                BUTTON_CHOOSE}),
              tabs(program, 7));
    EXPECT_EQ((std::vector<int>{BUTTON_RESCAN, BUTTON_DELETE, LIST_OTHER, LIST_MP3, LIST_JUNK, BUTTON_QUIT,
                                BUTTON_CHOOSE}),
              tabs(program, 7, true));

    // "Müll löschen" with Space, Enter for Yes.
    ASSERT_TRUE(tab_to(program, BUTTON_DELETE));
    ASSERT_TRUE(press_keys(window, {VK_SPACE}));
    HWND question = expect_message_box(program, DELETE_TITLE, DELETE_QUESTION);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(answer_by_keys(program, question, {VK_RETURN}));
    EXPECT_EQ(without(disk_before, L"lied.mp3_work.mp3"), read_tree(music.path()));
    EXPECT_TRUE(read_lists(program).junk.empty());
    EXPECT_EQ(count_text(JUNK_PREFIX, 0), status_field(program, FIELD_JUNK));
    EXPECT_FALSE(gadget_enabled(program, BUTTON_DELETE));

    // "Neu einlesen" finds the junk that turned up meanwhile.
    const std::wstring late_junk = music / L"neu.mp3_work.mp3";
    ASSERT_TRUE(write_file(late_junk, "new junk"));
    ASSERT_TRUE(bring_to_front(window));
    ASSERT_TRUE(tab_to(program, BUTTON_RESCAN));
    ASSERT_TRUE(press_keys(window, {VK_SPACE}));
    ASSERT_TRUE(wait_until([&] { return read_lists(program).junk == std::vector<std::wstring>{late_junk}; }));
    EXPECT_TRUE(gadget_enabled(program, BUTTON_DELETE));

    // Escape in the chooser cancels it: the start layout again.
    ASSERT_TRUE(tab_to(program, BUTTON_CHOOSE));
    ASSERT_TRUE(press_keys(window, {VK_SPACE}));
    chooser = wait_for_dialog(program.id(), CHOOSER_WAIT_MS);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(answer_by_keys(program, chooser, {VK_ESCAPE}));
    EXPECT_EQ(START_WIDTH, inner_size(window).cx);

    // The rescan button, off-screen now but still a tab stop, does nothing without a chosen folder.
    ASSERT_TRUE(bring_to_front(window));
    ViewState cancelled = read_view(program);
    ASSERT_TRUE(tab_to(program, BUTTON_RESCAN));
    ASSERT_TRUE(press_keys(window, {VK_SPACE}));
    EXPECT_EQ(BUTTON_DELETE, tab(program, true)); // the Space before it has been handled
    ViewState after_rescan = read_view(program);
    EXPECT_EQ(cancelled, after_rescan);

    // The delete button, off-screen too, still deletes what the earlier scan listed.
    ASSERT_TRUE(press_keys(window, {VK_SPACE}));
    question = expect_message_box(program, DELETE_TITLE, DELETE_QUESTION);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(answer_by_keys(program, question, {VK_RETURN}));
    EXPECT_FALSE(exists(late_junk));
    EXPECT_TRUE(read_lists(program).junk.empty());
    EXPECT_TRUE(exists(elsewhere / L"fremd.mp3_work.mp3")) << "junk of a folder nobody chose was deleted";

    // Alt+F4 asks; Enter says Yes.
    ASSERT_TRUE(bring_to_front(window));
    ASSERT_TRUE(press_keys(window, {VK_MENU, VK_F4}));
    question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(press_keys(question, {VK_RETURN}));
    DWORD exit_code = 1;
    ASSERT_TRUE(program.wait_for_exit(WAIT_MS, &exit_code)) << "still running after Yes";
    EXPECT_EQ(0u, exit_code);
}

// Every question answered No, with the mouse: nothing changes, on screen or on disk. Pictures of the
// start window, the results view, the quit question and the About box are kept beside the tests.
TEST(UserScenarios, NoAnswersWithTheMouseLeaveEverythingUnchanged) {
    if (!screen_holds_results_view())
        return;
    TempFolder music(L"music");
    ASSERT_TRUE(music.valid());
    ASSERT_TRUE(write_file(music / L"lied.mp3_work.mp3", "junk"));
    ASSERT_TRUE(write_file(music / L"zweites.mp3_work.mp3", "more junk"));
    ASSERT_TRUE(write_file(music / L"lied.mp3", "music"));
    ASSERT_TRUE(write_file(music / L"notiz.txt", "text"));

    Program program;
    ASSERT_TRUE(start_program(program));
    HWND window = program.window();
    expect_screenshot(window, L"start_window");

    ASSERT_TRUE(click_child(window, BUTTON_CHOOSE));
    HWND chooser = wait_for_dialog(program.id(), CHOOSER_WAIT_MS);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(select_folder(program.process(), chooser, music.path()));
    ASSERT_TRUE(click_child(chooser, IDOK) && gone(chooser));
    ASSERT_TRUE(wait_for_results(program));
    expect_screenshot(window, L"results_view");
    const ViewState shown = read_view(program);
    const std::vector<DiskEntry> disk = read_tree(music.path());
    ASSERT_EQ(2u, read_lists(program).junk.size());

    auto expect_unchanged = [&](const char *after) {
        ViewState now = read_view(program);
        EXPECT_EQ(shown, now) << "after No to " << after;
        EXPECT_EQ(disk, read_tree(music.path())) << "after No to " << after;
    };

    ASSERT_TRUE(click_at(window, close_box_point(window)));
    HWND question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    expect_screenshot(question, L"quit_question");
    ASSERT_TRUE(answer_by_click(program, question, IDNO));
    expect_unchanged("the close box");

    ASSERT_TRUE(press_keys(window, {VK_MENU, VK_F4}));
    question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(answer_by_click(program, question, IDNO));
    expect_unchanged("Alt+F4");

    ASSERT_TRUE(click_menu(program, MENU_FILE));
    question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(answer_by_click(program, question, IDNO));
    expect_unchanged("\"Datei\" > \"Beenden\"");

    ASSERT_TRUE(click_child(window, BUTTON_QUIT));
    question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(answer_by_click(program, question, IDNO));
    expect_unchanged("\"Programm beenden\"");

    ASSERT_TRUE(click_child(window, BUTTON_DELETE));
    question = expect_message_box(program, DELETE_TITLE, DELETE_QUESTION);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(answer_by_click(program, question, IDNO));
    expect_unchanged("\"Müll löschen\"");

    ASSERT_TRUE(click_menu(program, MENU_INFORMATION));
    HWND about = expect_message_box(program, ABOUT_TITLE, ABOUT_TEXT);
    ASSERT_NE(nullptr, about);
    expect_screenshot(about, L"about_box");
    ASSERT_TRUE(answer_by_click(program, about, IDOK));
    expect_unchanged("the About box (OK)");

    ASSERT_TRUE(click_at(window, close_box_point(window)));
    question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    ASSERT_TRUE(click_child(question, IDYES));
    DWORD exit_code = 1;
    ASSERT_TRUE(program.wait_for_exit(WAIT_MS, &exit_code)) << "still running after Yes";
    EXPECT_EQ(0u, exit_code);
}
