// Status bars: placement along the bottom of the inner area, the field layout with fixed widths and
// equal shares at several widths, the 256-field cap, texts, and replacing a bar.
#include "tests/inprocess/ui_test_helpers.h"

#include <commctrl.h>

using namespace ui_testing;

namespace {

constexpr UINT STATUS_BAR_CONTROL_ID = 0xE404040F;
constexpr int MIN_HEIGHT = 18;

std::vector<int> edges(HWND bar) {
    int count = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
    std::vector<int> parts(count > 0 ? count : 0);
    if (count > 0)
        SendMessageW(bar, SB_GETPARTS, count, reinterpret_cast<LPARAM>(parts.data()));
    return parts;
}

// The field's text and the drawing flags it was set with.
std::wstring field_text(HWND bar, int field, int *flags = nullptr) {
    LRESULT length_and_flags = SendMessageW(bar, SB_GETTEXTLENGTHW, field, 0);
    std::wstring text(LOWORD(length_and_flags) + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, field, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(LOWORD(length_and_flags));
    if (flags)
        *flags = HIWORD(length_and_flags);
    return text;
}

// The program's fields: 60, 100 and three equal shares.
void add_program_fields() {
    ui::add_status_field(60);
    ui::add_status_field(100);
    ui::add_status_field(ui::KEEP);
    ui::add_status_field(ui::KEEP);
    ui::add_status_field(ui::KEEP);
}

class UiStatusBar : public LayerTest {};

TEST_F(UiStatusBar, FieldEdgesAndPlacementFollowTheWindow) {
    if (!testing_support::screen_holds(1230, 380))
        return;
    HWND window = ui::open_window(0, 100, 200, 200, 180, L"Status", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    ui::create_menu(1, window);
    ui::add_menu_title(L"Datei");
    settle();

    HWND bar = ui::create_status_bar(4, window);
    ASSERT_NE(nullptr, bar);
    std::vector<Event> resized = only_code(settle(), ui::EVENT_WINDOW_RESIZED);
    ASSERT_EQ(1u, resized.size()) << "creating the bar reports the window's size once";
    EXPECT_EQ(0, resized[0].window);

    EXPECT_EQ(L"msctls_statusbar32", class_of(bar));
    EXPECT_EQ(window, GetParent(bar));
    EXPECT_EQ(STATUS_BAR_CONTROL_ID, static_cast<UINT>(GetWindowLongPtrW(bar, GWLP_ID)));
    LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, style & (WS_CHILD | WS_VISIBLE | WS_POPUP));
    EXPECT_EQ(0, style & SBARS_SIZEGRIP);
    EXPECT_EQ(Size({200, 180 - GetSystemMetrics(SM_CYMENU)}), client_size(window))
        << "the window is not enlarged";

    add_program_fields();
    EXPECT_EQ(std::vector<int>({60, 160, 173, 186, 199}), edges(bar));

    // Along the bottom of the inner area, across its width, at least the minimum height high.
    Size inner = client_size(window);
    Rect placed = child_rect(bar);
    EXPECT_EQ(0, placed.x);
    EXPECT_EQ(inner.width, placed.width);
    EXPECT_EQ(inner.height, placed.y + placed.height);
    EXPECT_GE(placed.height, MIN_HEIGHT);

    ASSERT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 1230, 380));
    EXPECT_EQ(1, count_code(settle(), ui::EVENT_WINDOW_RESIZED));
    EXPECT_EQ(std::vector<int>({60, 160, 516, 872, 1228}), edges(bar));
    inner = client_size(window);
    placed = child_rect(bar);
    EXPECT_EQ(Rect({0, inner.height - placed.height, 1230, placed.height}), placed);

    ASSERT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 200, 180));
    EXPECT_EQ(std::vector<int>({60, 160, 173, 186, 199}), edges(bar));
}

TEST_F(UiStatusBar, SizableWindowLeavesRoomForTheSizeGrip) {
    HWND window = ui::open_window(0, 100, 200, 400, 180, L"Status", WS_OVERLAPPEDWINDOW);
    ASSERT_NE(nullptr, window);
    HWND bar = ui::create_status_bar(4, window);
    ASSERT_NE(nullptr, bar);
    ui::add_status_field(100);
    ui::add_status_field(ui::KEEP);
    ui::add_status_field(ui::KEEP);
    RECT inner;
    GetClientRect(bar, &inner);
    int available = inner.right - (inner.bottom - 3);
    int share = (available - 100) / 2;
    EXPECT_EQ(std::vector<int>({100, 100 + share, 100 + 2 * share}), edges(bar))
        << "bar " << inner.right << "x" << inner.bottom;
}

