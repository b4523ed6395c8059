// The real program, started as its own process: choosing the music folder in its own chooser, the
// three lists and counts, removing the junk and rescanning, all read back from outside and checked
// against the disk.
#include "tests/e2e/driver.h"
#include "tests/e2e/expected.h"
#include "tests/e2e/folders.h"
#include "tests/e2e/steps.h"
#include "tests/e2e/view_state.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace e2e;

namespace {

struct Gadget {
    int id;
    RECT rect;
    const wchar_t *text;
};
const Gadget RESULT_GADGETS[] = {
    {LABEL_JUNK, {200, 10, 350, 25}, L"Anzeige Müll-Dateien"},
    {LABEL_MP3, {710, 10, 860, 25}, L"Anzeige MP3s"},
    {LABEL_OTHER, {970, 10, 1120, 25}, L"Anzeige andere Dateitypen"},
    {LIST_JUNK, {200, 30, 700, 280}, L""},
    {LIST_MP3, {710, 30, 960, 280}, L""},
    {LIST_OTHER, {970, 30, 1220, 280}, L""},
    {BUTTON_DELETE, {200, 290, 380, 330}, L"Müll löschen"},
    {BUTTON_RESCAN, {390, 290, 570, 330}, L"Neu einlesen"},
    {BUTTON_CHOOSE, {10, 30, 190, 70}, L"Vumbrel Musikverzeichnis wählen"},
    {BUTTON_QUIT, {10, 80, 190, 120}, L"Programm beenden"},
};

const std::vector<int> RESULTS_EDGES = {60, 160, 516, 872, 1228};

std::string bytes_of(const std::wstring &name) { return "content of " + utf8(name); }

// A folder of mixed content: junk, near-junk, MP3 and other files, hidden, system and read-only
// files, non-ASCII and long names, and folders (one named like junk) whose files must stay unseen.
bool fill_music_folder(const TempFolder &music) {
    struct File {
        std::wstring name;
        DWORD attributes;
    };
    const File files[] = {
        {L"song.mp3", FILE_ATTRIBUTE_NORMAL},
        {L"song.mp3_work.mp3", FILE_ATTRIBUTE_NORMAL},
        {L"cover.jpg", FILE_ATTRIBUTE_NORMAL},
        {L".mp3_work.mp3", FILE_ATTRIBUTE_NORMAL},
        {L".mp3", FILE_ATTRIBUTE_NORMAL},
        {L"mp3", FILE_ATTRIBUTE_NORMAL},
        {L"x.MP3_work.mp3", FILE_ATTRIBUTE_NORMAL},
        {L"B.MP3", FILE_ATTRIBUTE_NORMAL},
        {L"A.MP3_WORK.MP3", FILE_ATTRIBUTE_NORMAL},
        {L"x.mp3_work.mp3.bak", FILE_ATTRIBUTE_NORMAL},
        {L"Müll äöü ß €.mp3_work.mp3", FILE_ATTRIBUTE_NORMAL},
        {L"Straße Лето 夏.mp3", FILE_ATTRIBUTE_NORMAL},
        {std::wstring(240, L'j') + L".mp3_work.mp3", FILE_ATTRIBUTE_NORMAL},
        {std::wstring(220, L'm') + L".mp3", FILE_ATTRIBUTE_NORMAL},
        {L"versteckt.mp3_work.mp3", FILE_ATTRIBUTE_HIDDEN},
        {L"system.dat", FILE_ATTRIBUTE_SYSTEM},
        {L"nur lesen.mp3", FILE_ATTRIBUTE_READONLY},
    };
    bool ok = true;
    for (const File &file : files)
        ok = write_file(music / file.name, bytes_of(file.name), file.attributes) && ok;
    ok = CreateDirectoryW((music / L"ordner.mp3_work.mp3").c_str(), nullptr) && ok;
    ok = write_file(music / L"ordner.mp3_work.mp3\\drin.mp3_work.mp3", "inside") && ok;
    ok = CreateDirectoryW((music / L"sub").c_str(), nullptr) && ok;
    ok = write_file(music / L"sub\\inner.mp3", "inside") && ok;
    return ok;
}

void expect_lists(const Classified &expected, const Classified &actual) {
    EXPECT_EQ(expected.junk, actual.junk) << "junk list";
    EXPECT_EQ(expected.mp3, actual.mp3) << "MP3 list";
    EXPECT_EQ(expected.other, actual.other) << "other list";
}

void expect_results_layout(const Program &program) {
    HWND window = program.window();
    RECT frame = frame_of(window);
    EXPECT_EQ(FRAME_X, frame.left);
    EXPECT_EQ(FRAME_Y, frame.top);
    EXPECT_EQ(RESULTS_WIDTH, inner_size(window).cx);
    EXPECT_EQ(RESULTS_HEIGHT - menu_bar_height(window), inner_size(window).cy);
    for (const Gadget &gadget : RESULT_GADGETS) {
        HWND control = GetDlgItem(window, gadget.id);
        ASSERT_NE(nullptr, control) << "no gadget " << gadget.id;
        RECT rect = child_rect(control);
        EXPECT_TRUE(EqualRect(&gadget.rect, &rect))
            << "gadget " << gadget.id << " at (" << rect.left << "," << rect.top << ")-(" << rect.right << ","
            << rect.bottom << ")";
        EXPECT_EQ(gadget.text, text_of(control)) << "gadget " << gadget.id;
        EXPECT_TRUE(IsWindowVisible(control)) << "gadget " << gadget.id;
    }
    EXPECT_EQ(RESULTS_EDGES, status_edges(program.process(), status_bar_of(window)));
}

void expect_counts(const Program &program, size_t junk, size_t mp3, size_t other) {
    EXPECT_EQ(count_text(JUNK_PREFIX, junk), status_field(program, FIELD_JUNK));
    EXPECT_EQ(count_text(MP3_PREFIX, mp3), status_field(program, FIELD_MP3));
    EXPECT_EQ(count_text(OTHER_PREFIX, other), status_field(program, FIELD_OTHER));
}

// Presses "Müll löschen" and answers its question.
bool delete_junk(const Program &program, int answer_button) {
    if (!click_gadget(program.window(), BUTTON_DELETE))
        return false;
    HWND question = expect_message_box(program, DELETE_TITLE, DELETE_QUESTION);
    return question && answer_and_return(program, question, answer_button);
}

bool rescan(const Program &program) {
    return click_gadget(program.window(), BUTTON_RESCAN) && settle(program.window());
}

// The disk as it was, less the entries named.
std::vector<DiskEntry> without(std::vector<DiskEntry> entries, const std::vector<std::wstring> &gone) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const DiskEntry &entry) {
                                     return std::find(gone.begin(), gone.end(), entry.path) != gone.end();
                                 }),
                  entries.end());
    return entries;
}

