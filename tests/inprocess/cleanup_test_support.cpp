#include "tests/inprocess/cleanup_test_support.h"

#include "app/shell.h"
#include "cleanup/cleanup.h"
#include "cleanup/listing.h"
#include "common/identifiers.h"

#include <commctrl.h>
#include <shlobj.h>

namespace cleanup_testing {

using testing_support::answer_dialogs;
using testing_support::answered;
using testing_support::pump_messages;

namespace {

const wchar_t *const SCRATCH_BASE = L"C:\\kf_tests";
const wchar_t *const EXTENDED_PREFIX = L"\\\\?\\";
const wchar_t *const VANISHED_NAME = L"\\no such folder";
constexpr DWORD SETTLE_MS = 20;

std::function<void(const CWPSTRUCT &)> watch_observer;

LRESULT CALLBACK watch_procedure(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HC_ACTION && watch_observer)
        watch_observer(*reinterpret_cast<const CWPSTRUCT *>(lparam));
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// The folder chooser, answered from a thread timer inside its modal loop. Under the Wine wrapper only
// (chooser_needs_repeats()): Wine's chooser sometimes
// ignores the first selection it is sent, so the selection is repeated until the tree shows it; and
// now and then its tree misses the children of a folder made just before, so that the folder can
// never be selected in that chooser: then it is cancelled and the start button pressed again.
struct ChooserAnswer {
    std::wstring folder; // empty: cancel
    DWORD deadline = 0;
    bool answered = false;
    bool selected = false;
    int tries = 0;
    std::wstring last_shown; // the tree's selection after the last try
    testing_support::SeenDialog seen;
};
ChooserAnswer chooser_answer;
constexpr UINT CHOOSER_POLL_MS = 30;
constexpr DWORD CHOOSER_SELECT_MS = 1500;
constexpr int CHOOSER_ATTEMPTS = 4;

BOOL CALLBACK find_chooser(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (wcscmp(name, L"#32770") == 0 && IsWindowVisible(window) && testing_support::chooser_tree(window)) {
        *reinterpret_cast<HWND *>(found) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK answer_chooser(HWND, UINT, UINT_PTR, DWORD) {
    if (chooser_answer.answered)
        return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_chooser, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog)
        return;
    const std::wstring &folder = chooser_answer.folder;
    int button = IDCANCEL;
    if (!folder.empty()) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        ++chooser_answer.tries;
        chooser_answer.last_shown =
            testing_support::selected_tree_text(testing_support::chooser_tree(dialog));
        bool shown = chooser_answer.last_shown == folder.substr(folder.find_last_of(L'\\') + 1);
        if (!shown && static_cast<LONG>(GetTickCount() - chooser_answer.deadline) < 0)
            return; // again at the next tick
        if (shown)
            button = IDOK;
        chooser_answer.selected = shown;
    }
    chooser_answer.answered = true;
    chooser_answer.seen.title = testing_support::window_text(dialog);
    chooser_answer.seen.text = testing_support::label_texts(dialog);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

std::wstring unique_scratch_name() {
    static unsigned counter;
    return std::wstring(SCRATCH_BASE) + L"\\t" + std::to_wstring(GetCurrentProcessId()) + L"_" +
           std::to_wstring(GetTickCount()) + L"_" + std::to_wstring(++counter);
}

void collect_tree(const std::wstring &folder, std::vector<std::wstring> &paths) {
    for (const std::wstring &entry : bare_listing(extended(folder) + L"\\*")) {
        if (entry == L".\\" || entry == L"..\\")
            continue;
        paths.push_back(folder + L"\\" + entry);
        if (entry.back() == L'\\')
            collect_tree(folder + L"\\" + entry.substr(0, entry.size() - 1), paths);
    }
}

} // namespace

std::wstring extended(const std::wstring &path) {
    return path.compare(0, 4, EXTENDED_PREFIX) == 0 ? path : EXTENDED_PREFIX + path;
}

bool make_folder(const std::wstring &path) { return CreateDirectoryW(extended(path).c_str(), nullptr) != 0; }

bool make_file(const std::wstring &path, const std::string &content, DWORD attributes) {
    HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
              written == content.size();
    CloseHandle(file);
    if (ok && attributes != 0)
        ok = SetFileAttributesW(extended(path).c_str(), attributes) != 0;
    return ok;
}

bool exists(const std::wstring &path) { return attributes_of(path) != INVALID_FILE_ATTRIBUTES; }

DWORD attributes_of(const std::wstring &path) { return GetFileAttributesW(extended(path).c_str()); }

bool read_content(const std::wstring &path, std::string &content) {
    content.clear();
    HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return ok;
}

void remove_tree(const std::wstring &path) {
    for (const std::wstring &entry : bare_listing(extended(path) + L"\\*")) {
        if (entry == L".\\" || entry == L"..\\")
            continue;
        std::wstring inner = path + L"\\" + entry;
        if (inner.back() == L'\\') {
            remove_tree(inner.substr(0, inner.size() - 1));
        } else {
            SetFileAttributesW(extended(inner).c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(extended(inner).c_str());
        }
    }
    SetFileAttributesW(extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(extended(path).c_str());
}

std::vector<std::wstring> bare_listing(const std::wstring &search_text) {
    std::vector<std::wstring> entries;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(search_text.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        bool is_folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entries.push_back(std::wstring(entry.cFileName) + (is_folder ? L"\\" : L""));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return entries;
}

std::vector<std::wstring> tree_of(const std::wstring &folder) {
    std::vector<std::wstring> paths;
    collect_tree(folder, paths);
    return paths;
}

HWND main_window() { return ui::window_handle(ids::MAIN_WINDOW); }

HWND gadget(ui::Id id) { return main_window() ? GetDlgItem(main_window(), static_cast<int>(id)) : nullptr; }

HWND status_bar() {
    return main_window() ? FindWindowExW(main_window(), nullptr, STATUSCLASSNAMEW, nullptr) : nullptr;
}

std::vector<std::wstring> list_items(ui::Id list) {
    std::vector<std::wstring> items;
    HWND handle = gadget(list);
    if (!handle)
        return items;
    LRESULT count = SendMessageW(handle, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(handle, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        LRESULT copied =
            SendMessageW(handle, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        items.push_back(text);
    }
    return items;
}

std::wstring status_field(int field) {
    HWND bar = status_bar();
    if (!bar)
        return std::wstring();
    LRESULT length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(field), 0));
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = LOWORD(
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(field), reinterpret_cast<LPARAM>(&text[0])));
    text.resize(static_cast<size_t>(copied));
    return text;
}

bool enabled(ui::Id id) { return gadget(id) && IsWindowEnabled(gadget(id)); }

RECT gadget_rect(ui::Id id) {
    RECT frame = {};
    if (HWND handle = gadget(id)) {
        GetWindowRect(handle, &frame);
        MapWindowPoints(nullptr, GetParent(handle), reinterpret_cast<POINT *>(&frame), 2);
    }
    return frame;
}

ViewState view_state() {
    ViewState view;
    view.junk = list_items(ids::LIST_JUNK);
    view.mp3 = list_items(ids::LIST_MP3);
    view.other = list_items(ids::LIST_OTHER);
    view.junk_field = status_field(ids::FIELD_JUNK_COUNT);
    view.mp3_field = status_field(ids::FIELD_MP3_COUNT);
    view.other_field = status_field(ids::FIELD_OTHER_COUNT);
    view.delete_enabled = enabled(ids::BUTTON_DELETE_JUNK);
    view.junk_count = cleanup::music_folder.junk_count;
    view.mp3_count = cleanup::music_folder.mp3_count;
    view.other_count = cleanup::music_folder.other_count;
    view.music_folder = cleanup::music_folder.path;
    return view;
}

void expect_same_view(const ViewState &expected, const ViewState &actual) {
    EXPECT_EQ(expected.junk, actual.junk);
    EXPECT_EQ(expected.mp3, actual.mp3);
    EXPECT_EQ(expected.other, actual.other);
    EXPECT_EQ(expected.junk_field, actual.junk_field);
    EXPECT_EQ(expected.mp3_field, actual.mp3_field);
    EXPECT_EQ(expected.other_field, actual.other_field);
    EXPECT_EQ(expected.delete_enabled, actual.delete_enabled);
    EXPECT_EQ(expected.junk_count, actual.junk_count);
    EXPECT_EQ(expected.mp3_count, actual.mp3_count);
    EXPECT_EQ(expected.other_count, actual.other_count);
    EXPECT_EQ(expected.music_folder, actual.music_folder);
}

void expect_view_painted() {
    for (ui::Id list : {ids::LIST_JUNK, ids::LIST_MP3, ids::LIST_OTHER}) {
        ASSERT_NE(nullptr, gadget(list)) << "list " << list;
        EXPECT_TRUE(IsWindowVisible(gadget(list))) << "list " << list << " left with its painting held";
    }
    EXPECT_TRUE(IsWindowVisible(status_bar())) << "status bar left with its painting held";
}

std::vector<testing_support::SeenDialog> choose(const std::wstring &folder) {
    int choosers = 0;
    do {
        ++choosers;
        chooser_answer = ChooserAnswer();
        chooser_answer.folder = folder;
        chooser_answer.deadline =
            GetTickCount() + (testing_support::chooser_needs_repeats() ? CHOOSER_SELECT_MS : 0);
        UINT_PTR timer = SetTimer(nullptr, 0, CHOOSER_POLL_MS, answer_chooser);
        cleanup::choose_folder_and_show_results();
        KillTimer(nullptr, timer);
    } while (!folder.empty() && chooser_answer.answered && !chooser_answer.selected &&
             choosers < (testing_support::chooser_needs_repeats() ? CHOOSER_ATTEMPTS : 1));
    pump_messages(SETTLE_MS);
    std::vector<testing_support::SeenDialog> seen;
    if (chooser_answer.answered)
        seen.push_back(chooser_answer.seen);
    EXPECT_EQ(1u, seen.size()) << "the chooser was not answered";
    EXPECT_EQ(folder.empty() ? folder : folder + L"\\", cleanup::music_folder.path)
        << "the chooser chose otherwise; after " << choosers << " choosers and " << chooser_answer.tries
        << " tries in the last it showed " << testing::PrintToString(chooser_answer.last_shown);
    return seen;
}

std::vector<testing_support::SeenDialog> remove_answering(int button) {
    answer_dialogs({{button, L""}});
    cleanup::remove_junk();
    std::vector<testing_support::SeenDialog> seen = answered();
    pump_messages(SETTLE_MS);
    return seen;
}

SentMessageWatch::SentMessageWatch(std::function<void(const CWPSTRUCT &)> observer) {
    watch_observer = std::move(observer);
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, watch_procedure, nullptr, GetCurrentThreadId());
}

SentMessageWatch::~SentMessageWatch() {
    if (hook_)
        UnhookWindowsHookEx(hook_);
    watch_observer = nullptr;
}

void CleanupTest::SetUp() {
    ui::shut_down();
    cleanup::reset_state();
    ASSERT_TRUE(app::open_main_window());
    pump_messages(SETTLE_MS);

    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    saved_current_directory_ = current;

    CreateDirectoryW(SCRATCH_BASE, nullptr);
    root = unique_scratch_name();
    ASSERT_TRUE(make_folder(root)) << "cannot create the scratch folder";
}

void CleanupTest::TearDown() {
    answered();
    close_held();
    release_listing(MUSIC_LISTING);
    ui::shut_down();
    SetCurrentDirectoryW(saved_current_directory_.c_str());
    if (!root.empty()) {
        remove_tree(root);
        EXPECT_FALSE(exists(root)) << "the scratch folder could not be removed";
    }
    RemoveDirectoryW(SCRATCH_BASE); // only once every run's folder is gone
}

std::wstring CleanupTest::folder(const std::wstring &name) {
    std::wstring path = root + L"\\" + name;
    EXPECT_TRUE(make_folder(path)) << "cannot create the folder";
    return path;
}

HANDLE CleanupTest::hold_open(const std::wstring &path) {
    HANDLE file = CreateFileW(extended(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        held_.push_back(file);
    return file;
}

void CleanupTest::close_held() {
    for (HANDLE file : held_)
        CloseHandle(file);
    held_.clear();
}

void CleanupTest::release_listing(ui::Id number) {
    // Opening a listing releases the earlier one under the number; this one fails and leaves none.
    listing::open(number, (std::wstring(SCRATCH_BASE) + VANISHED_NAME).c_str(), nullptr);
}

} // namespace cleanup_testing
