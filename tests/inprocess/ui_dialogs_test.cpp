// Modal dialogs: message-box answers and what the box shows, the windows disabled while a dialog is
// open and its owner, and the folder chooser's result at its edges (drive root, cancel, the longest
// path the shell gives, overlong initial paths), and how the tests tell the chooser by its tree.
#include "tests/inprocess/ui_test_helpers.h"

#include <commctrl.h>
#include <shlobj.h>

using namespace ui_testing;
using testing_support::Answer;
using testing_support::answer_dialogs;
using testing_support::answered;
using testing_support::SeenDialog;

namespace {

constexpr size_t LONGEST_SHELL_PATH = MAX_PATH - 1;
const wchar_t *const SCRATCH = L"C:\\kf_ui_tests";
const wchar_t *const PROMPT = L"Bitte das Vumbrel Musikverzeichnis wählen";

bool is_dialog(HWND window) { return class_of(window) == L"#32770"; }

// What a dialog looked like as it became active.
struct Opened {
    HWND dialog = nullptr;
    HWND owner = nullptr;
    std::vector<int> buttons; // of IDOK, IDCANCEL, IDYES, IDNO, those the dialog has
    bool shows_icon = false;
    std::vector<bool> enabled; // of the watched windows as the dialog became active, in order
    bool shell_loaded = false;
};

BOOL CALLBACK find_icon(HWND child, LPARAM shown) {
    if (class_of(child) == L"Static" && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        IsWindowVisible(child) && SendMessageW(child, STM_GETICON, 0, 0))
        *reinterpret_cast<bool *>(shown) = true;
    return TRUE;
}

// Watches the dialogs this thread opens while alive.
class DialogWatch {
  public:
    explicit DialogWatch(std::vector<HWND> watched = {}, int refusals = 0) : cbt_(refusals) {
        cbt_.on_activate = [this, watched](HWND window) {
            if (!is_dialog(window) || (!opened.empty() && opened.back().dialog == window))
                return;
            Opened seen;
            seen.dialog = window;
            seen.owner = GetWindow(window, GW_OWNER);
            for (int button : {IDOK, IDCANCEL, IDYES, IDNO})
                if (GetDlgItem(window, button))
                    seen.buttons.push_back(button);
            EnumChildWindows(window, find_icon, reinterpret_cast<LPARAM>(&seen.shows_icon));
            for (HWND other : watched)
                seen.enabled.push_back(IsWindowEnabled(other) != 0);
            seen.shell_loaded = GetModuleHandleW(L"shell32.dll") != nullptr;
            opened.push_back(seen);
        };
    }
    std::vector<Opened> opened;

  private:
    CbtWatch cbt_;
};

// A top-level window that belongs to another thread of this process.
class ForeignWindow {
  public:
    ForeignWindow() {
        ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, run, this, 0, &thread_id_);
        WaitForSingleObject(ready_, 5000);
    }
    ~ForeignWindow() {
        PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_, 5000);
        CloseHandle(thread_);
        CloseHandle(ready_);
    }
    HWND window = nullptr;

  private:
    static DWORD WINAPI run(void *self) {
        ForeignWindow &me = *static_cast<ForeignWindow *>(self);
        me.window = CreateWindowExW(0, L"Static", L"fremd", WS_OVERLAPPED | WS_VISIBLE, 700, 500, 100, 60,
                                    nullptr, nullptr, nullptr, nullptr);
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the thread has a queue before anyone posts
        SetEvent(me.ready_);
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        DestroyWindow(me.window);
        return 0;
    }
    HANDLE ready_ = nullptr, thread_ = nullptr;
    DWORD thread_id_ = 0;
};

class UiMessageBox : public LayerTest {};

