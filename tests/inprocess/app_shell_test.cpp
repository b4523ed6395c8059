// The program shell in this process: the main window as the program opens it, the quit question,
// the About box, the dispatch table, and a whole run from start to a confirmed quit.
#include "tests/inprocess/ui_test_helpers.h"

#include "app/shell.h"
#include "common/identifiers.h"

#include <commctrl.h>

using namespace ui_testing;
using testing_support::answer_dialogs;
using testing_support::answered;
using testing_support::SeenDialog;

namespace {

const wchar_t *const QUIT_TITLE = L"Frage 001: Beenden Dialog";
const wchar_t *const QUIT_QUESTION = L"Möchten Sie wirklich beenden?";
const wchar_t *const ABOUT_TITLE = L"Krumenfeger";
const wchar_t *const ABOUT_TEXT =
    L" \r\rZweck\r\rKrumenfeger entfernt die leidigen *.mp3_work.mp3 Dateien aus dem "
    L"Vumbrel Musikverzeichnis.\r\r\r\rViel Spaß damit!\r\r";
const wchar_t *const OPEN_FAILED_TITLE = L"Fehler 001: Fenster kann nicht geöffnet werden!";
const wchar_t *const OPEN_FAILED_TEXT =
    L"Ein öffnen des Programmfensters ist nicht möglich. Das Programm wird beendet!";
constexpr DWORD NO_DIALOG_MS = 300;

std::wstring menu_string(HMENU menu, UINT item, UINT by) {
    wchar_t text[64] = L"";
    GetMenuStringW(menu, item, text, 64, by);
    return text;
}

std::wstring field_text(HWND bar, int field) {
    LRESULT length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, field, 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, field, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(length));
    return text;
}

// Which of the standard buttons the dialog that becomes active next has.
class ButtonWatch {
  public:
    ButtonWatch() {
        cbt_.on_activate = [this](HWND window) {
            if (class_of(window) != L"#32770" || !buttons.empty())
                return;
            for (int button : {IDOK, IDCANCEL, IDYES, IDNO})
                if (GetDlgItem(window, button))
                    buttons.push_back(button);
            owner = GetWindow(window, GW_OWNER);
        };
    }
    std::vector<int> buttons;
    HWND owner = nullptr;

  private:
    CbtWatch cbt_;
};

class AppShell : public LayerTest {
  protected:
    void SetUp() override {
        LayerTest::SetUp();
        app::quit_flag = 0;
    }
    void TearDown() override {
        app::quit_flag = 0;
        LayerTest::TearDown();
    }
    // Dispatches `event` (just taken from the wait) and answers what it shows with `answer`.
    std::vector<SeenDialog> dispatch_answering(int event, int answer) {
        answer_dialogs({{answer, L""}});
        app::dispatch(event);
        return answered();
    }
    // Dispatches `event` and expects no dialog at all.
    void expect_ignored(int event, const char *what) {
        answer_dialogs({{IDCANCEL, L""}}, NO_DIALOG_MS);
        int flag = app::quit_flag;
        app::dispatch(event);
        EXPECT_EQ(0u, answered().size()) << what << " showed a dialog";
        EXPECT_EQ(flag, app::quit_flag) << what;
    }
};

TEST_F(AppShell, MainWindowAsTheProgramOpensIt) {
    ASSERT_TRUE(app::open_main_window());
    HWND window = ui::window_handle(ids::MAIN_WINDOW);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(L"Krumenfeger 0.9 ", testing_support::window_text(window));
    Rect frame = frame_rect(window);
    EXPECT_EQ(100, frame.x);
    EXPECT_EQ(200, frame.y);
    EXPECT_EQ(Size({200, 180 - GetSystemMetrics(SM_CYMENU)}), client_size(window));
    LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    EXPECT_EQ(WS_CAPTION | WS_SYSMENU,
              style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX))
        << std::hex << style;

    HMENU bar = GetMenu(window);
    ASSERT_NE(nullptr, bar);
    ASSERT_EQ(2, GetMenuItemCount(bar));
    EXPECT_EQ(L"Datei", menu_string(bar, 0, MF_BYPOSITION));
    EXPECT_EQ(L"Information", menu_string(bar, 1, MF_BYPOSITION));
    ASSERT_EQ(1, GetMenuItemCount(GetSubMenu(bar, 0)));
    ASSERT_EQ(1, GetMenuItemCount(GetSubMenu(bar, 1)));
    EXPECT_EQ(2u, GetMenuItemID(GetSubMenu(bar, 0), 0));
    EXPECT_EQ(3u, GetMenuItemID(GetSubMenu(bar, 1), 0));
    EXPECT_EQ(L"Beenden", menu_string(bar, 2, MF_BYCOMMAND));
    EXPECT_EQ(L"über...", menu_string(bar, 3, MF_BYCOMMAND));

    HWND status = FindWindowExW(window, nullptr, L"msctls_statusbar32", nullptr);
    ASSERT_NE(nullptr, status);
    EXPECT_TRUE(IsWindowVisible(status)) << "its painting was left held";
    const std::vector<std::wstring> texts = {L" Version", L"0.9 ", L"", L"", L""};
    ASSERT_EQ(5, SendMessageW(status, SB_GETPARTS, 0, 0));
    std::vector<int> edges(5);
    SendMessageW(status, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(edges.data()));
    EXPECT_EQ(std::vector<int>({60, 160, 173, 186, 199}), edges);
    for (int field = 0; field < 5; ++field)
        EXPECT_EQ(texts[field], field_text(status, field)) << "field " << field;

    struct Button {
        ui::Id id;
        Rect rect;
        const wchar_t *text;
    };
    const Button buttons[] = {{5, {10, 30, 180, 40}, L"Vumbrel Musikverzeichnis wählen"},
                              {6, {10, 80, 180, 40}, L"Programm beenden"}};
    for (const Button &expected : buttons) {
        HWND button = GetDlgItem(window, static_cast<int>(expected.id));
        ASSERT_NE(nullptr, button) << "button " << expected.id;
        EXPECT_EQ(L"Button", class_of(button));
        EXPECT_EQ(expected.text, testing_support::window_text(button)) << "button " << expected.id;
        EXPECT_EQ(expected.rect, child_rect(button)) << "button " << expected.id;
        EXPECT_TRUE(IsWindowVisible(button) && IsWindowEnabled(button)) << "button " << expected.id;
    }
    // Button 5 is created first, so Tab reaches it first.
    EXPECT_EQ(GetDlgItem(window, 6), GetWindow(GetDlgItem(window, 5), GW_HWNDNEXT));
}

