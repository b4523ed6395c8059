// Junk removal on real files: only confirmed junk goes, in list order, and what cannot go stays listed.
#include "cleanup/cleanup.h"
#include "common/identifiers.h"
#include "tests/inprocess/cleanup_test_support.h"
#include "tests/inprocess/ui_test_helpers.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <iterator>
#include <map>
#include <set>

using namespace cleanup_testing;

namespace {

const wchar_t *const REMOVE_TITLE = L"Mülldateien löschen";
const wchar_t *const REMOVE_QUESTION = L"Möchten Sie jetzt die Mülldateien entfernen?";

std::wstring junk_text(size_t count) { return JUNK_PREFIX + std::to_wstring(count); }

// What the junk list and field 2 were told during one removal, seen as it happened.
struct RemovalLog {
    std::vector<std::wstring> removed;           // items in the order the list lost them
    std::vector<std::wstring> removed_on_disk;   // items whose file still existed when removed
    std::vector<std::wstring> stale_field_texts; // field 2 texts that did not match the list then
    bool bar_painted_after_last_text = false;
    std::vector<testing_support::SeenDialog> seen;
};

RemovalLog remove_watched(int button) {
    RemovalLog log;
    HWND list = gadget(ids::LIST_JUNK);
    HWND bar = status_bar();
    SentMessageWatch watch([&](const CWPSTRUCT &sent) {
        if (sent.hwnd == list && sent.message == LB_DELETESTRING) {
            std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, sent.wParam, 0)) + 1,
                              L'\0');
            text.resize(static_cast<size_t>(
                SendMessageW(list, LB_GETTEXT, sent.wParam, reinterpret_cast<LPARAM>(&text[0]))));
            log.removed.push_back(text);
            if (exists(text))
                log.removed_on_disk.push_back(text);
        } else if (sent.hwnd == bar && sent.message == SB_SETTEXTW &&
                   LOWORD(sent.wParam) == static_cast<WORD>(ids::FIELD_JUNK_COUNT)) {
            std::wstring text(reinterpret_cast<const wchar_t *>(sent.lParam));
            std::wstring current = junk_text(static_cast<size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0)));
            if (text != current)
                log.stale_field_texts.push_back(text + L" told while the list held " + current);
        }
        // The texts are right even on a bar that never repaints; what the user sees needs a paint.
        if (sent.hwnd == bar && sent.message == SB_SETTEXTW)
            log.bar_painted_after_last_text = false;
        else if (sent.hwnd == bar && sent.message == WM_PAINT)
            log.bar_painted_after_last_text = true;
    });
    log.seen = remove_answering(button);
    return log;
}

void expect_question(const std::vector<testing_support::SeenDialog> &seen) {
    ASSERT_EQ(1u, seen.size()) << "exactly one question, no other message";
    EXPECT_EQ(REMOVE_TITLE, seen[0].title);
    EXPECT_EQ(REMOVE_QUESTION, seen[0].text);
}

using CleanupRemoval = CleanupTest;

TEST_F(CleanupRemoval, NoChangesNothing) {
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\b.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\a.mp3"));
    choose(music);
    ViewState before = view_state();

    RemovalLog log = remove_watched(IDNO);
    expect_question(log.seen);
    expect_same_view(before, view_state());
    EXPECT_EQ(std::vector<std::wstring>{}, log.removed);
    EXPECT_TRUE(exists(music + L"\\a.mp3_work.mp3"));
    EXPECT_TRUE(exists(music + L"\\b.mp3_work.mp3"));
}

TEST_F(CleanupRemoval, QuestionThatCannotBeShownDeletesNothing) {
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\a.mp3"));
    choose(music);
    ViewState before = view_state();

    // The box's window is refused, so the question comes back 0. Were it shown after all, it would be
    // answered Yes.
    RemovalLog log;
    {
        ui_testing::CbtWatch refuse(1);
        log = remove_watched(IDYES);
    }
    EXPECT_EQ(0u, log.seen.size()) << "the question was shown";
    EXPECT_EQ(std::vector<std::wstring>{}, log.removed);
    expect_same_view(before, view_state());
    EXPECT_TRUE(exists(music + L"\\a.mp3_work.mp3"));
}