TEST_F(UiMessageBox, AnswersTitleTextAndButtons) {
    HWND window = ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(activate(window));
    struct Case {
        unsigned flags;
        int press;
        int expected;
        std::vector<int> buttons;
    };
    const Case cases[] = {{ui::BOX_OK, IDOK, 1, {IDOK}},
                          {ui::BOX_YES_NO, IDYES, 6, {IDYES, IDNO}},
                          {ui::BOX_YES_NO, IDNO, 7, {IDYES, IDNO}}};
    for (const Case &box : cases) {
        DialogWatch watch;
        answer_dialogs({{box.press, L""}});
        int answer =
            ui::message_box(L"Frage 001: Beenden Dialog", L"Möchten Sie wirklich beenden?", box.flags);
        std::vector<SeenDialog> seen = answered();
        EXPECT_EQ(box.expected, answer) << "flags " << box.flags << ", pressed " << box.press;
        ASSERT_EQ(1u, seen.size());
        EXPECT_EQ(L"Frage 001: Beenden Dialog", seen[0].title) << "the title comes first";
        EXPECT_EQ(L"Möchten Sie wirklich beenden?", seen[0].text);
        ASSERT_EQ(1u, watch.opened.size());
        EXPECT_EQ(box.buttons, watch.opened[0].buttons) << "flags " << box.flags;
        EXPECT_FALSE(watch.opened[0].shows_icon) << "flags " << box.flags;
        EXPECT_EQ(window, watch.opened[0].owner);
        EXPECT_TRUE(IsWindowEnabled(window));
    }

    // Text with line breaks and a null title arrive as given.
    answer_dialogs({{IDOK, L""}});
    EXPECT_EQ(1, ui::message_box(nullptr, L"a\r\rb", ui::BOX_OK));
    std::vector<SeenDialog> seen = answered();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"a\r\rb", seen[0].text);
}

TEST_F(UiMessageBox, DisablesTheOtherWindowsOfTheThreadWhileOpen) {
    HWND main = ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS);
    HWND other = ui::open_window(1, 350, 200, 200, 180, L"Andere", MAIN_FLAGS);
    HWND disabled = ui::open_window(2, 600, 200, 200, 180, L"Gesperrt", MAIN_FLAGS);
    HWND hidden = ui::open_window(3, 850, 200, 200, 180, L"Versteckt", MAIN_FLAGS | ui::FLAG_HIDDEN);
    ASSERT_TRUE(main && other && disabled && hidden);
    EnableWindow(disabled, FALSE);
    ForeignWindow foreign;
    ASSERT_NE(nullptr, foreign.window);

    for (HWND foreground : {main, other}) {
        ASSERT_TRUE(activate(foreground));
        const std::vector<HWND> watched = {main, other, disabled, hidden, foreign.window};
        DialogWatch watch(watched);
        answer_dialogs({{IDOK, L""}});
        EXPECT_EQ(1, ui::message_box(L"Titel", L"Text", ui::BOX_OK));
        answered();
        ASSERT_EQ(1u, watch.opened.size());
        const Opened &box = watch.opened[0];
        EXPECT_EQ(foreground, box.owner) << "the foreground window owns the box";
        HWND background = foreground == main ? other : main;
        EXPECT_FALSE(box.enabled[foreground == main ? 1 : 0]) << "the other visible window was left usable";
        EXPECT_FALSE(box.enabled[2]);
        EXPECT_TRUE(box.enabled[3]) << "a hidden window is left alone";
        EXPECT_TRUE(box.enabled[4]) << "a window of another thread is left alone";

        // Afterwards exactly the windows that were enabled are enabled again.
        EXPECT_TRUE(IsWindowEnabled(foreground));
        EXPECT_TRUE(IsWindowEnabled(background));
        EXPECT_FALSE(IsWindowEnabled(disabled)) << "a window disabled before stays disabled";
        EXPECT_TRUE(IsWindowEnabled(hidden));
        EXPECT_FALSE(IsWindowVisible(hidden));
    }
}

TEST_F(UiMessageBox, BoxThatCannotBeShownAnswersZeroAndEnablesAgain) {
    HWND main = ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS);
    HWND other = ui::open_window(1, 350, 200, 200, 180, L"Andere", MAIN_FLAGS);
    ASSERT_TRUE(main && other);
    ASSERT_TRUE(activate(main));
    {
        DialogWatch refuse({}, 1);
        EXPECT_EQ(0, ui::message_box(L"Titel", L"Text", ui::BOX_YES_NO));
        EXPECT_TRUE(refuse.opened.empty());
    }
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(IsWindowEnabled(other));
}

class UiChooserTree : public LayerTest {};