TEST_F(AppShell, QuitQuestionSetsTheQuitFlagFromTheAnswer) {
    ASSERT_TRUE(app::open_main_window());
    ASSERT_TRUE(activate(ui::window_handle(ids::MAIN_WINDOW)));
    struct Case {
        int press;
        int flag;
    };
    for (const Case &answer : {Case{IDYES, 1}, Case{IDNO, 0}, Case{IDYES, 1}}) {
        ButtonWatch watch;
        answer_dialogs({{answer.press, L""}});
        app::confirm_quit();
        std::vector<SeenDialog> seen = answered();
        EXPECT_EQ(answer.flag, app::quit_flag) << "pressed " << answer.press;
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(QUIT_TITLE, seen[0].title);
        EXPECT_EQ(QUIT_QUESTION, seen[0].text);
        EXPECT_EQ(std::vector<int>({IDYES, IDNO}), watch.buttons);
        EXPECT_EQ(ui::window_handle(ids::MAIN_WINDOW), watch.owner);
    }
}

TEST_F(AppShell, AboutBoxShowsTheSixParagraphs) {
    ASSERT_TRUE(app::open_main_window());
    ButtonWatch watch;
    answer_dialogs({{IDOK, L""}});
    app::show_about();
    std::vector<SeenDialog> seen = answered();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(ABOUT_TITLE, seen[0].title);
    EXPECT_TRUE(seen[0].text == ABOUT_TEXT) << "shown: \"" << narrow(seen[0].text) << "\"";
    EXPECT_EQ(std::wstring::npos, seen[0].text.find(L'\n')) << "paragraphs are joined by CR only";
    EXPECT_EQ(std::vector<int>({IDOK}), watch.buttons);
    EXPECT_EQ(0, app::quit_flag);
}

TEST_F(AppShell, DispatchAsksTheQuitQuestionForCloseMenuItemAndButton) {
    ASSERT_TRUE(app::open_main_window());
    HWND window = ui::window_handle(ids::MAIN_WINDOW);
    ASSERT_TRUE(activate(window));
    settle();

    struct Source {
        const char *name;
        HWND target;
        UINT message;
        WPARAM wparam;
        int event;
    };
    const Source sources[] = {
        {"close box", window, WM_SYSCOMMAND, SC_CLOSE, ui::EVENT_CLOSE},
        {"WM_CLOSE", window, WM_CLOSE, 0, ui::EVENT_CLOSE},
        {"menu item 2", window, WM_COMMAND, MAKEWPARAM(ids::MENU_QUIT, 0), ui::EVENT_MENU},
        {"button 6", GetDlgItem(window, static_cast<int>(ids::BUTTON_QUIT)), BM_CLICK, 0, ui::EVENT_GADGET},
    };
    for (const Source &source : sources) {
        for (int press : {IDNO, IDYES}) {
            app::quit_flag = 0;
            PostMessageW(source.target, source.message, source.wparam, 0);
            Event event = wait_for_code(source.event);
            ASSERT_EQ(source.event, event.code) << source.name;
            std::vector<SeenDialog> seen = dispatch_answering(event.code, press);
            ASSERT_EQ(1u, seen.size()) << source.name;
            EXPECT_EQ(QUIT_TITLE, seen[0].title) << source.name;
            EXPECT_EQ(QUIT_QUESTION, seen[0].text) << source.name;
            EXPECT_EQ(press == IDYES ? 1 : 0, app::quit_flag) << source.name << ", pressed " << press;
            EXPECT_TRUE(IsWindowVisible(window)) << source.name << ": the window stays until shutdown";
        }
    }
    EXPECT_EQ(0, count_code(settle(), ui::EVENT_CLOSE)) << "each request was reported once";

    // Menu item 3 shows the About box.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(ids::MENU_ABOUT, 0), 0);
    Event about = wait_for_code(ui::EVENT_MENU);
    std::vector<SeenDialog> seen = dispatch_answering(about.code, IDOK);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(ABOUT_TITLE, seen[0].title);
}