TEST_F(CleanupRemoval, YesDeletesTheJunkInListOrder) {
    std::wstring music = folder(L"music");
    for (const wchar_t *name : {L"c.mp3_work.mp3", L"A.mp3_work.mp3", L"_b.mp3_work.mp3", L"x.mp3", L"y.txt"})
        ASSERT_TRUE(make_file(music + L"\\" + name));
    choose(music);
    ViewState before = view_state();
    ASSERT_EQ(3u, before.junk.size());

    RemovalLog log = remove_watched(IDYES);
    expect_question(log.seen);
    EXPECT_EQ(before.junk, log.removed) << "one item after the other, from the top";
    EXPECT_EQ(std::vector<std::wstring>{}, log.removed_on_disk) << "an item goes once its file is gone";
    EXPECT_EQ(std::vector<std::wstring>{}, log.stale_field_texts);
    EXPECT_TRUE(log.bar_painted_after_last_text) << "the count left on screen is stale";
    for (const std::wstring &path : before.junk)
        EXPECT_FALSE(exists(path)) << testing::PrintToString(path);
    EXPECT_TRUE(exists(music + L"\\x.mp3"));
    EXPECT_TRUE(exists(music + L"\\y.txt"));

    ViewState after = view_state();
    EXPECT_EQ(std::vector<std::wstring>{}, after.junk);
    EXPECT_EQ(junk_text(0), after.junk_field);
    EXPECT_FALSE(after.delete_enabled);
    EXPECT_EQ(before.mp3, after.mp3);
    EXPECT_EQ(before.other, after.other);
    EXPECT_EQ(before.mp3_field, after.mp3_field);
    EXPECT_EQ(before.other_field, after.other_field);
    EXPECT_EQ(3, after.junk_count) << "removal leaves the scan's count";
    expect_view_painted();
}

TEST_F(CleanupRemoval, JunkDeletedOutsideIsDroppedSilently) {
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\b.mp3_work.mp3"));
    choose(music);
    ASSERT_TRUE(DeleteFileW((music + L"\\a.mp3_work.mp3").c_str()));

    RemovalLog log = remove_watched(IDYES);
    expect_question(log.seen);
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(junk_text(0), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK));
    EXPECT_FALSE(exists(music + L"\\b.mp3_work.mp3"));
}

TEST_F(CleanupRemoval, JunkThatCannotBeDeletedStaysListed) {
    std::wstring music = folder(L"music");
    const std::wstring one = music + L"\\1.mp3_work.mp3", read_only = music + L"\\2.mp3_work.mp3",
                       held = music + L"\\3.mp3_work.mp3", four = music + L"\\4.mp3_work.mp3";
    ASSERT_TRUE(make_file(one));
    ASSERT_TRUE(make_file(read_only, "read-only", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(make_file(held, "held open"));
    ASSERT_TRUE(make_file(four));
    choose(music);
    ASSERT_EQ((std::vector<std::wstring>{one, read_only, held, four}), list_items(ids::LIST_JUNK));
    ASSERT_NE(INVALID_HANDLE_VALUE, hold_open(held));

    RemovalLog log = remove_watched(IDYES);
    expect_question(log.seen);
    EXPECT_EQ((std::vector<std::wstring>{one, four}), log.removed);
    EXPECT_EQ(std::vector<std::wstring>{}, log.stale_field_texts);
    EXPECT_FALSE(exists(one));
    EXPECT_FALSE(exists(four));
    std::string content;
    EXPECT_TRUE(read_content(read_only, content) && content == "read-only");
    EXPECT_TRUE(read_content(held, content) && content == "held open");
    EXPECT_TRUE(attributes_of(read_only) & FILE_ATTRIBUTE_READONLY) << "no attribute is changed";
    EXPECT_EQ((std::vector<std::wstring>{read_only, held}), list_items(ids::LIST_JUNK));
    EXPECT_EQ(junk_text(2), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK)) << "the user can try again";
    EXPECT_EQ(4, cleanup::music_folder.junk_count);
    expect_view_painted();

    // Once the files are free, a second press deletes them.
    ASSERT_TRUE(SetFileAttributesW(read_only.c_str(), FILE_ATTRIBUTE_NORMAL));
    close_held();
    log = remove_watched(IDYES);
    EXPECT_EQ((std::vector<std::wstring>{read_only, held}), log.removed);
    EXPECT_FALSE(exists(read_only));
    EXPECT_FALSE(exists(held));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(junk_text(0), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK));
}

