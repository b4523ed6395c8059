// Shared by the folder-cleanup tests: scratch folders with real files, the main window set up as the
// program does, and the results view read back through the window system.
#pragma once

#include "tests/support/gui.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace cleanup_testing {

constexpr ui::Id MUSIC_LISTING = 15;

const wchar_t *const JUNK_PREFIX = L"Anzahl Müll-Dateien: ";
const wchar_t *const MP3_PREFIX = L"Anzahl MP3-Files: ";
const wchar_t *const OTHER_PREFIX = L"Andere Filetypen: ";

// Files. Paths are absolute with backslashes; every helper works past MAX_PATH through the \\?\ form.
std::wstring extended(const std::wstring &path);
bool make_folder(const std::wstring &path);
// Creates a new file with `content`, then gives it `attributes` (0 keeps the defaults).
bool make_file(const std::wstring &path, const std::string &content = "x", DWORD attributes = 0);
bool exists(const std::wstring &path);
DWORD attributes_of(const std::wstring &path);
// The file's bytes; false when it cannot be read.
bool read_content(const std::wstring &path, std::string &content);
// Deletes the folder and everything in it, read-only and hidden entries included.
void remove_tree(const std::wstring &path);
// The entries a bare FindFirstFileW / FindNextFileW walk of `search_text` returns, in its order;
// folders carry a trailing backslash.
std::vector<std::wstring> bare_listing(const std::wstring &search_text);
// Every file and folder below `folder`, as full paths (folders with a trailing backslash).
std::vector<std::wstring> tree_of(const std::wstring &folder);

// The results view, read from the window system.
HWND main_window();
HWND gadget(ui::Id id);
HWND status_bar();
std::vector<std::wstring> list_items(ui::Id list);
std::wstring status_field(int field);
bool enabled(ui::Id id);
// The gadget's rectangle in its window's inner coordinates.
RECT gadget_rect(ui::Id id);

// What the program shows, to compare before and after an action that must change nothing.
struct ViewState {
    std::vector<std::wstring> junk, mp3, other;
    std::wstring junk_field, mp3_field, other_field;
    bool delete_enabled = false;
    ui::Id junk_count = 0, mp3_count = 0, other_count = 0;
    std::wstring music_folder;
};
ViewState view_state();
void expect_same_view(const ViewState &expected, const ViewState &actual);
// Lists and status bar must paint again once an action is over (held painting hides a control).
void expect_view_painted();

// Presses the start button and answers the real chooser: selects the folder and presses OK, or
// presses Cancel for an empty text. Expects the chooser to have been answered as asked.
std::vector<testing_support::SeenDialog> choose(const std::wstring &folder);
// Presses "Müll löschen" and answers its question with `button`.
std::vector<testing_support::SeenDialog> remove_answering(int button);

// Watches every message sent to a window of this thread while it is alive, before the window
// handles it, so a test can see the state in which a control is told something.
class SentMessageWatch {
  public:
    explicit SentMessageWatch(std::function<void(const CWPSTRUCT &)> observer);
    ~SentMessageWatch();
    SentMessageWatch(const SentMessageWatch &) = delete;
    SentMessageWatch &operator=(const SentMessageWatch &) = delete;

  private:
    HHOOK hook_;
};

// A fresh main window and program state, and a scratch folder of the test's own under C:\kf_tests,
// removed with everything in it afterwards, also when the test fails.
class CleanupTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A new folder below the scratch folder (no trailing backslash).
    std::wstring folder(const std::wstring &name);
    // Opens the file without FILE_SHARE_DELETE until close_held() or the end of the test.
    HANDLE hold_open(const std::wstring &path);
    void close_held();
    // Makes the search of listing `number` let go of its folder (Wine keeps a folder with an open
    // search from being removed).
    static void release_listing(ui::Id number);

    std::wstring root;

  private:
    std::vector<HANDLE> held_;
    std::wstring saved_current_directory_;
};

} // namespace cleanup_testing
