// Gadgets: the controls behind buttons, texts and lists, replacing a gadget under its identifier,
// resizing and disabling, list items, and the notifications a list turns into gadget events.
#include "tests/inprocess/ui_test_helpers.h"

#include <climits>
#include <cstdint>

using namespace ui_testing;

namespace {

constexpr DWORD BUTTON_STYLE = 0x50030000;
constexpr DWORD TEXT_STYLE = 0x50020000;
constexpr DWORD LIST_STYLE = 0x50330141;
// The list box shows or hides its scroll bars itself, which the window system keeps in the style.
constexpr DWORD SCROLL_BARS = WS_VSCROLL | WS_HSCROLL;

HFONT gui_font() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

std::vector<std::wstring> items_of(ui::Id list) {
    std::vector<std::wstring> items;
    for (ui::Id index = 0; index < ui::count_items(list); ++index)
        items.push_back(ui::item_text(list, index));
    return items;
}

std::vector<std::wstring> words(std::initializer_list<const wchar_t *> texts) {
    return std::vector<std::wstring>(texts.begin(), texts.end());
}

class UiGadgets : public LayerTest {
  protected:
    HWND open_main() { return window = ui::open_window(0, 100, 200, 400, 300, L"Gadgets", MAIN_FLAGS); }
    HWND window = nullptr;
};

TEST_F(UiGadgets, ControlsHaveTheirClassesStylesIdentifiersAndFont) {
    EXPECT_EQ(nullptr, ui::create_button(5, 10, 30, 180, 40, L"ohne Fenster")) << "no window to put it in";

    ASSERT_NE(nullptr, open_main());
    ui::create_menu(1, window);
    ui::add_menu_title(L"Datei");
    CbtWatch watch;
    HWND button = ui::create_button(5, 10, 30, 180, 40, L"Knopf");
    HWND text = ui::create_text(9, 10, 80, 180, 20, L"Beschriftung");
    HWND list = ui::create_list(12, 10, 110, 180, 100);
    ASSERT_NE(nullptr, button);
    ASSERT_NE(nullptr, text);
    ASSERT_NE(nullptr, list);

    struct Expected {
        const char *kind;
        HWND handle;
        ui::Id id;
        const wchar_t *class_name;
        DWORD style;
        DWORD ex_style;
        Rect rect;
        const wchar_t *text;
    };
    const Expected all[] = {
        {"button", button, 5, L"Button", BUTTON_STYLE, 0, {10, 30, 180, 40}, L"Knopf"},
        {"text", text, 9, L"Static", TEXT_STYLE, 0, {10, 80, 180, 20}, L"Beschriftung"},
        {"list", list, 12, L"ListBox", LIST_STYLE, WS_EX_CLIENTEDGE, {10, 110, 180, 100}, L""},
    };
    ASSERT_EQ(3u, watch.records.size());
    for (size_t i = 0; i < 3; ++i) {
        const Expected &want = all[i];
        const CbtRecord &created = watch.records[i];
        EXPECT_EQ(want.handle, created.window) << want.kind;
        EXPECT_EQ(want.class_name, class_of(want.handle)) << want.kind;
        EXPECT_EQ(want.style, created.style) << want.kind << std::hex << ": asked for 0x" << created.style;
        EXPECT_EQ(want.ex_style, created.ex_style) << want.kind;
        EXPECT_EQ(window, created.parent) << want.kind;
        DWORD style = static_cast<DWORD>(GetWindowLongPtrW(want.handle, GWL_STYLE));
        EXPECT_EQ(want.style & ~SCROLL_BARS, style & ~SCROLL_BARS)
            << want.kind << std::hex << ": style 0x" << style;
        DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(want.handle, GWL_EXSTYLE));
        EXPECT_EQ(want.ex_style, ex_style & ~WS_EX_NOPARENTNOTIFY)
            << want.kind << std::hex << ": 0x" << ex_style;
        EXPECT_EQ(want.id, GetWindowLongPtrW(want.handle, GWLP_ID)) << want.kind;
        EXPECT_EQ(gui_font(), reinterpret_cast<HFONT>(SendMessageW(want.handle, WM_GETFONT, 0, 0)))
            << want.kind;
        EXPECT_EQ(want.rect, child_rect(want.handle))
            << want.kind << ": inner coordinates below the menu bar";
        EXPECT_EQ(want.text, testing_support::window_text(want.handle)) << want.kind;
        EXPECT_TRUE(IsWindowVisible(want.handle) && IsWindowEnabled(want.handle)) << want.kind;
    }
    EXPECT_EQ(BUTTON_STYLE, static_cast<DWORD>(GetWindowLongPtrW(button, GWL_STYLE)));
    EXPECT_EQ(TEXT_STYLE, static_cast<DWORD>(GetWindowLongPtrW(text, GWL_STYLE)));