std::vector<std::wstring> names_of(const std::vector<std::wstring> &paths, const std::wstring &folder) {
    std::vector<std::wstring> names;
    for (const std::wstring &path : paths)
        names.push_back(path.substr(folder.size() + 1));
    return names;
}

} // namespace

TEST(ResultsView, ListsTheChosenFolderDeletesExactlyTheJunkAndRescans) {
    if (!screen_holds_results_view())
        return;
    TempFolder music(L"music");
    TempFolder elsewhere(L"cwd"); // the program's current directory, whose junk it must never touch
    ASSERT_NO_FATAL_FAILURE(make_scenario_folders(music, elsewhere));
    ASSERT_TRUE(fill_music_folder(music));
    const Classified expected = classify_folder(music.path());
    ASSERT_NO_FATAL_FAILURE(expect_make_up(expected, 5, 6, 6));
    const std::vector<DiskEntry> disk_before = read_tree(music.path());

    Program program;
    ASSERT_TRUE(start_program(program, elsewhere.path()));

    HWND chooser = open_chooser(program);
    ASSERT_NE(nullptr, chooser);
    EXPECT_EQ(CHOOSER_PROMPT, text_of(FindWindowExW(chooser, nullptr, L"Static", CHOOSER_PROMPT)))
        << "no prompt above the folder tree";
    ASSERT_TRUE(choose_and_show_results(program, chooser, music.path()));

    expect_results_layout(program);
    expect_lists(expected, read_lists(program));
    expect_counts(program, expected.junk.size(), expected.mp3.size(), expected.other.size());
    EXPECT_TRUE(gadget_enabled(program, BUTTON_DELETE));
    EXPECT_EQ(disk_before, read_tree(music.path())) << "the scan changed the disk";

    // No deletes nothing.
    ViewState shown = read_view(program);
    ASSERT_TRUE(delete_junk(program, IDNO));
    ViewState after_no = read_view(program);
    EXPECT_EQ(shown, after_no) << "before:\n" << describe(shown) << "\nafter:\n" << describe(after_no);
    EXPECT_EQ(disk_before, read_tree(music.path())) << "No deleted files";

    // Yes deletes exactly the listed junk.
    ASSERT_TRUE(delete_junk(program, IDYES));
    EXPECT_EQ(without(disk_before, names_of(expected.junk, music.path())), read_tree(music.path()));
    Classified after_delete = read_lists(program);
    EXPECT_TRUE(after_delete.junk.empty());
    EXPECT_EQ(expected.mp3, after_delete.mp3);
    EXPECT_EQ(expected.other, after_delete.other);
    expect_counts(program, 0, expected.mp3.size(), expected.other.size());
    EXPECT_FALSE(gadget_enabled(program, BUTTON_DELETE));

    // Junk that turns up later is found by the rescan, which enables the delete button again.
    ASSERT_TRUE(write_file(music / L"neu.mp3_work.mp3", "new junk"));
    ASSERT_TRUE(rescan(program));
    Classified rescanned = classify_folder(music.path());
    ASSERT_EQ(1u, rescanned.junk.size());
    expect_lists(rescanned, read_lists(program));
    expect_counts(program, 1, rescanned.mp3.size(), rescanned.other.size());
    EXPECT_TRUE(gadget_enabled(program, BUTTON_DELETE));

    // A junk file that cannot be deleted stays listed and counted, and the button stays usable.
    const std::wstring locked = music / L"schreibgeschützt.mp3_work.mp3";
    ASSERT_TRUE(write_file(locked, "read-only junk", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(rescan(program));
    ASSERT_EQ(2u, read_lists(program).junk.size());
    ASSERT_TRUE(delete_junk(program, IDYES));
    EXPECT_FALSE(exists(music / L"neu.mp3_work.mp3"));
    EXPECT_TRUE(exists(locked));
    EXPECT_EQ(std::vector<std::wstring>{locked}, read_lists(program).junk);
    EXPECT_EQ(count_text(JUNK_PREFIX, 1), status_field(program, FIELD_JUNK));
    EXPECT_TRUE(gadget_enabled(program, BUTTON_DELETE));

    EXPECT_TRUE(exists(elsewhere / L"fremd.mp3_work.mp3"));
    quit_with_yes(program);
}

TEST(ResultsView, CancelledChooserKeepsTheStartLayoutAndTheRescanDoesNothing) {
    if (!screen_holds_results_view())
        return;
    TempFolder music(L"music");
    TempFolder elsewhere(L"cwd");
    ASSERT_NO_FATAL_FAILURE(make_scenario_folders(music, elsewhere));
    ASSERT_TRUE(write_file(music / L"a.mp3_work.mp3", "junk"));
    ASSERT_TRUE(write_file(music / L"a.mp3", "music"));
    ASSERT_TRUE(write_file(music / L"a.txt", "text"));
    ASSERT_TRUE(write_file(elsewhere / L"fremd.mp3", "not chosen"));
    const Classified expected = classify_folder(music.path());

    Program program;
    ASSERT_TRUE(start_program(program, elsewhere.path()));
    HWND window = program.window();
    ViewState start_view = read_view(program);

    // Cancelled at once: the start window stays as it was.
    HWND chooser = open_chooser(program);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(answer_and_return(program, chooser, IDCANCEL));
    ViewState after_cancel = read_view(program);
    EXPECT_EQ(start_view, after_cancel) << "before:\n"
                                        << describe(start_view) << "\nafter:\n"
                                        << describe(after_cancel);

    // Chosen, then cancelled while the results view shows: back to the start layout.
    chooser = open_chooser(program);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(choose_and_show_results(program, chooser, music.path()));
    expect_lists(expected, read_lists(program));
    chooser = open_chooser(program);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(answer_and_return(program, chooser, IDCANCEL));
    EXPECT_EQ(START_WIDTH, inner_size(window).cx);
    EXPECT_EQ(START_HEIGHT - menu_bar_height(window), inner_size(window).cy);

    // The rescan button is still there, off-screen; with no folder chosen it must list nothing.
    ViewState cancelled_view = read_view(program);
    ASSERT_TRUE(rescan(program));
    ViewState after_rescan = read_view(program);
    EXPECT_EQ(cancelled_view, after_rescan) << "before:\n"
                                            << describe(cancelled_view) << "\nafter:\n"
                                            << describe(after_rescan);
    expect_lists(expected, read_lists(program));

    // Choosing again restores the results view with a fresh scan.
    ASSERT_TRUE(write_file(music / L"b.mp3", "more music"));
    chooser = open_chooser(program);
    ASSERT_NE(nullptr, chooser);
    ASSERT_TRUE(choose_and_show_results(program, chooser, music.path()));
    expect_results_layout(program);
    Classified fresh = classify_folder(music.path());
    expect_lists(fresh, read_lists(program));
    expect_counts(program, fresh.junk.size(), fresh.mp3.size(), fresh.other.size());

    EXPECT_TRUE(exists(elsewhere / L"fremd.mp3_work.mp3"));
    quit_with_yes(program);
}
