// Numbered directory listings on real folders, checked against a bare FindFirstFileW walk.
#include "cleanup/listing.h"
#include "cleanup/long_paths.h"
#include "tests/inprocess/cleanup_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace cleanup_testing;

namespace {

constexpr ui::Id LISTING = 40;
constexpr ui::Id OTHER_LISTING = 41;

// The entries a listing yields from where it stands, folders with a trailing backslash.
std::vector<std::wstring> rest_of(ui::Id number) {
    std::vector<std::wstring> entries;
    while (listing::next(number))
        entries.push_back(listing::entry_name(number) +
                          (listing::entry_type(number) == listing::ENTRY_FOLDER ? L"\\" : L""));
    return entries;
}

bool contains(const std::vector<std::wstring> &entries, const std::wstring &entry) {
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

class CleanupListing : public CleanupTest {
  protected:
    void TearDown() override {
        release_listing(LISTING);
        release_listing(OTHER_LISTING);
        CleanupTest::TearDown();
    }

    // Names chosen so that the file system's order is neither creation order nor a locale sort.
    std::wstring mixed_folder() {
        std::wstring path = folder(L"mixed");
        EXPECT_TRUE(make_file(path + L"\\zeta.mp3"));
        EXPECT_TRUE(make_file(path + L"\\_under.txt"));
        EXPECT_TRUE(make_file(path + L"\\Alpha.MP3"));
        EXPECT_TRUE(make_file(path + L"\\hidden.mp3_work.mp3", "x", FILE_ATTRIBUTE_HIDDEN));
        EXPECT_TRUE(make_file(path + L"\\system.ini", "x", FILE_ATTRIBUTE_SYSTEM));
        EXPECT_TRUE(make_file(path + L"\\both.dat", "x", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
        EXPECT_TRUE(make_file(path + L"\\~tilde.jpg"));
        EXPECT_TRUE(make_file(path + L"\\Gr\u00fc\u00dfe \u266b.mp3"));
        EXPECT_TRUE(make_folder(path + L"\\Sub"));
        EXPECT_TRUE(make_folder(path + L"\\hidden folder"));
        SetFileAttributesW((path + L"\\hidden folder").c_str(), FILE_ATTRIBUTE_HIDDEN);
        EXPECT_TRUE(make_file(path + L"\\beta.mp3"));
        return path;
    }
};

TEST_F(CleanupListing, DeliversEveryEntryInTheFileSystemsOrder) {
    std::wstring path = mixed_folder();
    ASSERT_TRUE(attributes_of(path + L"\\hidden.mp3_work.mp3") & FILE_ATTRIBUTE_HIDDEN)
        << "hidden not kept here";
    ASSERT_TRUE(attributes_of(path + L"\\system.ini") & FILE_ATTRIBUTE_SYSTEM) << "system not kept here";
    std::vector<std::wstring> bare = bare_listing(path + L"\\*.*");

    ASSERT_NE(0, listing::open(LISTING, path.c_str(), L"*.*"));
    std::vector<std::wstring> listed = rest_of(LISTING);
    EXPECT_EQ(bare, listed);
    for (const wchar_t *entry : {L".\\", L"..\\", L"hidden.mp3_work.mp3", L"system.ini", L"both.dat",
                                 L"hidden folder\\", L"Sub\\", L"Gr\u00fc\u00dfe \u266b.mp3"})
        EXPECT_TRUE(contains(listed, entry)) << "missing " << testing::PrintToString(std::wstring(entry));

    // At the end the listing stays open and keeps saying so.
    EXPECT_EQ(0, listing::next(LISTING));
    EXPECT_EQ(0, listing::next(LISTING));
    EXPECT_NE(listing::ENTRY_NONE, listing::entry_type(LISTING));
}

TEST_F(CleanupListing, SearchTextRules) {
    std::wstring path = mixed_folder();
    std::vector<std::wstring> all = bare_listing(path + L"\\*.*");
    std::vector<std::wstring> mp3 = bare_listing(path + L"\\*.mp3");
    ASSERT_LT(mp3.size(), all.size());

    ASSERT_NE(0, listing::open(LISTING, (path + L"\\").c_str(), L"*.*"));
    EXPECT_EQ(all, rest_of(LISTING)) << "folder with a trailing backslash";
    ASSERT_NE(0, listing::open(LISTING, path.c_str(), L"*.mp3"));
    EXPECT_EQ(mp3, rest_of(LISTING)) << "pattern after the folder";
    ASSERT_NE(0, listing::open(LISTING, (path + L"\\").c_str(), L"*.mp3"));
    EXPECT_EQ(mp3, rest_of(LISTING)) << "no second backslash";
    ASSERT_NE(0, listing::open(LISTING, path.c_str(), L""));
    EXPECT_EQ(all, rest_of(LISTING)) << "empty pattern";
    ASSERT_NE(0, listing::open(LISTING, path.c_str(), nullptr));
    EXPECT_EQ(all, rest_of(LISTING)) << "absent pattern";

    // An empty folder text is the pattern alone: the current directory.
    ASSERT_TRUE(SetCurrentDirectoryW(path.c_str()));
    ASSERT_NE(0, listing::open(LISTING, L"", L"*.mp3"));
    EXPECT_EQ(mp3, rest_of(LISTING)) << "empty folder";
    ASSERT_NE(0, listing::open(LISTING, nullptr, nullptr));
    EXPECT_EQ(all, rest_of(LISTING)) << "absent folder";
}

TEST_F(CleanupListing, FolderWithoutMatchesIsAnEmptyListing) {
    std::wstring path = mixed_folder();
    WIN32_FIND_DATAW entry;
    ASSERT_EQ(INVALID_HANDLE_VALUE, FindFirstFileW((path + L"\\*.nomatch").c_str(), &entry));
    ASSERT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), GetLastError());

    ASSERT_NE(0, listing::open(LISTING, path.c_str(), L"*.nomatch"));
    EXPECT_NE(listing::ENTRY_NONE, listing::entry_type(LISTING)) << "the listing must exist";
    EXPECT_EQ(0, listing::next(LISTING));
    EXPECT_EQ(L"", listing::entry_name(LISTING));
}

TEST_F(CleanupListing, FolderThatCannotBeListedLeavesNoListing) {
    std::wstring path = mixed_folder();
    const std::wstring cannot_list[] = {root + L"\\missing", root + L"\\missing\\deeper",
                                        path + L"\\zeta.mp3", // a file, not a folder
                                        root + L"\\bad<name>"};
    for (const std::wstring &text : cannot_list) {
        ASSERT_NE(0, listing::open(LISTING, path.c_str(), L"*.*"));
        ASSERT_NE(0, listing::next(LISTING));
        EXPECT_EQ(0, listing::open(LISTING, text.c_str(), L"*.*")) << testing::PrintToString(text);
        EXPECT_EQ(0, listing::next(LISTING)) << testing::PrintToString(text);
        EXPECT_EQ(listing::ENTRY_NONE, listing::entry_type(LISTING)) << testing::PrintToString(text);
        EXPECT_EQ(L"", listing::entry_name(LISTING)) << testing::PrintToString(text);
    }
    EXPECT_EQ(0, listing::next(12345)) << "a number never opened";
    EXPECT_EQ(listing::ENTRY_NONE, listing::entry_type(12345));
}

TEST_F(CleanupListing, ReopeningReleasesTheEarlierListing) {
    std::wstring first = folder(L"first");
    std::wstring second = folder(L"second");
    ASSERT_TRUE(make_file(first + L"\\one.mp3"));
    ASSERT_TRUE(make_file(first + L"\\two.mp3"));
    ASSERT_TRUE(make_file(second + L"\\three.txt"));

    // Numbers are independent of each other.
    ASSERT_NE(0, listing::open(LISTING, first.c_str(), L"*.*"));
    ASSERT_NE(0, listing::open(OTHER_LISTING, second.c_str(), L"*.*"));
    ASSERT_NE(0, listing::next(LISTING));
    EXPECT_EQ(bare_listing(second + L"\\*.*"), rest_of(OTHER_LISTING));

    // Reopened half-way, the number starts afresh on the new folder and lets go of the old one.
    ASSERT_NE(0, listing::open(LISTING, second.c_str(), L"*.*"));
    EXPECT_EQ(bare_listing(second + L"\\*.*"), rest_of(LISTING));
    remove_tree(first);
    EXPECT_FALSE(exists(first)) << "the first folder is still held by its search";
}

TEST_F(CleanupListing, OverlongFolderTextIsRefusedNotCut) {
    // A folder of exactly 260 units, and one inside it: cut to 260, the inner one's text would name the
    // outer.
    std::wstring outer = root + L"\\" + std::wstring(260 - root.size() - 1, L'q');
    ASSERT_EQ(260u, outer.size());
    ASSERT_TRUE(make_folder(outer));
    ASSERT_TRUE(make_file(outer + L"\\outer.mp3"));
    std::wstring inner = outer + L"\\in";
    ASSERT_TRUE(make_folder(inner));
    ASSERT_TRUE(make_file(inner + L"\\inner.mp3"));

    ASSERT_NE(0, listing::open(LISTING, outer.c_str(), L"*.mp3")) << "260 units are accepted";
    ASSERT_NE(0, listing::next(LISTING));
    EXPECT_EQ(L"outer.mp3", listing::entry_name(LISTING));

    EXPECT_EQ(0, listing::open(LISTING, inner.c_str(), L"*.mp3"));
    EXPECT_EQ(listing::ENTRY_NONE, listing::entry_type(LISTING)) << "the earlier listing must be gone";
    EXPECT_EQ(0, listing::next(LISTING));
    EXPECT_EQ(0, listing::open(LISTING, (outer + L"x").c_str(), L"*.mp3"));
    EXPECT_EQ(0, listing::next(LISTING));
}

TEST_F(CleanupListing, FolderWhoseSearchTextPassesMaxPathIsListed) {
    // Only Windows can make this fail: Wine lists plain search texts past MAX_PATH as well.
    // The chooser's longest folder, 259 units and the trailing backslash: with the pattern the search
    // text has 263 units, which Windows refuses in the plain form.
    std::wstring longest = root + L"\\" + std::wstring(259 - root.size() - 1, L'p');
    ASSERT_TRUE(make_folder(longest));
    ASSERT_TRUE(make_file(longest + L"\\song.mp3_work.mp3"));
    ASSERT_TRUE(make_file(longest + L"\\song.mp3"));
    std::vector<std::wstring> bare = bare_listing(extended(longest) + L"\\*.*");
    ASSERT_EQ(4u, bare.size());

    ASSERT_NE(0, listing::open(LISTING, (longest + L"\\").c_str(), L"*.*"));
    EXPECT_EQ(bare, rest_of(LISTING));
    // The \\?\ form takes slashes literally: the text is normalised before it is passed.
    std::wstring slashed = longest;
    std::replace(slashed.begin(), slashed.end(), L'\\', L'/');
    ASSERT_NE(0, listing::open(LISTING, slashed.c_str(), L"*.*"));
    EXPECT_EQ(bare, rest_of(LISTING)) << "written with slashes";
}

TEST_F(CleanupListing, LongPathsAreJudgedByTheirAbsoluteForm) {
    // A current folder so deep that short relative texts name paths past MAX_PATH.
    const std::wstring current = folder(std::wstring(200 - root.size() - 1, L'c'));
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));
    const std::wstring name = std::wstring(80, L'n') + L".mp3_work.mp3";
    const std::wstring absolute = L"\\\\?\\" + current + L"\\" + name;
    ASSERT_LT(name.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(absolute, cleanup::path_file_calls_accept(name)) << "relative";
    EXPECT_EQ(absolute, cleanup::path_file_calls_accept(current.substr(0, 2) + name)) << "drive-relative";
    EXPECT_EQ(absolute, cleanup::path_file_calls_accept(name + L". .")) << "trailing dots and blanks";
    EXPECT_EQ(L"x.mp3", cleanup::path_file_calls_accept(L"x.mp3")) << "short relative";

    // Device and extended paths keep their own form.
    for (const std::wstring &kept :
         {L"\\\\.\\" + current + L"\\" + name, absolute, std::wstring(L"\\\\?\\C:\\x\\..\\y")})
        EXPECT_EQ(kept, cleanup::path_file_calls_accept(kept));
}

TEST(CleanupLongPaths, ExtendedFormFromMaxPathOn) {
    const std::wstring pattern = L"\\*.*";
    const struct {
        std::wstring start, extended_start;
    } starts[] = {{L"C:\\", L"\\\\?\\C:\\"}, {L"\\\\server\\share\\", L"\\\\?\\UNC\\server\\share\\"}};
    const struct {
        size_t units; // of the search text, pattern included
        bool extended;
    } edges[] = {{259, false}, {260, true}, {261, true}};
    for (const auto &start : starts)
        for (const auto &edge : edges) {
            std::wstring folder(edge.units - start.start.size() - pattern.size(), L'f');
            std::wstring text = start.start + folder + pattern;
            ASSERT_EQ(edge.units, text.size());
            EXPECT_EQ(edge.extended ? start.extended_start + folder + pattern : text,
                      cleanup::path_file_calls_accept(text))
                << testing::PrintToString(start.start) << ", " << edge.units << " units";
        }
}

} // namespace