TEST_F(AppShell, DispatchIgnoresEverythingElse) {
    ASSERT_TRUE(app::open_main_window());
    HWND window = ui::window_handle(ids::MAIN_WINDOW);
    // A window of its own, and a list of the results view, which the table leaves alone.
    HWND other = ui::open_window(9, 400, 200, 200, 180, L"Andere", 0xC80000 | ui::FLAG_NOT_GADGET_TARGET);
    ASSERT_NE(nullptr, other);
    HWND list = ui::create_list(ids::LIST_JUNK, 10, 10, 100, 60);
    ASSERT_NE(nullptr, list);
    ui::add_item(ids::LIST_JUNK, -1, L"a.mp3_work.mp3");
    settle();

    PostMessageW(other, WM_CLOSE, 0, 0);
    Event close = wait_for_code(ui::EVENT_CLOSE);
    ASSERT_EQ(9, close.window);
    expect_ignored(close.code, "close of another window");

    PostMessageW(window, WM_COMMAND, MAKEWPARAM(99, 0), 0);
    expect_ignored(wait_for_code(ui::EVENT_MENU).code, "menu item 99");

    PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
    Event click = wait_for_code(ui::EVENT_GADGET);
    ASSERT_EQ(ids::LIST_JUNK, click.carried);
    expect_ignored(click.code, "list 12");

    for (int code : {0, ui::EVENT_WINDOW_MOVED, ui::EVENT_WINDOW_RESIZED, ui::EVENT_REPAINT, ui::EVENT_TIMER,
                     ui::EVENT_WINDOW_ACTIVATED, static_cast<int>(WM_LBUTTONDOWN)})
        expect_ignored(code, "another event");
}

TEST_F(AppShell, WindowThatCannotBeOpenedIsReportedWithoutOwner) {
    ButtonWatch watch;
    std::vector<SeenDialog> seen;
    {
        CbtWatch refuse(1);
        answer_dialogs({{IDOK, L""}});
        EXPECT_FALSE(app::open_main_window());
        seen = answered();
    }
    EXPECT_EQ(nullptr, ui::window_handle(ids::MAIN_WINDOW));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(OPEN_FAILED_TITLE, seen[0].title);
    EXPECT_EQ(OPEN_FAILED_TEXT, seen[0].text);
    EXPECT_FALSE(seen[0].had_owner);
    EXPECT_EQ(std::vector<int>({IDOK}), watch.buttons);
}

// A whole run: the close box answered No keeps the program going, a second one answered Yes ends it.
int closes_posted;
void CALLBACK close_main_window(HWND, UINT, UINT_PTR, DWORD) {
    HWND window = ui::window_handle(ids::MAIN_WINDOW);
    // Only while no question is open: the box disables the window, which then ignores a close request.
    if (window && IsWindowEnabled(window) && closes_posted < 2) {
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        ++closes_posted;
    }
}

void CALLBACK give_up_run(HWND, UINT, UINT_PTR, DWORD) {
    app::quit_flag = 1;
    if (HWND window = ui::window_handle(ids::MAIN_WINDOW))
        PostMessageW(window, WM_NULL, 0, 0);
}

TEST_F(AppShell, RunEndsAfterAConfirmedQuit) {
    closes_posted = 0;
    UINT_PTR closer = SetTimer(nullptr, 0, 100, close_main_window);
    UINT_PTR watchdog = SetTimer(nullptr, 0, 20000, give_up_run);
    answer_dialogs({{IDNO, L""}, {IDYES, L""}});
    app::quit_flag = 1; // start-up clears a flag left from before
    int exit_code = app::run();
    std::vector<SeenDialog> seen = answered();
    KillTimer(nullptr, closer);
    KillTimer(nullptr, watchdog);

    EXPECT_EQ(0, exit_code);
    EXPECT_EQ(1, app::quit_flag);
    EXPECT_EQ(2, closes_posted);
    ASSERT_EQ(2u, seen.size()) << "one question per close request";
    for (const SeenDialog &dialog : seen) {
        EXPECT_EQ(QUIT_TITLE, dialog.title);
        EXPECT_EQ(QUIT_QUESTION, dialog.text);
    }
    EXPECT_EQ(nullptr, ui::window_handle(ids::MAIN_WINDOW)) << "shut down";
    EXPECT_TRUE(visible_thread_windows().empty());
}

TEST_F(AppShell, RunEndsWhenTheWindowCannotBeOpened) {
    std::vector<SeenDialog> seen;
    int exit_code = -1;
    {
        CbtWatch refuse(1);
        answer_dialogs({{IDOK, L""}});
        exit_code = app::run();
        seen = answered();
    }
    EXPECT_EQ(0, exit_code);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(OPEN_FAILED_TITLE, seen[0].title);
}

} // namespace
