// The results view: the folder choice, the two layouts and the gadgets the view creates.
#include "cleanup/cleanup.h"
#include "common/identifiers.h"
#include "common/start_layout.h"
#include "tests/inprocess/cleanup_test_support.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <climits>

using namespace cleanup_testing;

namespace {

const wchar_t *const CHOOSER_PROMPT =
    L"Bitte wählen Sie das Verzeichnis, in welchem Sie Ihre Musikdateien speichern...";
constexpr int RESULTS_WIDTH = 1230;
constexpr int RESULTS_HEIGHT = 380;

struct ExpectedGadget {
    ui::Id id;
    const wchar_t *window_class;
    RECT frame; // left, top, right, bottom
    const wchar_t *text;
};
// In creation order.
const ExpectedGadget RESULTS_GADGETS[] = {
    {ids::LABEL_JUNK, L"Static", {200, 10, 350, 25}, L"Anzeige Müll-Dateien"},
    {ids::LABEL_MP3, L"Static", {710, 10, 860, 25}, L"Anzeige MP3s"},
    {ids::LABEL_OTHER, L"Static", {970, 10, 1120, 25}, L"Anzeige andere Dateitypen"},
    {ids::LIST_JUNK, L"ListBox", {200, 30, 700, 280}, L""},
    {ids::LIST_MP3, L"ListBox", {710, 30, 960, 280}, L""},
    {ids::LIST_OTHER, L"ListBox", {970, 30, 1220, 280}, L""},
    {ids::BUTTON_DELETE_JUNK, L"Button", {200, 290, 380, 330}, L"Müll löschen"},
    {ids::BUTTON_RESCAN, L"Button", {390, 290, 570, 330}, L"Neu einlesen"},
};
const RECT CHOOSE_BUTTON_FRAME = {10, 30, 190, 70};
const RECT QUIT_BUTTON_FRAME = {10, 80, 190, 120};

std::string describe(const RECT &r) {
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + "}";
}

// The window's outer and inner rectangles for an inner size given with the menu bar included.
struct Layout {
    RECT window, client;
};
Layout current_layout() {
    Layout layout = {};
    GetWindowRect(main_window(), &layout.window);
    GetClientRect(main_window(), &layout.client);
    return layout;
}

void expect_inner_size(const Layout &layout, int width, int height) {
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(main_window(), GWL_STYLE));
    DWORD extended_style = static_cast<DWORD>(GetWindowLongPtrW(main_window(), GWL_EXSTYLE));
    RECT without_menu = {0, 0, width, height};
    AdjustWindowRectEx(&without_menu, style, FALSE, extended_style);
    RECT with_menu = {0, 0, width, height};
    AdjustWindowRectEx(&with_menu, style, TRUE, extended_style);
    int menu_height = (with_menu.bottom - with_menu.top) - (without_menu.bottom - without_menu.top);
    EXPECT_EQ(without_menu.right - without_menu.left, layout.window.right - layout.window.left);
    EXPECT_EQ(without_menu.bottom - without_menu.top, layout.window.bottom - layout.window.top);
    EXPECT_EQ(width, layout.client.right);
    EXPECT_EQ(height - menu_height, layout.client.bottom) << "menu bar of " << menu_height;
}

void expect_frame(const RECT &expected, const RECT &actual, const char *what) {
    EXPECT_EQ(describe(expected), describe(actual)) << what;
}