    // A huge identifier is the control's identifier in full; a negative one creates nothing.
    const ui::Id huge = INTPTR_MAX;
    HWND big = ui::create_list(huge, 200, 30, 100, 100);
    ASSERT_NE(nullptr, big);
    EXPECT_EQ(huge, GetWindowLongPtrW(big, GWLP_ID));
    size_t before = watch.records.size();
    EXPECT_EQ(nullptr, ui::create_button(-1, 0, 0, 10, 10, L"negativ"));
    EXPECT_EQ(nullptr, ui::create_list(-5, 0, 0, 10, 10));
    EXPECT_EQ(before, watch.records.size());
    EXPECT_EQ(L"", testing_support::window_text(ui::create_text(10, 0, 0, 10, 10, nullptr)));
}

TEST_F(UiGadgets, NewGadgetReplacesTheOldOneOnlyOnceItExists) {
    ASSERT_NE(nullptr, open_main());
    HWND old_list = ui::create_list(12, 10, 10, 180, 100);
    ASSERT_NE(nullptr, old_list);
    ui::add_item(12, -1, L"alt");
    ASSERT_EQ(1, ui::count_items(12));

    CbtWatch watch;
    HWND new_list = ui::create_list(12, 10, 10, 180, 100);
    ASSERT_NE(nullptr, new_list);
    ASSERT_EQ(2u, watch.records.size());
    EXPECT_EQ(CbtRecord::created, watch.records[0].kind) << "the successor is created first";
    EXPECT_EQ(new_list, watch.records[0].window);
    EXPECT_EQ(CbtRecord::destroyed, watch.records[1].kind);
    EXPECT_EQ(old_list, watch.records[1].window);
    EXPECT_FALSE(IsWindow(old_list));
    EXPECT_EQ(0, ui::count_items(12)) << "the new list comes back empty";
    ui::add_item(12, -1, L"neu");
    EXPECT_EQ(words({L"neu"}), items_of(12));
    EXPECT_EQ(0, SendMessageW(new_list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(L"neu")));

    // A failed creation leaves the old gadget in place.
    {
        CbtWatch refuse(1);
        EXPECT_EQ(nullptr, ui::create_list(12, 10, 10, 180, 100));
    }
    EXPECT_TRUE(IsWindow(new_list));
    EXPECT_EQ(words({L"neu"}), items_of(12));

    // A gadget of another kind may take the identifier.
    HWND button = ui::create_button(12, 10, 10, 80, 30, L"Knopf");
    ASSERT_NE(nullptr, button);
    EXPECT_FALSE(IsWindow(new_list));
    EXPECT_EQ(0, ui::count_items(12)) << "a button has no items";
    ui::add_item(12, -1, L"ignoriert");
    EXPECT_EQ(L"", ui::item_text(12, 0));
}

TEST_F(UiGadgets, ResizeKeepsWhatIsNotGivenAndDisableGreysOut) {
    ASSERT_NE(nullptr, open_main());
    ui::create_menu(1, window);
    ui::add_menu_title(L"Datei");
    HWND button = ui::create_button(5, 10, 30, 180, 40, L"Knopf");
    HWND text = ui::create_text(9, 10, 80, 100, 20, L"Text");
    ASSERT_NE(nullptr, button);
    ASSERT_NE(nullptr, text);

    ui::resize_gadget(5, ui::KEEP, 50, ui::KEEP, 60);
    EXPECT_EQ(Rect({10, 50, 180, 60}), child_rect(button));
    ui::resize_gadget(5, 20, ui::KEEP, 100, ui::KEEP);
    EXPECT_EQ(Rect({20, 50, 100, 60}), child_rect(button));
    ui::resize_gadget(5, ui::KEEP, ui::KEEP, ui::KEEP, ui::KEEP);
    EXPECT_EQ(Rect({20, 50, 100, 60}), child_rect(button));
    ui::resize_gadget(9, 5, 6, 7, 8);
    EXPECT_EQ(Rect({5, 6, 7, 8}), child_rect(text));
    ui::resize_gadget(77, 1, 1, 1, 1); // nothing there

    ui::disable_gadget(5, 1);
    EXPECT_FALSE(IsWindowEnabled(button));
    ui::disable_gadget(5, 0);
    EXPECT_TRUE(IsWindowEnabled(button));
    ui::disable_gadget(9, 1);
    EXPECT_FALSE(IsWindowEnabled(text));
    ui::disable_gadget(77, 1);
    EXPECT_TRUE(IsWindowEnabled(button));
}