// A removal long enough to be shown several times on its way: each time the list is painted it holds
// exactly the junk still on disk, in list order, with a file that could not go among it, and the count
// beside it matches.
TEST_F(CleanupRemoval, EachRepaintShowsTheJunkStillOnDisk) {
    constexpr size_t JUNK_FILES = 1000, TOP_ITEMS = 40;
    const std::set<size_t> read_only_at = {5, 500, 990};
    std::wstring music = folder(L"music");
    std::vector<std::wstring> junk;
    for (size_t i = 0; i < JUNK_FILES; ++i) {
        wchar_t name[32];
        swprintf(name, 32, L"\\%05u.mp3_work.mp3", static_cast<unsigned>(i));
        junk.push_back(music + name);
        ASSERT_TRUE(make_file(junk.back(), "x", read_only_at.count(i) ? FILE_ATTRIBUTE_READONLY : 0));
    }
    choose(music);
    std::vector<std::wstring> listed = list_items(ids::LIST_JUNK);
    std::sort(listed.begin(), listed.end());
    ASSERT_EQ(junk, listed);
    const std::vector<std::wstring> in_list_order = list_items(ids::LIST_JUNK);

    HWND list = gadget(ids::LIST_JUNK);
    size_t paints = 0;
    std::vector<std::string> wrong;
    SentMessageWatch watch([&](const CWPSTRUCT &sent) {
        // A few milliseconds per item removed make the removal need several repaints on any machine,
        // also where slow repaints (this watch's own checks among them) make them come less often.
        if (sent.hwnd == list && sent.message == LB_DELETESTRING)
            Sleep(3);
        if (sent.hwnd != list || sent.message != WM_PAINT)
            return;
        ++paints;
        // One walk of the folder rather than a look at each file, which would take longer.
        std::set<std::wstring> present;
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW((music + L"\\*").c_str(), &entry);
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &entry))
            present.insert(music + L"\\" + entry.cFileName);
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        std::vector<std::wstring> on_disk;
        std::copy_if(in_list_order.begin(), in_list_order.end(), std::back_inserter(on_disk),
                     [&](const std::wstring &path) { return present.count(path) != 0; });
        const size_t present_junk = on_disk.size();
        // The count and the top of the list: each message sent meanwhile passes this watch, which
        // under Wine is too slow for the whole list at every paint.
        const size_t shown = static_cast<size_t>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        std::vector<std::wstring> top;
        for (size_t i = 0; i < std::min<size_t>(shown, TOP_ITEMS); ++i) {
            wchar_t text[MAX_PATH];
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
            top.emplace_back(text);
        }
        on_disk.resize(std::min(on_disk.size(), TOP_ITEMS));
        const std::wstring field = status_field(ids::FIELD_JUNK_COUNT);
        if (shown != present_junk || top != on_disk)
            wrong.push_back("paint " + std::to_string(paints) + ": " + std::to_string(shown) + " listed, " +
                            std::to_string(present_junk) + " on disk, or another order");
        if (field != junk_text(shown))
            wrong.push_back("paint " + std::to_string(paints) + ": " + testing::PrintToString(field) +
                            " beside " + std::to_string(shown) + " listed");
    });
    remove_answering(IDYES);
    ASSERT_GE(paints, 3u) << "the removal ended before two repaints were due";
    EXPECT_EQ(std::vector<std::string>{}, wrong);
    std::vector<std::wstring> left;
    for (size_t i : read_only_at)
        left.push_back(junk[i]);
    EXPECT_EQ(left, list_items(ids::LIST_JUNK));
    EXPECT_EQ(junk_text(left.size()), status_field(ids::FIELD_JUNK_COUNT));
    for (size_t i : read_only_at)
        SetFileAttributesW(junk[i].c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CleanupRemoval, JunkOfAVanishedFolderStaysListed) {
    // Only a missing file counts as gone; a missing folder also answers for too long a path.
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\b.mp3_work.mp3"));
    choose(music);
    ViewState before = view_state();
    release_listing(MUSIC_LISTING);
    remove_tree(music);
    ASSERT_FALSE(exists(music));

    RemovalLog log = remove_watched(IDYES);
    expect_question(log.seen);
    EXPECT_EQ(before.junk, list_items(ids::LIST_JUNK));
    EXPECT_EQ(junk_text(2), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK));
}