std::wstring class_of(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

using CleanupView = CleanupTest;

TEST_F(CleanupView, ResultsViewHasItsLayout) {
    if (!testing_support::screen_holds(RESULTS_WIDTH, RESULTS_HEIGHT))
        return;
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\song.mp3"));
    Layout start = current_layout();

    auto seen = choose(music);
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::wstring::npos, seen[0].text.find(CHOOSER_PROMPT)) << testing::PrintToString(seen[0].text);
    EXPECT_EQ(music + L"\\", cleanup::music_folder.path);

    Layout results = current_layout();
    expect_inner_size(results, RESULTS_WIDTH, RESULTS_HEIGHT);
    EXPECT_EQ(start.window.left, results.window.left) << "the window keeps its place";
    EXPECT_EQ(start.window.top, results.window.top) << "the window keeps its place";

    for (const ExpectedGadget &expected : RESULTS_GADGETS) {
        HWND handle = gadget(expected.id);
        ASSERT_NE(nullptr, handle) << "gadget " << expected.id;
        EXPECT_EQ(0, _wcsicmp(expected.window_class, class_of(handle).c_str()))
            << "gadget " << expected.id << ": " << testing::PrintToString(class_of(handle));
        expect_frame(expected.frame, gadget_rect(expected.id),
                     ("gadget " + std::to_string(expected.id)).c_str());
        EXPECT_EQ(expected.text, testing_support::window_text(handle)) << "gadget " << expected.id;
        EXPECT_TRUE(IsWindowVisible(handle)) << "gadget " << expected.id;
    }
    expect_frame(CHOOSE_BUTTON_FRAME, gadget_rect(ids::BUTTON_CHOOSE_FOLDER), "start button");
    expect_frame(QUIT_BUTTON_FRAME, gadget_rect(ids::BUTTON_QUIT), "quit button");

    // Creation order is the order of the window's children, which is also the Tab order.
    std::vector<ui::Id> order;
    for (HWND child = GetWindow(main_window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        for (const ExpectedGadget &expected : RESULTS_GADGETS)
            if (child == gadget(expected.id))
                order.push_back(expected.id);
    EXPECT_EQ((std::vector<ui::Id>{9, 10, 11, 12, 13, 14, 7, 8}), order);

    RECT bar;
    GetWindowRect(status_bar(), &bar);
    MapWindowPoints(nullptr, main_window(), reinterpret_cast<POINT *>(&bar), 2);
    EXPECT_EQ(results.client.bottom, bar.bottom) << "status bar at the bottom of the inner area";
    EXPECT_EQ(results.client.right, bar.right);

    EXPECT_EQ(std::vector<std::wstring>{L"song.mp3"}, list_items(ids::LIST_MP3));
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK)) << "no junk found";
    EXPECT_TRUE(enabled(ids::BUTTON_RESCAN));
}

TEST_F(CleanupView, WindowIsSmallWhileTheChooserIsOpen) {
    if (!testing_support::screen_holds(RESULTS_WIDTH, RESULTS_HEIGHT))
        return;
    std::wstring first = folder(L"first");
    std::wstring second = folder(L"second");
    expect_inner_size(current_layout(), start_layout::WIDTH, start_layout::HEIGHT);
    choose(first);
    expect_inner_size(current_layout(), RESULTS_WIDTH, RESULTS_HEIGHT);

    // Seen when the chooser starts, from inside its modal loop.
    bool chooser_seen = false;
    Layout during = {};
    RECT choose_button = {}, quit_button = {};
    {
        SentMessageWatch watch([&](const CWPSTRUCT &sent) {
            if (sent.message != WM_INITDIALOG || chooser_seen)
                return;
            chooser_seen = true;
            during = current_layout();
            choose_button = gadget_rect(ids::BUTTON_CHOOSE_FOLDER);
            quit_button = gadget_rect(ids::BUTTON_QUIT);
        });
        choose(second);
    }
    ASSERT_TRUE(chooser_seen);
    expect_inner_size(during, start_layout::WIDTH, start_layout::HEIGHT);
    expect_frame(CHOOSE_BUTTON_FRAME, choose_button, "start button while choosing");
    expect_frame(QUIT_BUTTON_FRAME, quit_button, "quit button while choosing");
    expect_inner_size(current_layout(), RESULTS_WIDTH, RESULTS_HEIGHT);
    EXPECT_EQ(second + L"\\", cleanup::music_folder.path);
}

TEST_F(CleanupView, ChooserStartsAtDriveCEveryTime) {
    std::wstring music = folder(L"music");
    choose(music);
    ASSERT_EQ(music + L"\\", cleanup::music_folder.path);
    // OK without choosing anything takes the folder the chooser started with.
    std::vector<std::wstring> selections; // sent to the chooser, by the program alone here
    {
        SentMessageWatch watch([&](const CWPSTRUCT &sent) {
            // Controls inside the chooser use the same message number for messages of their own.
            if (sent.message == BFFM_SETSELECTIONW && sent.wParam && testing_support::chooser_tree(sent.hwnd))
                selections.push_back(reinterpret_cast<const wchar_t *>(sent.lParam));
        });
        testing_support::answer_dialogs({{IDOK, L""}});
        cleanup::choose_folder_and_show_results();
        testing_support::answered();
    }
    EXPECT_EQ(L"C:\\", cleanup::music_folder.path);
    // A drive root keeps its backslash: "C:" alone would be the current folder of drive C.
    EXPECT_EQ(std::vector<std::wstring>{L"C:\\"}, selections);
}