TEST_F(UiGadgets, ListItemsKeepTheirOrderAndOutOfRangeIndexesGiveNothing) {
    ASSERT_NE(nullptr, open_main());
    ASSERT_NE(nullptr, ui::create_list(12, 10, 10, 180, 100));
    EXPECT_EQ(0, ui::count_items(12));
    EXPECT_EQ(L"", ui::item_text(12, 0)) << "index 0 of an empty list";

    ui::add_item(12, -1, L"zwei.mp3");
    ui::add_item(12, -1, L"Äpfel.mp3_work.mp3");
    ui::add_item(12, -1, L"b");
    ui::add_item(12, 0, L"a");
    ui::add_item(12, -1, nullptr);
    EXPECT_EQ(words({L"a", L"zwei.mp3", L"Äpfel.mp3_work.mp3", L"b", L""}), items_of(12)) << "not sorted";
    EXPECT_EQ(5, ui::count_items(12));
    EXPECT_EQ(L"", ui::item_text(12, 5));
    EXPECT_EQ(L"", ui::item_text(12, -1));
    EXPECT_EQ(L"", ui::item_text(12, INT_MAX));
    EXPECT_EQ(L"", ui::item_text(99, 0)) << "no such list";
    EXPECT_EQ(0, ui::count_items(99));
    EXPECT_EQ(0, ui::count_items(-1));

    if (sizeof(ui::Id) > sizeof(int)) {
        // List boxes count with 32 bits; a wider index must not land on item 0 or 1.
        const ui::Id wide = static_cast<ui::Id>(UINT_MAX) + 1;
        EXPECT_EQ(L"", ui::item_text(12, wide));
        EXPECT_EQ(L"", ui::item_text(12, wide + 1));
        ui::remove_item(12, wide);
        ui::add_item(12, wide, L"falsch");
        EXPECT_EQ(5, ui::count_items(12));
        EXPECT_EQ(L"a", ui::item_text(12, 0));
    }

    ui::remove_item(12, 1);
    EXPECT_EQ(words({L"a", L"Äpfel.mp3_work.mp3", L"b", L""}), items_of(12)) << "the rest moves up";
    ui::remove_item(12, 4);
    ui::remove_item(12, -1);
    ui::remove_item(99, 0);
    EXPECT_EQ(4, ui::count_items(12));
    ui::remove_item(12, 0);
    EXPECT_EQ(words({L"Äpfel.mp3_work.mp3", L"b", L""}), items_of(12));
    ui::clear_items(12);
    EXPECT_EQ(0, ui::count_items(12));
    EXPECT_EQ(L"", ui::item_text(12, 0));
    ui::clear_items(99);

    // Items on a huge list identifier.
    const ui::Id huge = INTPTR_MAX;
    ASSERT_NE(nullptr, ui::create_list(huge, 200, 10, 180, 100));
    ui::add_item(huge, -1, L"x");
    EXPECT_EQ(1, ui::count_items(huge));
    EXPECT_EQ(L"x", ui::item_text(huge, 0));
}

TEST_F(UiGadgets, LongestItemsComeBackWhole) {
    ASSERT_NE(nullptr, open_main());
    HWND list = ui::create_list(12, 10, 10, 180, 100);
    ASSERT_NE(nullptr, list);
    for (size_t length : {size_t(1), size_t(259), size_t(32767), size_t(65535)}) {
        std::wstring item;
        for (size_t i = 0; i < length; ++i)
            item += static_cast<wchar_t>(L'a' + i % 26);
        ui::clear_items(12);
        ui::add_item(12, -1, item.c_str());
        ui::add_item(12, -1, L"danach");
        ASSERT_EQ(static_cast<LRESULT>(length), SendMessageW(list, LB_GETTEXTLEN, 0, 0))
            << "the list box took it";
        std::wstring read = ui::item_text(12, 0);
        EXPECT_EQ(length, read.size());
        EXPECT_TRUE(read == item) << "item of " << length << " characters differs";
        EXPECT_EQ(L"danach", ui::item_text(12, 1));
    }
}

