// Classification and the walk over real folders: the first scan and the rescan as the user starts them.
#include "cleanup/cleanup.h"
#include "common/identifiers.h"
#include "tests/inprocess/cleanup_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <iostream>
#include <iterator>

using namespace cleanup_testing;
using cleanup::FileClass;

namespace {

struct Named {
    const wchar_t *name;
    FileClass file_class;
};

// Exact, case-sensitive suffixes, junk before MP3; a name shorter than a suffix is compared whole.
const Named TRICKY_NAMES[] = {{L"song.mp3_work.mp3", FileClass::junk},
                              {L".mp3_work.mp3", FileClass::junk},
                              {L"Gr\u00fc\u00dfe \u266b.mp3_work.mp3", FileClass::junk},
                              {L"A.MP3_WORK.MP3", FileClass::other},
                              {L"x.mp3_work.mp3.bak", FileClass::other},
                              {L"x.MP3_work.mp3", FileClass::mp3},
                              {L"mp3_work.mp3", FileClass::mp3},
                              {L".mp3", FileClass::mp3},
                              {L"song.mp3", FileClass::mp3},
                              {L"_first.mp3", FileClass::mp3},
                              {L"mp3", FileClass::other},
                              {L"LOUD.MP3", FileClass::other},
                              {L"B.MP3", FileClass::other},
                              {L"c.Mp3", FileClass::other},
                              {L"x.mp3_work.mp4", FileClass::other},
                              {L"cover.jpg", FileClass::other},
                              {L"Zulu.txt", FileClass::other}};

std::wstring class_name(FileClass file_class) {
    return file_class == FileClass::junk ? L"junk" : file_class == FileClass::mp3 ? L"MP3" : L"other";
}

std::wstring count_text(const wchar_t *prefix, size_t count) { return prefix + std::to_wstring(count); }

// The three lists a walk of `folder` must show: the files of a bare walk in its order, each in the
// class the table gives it; junk as full paths.
struct Expected {
    std::vector<std::wstring> junk, mp3, other;
};
Expected expected_lists(const std::wstring &folder, const std::vector<Named> &table) {
    Expected expected;
    for (const std::wstring &entry : bare_listing(folder + L"\\*.*")) {
        if (entry.back() == L'\\')
            continue;
        const Named *named = nullptr;
        for (const Named &candidate : table)
            if (entry == candidate.name)
                named = &candidate;
        EXPECT_NE(nullptr, named) << "unexpected file " << testing::PrintToString(entry);
        if (!named)
            continue;
        if (named->file_class == FileClass::junk)
            expected.junk.push_back(folder + L"\\" + entry);
        else
            (named->file_class == FileClass::mp3 ? expected.mp3 : expected.other).push_back(entry);
    }
    return expected;
}

using CleanupScan = CleanupTest;

TEST_F(CleanupScan, ClassifiesByExactCaseSensitiveSuffix) {
    for (const Named &named : TRICKY_NAMES)
        EXPECT_EQ(class_name(named.file_class), class_name(cleanup::classify(named.name)))
            << testing::PrintToString(std::wstring(named.name));
    EXPECT_EQ(class_name(FileClass::other), class_name(cleanup::classify(L"SONG.MP3")));
    EXPECT_EQ(class_name(FileClass::other), class_name(cleanup::classify(L"")));
    EXPECT_EQ(class_name(FileClass::other), class_name(cleanup::classify(L"p3")));

    const std::pair<const wchar_t *, const wchar_t *> parts[] = {{L"C:\\Musik\\a.mp3", L"C:\\Musik\\"},
                                                                 {L"C:\\Musik\\", L"C:\\Musik\\"},
                                                                 {L"C:/Musik/a.mp3", L"C:/Musik/"},
                                                                 {L"\"C:\\Musik\\a.mp3", L"C:\\Musik\\"},
                                                                 {L"C:\\a\\b|c\\d", L"C:\\a\\"},
                                                                 {L"\\a.mp3", L"\\"},
                                                                 {L"a.mp3", L""},
                                                                 {L"", L""}};
    for (const auto &part : parts)
        EXPECT_EQ(part.second, cleanup::folder_part(part.first))
            << testing::PrintToString(std::wstring(part.first));
}

TEST_F(CleanupScan, FirstScanListsEveryFileInItsClassInFileSystemOrder) {
    std::wstring music = folder(L"music");
    std::vector<Named> table(std::begin(TRICKY_NAMES), std::end(TRICKY_NAMES));
    for (const Named &named : table)
        ASSERT_TRUE(make_file(music + L"\\" + named.name))
            << testing::PrintToString(std::wstring(named.name));
    table.push_back({L"hidden.mp3_work.mp3", FileClass::junk});
    ASSERT_TRUE(make_file(music + L"\\hidden.mp3_work.mp3", "x", FILE_ATTRIBUTE_HIDDEN));
    table.push_back({L"system.mp3", FileClass::mp3});
    ASSERT_TRUE(make_file(music + L"\\system.mp3", "x", FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN));
    // Folders, also one named like junk, are passed over and never entered.
    for (const wchar_t *name : {L"sub.mp3_work.mp3", L"dir.mp3", L"Other folder"}) {
        std::wstring sub = music + L"\\" + name;
        ASSERT_TRUE(make_folder(sub));
        ASSERT_TRUE(make_file(sub + L"\\inner.mp3_work.mp3"));
        ASSERT_TRUE(make_file(sub + L"\\inner.mp3"));
        ASSERT_TRUE(make_file(sub + L"\\inner.txt"));
    }
    Expected expected = expected_lists(music, table);
    ASSERT_EQ(4u, expected.junk.size());

    auto seen = choose(music);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(music + L"\\", cleanup::music_folder.path);
    EXPECT_EQ(expected.junk, list_items(ids::LIST_JUNK));
    EXPECT_EQ(expected.mp3, list_items(ids::LIST_MP3));
    EXPECT_EQ(expected.other, list_items(ids::LIST_OTHER));
    EXPECT_EQ(count_text(JUNK_PREFIX, 4), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(count_text(MP3_PREFIX, expected.mp3.size()), status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(count_text(OTHER_PREFIX, expected.other.size()), status_field(ids::FIELD_OTHER_COUNT));
    EXPECT_EQ(4, cleanup::music_folder.junk_count);
    EXPECT_EQ(static_cast<ui::Id>(expected.mp3.size()), cleanup::music_folder.mp3_count);
    EXPECT_EQ(static_cast<ui::Id>(expected.other.size()), cleanup::music_folder.other_count);
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK));
    expect_view_painted();

    // A rescan of the unchanged folder shows the same.
    cleanup::rescan();
    EXPECT_EQ(expected.junk, list_items(ids::LIST_JUNK));
    EXPECT_EQ(expected.mp3, list_items(ids::LIST_MP3));
    EXPECT_EQ(expected.other, list_items(ids::LIST_OTHER));
    EXPECT_EQ(count_text(JUNK_PREFIX, 4), status_field(ids::FIELD_JUNK_COUNT));
    expect_view_painted();
}

TEST_F(CleanupScan, DeleteButtonAfterFirstScanAndRescan) {
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\a.mp3"));

    choose(music);
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK)) << "first scan without junk";
    cleanup::rescan();
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK)) << "rescan without junk keeps the state";
    EXPECT_EQ(std::vector<std::wstring>{L"a.mp3"}, list_items(ids::LIST_MP3));

    // Files added outside the program.
    ASSERT_TRUE(make_file(music + L"\\new.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\b.txt"));
    cleanup::rescan();
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK)) << "rescan with junk enables";
    EXPECT_EQ(std::vector<std::wstring>{music + L"\\new.mp3_work.mp3"}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(std::vector<std::wstring>{L"b.txt"}, list_items(ids::LIST_OTHER));
    EXPECT_EQ(count_text(JUNK_PREFIX, 1), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(count_text(OTHER_PREFIX, 1), status_field(ids::FIELD_OTHER_COUNT));

    // Files removed and added outside: the fields of empty classes go blank, the button stays enabled.
    ASSERT_TRUE(DeleteFileW((music + L"\\new.mp3_work.mp3").c_str()));
    ASSERT_TRUE(DeleteFileW((music + L"\\b.txt").c_str()));
    ASSERT_TRUE(make_file(music + L"\\c.mp3"));
    cleanup::rescan();
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK)) << "rescan without junk keeps the state";
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_OTHER));
    std::vector<std::wstring> mp3 = bare_listing(music + L"\\*.mp3");
    EXPECT_EQ(mp3, list_items(ids::LIST_MP3));
    EXPECT_EQ(L"", status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(count_text(MP3_PREFIX, 2), status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(L"", status_field(ids::FIELD_OTHER_COUNT));
    EXPECT_EQ(0, cleanup::music_folder.junk_count);
    expect_view_painted();

    choose(music);
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK)) << "a new first scan without junk";
    ASSERT_TRUE(make_file(music + L"\\later.mp3_work.mp3"));
    choose(music);
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK)) << "a new first scan with junk";
}