TEST_F(CleanupView, CancelAtTheStartKeepsTheStartLayout) {
    auto seen = choose(L"");
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"", cleanup::music_folder.path);
    expect_inner_size(current_layout(), start_layout::WIDTH, start_layout::HEIGHT);
    for (const ExpectedGadget &expected : RESULTS_GADGETS)
        EXPECT_EQ(nullptr, gadget(expected.id)) << "gadget " << expected.id;
    EXPECT_EQ(L"", status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(L"", status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(L"", status_field(ids::FIELD_OTHER_COUNT));
}

TEST_F(CleanupView, ChoosingTwiceShowsOnlyTheSecondFolder) {
    if (!testing_support::screen_holds(RESULTS_WIDTH, RESULTS_HEIGHT))
        return;
    std::wstring first = folder(L"first");
    ASSERT_TRUE(make_file(first + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(first + L"\\a.mp3"));
    ASSERT_TRUE(make_file(first + L"\\a.txt"));
    ASSERT_TRUE(make_file(first + L"\\b.txt"));
    std::wstring second = folder(L"second");
    ASSERT_TRUE(make_file(second + L"\\z.mp3"));

    choose(first);
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK));
    HWND first_list = gadget(ids::LIST_JUNK);
    choose(second);
    EXPECT_NE(first_list, gadget(ids::LIST_JUNK)) << "the view is rebuilt";
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(std::vector<std::wstring>{L"z.mp3"}, list_items(ids::LIST_MP3));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_OTHER));
    // Classes without a file in the second folder still show the first folder's counts.
    EXPECT_EQ(std::wstring(JUNK_PREFIX) + L"1", status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(std::wstring(MP3_PREFIX) + L"1", status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(std::wstring(OTHER_PREFIX) + L"2", status_field(ids::FIELD_OTHER_COUNT));
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK));
    expect_inner_size(current_layout(), RESULTS_WIDTH, RESULTS_HEIGHT);
}

TEST_F(CleanupView, CancelWhileTheResultsShow) {
    if (!testing_support::screen_holds(RESULTS_WIDTH, RESULTS_HEIGHT))
        return;
    std::wstring first = folder(L"first");
    ASSERT_TRUE(make_file(first + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(first + L"\\a.mp3"));
    std::wstring second = folder(L"second");
    ASSERT_TRUE(make_file(second + L"\\b.txt"));

    choose(first);
    ViewState before = view_state();
    choose(L"");
    expect_inner_size(current_layout(), start_layout::WIDTH, start_layout::HEIGHT);
    before.music_folder.clear();
    expect_same_view(before, view_state());
    // The earlier view's gadgets still exist, outside the small inner area.
    Layout small = current_layout();
    EXPECT_GE(gadget_rect(ids::LIST_JUNK).left, small.client.right);
    EXPECT_GE(gadget_rect(ids::BUTTON_RESCAN).top, small.client.bottom);

    choose(second);
    expect_inner_size(current_layout(), RESULTS_WIDTH, RESULTS_HEIGHT);
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_MP3));
    EXPECT_EQ(std::vector<std::wstring>{L"b.txt"}, list_items(ids::LIST_OTHER));
    EXPECT_EQ(std::wstring(OTHER_PREFIX) + L"1", status_field(ids::FIELD_OTHER_COUNT));
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK));
    expect_view_painted();
}

// What the screen shows of the main window's inner area once it stops changing: the window system may
// bring what was painted to the screen a moment later.
std::vector<DWORD> settled_screen() {
    std::vector<DWORD> last, now = testing_support::inner_pixels_on_screen(main_window());
    DWORD start = GetTickCount();
    do {
        testing_support::pump_messages(100);
        last.swap(now);
        now = testing_support::inner_pixels_on_screen(main_window());
    } while (now != last && GetTickCount() - start < 3000);
    return now;
}