// List notifications, driven by posted mouse and key messages and taken through the event wait.
class UiListEvents : public UiGadgets {
  protected:
    void SetUp() override {
        UiGadgets::SetUp();
        ASSERT_NE(nullptr, open_main());
        list = ui::create_list(LIST, 10, 10, 180, 150);
        ASSERT_NE(nullptr, list);
        for (const wchar_t *item : {L"eins", L"zwei", L"drei"})
            ui::add_item(LIST, -1, item);
        ASSERT_TRUE(activate(window));
        settle();
    }
    // A point inside entry `index`, `dx` and `dy` away from its top-left corner.
    LPARAM at(int index, int dx = 4, int dy = 2) {
        RECT item;
        SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
        return MAKELPARAM(item.left + dx, item.top + dy);
    }
    void post(UINT message, WPARAM keys, LPARAM where) { PostMessageW(list, message, keys, where); }
    std::vector<int> gadget_subtypes() {
        std::vector<int> subtypes;
        for (const Event &event : only_code(settle(), ui::EVENT_GADGET)) {
            EXPECT_EQ(LIST, event.carried);
            EXPECT_EQ(0, event.window);
            subtypes.push_back(event.subtype);
        }
        return subtypes;
    }
    int selected() { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)); }

    static constexpr ui::Id LIST = 12;
    HWND list = nullptr;
};

TEST_F(UiListEvents, SelectionChangeClickAndDoubleClick) {
    // The program choosing an entry is no user action.
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    EXPECT_EQ(std::vector<int>(), gadget_subtypes());

    // A key that moves the selection: one selection change.
    post(WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(std::vector<int>({ui::SUBTYPE_PRESSED}), gadget_subtypes());
    EXPECT_EQ(1, selected());

    // A plain click: the release, then the list box's own selection notification, which it sends
    // on every click, also on the entry already selected.
    const std::vector<int> click = {ui::SUBTYPE_PRESSED, ui::SUBTYPE_PRESSED};
    post(WM_LBUTTONDOWN, MK_LBUTTON, at(2));
    post(WM_LBUTTONUP, 0, at(2));
    EXPECT_EQ(click, gadget_subtypes());
    EXPECT_EQ(2, selected());
    post(WM_LBUTTONDOWN, MK_LBUTTON, at(2));
    post(WM_LBUTTONUP, 0, at(2));
    EXPECT_EQ(click, gadget_subtypes());

    // A double click: the first click as above, then the double click; the second release follows
    // no plain press.
    post(WM_LBUTTONDOWN, MK_LBUTTON, at(1));
    post(WM_LBUTTONUP, 0, at(1));
    post(WM_LBUTTONDBLCLK, MK_LBUTTON, at(1));
    post(WM_LBUTTONUP, 0, at(1));
    EXPECT_EQ(std::vector<int>({ui::SUBTYPE_PRESSED, ui::SUBTYPE_PRESSED, ui::SUBTYPE_DOUBLE_CLICK}),
              gadget_subtypes());
    EXPECT_EQ(1, selected());
}

TEST_F(UiListEvents, ClickIsReportedAgainOnceHeldPaintingResumes) {
    // While its painting is held a list is not watched; resuming watches it again, once.
    ui::hold_gadget_painting(LIST);
    ui::add_item(LIST, -1, L"vier");
    ui::resume_gadget_painting(LIST);
    ui::resume_gadget_painting(LIST);
    settle();
    post(WM_LBUTTONDOWN, MK_LBUTTON, at(3));
    post(WM_LBUTTONUP, 0, at(3));
    EXPECT_EQ(std::vector<int>({ui::SUBTYPE_PRESSED, ui::SUBTYPE_PRESSED}), gadget_subtypes());
    EXPECT_EQ(3, selected());
}

TEST_F(UiListEvents, PressesThatAreNotPlainOrNotOnAnEntryGiveNoRelease) {
    post(WM_LBUTTONDOWN, MK_LBUTTON, at(2));
    post(WM_LBUTTONUP, 0, at(2));
    settle();
    ASSERT_EQ(2, selected());

    // Below the last entry, inside the list.
    RECT inner;
    GetClientRect(list, &inner);
    LPARAM empty = MAKELPARAM(20, inner.bottom - 5);
    post(WM_LBUTTONDOWN, MK_LBUTTON, empty);
    post(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, inner.bottom - 5));
    post(WM_LBUTTONUP, 0, MAKELPARAM(60, inner.bottom - 5));
    EXPECT_EQ(std::vector<int>(), gadget_subtypes()) << "press below the entries";

    // With Ctrl or Shift held: neither a release nor a drag, only the list box's notification.
    for (WPARAM key : {WPARAM(MK_CONTROL), WPARAM(MK_SHIFT)}) {
        post(WM_LBUTTONDOWN, MK_LBUTTON | key, at(2));
        post(WM_MOUSEMOVE, MK_LBUTTON | key, at(2, 4 + 2 * GetSystemMetrics(SM_CXDRAG)));
        post(WM_LBUTTONUP, key, at(2));
        EXPECT_EQ(std::vector<int>({ui::SUBTYPE_PRESSED}), gadget_subtypes()) << "key " << key;
        EXPECT_EQ(2, selected()) << "key " << key;
    }
}