TEST_F(CleanupRemoval, EmptyListAndYesChangesNothing) {
    std::wstring with_junk = folder(L"with junk");
    ASSERT_TRUE(make_file(with_junk + L"\\a.mp3_work.mp3"));
    std::wstring without_junk = folder(L"without junk");
    ASSERT_TRUE(make_file(without_junk + L"\\a.mp3"));

    // Disabled button: the question still comes, then nothing happens.
    choose(with_junk);
    choose(without_junk);
    ViewState before = view_state();
    ASSERT_EQ(junk_text(1), before.junk_field);
    ASSERT_FALSE(before.delete_enabled);
    expect_question(remove_watched(IDYES).seen);
    expect_same_view(before, view_state());

    // Enabled button over an empty list: it stays enabled.
    choose(with_junk);
    ASSERT_TRUE(DeleteFileW((with_junk + L"\\a.mp3_work.mp3").c_str()));
    cleanup::rescan();
    before = view_state();
    ASSERT_EQ(std::vector<std::wstring>{}, before.junk);
    ASSERT_TRUE(before.delete_enabled);
    expect_question(remove_watched(IDYES).seen);
    expect_same_view(before, view_state());
}

TEST_F(CleanupRemoval, JunkWithALongPathIsDeleted) {
    // Only Windows can make this fail: Wine deletes plain paths past MAX_PATH as well.
    // The chooser returns at most MAX_PATH; a long name in a deep folder goes past it.
    std::wstring deep = root + L"\\" + std::wstring(100, L'd');
    ASSERT_TRUE(make_folder(deep));
    deep += L"\\" + std::wstring(90, L'e');
    ASSERT_TRUE(make_folder(deep));
    ASSERT_LT(deep.size(), static_cast<size_t>(MAX_PATH) - 1);
    const std::wstring long_junk = deep + L"\\" + std::wstring(120, L'j') + L".mp3_work.mp3";
    const std::wstring short_junk = deep + L"\\s.mp3_work.mp3";
    const std::wstring long_mp3 = deep + L"\\" + std::wstring(120, L'm') + L".mp3";
    ASSERT_GT(long_junk.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(make_file(long_junk));
    ASSERT_TRUE(make_file(short_junk));
    ASSERT_TRUE(make_file(long_mp3));

    choose(deep);
    ASSERT_EQ(deep + L"\\", cleanup::music_folder.path);
    std::vector<std::wstring> junk = list_items(ids::LIST_JUNK);
    ASSERT_EQ(2u, junk.size());
    EXPECT_TRUE(std::find(junk.begin(), junk.end(), long_junk) != junk.end());

    RemovalLog log = remove_watched(IDYES);
    EXPECT_EQ(junk, log.removed);
    EXPECT_FALSE(exists(long_junk));
    EXPECT_FALSE(exists(short_junk));
    EXPECT_TRUE(exists(long_mp3));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK));
}

