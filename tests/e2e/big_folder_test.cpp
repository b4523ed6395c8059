// The real program on a music folder of 10,000 mixed files with non-ASCII and long names: every file
// listed once, in the order the file system gives, the counts right, and exactly the junk deleted.
// CTest makes the folder beside the tests from the Linux side (make_big_folder.py), as Wine would
// take half a minute to; without it the test makes a smaller folder of its own.
#include "tests/e2e/driver.h"
#include "tests/e2e/expected.h"
#include "tests/e2e/folders.h"
#include "tests/e2e/steps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>

using namespace e2e;

namespace {

// Made by the CTest fixture: the folder, and beside it the list of the names written into it.
const wchar_t *const FIXTURE_FOLDER = L"e2e_big_folder";
const wchar_t *const NAME_LIST_SUFFIX = L".names";
// Names the fixture's script writes, spelled here independently of its name list.
const wchar_t *const FIXTURE_SAMPLES[] = {L"Müll äöü ß € 00010.mp3_work.mp3", L"take00070 🎵.mp3_work.mp3",
                                          L"Straße Лето 夏 00001.mp3"};
constexpr size_t OWN_FOLDER_FILES = 1000; // Wine makes these in about a second
constexpr size_t LONG_NAME = 200;
constexpr DWORD LARGE_WAIT_MS = 30000; // one handler over 10,000 files, on a slow machine

std::wstring five_digits(size_t number) {
    std::wstring digits = std::to_wstring(number);
    return std::wstring(digits.size() < 5 ? 5 - digits.size() : 0, L'0') + digits;
}

// The names of a smaller mixed folder: every tenth junk, half MP3, the rest other.
std::vector<std::wstring> own_folder_names(size_t count) {
    std::vector<std::wstring> names;
    for (size_t i = 0; i < count; ++i) {
        std::wstring number = five_digits(i);
        bool odd = (i / 10) % 2 != 0;
        size_t kind = i % 10;
        if (kind == 0)
            names.push_back(odd ? L"Müll äöü ß € " + number + L".mp3_work.mp3"
                                : number + L" " + std::wstring(LONG_NAME, L'l') + L".mp3_work.mp3");
        else if (kind <= 5)
            names.push_back(odd ? L"Straße Лето 夏 🎶 " + number + L".mp3" : L"track" + number + L".mp3");
        else
            names.push_back(odd ? L"cover " + number + L".jpg" : L"B" + number + L".MP3");
    }
    return names;
}

// The fixture's name list, taken once: a second run finds the folder without its junk, so it then
// makes a folder of its own. Empty if there is no list.
std::vector<std::wstring> take_fixture_names(const std::wstring &list) {
    if (!exists(list))
        return {};
    std::vector<std::wstring> names;
    std::istringstream lines(read_file(list));
    for (std::string line; std::getline(lines, line);)
        names.push_back(from_utf8(line));
    DeleteFileW(list.c_str());
    return names;
}

bool ends_with(const std::wstring &name, const std::wstring &suffix) {
    return name.size() >= suffix.size() &&
           name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::vector<std::wstring> sorted(std::vector<std::wstring> names) {
    std::sort(names.begin(), names.end());
    return names;
}

// Where two lists of names part, for a failure message that does not print thousands of names.
std::string first_difference(const std::vector<std::wstring> &expected,
                             const std::vector<std::wstring> &actual) {
    size_t same = 0;
    while (same < expected.size() && same < actual.size() && expected[same] == actual[same])
        ++same;
    std::ostringstream out;
    out << expected.size() << " expected, got " << actual.size() << "; first difference at " << same;
    if (same < expected.size())
        out << ": expected \"" << utf8(expected[same]) << "\"";
    if (same < actual.size())
        out << ", got \"" << utf8(actual[same]) << "\"";
    return out.str();
}

void expect_same(const std::vector<std::wstring> &expected, const std::vector<std::wstring> &actual,
                 const char *what) {
    EXPECT_TRUE(expected == actual) << what << ": " << first_difference(expected, actual);
}

// The names a list shows, with the folder taken off the junk list's full paths.
std::vector<std::wstring> bare_names(const std::vector<std::wstring> &paths, const std::wstring &folder) {
    std::vector<std::wstring> names;
    for (const std::wstring &path : paths)
        names.push_back(
            path.compare(0, folder.size() + 1, folder + L"\\") == 0 ? path.substr(folder.size() + 1) : path);
    return names;
}

bool has_non_ascii(const std::wstring &name) {
    return std::any_of(name.begin(), name.end(), [](wchar_t c) { return c > 0x7F; });
}

bool has_surrogates(const std::wstring &name) {
    return std::any_of(name.begin(), name.end(), [](wchar_t c) { return c >= 0xD800 && c <= 0xDFFF; });
}

bool is_long(const std::wstring &name) { return name.size() >= LONG_NAME; }

LRESULT item_count(const Program &program, int list) {
    return send(GetDlgItem(program.window(), list), LB_GETCOUNT);
}

} // namespace

TEST(BigFolder, ListsEveryFileOnceInFileSystemOrderAndDeletesExactlyTheJunk) {
    if (!screen_holds_results_view())
        return;
    TempFolder own(L"big");
    TempFolder elsewhere(L"cwd");
    ASSERT_TRUE(own.valid() && elsewhere.valid());
    std::wstring folder = beside_this_program(FIXTURE_FOLDER);
    const std::vector<std::wstring> written = [&] {
        std::vector<std::wstring> names = take_fixture_names(folder + NAME_LIST_SUFFIX);
        if (!names.empty()) {
            // Written as UTF-8 bytes on Linux, shown by Wine as the same Unicode names.
            for (const wchar_t *sample : FIXTURE_SAMPLES) {
                EXPECT_TRUE(std::find(names.begin(), names.end(), sample) != names.end()) << utf8(sample);
                EXPECT_TRUE(exists(folder + L"\\" + sample)) << utf8(sample);
            }
            return names;
        }
        std::cout << "note: no " << utf8(FIXTURE_FOLDER) << " from the CTest fixture beside the tests; using "
                  << OWN_FOLDER_FILES << " files made here\n";
        folder = own.path();
        names = own_folder_names(OWN_FOLDER_FILES);
        for (const std::wstring &name : names)
            if (!write_file(own / name, "x"))
                ADD_FAILURE() << "cannot write " << utf8(name);
        return names;
    }();
    // Every name comes back from the file system exactly as it was written.
    const std::vector<std::wstring> walk = file_names(folder);
    expect_same(sorted(written), sorted(walk), "the folder's files");
    ASSERT_TRUE(std::any_of(walk.begin(), walk.end(), has_non_ascii)) << "no non-ASCII name";
    ASSERT_TRUE(std::any_of(walk.begin(), walk.end(), has_surrogates))
        << "no name with a character outside the BMP";
    ASSERT_TRUE(std::any_of(walk.begin(), walk.end(), is_long))
        << "no name of " << LONG_NAME << " characters";

    const Classified expected = classify_folder(folder);
    std::cout << "note: " << walk.size() << " files: " << expected.junk.size() << " junk, "
              << expected.mp3.size() << " MP3, " << expected.other.size() << " other\n";
    ASSERT_GT(expected.junk.size(), 0u);
    ASSERT_GT(expected.mp3.size(), 0u);
    ASSERT_GT(expected.other.size(), 0u);
    // The classification above is the test's own; check it against the names as written.
    EXPECT_EQ(static_cast<size_t>(
                  std::count_if(written.begin(), written.end(),
                                [](const std::wstring &name) { return ends_with(name, L".mp3_work.mp3"); })),
              expected.junk.size());

    Program program;
    ASSERT_TRUE(start_program(program, elsewhere.path()));
    HWND window = program.window();
    HWND chooser = open_chooser(program);
    ASSERT_NE(nullptr, chooser);
    DWORD scan_start = GetTickCount();
    ASSERT_TRUE(choose_folder(program.process(), chooser, folder))
        << "the chooser shows \"" << utf8(chooser_selection(program.process(), chooser)) << "\"";
    ASSERT_TRUE(wait_until([&] { return inner_size(window).cx == RESULTS_WIDTH; }));
    ASSERT_TRUE(wait_until([&] { return settle(window); }, LARGE_WAIT_MS)) << "the first scan did not end";
    std::cout << "note: chosen and scanned in " << GetTickCount() - scan_start << " ms\n";

    // In the order of the test's own walk, each file once, in the list of its class.
    const Classified shown = read_lists(program);
    expect_same(expected.junk, shown.junk, "junk list");
    expect_same(expected.mp3, shown.mp3, "MP3 list");
    expect_same(expected.other, shown.other, "other list");
    std::vector<std::wstring> listed = bare_names(shown.junk, folder);
    listed.insert(listed.end(), shown.mp3.begin(), shown.mp3.end());
    listed.insert(listed.end(), shown.other.begin(), shown.other.end());
    listed = sorted(listed);
    EXPECT_EQ(listed.end(), std::adjacent_find(listed.begin(), listed.end())) << "a file listed twice";
    expect_same(sorted(walk), listed, "all lists together");
    EXPECT_EQ(count_text(JUNK_PREFIX, expected.junk.size()), status_field(program, FIELD_JUNK));
    EXPECT_EQ(count_text(MP3_PREFIX, expected.mp3.size()), status_field(program, FIELD_MP3));
    EXPECT_EQ(count_text(OTHER_PREFIX, expected.other.size()), status_field(program, FIELD_OTHER));
    EXPECT_TRUE(gadget_enabled(program, BUTTON_DELETE));

    ASSERT_TRUE(click_gadget(window, BUTTON_DELETE));
    HWND question = expect_message_box(program, DELETE_TITLE, DELETE_QUESTION);
    ASSERT_NE(nullptr, question);
    DWORD removal_start = GetTickCount();
    ASSERT_TRUE(answer(question, IDYES));
    ASSERT_TRUE(wait_until([&] { return IsWindowEnabled(window) && settle(window); }, LARGE_WAIT_MS))
        << "the removal did not end";
    std::cout << "note: junk deleted in " << GetTickCount() - removal_start << " ms\n";

    std::vector<std::wstring> kept;
    std::copy_if(walk.begin(), walk.end(), std::back_inserter(kept),
                 [](const std::wstring &name) { return !ends_with(name, L".mp3_work.mp3"); });
    expect_same(sorted(kept), sorted(file_names(folder)), "the files left on disk");
    // Reading 10,000 items back takes seconds; the lists' make-up after a removal is the small
    // scenarios' business, their sizes are enough here.
    EXPECT_EQ(0, item_count(program, LIST_JUNK));
    EXPECT_EQ(static_cast<LRESULT>(expected.mp3.size()), item_count(program, LIST_MP3));
    EXPECT_EQ(static_cast<LRESULT>(expected.other.size()), item_count(program, LIST_OTHER));
    EXPECT_EQ(count_text(JUNK_PREFIX, 0), status_field(program, FIELD_JUNK));
    EXPECT_EQ(count_text(MP3_PREFIX, expected.mp3.size()), status_field(program, FIELD_MP3));
    EXPECT_EQ(count_text(OTHER_PREFIX, expected.other.size()), status_field(program, FIELD_OTHER));
    EXPECT_FALSE(gadget_enabled(program, BUTTON_DELETE));

    quit_with_yes(program);
}