// Windows nests the chooser's tree one level deeper than Wine does, inside a child window of the
// chooser's own; built here as Windows builds it, the tree must still be found, and a dialog without
// a tree must still pass for a message box.
TEST_F(UiChooserTree, FoundBelowAnyChildOfTheDialog) {
    const wchar_t *const NAMESPACE_CLASS = L"SHBrowseForFolder ShellNameSpace Control";
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TREEVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    WNDCLASSW plain = {};
    plain.lpfnWndProc = DefWindowProcW;
    plain.hInstance = GetModuleHandleW(nullptr);
    plain.lpszClassName = NAMESPACE_CLASS;
    ASSERT_NE(0, RegisterClassW(&plain));

    auto child = [](const wchar_t *window_class, const wchar_t *text, HWND parent) {
        return CreateWindowExW(0, window_class, text, WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, parent,
                               nullptr, nullptr, nullptr);
    };
    HWND chooser = CreateWindowExW(0, WC_DIALOG, L"Ordner suchen", WS_POPUP | WS_CAPTION, 100, 200, 300, 300,
                                   nullptr, nullptr, nullptr, nullptr);
    child(L"Static", PROMPT, chooser);
    HWND tree = child(WC_TREEVIEWW, L"", child(NAMESPACE_CLASS, L"", chooser));
    HWND box = CreateWindowExW(0, WC_DIALOG, L"Frage", WS_POPUP | WS_CAPTION, 100, 200, 300, 150, nullptr,
                               nullptr, nullptr, nullptr);
    child(L"Static", L"Möchten Sie wirklich beenden?", box);
    child(L"Button", L"Ja", box);

    EXPECT_NE(nullptr, tree);
    EXPECT_EQ(tree, testing_support::chooser_tree(chooser));
    EXPECT_EQ(nullptr, testing_support::chooser_tree(box));
    DestroyWindow(chooser);
    DestroyWindow(box);
    UnregisterClassW(NAMESPACE_CLASS, GetModuleHandleW(nullptr));
}

// The folder chooser, on folders of the test's own under C:\.
class UiChooseFolder : public LayerTest {
  protected:
    void SetUp() override {
        LayerTest::SetUp();
        make_folder(SCRATCH);
        folder = std::wstring(SCRATCH) + L"\\Ordner";
        ASSERT_TRUE(make_folder(folder));
    }
    void TearDown() override {
        for (auto made = made_.rbegin(); made != made_.rend(); ++made)
            RemoveDirectoryW((L"\\\\?\\" + *made).c_str());
        LayerTest::TearDown();
    }
    bool make_folder(const std::wstring &path) {
        if (!CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        made_.push_back(path);
        return true;
    }
    // Chooses with the initial path, answering the chooser with `answer`.
    std::wstring choose(const wchar_t *initial, const Answer &answer, SeenDialog *seen = nullptr) {
        read_folders();
        bool shell_loaded_before = GetModuleHandleW(L"shell32.dll") != nullptr;
        answer_dialogs({answer});
        std::wstring chosen = ui::choose_folder(PROMPT, initial);
        std::vector<SeenDialog> dialogs = answered();
        EXPECT_EQ(1u, dialogs.size()) << "chooser shown once";
        // Windows may keep the shell loaded for reasons of its own (COM servers, the shell's threads):
        // only Wine can make this fail.
        if (!shell_loaded_before && testing_support::running_under_wine()) {
            EXPECT_EQ(nullptr, GetModuleHandleW(L"shell32.dll")) << "the chooser left the shell loaded";
        }
        if (seen && !dialogs.empty())
            *seen = dialogs[0];
        return chosen;
    }
    std::wstring folder;

  private:
    // The shell's item for a folder holds its last access time. Under Wine on Linux, the first read
    // of a folder after a change moves that time, so the chooser's tree and the path it is asked to
    // select can disagree about a folder just made and the selection then fails now and then.
    // One read of each folder beforehand settles the time.
    void read_folders() {
        std::vector<std::wstring> folders = {L"C:", SCRATCH};
        folders.insert(folders.end(), made_.begin(), made_.end());
        for (const std::wstring &path : folders) {
            WIN32_FIND_DATAW entry;
            HANDLE search = FindFirstFileW((L"\\\\?\\" + path + L"\\*").c_str(), &entry);
            if (search != INVALID_HANDLE_VALUE)
                FindClose(search);
        }
    }
    std::vector<std::wstring> made_;
};

TEST_F(UiChooseFolder, ChosenFolderEndsInOneBackslash) {
    HWND main = ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS);
    HWND other = ui::open_window(1, 350, 200, 200, 180, L"Andere", MAIN_FLAGS);
    ASSERT_TRUE(main && other);
    ASSERT_TRUE(activate(main));