TEST_F(CleanupRemoval, DeleteFileTakesLongPaths) {
    std::wstring deep = root + L"\\" + std::wstring(200, L'd');
    ASSERT_TRUE(make_folder(deep));
    const std::wstring name = std::wstring(100, L'n') + L".mp3_work.mp3";
    const std::wstring path = deep + L"\\" + name;

    // For the record: what the window system here does with the plain long path.
    ASSERT_TRUE(make_file(path));
    BOOL plain = DeleteFileW(path.c_str());
    DWORD plain_error = GetLastError();
    std::string outcome = plain ? "deleted" : "refused, error " + std::to_string(plain_error);
    RecordProperty("plain_DeleteFileW_past_MAX_PATH", outcome);
    std::cout << "plain DeleteFileW past MAX_PATH: " << outcome << "\n";
    SetFileAttributesW(extended(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(extended(path).c_str());

    EXPECT_EQ(0, cleanup::delete_file(nullptr));

    ASSERT_TRUE(make_file(path));
    EXPECT_NE(0, cleanup::delete_file(path.c_str())) << "past MAX_PATH";
    EXPECT_FALSE(exists(path));

    // Exactly MAX_PATH units, the first length the plain call refuses on Windows.
    std::wstring at_limit = deep + L"\\" + std::wstring(MAX_PATH - deep.size() - 1 - 4, L'l') + L".mp3";
    ASSERT_EQ(static_cast<size_t>(MAX_PATH), at_limit.size());
    ASSERT_TRUE(make_file(at_limit));
    EXPECT_NE(0, cleanup::delete_file(at_limit.c_str())) << "at MAX_PATH";
    EXPECT_FALSE(exists(at_limit));

    // The \\?\ form takes paths literally, so a long path is made whole first.
    ASSERT_TRUE(make_file(path));
    std::wstring roundabout = deep + L"\\..\\" + deep.substr(root.size() + 1) + L"\\" + name;
    std::replace(roundabout.begin(), roundabout.end(), L'\\', L'/');
    EXPECT_NE(0, cleanup::delete_file(roundabout.c_str())) << "slashes and ..";
    EXPECT_FALSE(exists(path));

    ASSERT_TRUE(make_file(path));
    EXPECT_NE(0, cleanup::delete_file(extended(path).c_str())) << "already in the \\\\?\\ form";
    EXPECT_FALSE(exists(path));

    EXPECT_EQ(0, cleanup::delete_file(path.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError())
        << "a missing long file counts as gone";

    ASSERT_TRUE(make_file(path, "kept", FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(0, cleanup::delete_file(path.c_str())) << "read-only";
    EXPECT_TRUE(exists(path));
    EXPECT_TRUE(attributes_of(path) & FILE_ATTRIBUTE_READONLY);
}

// The one property above all: after a confirmed removal exactly the deletable junk is gone, and
// everything else is still there, byte for byte.
TEST_F(CleanupRemoval, OnlyDeletableJunkIsEverDeleted) {
    std::wstring music = folder(L"music");
    struct Planted {
        std::wstring name;
        DWORD attributes;
        bool deletable_junk;
    };
    const Planted planted[] = {
        // Junk the removal must delete.
        {L"song.mp3_work.mp3", 0, true},
        {L".mp3_work.mp3", 0, true},
        {L"Gr\u00fc\u00dfe \u266b.mp3_work.mp3", 0, true},
        {L"\U0001F3B5 Lied.mp3_work.mp3", 0, true},
        {std::wstring(227, L'j') + L".mp3_work.mp3", 0, true},
        {L"hidden.mp3_work.mp3", FILE_ATTRIBUTE_HIDDEN, true},
        {L"system.mp3_work.mp3", FILE_ATTRIBUTE_SYSTEM, true},
        // Junk it cannot delete.
        {L"readonly.mp3_work.mp3", FILE_ATTRIBUTE_READONLY, false},
        // Near-junk.
        {L"A.MP3_WORK.MP3", 0, false},
        {L"x.mp3_work.mp3.bak", 0, false},
        {L"x.MP3_work.mp3", 0, false},
        {L"mp3_work.mp3", 0, false},
        {L"song.mp3_work.mp4", 0, false},
        {L"tune.mp3_WORK.mp3", 0, false},
        {L"song.mp3_work.mp3.mp3", 0, false},
        {L"\u00c4rger \u266b.MP3_WORK.MP3", 0, false},
        // MP3 and other files.
        {L"song.mp3", 0, false},
        {L".mp3", 0, false},
        {std::wstring(220, L'm') + L".mp3", 0, false},
        {L"Gr\u00fc\u00dfe \u266b.mp3", 0, false},
        {L"hidden.mp3", FILE_ATTRIBUTE_HIDDEN, false},
        {L"readonly.mp3", FILE_ATTRIBUTE_READONLY, false},
        {L"cover.jpg", 0, false},
        {L"desktop.ini", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
        {L"readonly.txt", FILE_ATTRIBUTE_READONLY, false},
        {L"LOUD.MP3", 0, false},
        {L"c.Mp3", 0, false},
        {L"mp3", 0, false},
        {std::wstring(230, L'o') + L".txt", 0, false},
        {L"\u65e5\u672c.txt", 0, false},
    };
    // Folders, some named like junk, with junk inside that is never listed.
    const wchar_t *const folders[] = {L"sub.mp3_work.mp3", L"sub.mp3_work.mp3\\deeper", L"keep",
                                      L"empty.mp3_work.mp3", L"hidden folder.mp3_work.mp3"};
    const wchar_t *const nested[] = {L"sub.mp3_work.mp3\\inner.mp3_work.mp3", L"sub.mp3_work.mp3\\inner.mp3",
                                     L"sub.mp3_work.mp3\\deeper\\deep.mp3_work.mp3",
                                     L"keep\\keep.mp3_work.mp3",
                                     L"hidden folder.mp3_work.mp3\\h.mp3_work.mp3"};

    std::set<std::wstring> deletable;
    int number = 0;
    // Distinct bytes per file, zero bytes included, so that a swap or truncation shows.
    auto content_for = [&number]() {
        ++number;
        return "planted file " + std::to_string(number) + '\0' +
               std::string(static_cast<size_t>(number), static_cast<char>('a' + number % 26));
    };
    for (const wchar_t *name : folders)
        ASSERT_TRUE(make_folder(music + L"\\" + name));
    for (const wchar_t *name : nested)
        ASSERT_TRUE(make_file(music + L"\\" + name, content_for()));
    ASSERT_TRUE(SetFileAttributesW((music + L"\\hidden folder.mp3_work.mp3").c_str(), FILE_ATTRIBUTE_HIDDEN));
    for (const Planted &file : planted) {
        std::wstring path = music + L"\\" + file.name;
        ASSERT_TRUE(make_file(path, content_for(), file.attributes)) << testing::PrintToString(file.name);
        if (file.deletable_junk)
            deletable.insert(path);
    }
    ASSERT_GT((music + L"\\" + planted[4].name).size(), static_cast<size_t>(MAX_PATH));

    std::map<std::wstring, std::string> contents;
    std::map<std::wstring, DWORD> attributes;
    std::vector<std::wstring> tree = tree_of(music);
    ASSERT_EQ(std::size(planted) + std::size(folders) + std::size(nested), tree.size());
    for (const std::wstring &path : tree) {
        attributes[path] = attributes_of(path);
        if (path.back() != L'\\') {
            ASSERT_TRUE(read_content(path, contents[path])) << testing::PrintToString(path);
        }
    }

    choose(music);
    std::vector<std::wstring> listed = list_items(ids::LIST_JUNK);
    EXPECT_EQ(deletable.size() + 1, listed.size());
    ViewState before = view_state();
    RemovalLog log = remove_watched(IDYES);
    expect_question(log.seen);

    std::vector<std::wstring> expected_tree;
    for (const std::wstring &path : tree) {
        if (deletable.count(path)) {
            EXPECT_FALSE(exists(path)) << "junk left: " << testing::PrintToString(path);
            continue;
        }
        expected_tree.push_back(path);
        EXPECT_EQ(attributes[path], attributes_of(path)) << testing::PrintToString(path);
        if (path.back() == L'\\')
            continue;
        std::string now;
        EXPECT_TRUE(read_content(path, now)) << "lost: " << testing::PrintToString(path);
        EXPECT_TRUE(now == contents[path]) << "changed: " << testing::PrintToString(path);
    }
    std::vector<std::wstring> after_tree = tree_of(music);
    std::sort(after_tree.begin(), after_tree.end());
    std::sort(expected_tree.begin(), expected_tree.end());
    EXPECT_EQ(expected_tree, after_tree);

    EXPECT_EQ(std::vector<std::wstring>{music + L"\\readonly.mp3_work.mp3"}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(junk_text(1), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK));
    EXPECT_EQ(before.mp3, list_items(ids::LIST_MP3));
    EXPECT_EQ(before.other, list_items(ids::LIST_OTHER));
}

} // namespace