TEST_F(UiListEvents, DragBeyondTheSystemDistanceIsReportedOnce) {
    const int cx = GetSystemMetrics(SM_CXDRAG), cy = GetSystemMetrics(SM_CYDRAG);
    ASSERT_GT(cx, 0);
    ASSERT_GT(cy, 0);
    post(WM_LBUTTONDOWN, MK_LBUTTON, at(0, 4, 1));
    post(WM_MOUSEMOVE, MK_LBUTTON, at(0, 4 + cx, 1)); // exactly the distance: not yet
    post(WM_MOUSEMOVE, MK_LBUTTON, at(0, 4 - cx, 1 + cy));
    EXPECT_EQ(std::vector<int>(), gadget_subtypes()) << "within the drag distance";
    post(WM_MOUSEMOVE, MK_LBUTTON, at(0, 5 + cx, 1));
    post(WM_MOUSEMOVE, MK_LBUTTON, at(0, 9 + cx, 1));
    EXPECT_EQ(std::vector<int>({ui::SUBTYPE_DRAG}), gadget_subtypes());
    post(WM_LBUTTONUP, 0, at(0, 9 + cx, 1));
    EXPECT_EQ(std::vector<int>({ui::SUBTYPE_PRESSED, ui::SUBTYPE_PRESSED}), gadget_subtypes())
        << "the release after the drag and the list box's notification";

    // Vertically, and without the button held nothing counts.
    post(WM_LBUTTONDOWN, MK_LBUTTON, at(0, 4, 1));
    post(WM_MOUSEMOVE, 0, at(0, 4, 2 + cy));
    EXPECT_EQ(std::vector<int>(), gadget_subtypes());
    post(WM_MOUSEMOVE, MK_LBUTTON, at(0, 4, 2 + cy));
    post(WM_LBUTTONUP, 0, at(0, 4, 2 + cy));
    EXPECT_EQ(std::vector<int>({ui::SUBTYPE_DRAG, ui::SUBTYPE_PRESSED, ui::SUBTYPE_PRESSED}),
              gadget_subtypes());
}

TEST_F(UiListEvents, HugeListIdentifierIsCarriedWhole) {
    const ui::Id huge = INTPTR_MAX;
    HWND big = ui::create_list(huge, 200, 10, 150, 100);
    ASSERT_NE(nullptr, big);
    ui::add_item(huge, -1, L"eins");
    ui::add_item(huge, -1, L"zwei");
    settle();
    PostMessageW(big, WM_KEYDOWN, VK_DOWN, 0);
    std::vector<Event> events = only_code(settle(), ui::EVENT_GADGET);
    ASSERT_EQ(1u, events.size());
    EXPECT_EQ(Event({ui::EVENT_GADGET, huge, 0, ui::SUBTYPE_PRESSED}), events[0]);
}

} // namespace
