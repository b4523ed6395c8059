#include "tests/e2e/steps.h"

#include "tests/e2e/expected.h"
#include "tests/e2e/folders.h"
#include "tests/e2e/input.h"
#include "tests/support/gui.h"

#include <gtest/gtest.h>

namespace e2e {

namespace {

std::vector<std::wstring> items_of(const Program &program, int list) {
    return list_items(GetDlgItem(program.window(), list));
}

// A dialog belongs to the main window when that is in front as it opens. Without a window manager,
// Wine may leave no window in front for a moment after an earlier dialog closed, and then the
// dialog rightly has no owner; it must never belong to anything else.
void expect_owner(const Program &program, HWND dialog) {
    HWND owner = GetWindow(dialog, GW_OWNER);
    EXPECT_TRUE(owner == program.window() || owner == nullptr) << "owned by " << owner;
}

} // namespace

bool start_program(Program &program, const std::wstring &directory) {
    bool started = program.start(beside_this_program(PROGRAM), directory);
    EXPECT_TRUE(started) << "krumenfeger.exe did not show its start window in time";
    // As for a person who has just started it, the program's window is the one in front.
    bool in_front = started && bring_to_front(program.window());
    EXPECT_TRUE(!started || in_front) << "the program's window does not come to the front";
    return started && in_front;
}

SIZE inner_size(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

int menu_bar_height(HWND window) {
    RECT bare = {0, 0, START_WIDTH, START_HEIGHT};
    AdjustWindowRectEx(&bare, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)));
    return client_on_screen(window).top - (frame_of(window).top - bare.top);
}

HWND expect_message_box(const Program &program, const wchar_t *title, const wchar_t *text) {
    HWND box = wait_for_dialog(program.id());
    EXPECT_NE(nullptr, box) << "no message box \"" << utf8(title) << "\"";
    if (!box)
        return nullptr;
    EXPECT_FALSE(is_folder_chooser(box));
    EXPECT_EQ(title, text_of(box));
    EXPECT_EQ(text, message_box_text(box));
    expect_owner(program, box);
    EXPECT_FALSE(IsWindowEnabled(program.window())) << "the main window stays usable under the box";
    return box;
}

HWND expect_quit_question(const Program &program) {
    HWND box = expect_message_box(program, QUIT_TITLE, QUIT_QUESTION);
    if (box) {
        EXPECT_NE(nullptr, GetDlgItem(box, IDYES));
        EXPECT_NE(nullptr, GetDlgItem(box, IDNO));
        EXPECT_EQ(nullptr, GetDlgItem(box, IDOK));
    }
    return box;
}

bool answer_and_return(const Program &program, HWND dialog, int button) {
    HWND window = program.window();
    bool back =
        answer(dialog, button) && wait_until([&] { return IsWindowEnabled(window) != 0; }) && settle(window);
    EXPECT_TRUE(back) << "the program did not return to its window after answering " << button;
    return back;
}

void expect_yes_ends_program(Program &program, HWND question) {
    ASSERT_TRUE(answer(question, IDYES));
    DWORD exit_code = 1;
    ASSERT_TRUE(program.wait_for_exit(WAIT_MS, &exit_code)) << "still running after Yes";
    EXPECT_EQ(0u, exit_code);
}

void quit_with_yes(Program &program) {
    ASSERT_TRUE(press_close_box(program.window()));
    HWND question = expect_quit_question(program);
    ASSERT_NE(nullptr, question);
    expect_yes_ends_program(program, question);
}