TEST_F(UiStatusBar, TextsGoToTheNamedBarAndExistingFieldsOnly) {
    HWND window = ui::open_window(0, 100, 200, 200, 180, L"Status", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    HWND bar = ui::create_status_bar(4, window);
    ASSERT_NE(nullptr, bar);
    add_program_fields();
    ui::set_status_text(4, 0, L" Version");
    ui::set_status_text(4, 1, L"0.9 ");

    int flags = -1;
    EXPECT_EQ(L" Version", field_text(bar, 0, &flags));
    EXPECT_EQ(0, flags) << "sunken border, left-aligned";
    EXPECT_EQ(L"0.9 ", field_text(bar, 1));
    for (int field = 2; field < 5; ++field)
        EXPECT_EQ(L"", field_text(bar, field)) << "field " << field;

    ui::set_status_text(4, 2, L"Anzahl Müll-Dateien: 3");
    EXPECT_EQ(L"Anzahl Müll-Dateien: 3", field_text(bar, 2));
    ui::set_status_text(4, 2, L"Anzahl Müll-Dateien: 2");
    EXPECT_EQ(L"Anzahl Müll-Dateien: 2", field_text(bar, 2)) << "replaced at once";
    ui::set_status_text(4, 2, nullptr);
    EXPECT_EQ(L"", field_text(bar, 2));

    // A bar that does not exist, or a field that was never added: nothing changes.
    ui::set_status_text(99, 0, L"falsch");
    ui::set_status_text(-1, 0, L"falsch");
    ui::set_status_text(4, 5, L"falsch");
    ui::set_status_text(4, -1, L"falsch");
    ui::set_status_text(4, 0x100, L"falsch"); // would be field 0 with drawing flags
    EXPECT_EQ(L" Version", field_text(bar, 0));
    EXPECT_EQ(L"0.9 ", field_text(bar, 1));
    EXPECT_EQ(5u, edges(bar).size());
}

TEST_F(UiStatusBar, AtMost256Fields) {
    HWND window = ui::open_window(0, 100, 200, 1230, 180, L"Status", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    HWND bar = ui::create_status_bar(4, window);
    ASSERT_NE(nullptr, bar);
    const int width = client_size(window).width;
    for (int field = 0; field < 255; ++field)
        ui::add_status_field(1);
    // One past the last field is, with 255 fields, the text the bar shows in simple mode (SB_SIMPLEID)
    // and, with 256, field 0 with drawing flags (0x100): neither is written.
    ui::set_status_text(4, 0, L"erstes");
    ui::set_status_text(4, 255, L"falsch");
    SendMessageW(bar, SB_SIMPLE, TRUE, 0);
    EXPECT_EQ(L"", field_text(bar, 0)) << "the simple-mode text";
    SendMessageW(bar, SB_SIMPLE, FALSE, 0);
    ui::add_status_field(ui::KEEP); // the 256th takes the rest
    ui::set_status_text(4, 256, L"falsch");
    int flags = -1;
    EXPECT_EQ(L"erstes", field_text(bar, 0, &flags));
    EXPECT_EQ(0, flags);
    std::vector<int> parts = edges(bar);
    ASSERT_EQ(256u, parts.size());
    EXPECT_EQ(255, parts[254]);
    EXPECT_EQ(width, parts[255]);

    // More equal shares would shrink the 256th field; they are ignored instead.
    for (int field = 0; field < 10; ++field)
        ui::add_status_field(ui::KEEP);
    parts = edges(bar);
    ASSERT_EQ(256u, parts.size());
    EXPECT_EQ(width, parts[255]);

    // Index 255 is the bar's simple-mode text (SB_SIMPLEID), so 254 is the last one with a text.
    ui::set_status_text(4, 254, L"vorletztes");
    EXPECT_EQ(L"vorletztes", field_text(bar, 254));
    ASSERT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 1000, 180));
    EXPECT_EQ(1000, edges(bar).back());
}

TEST_F(UiStatusBar, NewBarReplacesTheOldAndTakesTheFields) {
    HWND first_window = ui::open_window(0, 100, 200, 200, 180, L"Eins", MAIN_FLAGS);
    HWND second_window = ui::open_window(1, 400, 200, 300, 180, L"Zwei", MAIN_FLAGS);
    ASSERT_NE(nullptr, first_window);
    ASSERT_NE(nullptr, second_window);
    HWND old_bar = ui::create_status_bar(4, first_window);
    ASSERT_NE(nullptr, old_bar);
    ui::add_status_field(50);

    HWND other_bar = ui::create_status_bar(5, second_window);
    ASSERT_NE(nullptr, other_bar);
    ui::add_status_field(70); // goes to the bar created last
    EXPECT_EQ(std::vector<int>({50}), edges(old_bar));
    EXPECT_EQ(std::vector<int>({70}), edges(other_bar));

    CbtWatch watch;
    HWND new_bar = ui::create_status_bar(4, first_window);
    ASSERT_NE(nullptr, new_bar);
    EXPECT_FALSE(IsWindow(old_bar));
    ASSERT_GE(watch.records.size(), 2u);
    EXPECT_EQ(CbtRecord::destroyed, watch.records.front().kind) << "the old bar goes first";
    EXPECT_EQ(old_bar, watch.records.front().window);
    ui::add_status_field(ui::KEEP);
    EXPECT_EQ(std::vector<int>({200}), edges(new_bar));
    ui::set_status_text(4, 0, L"neu");
    EXPECT_EQ(L"neu", field_text(new_bar, 0));
    EXPECT_EQ(nullptr, ui::create_status_bar(-1, first_window));
    EXPECT_EQ(nullptr, ui::create_status_bar(6, nullptr));
}

} // namespace
