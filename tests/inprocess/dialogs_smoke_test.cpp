#include "tests/support/gui.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(DialogsSmoke, MessageBoxAnswered) {
    ASSERT_NE(nullptr, ui::open_window(0, 100, 200, 200, 180, L"Smoke", 0xC80000));
    answer_dialogs({{IDYES, L""}});
    EXPECT_EQ(6, ui::message_box(L"Titel", L"Text", 4));
    auto seen = answered();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(L"Titel", seen[0].title);
    EXPECT_EQ(L"Text", seen[0].text);
}

TEST(DialogsSmoke, ChooserAnswered) {
    CreateDirectoryW(L"C:\\smoke_folder", nullptr);
    answer_dialogs({{IDOK, L"C:\\smoke_folder"}});
    std::wstring chosen = ui::choose_folder(L"Prompt", L"C:\\");
    auto seen = answered();
    EXPECT_EQ(L"C:\\smoke_folder\\", chosen);
    ASSERT_EQ(1u, seen.size());
    EXPECT_NE(std::wstring::npos, seen[0].text.find(L"Prompt")) << std::string(seen[0].text.begin(), seen[0].text.end());
    answer_dialogs({{IDCANCEL, L""}});
    EXPECT_EQ(L"", ui::choose_folder(L"Prompt", L"C:\\"));
    answered();
}