// Held painting must leave no old pixels on the screen, such as a control's where it stood before it
// moved: the screen must not change when the whole window paints itself again. (WM_PRINT would be the
// other way to see the window's own painting, but Wine's leaves the children out.)
void expect_screen_shows_the_window(const char *after) {
    std::vector<DWORD> shown = settled_screen();
    RedrawWindow(main_window(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::vector<DWORD> painted = settled_screen();
    ASSERT_FALSE(shown.empty()) << "the screen's pixels could not be taken";
    ASSERT_EQ(shown.size(), painted.size());
    const size_t width = static_cast<size_t>(current_layout().client.right);
    RECT around = {LONG_MAX, LONG_MAX, -1, -1};
    size_t differing = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (shown[i] == painted[i])
            continue;
        ++differing;
        LONG x = static_cast<LONG>(i % width), y = static_cast<LONG>(i / width);
        around = {std::min(around.left, x), std::min(around.top, y), std::max(around.right, x + 1),
                  std::max(around.bottom, y + 1)};
    }
    EXPECT_EQ(0u, differing) << after << ": the pixels within " << describe(around)
                             << " were old ones, which the window painted over";
}

TEST_F(CleanupView, ScreenShowsWhatTheWindowPaints) {
    const POINT main_at = {100, 200};
    if (!testing_support::screen_holds(RESULTS_WIDTH, RESULTS_HEIGHT, &main_at))
        return;
    // A console in front on Windows would cover what the window left on the screen.
    SetWindowPos(main_window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    std::wstring music = folder(L"music");
    for (const wchar_t *name : {L"a.mp3_work.mp3", L"b.mp3_work.mp3", L"a.mp3", L"a.txt"})
        ASSERT_TRUE(make_file(music + L"\\" + name));

    choose(music);
    expect_screen_shows_the_window("after the results view opened");
    cleanup::rescan();
    expect_screen_shows_the_window("after a rescan");
    remove_answering(IDYES);
    ASSERT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    expect_screen_shows_the_window("after a removal");
}

// The main window on screens smaller than the usual one. Each case needs a screen of its own, which
// its CTest entry asks tests/wine-run.sh for (tests/CMakeLists.txt); the suite's own run leaves them out.
RECT work_area() {
    RECT work = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

// The frame of the results layout, from the main window's style.
SIZE results_frame() {
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(main_window(), GWL_STYLE));
    DWORD extended_style = static_cast<DWORD>(GetWindowLongPtrW(main_window(), GWL_EXSTYLE));
    RECT frame = {0, 0, RESULTS_WIDTH, RESULTS_HEIGHT};
    AdjustWindowRectEx(&frame, style, FALSE, extended_style);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// Each case looks at the screen's work area, the start window's frame and the results' frame first.
class SmallScreen : public CleanupTest {
  protected:
    void SetUp() override {
        CleanupTest::SetUp();
        work = work_area();
        start = current_layout().window;
        frame = results_frame();
    }

    RECT work = {};
    RECT start = {};
    SIZE frame = {};
};

TEST_F(SmallScreen, ResultsMoveLeftOntoAScreenWideEnoughForThem) {
    ASSERT_TRUE(frame.cx <= work.right - work.left && start.left + frame.cx > work.right &&
                start.top + frame.cy <= work.bottom)
        << "needs a work area wider than the results' frame of " << frame.cx << " but narrower than "
        << start.left + frame.cx << " (KF_SCREEN=1280x800x24); this one is " << describe(work);
    choose(folder(L"music"));
    Layout results = current_layout();
    expect_inner_size(results, RESULTS_WIDTH, RESULTS_HEIGHT);
    RECT inside = {work.right - frame.cx, start.top, work.right, start.top + frame.cy};
    expect_frame(inside, results.window, "the whole frame on the screen, moved no further than needed");
}

TEST_F(SmallScreen, ResultsWiderThanTheScreenKeepTheirLeftEdgeOnIt) {
    ASSERT_TRUE(frame.cx > work.right - work.left && start.top + frame.cy <= work.bottom)
        << "needs a work area narrower than the results' frame of " << frame.cx
        << " (KF_SCREEN=1024x768x24); this one is " << describe(work);
    choose(folder(L"music"));
    // The window system narrows the window to about the screen's width; the rule keeps its left edge.
    RECT results = current_layout().window;
    EXPECT_EQ(work.left, results.left) << describe(results);
    EXPECT_EQ(start.top, results.top) << describe(results);
}

TEST_F(SmallScreen, ResultsTooLowMoveUpWithTheirStatusBar) {
    ASSERT_TRUE(frame.cy <= work.bottom - work.top && start.top + frame.cy > work.bottom &&
                start.left + frame.cx <= work.right)
        << "needs a work area higher than the results' frame of " << frame.cy << " but lower than "
        << start.top + frame.cy << " (KF_SCREEN=1600x520x24); this one is " << describe(work);
    choose(folder(L"music"));
    Layout results = current_layout();
    expect_inner_size(results, RESULTS_WIDTH, RESULTS_HEIGHT);
    RECT inside = {start.left, work.bottom - frame.cy, start.left + frame.cx, work.bottom};
    expect_frame(inside, results.window, "moved up no further than needed");
    RECT bar;
    GetWindowRect(status_bar(), &bar);
    EXPECT_TRUE(bar.top >= work.top && bar.bottom <= work.bottom && bar.bottom > bar.top)
        << "status bar " << describe(bar) << ", work area " << describe(work);
}

} // namespace