    DialogWatch watch({main, other});
    SeenDialog seen;
    EXPECT_EQ(folder + L"\\", choose(L"C:\\", {IDOK, folder}, &seen));
    EXPECT_NE(std::wstring::npos, seen.text.find(PROMPT)) << "labels: " << narrow(seen.text);
    ASSERT_EQ(1u, watch.opened.size());
    EXPECT_EQ(main, watch.opened[0].owner);
    EXPECT_EQ(std::vector<bool>({false, false}), watch.opened[0].enabled)
        << "the owner is disabled by the dialog, the other window by the chooser";
    EXPECT_TRUE(watch.opened[0].shell_loaded);
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_TRUE(IsWindowEnabled(other));

    // A drive root keeps its single backslash; a cancel gives the empty text.
    EXPECT_EQ(L"C:\\", choose(folder.c_str(), {IDOK, L"C:\\"}));
    EXPECT_EQ(L"", choose(folder.c_str(), {IDCANCEL, L""}));
    EXPECT_EQ(L"", choose(nullptr, {IDCANCEL, L""}));
    EXPECT_TRUE(IsWindowEnabled(other));
}

TEST_F(UiChooseFolder, InitialPathIsSelected) {
    ASSERT_NE(nullptr, ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS));
    // Confirmed as offered: the initial folder, with or without its trailing backslash.
    EXPECT_EQ(folder + L"\\", choose((folder + L"\\").c_str(), {IDOK, L""}));
    EXPECT_EQ(folder + L"\\", choose(folder.c_str(), {IDOK, L""}));
    EXPECT_EQ(L"C:\\", choose(L"C:\\", {IDOK, L""}));
}

TEST_F(UiChooseFolder, LongestShellPathAndOverlongInitialPaths) {
    ASSERT_NE(nullptr, ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS));
    // Nested folders up to the longest path the shell hands out.
    std::wstring longest = std::wstring(SCRATCH) + L"\\lang";
    ASSERT_TRUE(make_folder(longest));
    while (longest.size() < LONGEST_SHELL_PATH) {
        size_t room = LONGEST_SHELL_PATH - longest.size() - 1;
        longest += L"\\" + std::wstring(room < 60 ? room : 60, L'x');
        ASSERT_TRUE(make_folder(longest)) << "folder of " << longest.size() << " characters";
    }
    ASSERT_EQ(LONGEST_SHELL_PATH, longest.size());

    std::wstring chosen = choose(L"C:\\", {IDOK, longest});
    EXPECT_EQ(LONGEST_SHELL_PATH + 1, chosen.size());
    EXPECT_TRUE(chosen == longest + L"\\") << narrow(chosen);

    // An initial path is cut to 259 characters: the backslash after the longest folder goes.
    chosen = choose((longest + L"\\").c_str(), {IDOK, L""});
    EXPECT_TRUE(chosen == longest + L"\\") << narrow(chosen);

    // Far too long: offered cut, nothing breaks.
    std::wstring overlong = L"C:\\" + std::wstring(1000, L'y');
    EXPECT_EQ(L"", choose(overlong.c_str(), {IDCANCEL, L""}));
}

TEST_F(UiChooseFolder, ItemWithoutFileSystemPathGivesEmptyText) {
    ASSERT_NE(nullptr, ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS));
    const wchar_t *const COMPUTER = L"::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    EXPECT_EQ(L"", choose(folder.c_str(), {IDOK, COMPUTER}));
}

TEST_F(UiChooseFolder, ShellIsLoadedOnlyWhileTheChooserIsOpen) {
    ASSERT_NE(nullptr, ui::open_window(0, 100, 200, 200, 180, L"Haupt", MAIN_FLAGS));
    if (GetModuleHandleW(L"shell32.dll"))
        GTEST_SKIP() << "something else in this process keeps the shell loaded";
    DialogWatch watch;
    EXPECT_EQ(folder + L"\\", choose(folder.c_str(), {IDOK, L""}));
    ASSERT_EQ(1u, watch.opened.size());
    EXPECT_TRUE(watch.opened[0].shell_loaded);
    if (testing_support::running_under_wine()) { // as in choose()
        EXPECT_EQ(nullptr, GetModuleHandleW(L"shell32.dll")) << "the shell stays loaded";
    }
}

} // namespace