HWND expect_chooser(const Program &program) {
    HWND chooser = wait_for_dialog(program.id(), CHOOSER_WAIT_MS);
    EXPECT_NE(nullptr, chooser) << "no folder chooser";
    if (!chooser)
        return nullptr;
    EXPECT_TRUE(is_folder_chooser(chooser)) << "\"" << utf8(text_of(chooser)) << "\" is no folder chooser";
    expect_owner(program, chooser);
    EXPECT_FALSE(IsWindowEnabled(program.window())) << "the main window stays usable under the chooser";
    EXPECT_EQ(START_WIDTH, inner_size(program.window()).cx) << "no start layout while the chooser is open";
    // It starts at the drive root, whose item reads "<label> (C:)", every time.
    std::wstring selected = chooser_selection(program.process(), chooser);
    EXPECT_TRUE(selected.size() >= 4 && selected.compare(selected.size() - 4, 4, L"(C:)") == 0)
        << "the chooser starts at \"" << utf8(selected) << "\"";
    return chooser;
}

HWND open_chooser(const Program &program) {
    return click_gadget(program.window(), BUTTON_CHOOSE) ? expect_chooser(program) : nullptr;
}

bool screen_holds_results_view() {
    const POINT place = {FRAME_X, FRAME_Y};
    return testing_support::screen_holds(RESULTS_WIDTH, RESULTS_HEIGHT, &place);
}

bool wait_for_results(const Program &program) {
    HWND window = program.window();
    // The scan runs inside the handler, so the round trip after the view appears waits for it.
    return wait_until(
               [&] { return inner_size(window).cx == RESULTS_WIDTH && GetDlgItem(window, BUTTON_RESCAN); }) &&
           settle(window);
}

bool choose_and_show_results(const Program &program, HWND chooser, const std::wstring &folder) {
    if (!choose_folder(program.process(), chooser, folder)) {
        ADD_FAILURE() << "the chooser did not take " << utf8(folder) << "; it shows \""
                      << utf8(chooser_selection(program.process(), chooser)) << "\"";
        return false;
    }
    bool shown = wait_for_results(program);
    EXPECT_TRUE(shown) << "no results view for " << utf8(folder);
    return shown;
}

void make_scenario_folders(const TempFolder &music, const TempFolder &elsewhere) {
    ASSERT_TRUE(music.valid() && elsewhere.valid());
    ASSERT_TRUE(write_file(elsewhere / L"fremd.mp3_work.mp3", "not chosen"));
}

void expect_make_up(const Classified &expected, size_t junk, size_t mp3, size_t other) {
    ASSERT_EQ(junk, expected.junk.size());
    ASSERT_EQ(mp3, expected.mp3.size());
    ASSERT_EQ(other, expected.other.size());
}

Classified read_lists(const Program &program) {
    return {items_of(program, LIST_JUNK), items_of(program, LIST_MP3), items_of(program, LIST_OTHER)};
}

void expect_screenshot(HWND window, const wchar_t *name) {
    std::wstring folder = beside_this_program(L"e2e_screenshots");
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + name + L".bmp";
    // Painting reaches the screen a little after the window has handled it.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    settle(window);
    bool blank = true;
    bool saved = wait_until([&] { return save_screenshot(window, path, &blank) && !blank; }, 2000);
    EXPECT_TRUE(saved) << utf8(path) << (blank ? " is blank" : " could not be saved");

    BITMAPFILEHEADER file_header = {};
    BITMAPINFOHEADER header = {};
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    bool read = file != INVALID_HANDLE_VALUE &&
                ReadFile(file, &file_header, sizeof file_header, &got, nullptr) &&
                ReadFile(file, &header, sizeof header, &got, nullptr) && got == sizeof header;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    ASSERT_TRUE(read) << utf8(path);
    RECT frame = frame_of(window);
    EXPECT_EQ(frame.right - frame.left, header.biWidth) << utf8(path);
    EXPECT_EQ(frame.bottom - frame.top, header.biHeight) << utf8(path);
}

bool gadget_enabled(const Program &program, int gadget) {
    HWND control = GetDlgItem(program.window(), gadget);
    EXPECT_NE(nullptr, control) << "no gadget " << gadget;
    return control && IsWindowEnabled(control);
}

} // namespace e2e