TEST_F(CleanupScan, FirstScanKeepsAndRescanBlanksFieldsOfEmptyClasses) {
    std::wstring full = folder(L"full");
    ASSERT_TRUE(make_file(full + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(full + L"\\a.mp3"));
    ASSERT_TRUE(make_file(full + L"\\b.mp3"));
    ASSERT_TRUE(make_file(full + L"\\a.txt"));
    ASSERT_TRUE(make_file(full + L"\\b.txt"));
    ASSERT_TRUE(make_file(full + L"\\c.txt"));
    std::wstring empty = folder(L"empty");

    choose(full);
    EXPECT_EQ(count_text(JUNK_PREFIX, 1), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(count_text(MP3_PREFIX, 2), status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(count_text(OTHER_PREFIX, 3), status_field(ids::FIELD_OTHER_COUNT));

    // An empty folder yields only "." and "..": no file, so the first scan leaves the fields alone.
    choose(empty);
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_MP3));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_OTHER));
    EXPECT_EQ(count_text(JUNK_PREFIX, 1), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(count_text(MP3_PREFIX, 2), status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(count_text(OTHER_PREFIX, 3), status_field(ids::FIELD_OTHER_COUNT));
    EXPECT_EQ(0, cleanup::music_folder.junk_count);
    EXPECT_EQ(0, cleanup::music_folder.mp3_count);
    EXPECT_EQ(0, cleanup::music_folder.other_count);
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK));

    cleanup::rescan();
    EXPECT_EQ(L"", status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(L"", status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(L"", status_field(ids::FIELD_OTHER_COUNT));
    EXPECT_FALSE(enabled(ids::BUTTON_DELETE_JUNK));
    expect_view_painted();
}

TEST_F(CleanupScan, FolderThatCannotBeListedChangesNothing) {
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\a.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\a.mp3"));
    ASSERT_TRUE(make_file(music + L"\\a.txt"));
    choose(music);
    ViewState before = view_state();
    ASSERT_EQ(1u, before.junk.size());

    release_listing(MUSIC_LISTING);
    remove_tree(music);
    ASSERT_FALSE(exists(music));
    cleanup::rescan();
    expect_same_view(before, view_state());
    expect_view_painted();

    // A first scan that cannot list its folder leaves the counts; the button follows the junk count.
    cleanup::first_scan();
    expect_same_view(before, view_state());
    expect_view_painted();
}

TEST_F(CleanupScan, RescanAfterCancelledChoiceListsNothing) {
    std::wstring music = folder(L"music");
    ASSERT_TRUE(make_file(music + L"\\chosen.mp3_work.mp3"));
    ASSERT_TRUE(make_file(music + L"\\chosen.mp3"));
    std::wstring current = folder(L"current");
    ASSERT_TRUE(make_file(current + L"\\current.mp3_work.mp3"));
    ASSERT_TRUE(make_file(current + L"\\current.mp3"));
    ASSERT_TRUE(make_file(current + L"\\current.txt"));

    choose(music);
    choose(L"");
    ASSERT_EQ(L"", cleanup::music_folder.path);
    ViewState before = view_state();
    ASSERT_EQ(std::vector<std::wstring>{music + L"\\chosen.mp3_work.mp3"}, before.junk);

    // The rescan button, off-screen but reachable with Tab, must not fall back to the current directory.
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    cleanup::rescan();
    expect_same_view(before, view_state());

    // The delete button deletes what the earlier scan listed, nothing of the current directory.
    remove_answering(IDYES);
    EXPECT_FALSE(exists(music + L"\\chosen.mp3_work.mp3"));
    EXPECT_TRUE(exists(music + L"\\chosen.mp3"));
    EXPECT_TRUE(exists(current + L"\\current.mp3_work.mp3"));
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
}

// Thousands of files: no repaint per file, and whatever the status bar is told is current then.
TEST_F(CleanupScan, ThousandsOfFilesAreQuick) {
    constexpr int FILES = 3000;
    constexpr DWORD BOUND_MS = 2500; // a repaint per file costs about 5 ms under Wine: 15 s here
    std::wstring big = folder(L"big");
    const wchar_t *const suffixes[] = {L".mp3_work.mp3", L".mp3", L".jpg"};
    for (int i = 0; i < FILES; ++i)
        ASSERT_TRUE(make_file(big + L"\\f" + std::to_wstring(i) + suffixes[i % 3], ""));
    choose(folder(L"empty"));
    cleanup::music_folder.path = big + L"\\";

    DWORD start = GetTickCount();
    bare_listing(big + L"\\*.*");
    DWORD bare_ms = GetTickCount() - start;

    start = GetTickCount();
    cleanup::first_scan();
    DWORD first_ms = GetTickCount() - start;
    EXPECT_LT(first_ms, BOUND_MS) << "bare walk " << bare_ms << " ms";
    EXPECT_EQ(static_cast<size_t>(FILES / 3), list_items(ids::LIST_JUNK).size());
    EXPECT_EQ(static_cast<size_t>(FILES / 3), list_items(ids::LIST_MP3).size());
    EXPECT_EQ(count_text(JUNK_PREFIX, FILES / 3), status_field(ids::FIELD_JUNK_COUNT));
    EXPECT_EQ(count_text(MP3_PREFIX, FILES / 3), status_field(ids::FIELD_MP3_COUNT));
    EXPECT_EQ(count_text(OTHER_PREFIX, FILES / 3), status_field(ids::FIELD_OTHER_COUNT));
    EXPECT_TRUE(enabled(ids::BUTTON_DELETE_JUNK));
    expect_view_painted();

    start = GetTickCount();
    cleanup::rescan();
    DWORD rescan_ms = GetTickCount() - start;
    EXPECT_LT(rescan_ms, BOUND_MS) << "bare walk " << bare_ms << " ms";
    EXPECT_EQ(static_cast<size_t>(FILES / 3), list_items(ids::LIST_OTHER).size());
    expect_view_painted();

    // Once more, watching each count the status bar is told against its list at that moment.
    const std::pair<int, ui::Id> fields[] = {{ids::FIELD_JUNK_COUNT, ids::LIST_JUNK},
                                             {ids::FIELD_MP3_COUNT, ids::LIST_MP3},
                                             {ids::FIELD_OTHER_COUNT, ids::LIST_OTHER}};
    const wchar_t *const prefixes[] = {JUNK_PREFIX, MP3_PREFIX, OTHER_PREFIX};
    HWND bar = status_bar();
    std::vector<std::wstring> stale;
    size_t counts_told = 0;
    {
        SentMessageWatch watch([&](const CWPSTRUCT &sent) {
            if (sent.hwnd != bar || sent.message != SB_SETTEXTW)
                return;
            std::wstring text(reinterpret_cast<const wchar_t *>(sent.lParam));
            for (size_t i = 0; i < 3; ++i) {
                if (static_cast<int>(LOWORD(sent.wParam)) != fields[i].first || text.empty())
                    continue;
                ++counts_told;
                LRESULT items = SendMessageW(gadget(fields[i].second), LB_GETCOUNT, 0, 0);
                std::wstring current = count_text(prefixes[i], static_cast<size_t>(items));
                if (text != current)
                    stale.push_back(text + L" told while the list held " + current);
            }
        });
        cleanup::rescan();
    }
    EXPECT_GE(counts_told, 3u);
    EXPECT_EQ(std::vector<std::wstring>{}, stale);

    start = GetTickCount();
    remove_answering(IDYES);
    DWORD removal_ms = GetTickCount() - start;
    EXPECT_LT(removal_ms, BOUND_MS);
    std::cout << FILES << " files: bare walk " << bare_ms << " ms, first scan " << first_ms << " ms, rescan "
              << rescan_ms << " ms; removal of " << FILES / 3 << " junk files " << removal_ms << " ms\n";
    EXPECT_EQ(std::vector<std::wstring>{}, list_items(ids::LIST_JUNK));
    EXPECT_EQ(static_cast<size_t>(FILES - FILES / 3), bare_listing(big + L"\\f*").size());
    expect_view_painted();
}

} // namespace
