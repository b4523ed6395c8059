// The event wait: which messages become which events, the queue of window events with its duplicate
// suppression, the produced-event slot, and Tab / Shift+Tab navigation through the accelerators.
#include "tests/inprocess/ui_test_helpers.h"

#include <cstdint>

using namespace ui_testing;

namespace {

constexpr LPARAM TAB_KEY_DATA = 0x000F0001;    // one press, scan code of Tab
constexpr LPARAM ALT_F4_KEY_DATA = 0x203E0001; // one press, scan code of F4, Alt held
constexpr UINT_PTR MENU_GUARD_TIMER = 0x4B47;

HWND open_plain(ui::Id id, int x = 100, int y = 200) {
    return ui::open_window(id, x, y, 200, 180, L"Ereignisse", MAIN_FLAGS);
}

LPARAM point(int x, int y) { return MAKELPARAM(x, y); }

void click(HWND control, int x = 5, int y = 5) {
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, point(x, y));
    PostMessageW(control, WM_LBUTTONUP, 0, point(x, y));
}

class UiEvents : public LayerTest {};

TEST_F(UiEvents, EveryWayOfAskingToCloseGivesOneCloseEventAndTheWindowStays) {
    HWND window = open_plain(0);
    ASSERT_NE(nullptr, window);
    settle();

    struct Way {
        const char *name;
        UINT message;
        WPARAM wparam;
        LPARAM lparam;
    };
    const Way ways[] = {{"WM_CLOSE", WM_CLOSE, 0, 0},
                        {"SC_CLOSE", WM_SYSCOMMAND, SC_CLOSE, 0},
                        {"Alt+F4", WM_SYSKEYDOWN, VK_F4, ALT_F4_KEY_DATA}};
    for (const Way &way : ways) {
        PostMessageW(window, way.message, way.wparam, way.lparam);
        std::vector<Event> closes = only_code(settle(), ui::EVENT_CLOSE);
        ASSERT_EQ(1u, closes.size()) << way.name;
        EXPECT_EQ(0, closes[0].window) << way.name;
        EXPECT_TRUE(IsWindow(window) && IsWindowVisible(window)) << way.name << ": the window was closed";
        EXPECT_EQ(window, ui::window_handle(0)) << way.name;
    }

    // Closing again reports again; each window reports as itself.
    HWND second = open_plain(7, 400, 200);
    ASSERT_NE(nullptr, second);
    settle();
    PostMessageW(second, WM_CLOSE, 0, 0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    std::vector<Event> closes = only_code(settle(), ui::EVENT_CLOSE);
    ASSERT_EQ(2u, closes.size());
    EXPECT_EQ(7, closes[0].window);
    EXPECT_EQ(0, closes[1].window);
}

TEST_F(UiEvents, ButtonPressIsAGadgetEventCarryingTheGadget) {
    ASSERT_NE(nullptr, open_plain(0));
    HWND button = ui::create_button(5, 10, 30, 180, 40, L"Knopf");
    const ui::Id huge = INTPTR_MAX;
    HWND huge_button = ui::create_button(huge, 10, 80, 180, 40, L"Groß");
    ASSERT_NE(nullptr, button);
    ASSERT_NE(nullptr, huge_button);
    settle();

    click(button);
    std::vector<Event> gadget_events = only_code(settle(), ui::EVENT_GADGET);
    ASSERT_EQ(1u, gadget_events.size());
    EXPECT_EQ(Event({ui::EVENT_GADGET, 5, 0, ui::SUBTYPE_PRESSED}), gadget_events[0]);
    // The waits after a gadget event report no subtype.
    EXPECT_EQ(-1, ui::event_subtype());

    // The identifier comes from the control, not from the 16 bits of the command.
    PostMessageW(huge_button, BM_CLICK, 0, 0);
    gadget_events = only_code(settle(), ui::EVENT_GADGET);
    ASSERT_EQ(1u, gadget_events.size());
    EXPECT_EQ(huge, gadget_events[0].carried);
    EXPECT_EQ(ui::SUBTYPE_PRESSED, gadget_events[0].subtype);
}

void CALLBACK end_menu_if_open(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

TEST_F(UiEvents, MenuChoiceIsAMenuEventCarryingTheItem) {
    HWND window = open_plain(0);
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, ui::create_menu(1, window));
    ui::add_menu_title(L"Datei");
    ui::add_menu_item(2, L"Beenden");
    ui::add_menu_title(L"Information");
    ui::add_menu_item(3, L"über...");
    ASSERT_TRUE(activate(window));
    settle();

    // Through the real menu: F10-style menu mode, down into "Datei", Enter on its first item. The
    // menu's own loop takes the keys; a timer ends the menu should it not.
    UINT_PTR guard = SetTimer(nullptr, MENU_GUARD_TIMER, 3000, end_menu_if_open);
    PostMessageW(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
    Event chosen = wait_for_code(ui::EVENT_MENU);
    KillTimer(nullptr, guard);
    EXPECT_EQ(Event({ui::EVENT_MENU, 2, 0, -1}), chosen);
    EXPECT_EQ(0, count_code(settle(), ui::EVENT_MENU)) << "one choice, one event";

    // The command a menu item sends, for the second item.
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(3, 0), 0);
    Event event = next_event();
    EXPECT_EQ(ui::EVENT_MENU, event.code);
    EXPECT_EQ(3, ui::event_menu_item());
    EXPECT_EQ(3, ui::event_gadget()) << "one field serves both";
}

TEST_F(UiEvents, TimerIsATimerEventCarryingItsNumber) {
    HWND window = open_plain(3);
    ASSERT_NE(nullptr, window);
    open_plain(4, 400, 200);
    settle();
    ASSERT_NE(0u, SetTimer(window, 42, 10, nullptr));
    Event event = wait_for_code(ui::EVENT_TIMER);
    KillTimer(window, 42);
    EXPECT_EQ(Event({ui::EVENT_TIMER, 42, 3, -1}), event);
}

TEST_F(UiEvents, QueueDropsAnEventEqualToItsNewestEntry) {
    // Hidden, so that nothing is painted between the two resizes.
    HWND hidden = ui::open_window(0, 100, 200, 200, 180, L"Versteckt", MAIN_FLAGS | ui::FLAG_HIDDEN);
    ASSERT_NE(nullptr, hidden);
    ASSERT_FALSE(IsWindowVisible(hidden));
    settle();
    ASSERT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 300, 200));
    ASSERT_NE(0, ui::resize_window(0, ui::KEEP, ui::KEEP, 400, 250));
    std::vector<Event> events = settle();
    EXPECT_EQ(std::vector<int>({ui::EVENT_WINDOW_RESIZED}), codes_of(events));
    EXPECT_EQ(Size({400, 250}), client_size(hidden));

    // Only the newest entry counts: a resize behind a move is queued again, and so is one for
    // another window.
    HWND other = ui::open_window(1, 500, 200, 200, 180, L"Andere", MAIN_FLAGS | ui::FLAG_HIDDEN);
    ASSERT_NE(nullptr, other);
    settle();
    SendMessageW(hidden, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 250));
    SendMessageW(hidden, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 250));
    SendMessageW(hidden, WM_MOVE, 0, MAKELPARAM(100, 200));
    SendMessageW(hidden, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 250));
    SendMessageW(other, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 180));
    SendMessageW(hidden, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 250));
    std::vector<Event> expected = {{ui::EVENT_WINDOW_RESIZED, 0, 0, -1},
                                   {ui::EVENT_WINDOW_MOVED, 0, 0, -1},
                                   {ui::EVENT_WINDOW_RESIZED, 0, 0, -1},
                                   {ui::EVENT_WINDOW_RESIZED, 0, 1, -1},
                                   {ui::EVENT_WINDOW_RESIZED, 0, 0, -1}};
    events = settle();
    for (Event &event : events)
        event.carried = 0; // not part of a window event
    EXPECT_EQ(expected, events);

    // A taken entry no longer suppresses anything.
    SendMessageW(hidden, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 250));
    EXPECT_EQ(ui::EVENT_WINDOW_RESIZED, next_event().code);
    SendMessageW(hidden, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 250));
    EXPECT_EQ(ui::EVENT_WINDOW_RESIZED, next_event().code);
}

TEST_F(UiEvents, SizeNotificationsGiveMinimiseMaximiseAndRestoreEvents) {
    HWND window = ui::open_window(0, 100, 200, 200, 180, L"Größe", MAIN_FLAGS | ui::FLAG_HIDDEN);
    ASSERT_NE(nullptr, window);
    settle();
    SendMessageW(window, WM_SIZE, SIZE_MINIMIZED, 0);
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 180));
    SendMessageW(window, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(1600, 1000));
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 180));
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 180)); // no restore without a change
    SendMessageW(window, WM_ERASEBKGND, 0, 0);
    EXPECT_EQ(
        std::vector<int>({ui::EVENT_WINDOW_MINIMISED, ui::EVENT_WINDOW_RESTORED, ui::EVENT_WINDOW_RESIZED,
                          ui::EVENT_WINDOW_MAXIMISED, ui::EVENT_WINDOW_RESIZED, ui::EVENT_WINDOW_RESTORED,
                          ui::EVENT_WINDOW_RESIZED, ui::EVENT_REPAINT}),
        codes_of(settle()));
}

TEST_F(UiEvents, RepaintGivesFifteenTwiceTheMessageThenTheQueuedEvent) {
    HWND window = open_plain(0);
    ASSERT_NE(nullptr, window);
    settle();
    UpdateWindow(window); // paints what opening left pending, outside the wait
    settle();

    // WM_PAINT is 15, and erasing the background while it is handled queues the repaint event 15.
    InvalidateRect(window, nullptr, TRUE);
    Event painted = wait_for_code(WM_PAINT);
    EXPECT_EQ(static_cast<int>(WM_PAINT), painted.code);
    EXPECT_EQ(0, painted.window);
    std::vector<Event> queued = settle();
    ASSERT_EQ(std::vector<int>({ui::EVENT_REPAINT}), codes_of(queued)) << "after the message, the event";
    EXPECT_EQ(0, queued[0].window);
}

TEST_F(UiEvents, ProducedEventComesWithTheWaitThatDispatchedItsMessage) {
    HWND window = open_plain(0);
    ASSERT_NE(nullptr, window);
    HWND button = ui::create_button(6, 10, 80, 180, 40, L"Knopf");
    ASSERT_NE(nullptr, button);
    settle();

    // A queued window event comes first and takes nothing from the message queue.
    SendMessageW(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 180));
    PostMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(Event({ui::EVENT_WINDOW_RESIZED, ui::event_gadget(), 0, -1}), next_event());
    MSG waiting;
    EXPECT_TRUE(PeekMessageW(&waiting, button, BM_CLICK, BM_CLICK, PM_NOREMOVE))
        << "the click was taken early";
    EXPECT_EQ(Event({ui::EVENT_GADGET, 6, 0, ui::SUBTYPE_PRESSED}), next_event());

    // The slot is emptied: the next message is reported by its own number.
    PostMessageW(window, WM_NULL, 0, 0);
    Event after = next_event();
    EXPECT_EQ(static_cast<int>(WM_NULL), after.code);
    EXPECT_EQ(-1, after.subtype);
    EXPECT_EQ(6, after.carried) << "the carried identifier stays until the next gadget or menu event";

    // A timer message handled by a message box's own loop gives no event to a later wait. It is posted
    // rather than set: posted messages come before every timer, the one that answers the box included.
    ASSERT_TRUE(PostMessageW(window, WM_TIMER, 42, 0));
    testing_support::answer_dialogs({{IDOK, L""}});
    EXPECT_EQ(ui::ANSWER_OK, ui::message_box(L"Titel", L"Text", ui::BOX_OK));
    testing_support::answered();
    ASSERT_EQ(42, ui::event_gadget()) << "the timer message was not handled inside the box's loop";
    EXPECT_EQ(0, count_code(settle(), ui::EVENT_TIMER));
}

TEST_F(UiEvents, ActivationIsReportedByTheWindowThatBecomesActive) {
    HWND first = open_plain(1);
    HWND second = open_plain(2, 400, 200);
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(activate(first));
    settle();
    ASSERT_TRUE(activate(second));
    std::vector<Event> activated = only_code(settle(), ui::EVENT_WINDOW_ACTIVATED);
    ASSERT_EQ(1u, activated.size()) << "the window that loses the activation reports nothing";
    EXPECT_EQ(2, activated[0].window);
}

TEST_F(UiEvents, WindowOfTheLastEventFollowsEachEvent) {
    HWND three = open_plain(3);
    const ui::Id huge = INTPTR_MAX;
    HWND big = ui::open_window(huge, 400, 200, 200, 180, L"Groß", MAIN_FLAGS);
    ASSERT_NE(nullptr, three);
    ASSERT_NE(nullptr, big);
    HWND button = ui::create_button(8, 10, 10, 100, 30, L"Knopf"); // in the window opened last
    ASSERT_EQ(big, GetParent(button));
    settle();

    PostMessageW(three, WM_CLOSE, 0, 0);
    EXPECT_EQ(3, wait_for_code(ui::EVENT_CLOSE).window);
    PostMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(huge, wait_for_code(ui::EVENT_GADGET).window);
    SendMessageW(three, WM_SIZE, SIZE_RESTORED, MAKELPARAM(200, 180));
    SendMessageW(big, WM_MOVE, 0, 0);
    EXPECT_EQ(3, wait_for_code(ui::EVENT_WINDOW_RESIZED).window);
    EXPECT_EQ(huge, wait_for_code(ui::EVENT_WINDOW_MOVED).window);
}

// Tab navigation: posted key presses reach the accelerators of the active window inside the wait.
class UiTabOrder : public LayerTest {
  protected:
    void press_tab(bool backwards) {
        HWND target = GetFocus() ? GetFocus() : window;
        set_key_state(VK_SHIFT, backwards);
        PostMessageW(target, WM_KEYDOWN, VK_TAB, TAB_KEY_DATA);
        settle();
        set_key_state(VK_SHIFT, false);
    }
    // The gadget that holds the focus, or -1.
    ui::Id focused() {
        HWND focus = GetFocus();
        for (ui::Id id : {1, 2, 3, 4, 5, 6, 7})
            if (focus && focus == gadget[id])
                return id;
        return -1;
    }
    HWND window = nullptr;
    HWND gadget[8] = {};
};

TEST_F(UiTabOrder, TabVisitsEnabledVisibleTabStopsInCreationOrderAndWraps) {
    window = ui::open_window(0, 100, 200, 300, 400, L"Tab", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, ui::create_status_bar(4, window));
    // Creation order differs from the order on screen on purpose.
    gadget[1] = ui::create_button(1, 10, 300, 100, 30, L"eins");
    gadget[2] = ui::create_text(2, 10, 10, 100, 20, L"Text");
    gadget[3] = ui::create_list(3, 10, 40, 100, 80);
    gadget[4] = ui::create_button(4, 10, 130, 100, 30, L"aus");
    gadget[5] = ui::create_button(5, 10, 170, 100, 30, L"fünf");
    gadget[6] = ui::create_list(6, 150, 40, 100, 80);
    gadget[7] = ui::create_button(7, 10, 210, 100, 30, L"sieben");
    for (int id = 1; id <= 7; ++id)
        ASSERT_NE(nullptr, gadget[id]) << "gadget " << id;
    ui::disable_gadget(4, 1);
    ShowWindow(gadget[6], SW_HIDE);
    ASSERT_TRUE(activate(window)) << "active " << GetActiveWindow() << ", foreground "
                                  << GetForegroundWindow();
    settle();

    // Nothing focused: Tab takes the first, Shift+Tab the last.
    SetFocus(nullptr);
    press_tab(false);
    EXPECT_EQ(1, focused());
    SetFocus(window);
    press_tab(true);
    EXPECT_EQ(7, focused());

    const std::vector<ui::Id> forward = {1, 3, 5, 7, 1, 3};
    SetFocus(gadget[7]);
    for (ui::Id expected : forward) {
        press_tab(false);
        EXPECT_EQ(expected, focused()) << "Tab";
    }
    const std::vector<ui::Id> backward = {1, 7, 5, 3, 1, 7};
    for (ui::Id expected : backward) {
        press_tab(true);
        EXPECT_EQ(expected, focused()) << "Shift+Tab";
    }

    // Enabled and shown again, they take their places in creation order.
    ui::disable_gadget(4, 0);
    ShowWindow(gadget[6], SW_SHOW);
    SetFocus(gadget[3]);
    const std::vector<ui::Id> all = {4, 5, 6, 7, 1};
    for (ui::Id expected : all) {
        press_tab(false);
        EXPECT_EQ(expected, focused()) << "Tab with every gadget available";
    }
}

TEST_F(UiTabOrder, WithNothingFocusedTabTakesTheFirstChildAndShiftTabTheLast) {
    // Unlike a status bar, the first child here can take the focus itself.
    window = ui::open_window(0, 100, 200, 300, 200, L"Tab", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    gadget[1] = ui::create_button(1, 10, 10, 100, 30, L"eins");
    gadget[2] = ui::create_button(2, 10, 50, 100, 30, L"zwei");
    gadget[3] = ui::create_button(3, 10, 90, 100, 30, L"drei");
    ASSERT_TRUE(activate(window));
    settle();
    SetFocus(nullptr);
    press_tab(false);
    EXPECT_EQ(1, focused());
    SetFocus(nullptr);
    press_tab(true);
    EXPECT_EQ(3, focused());
}

TEST_F(UiTabOrder, TabIsTakenByTheNavigationNotByTheControl) {
    window = ui::open_window(0, 100, 200, 300, 200, L"Tab", MAIN_FLAGS);
    ASSERT_NE(nullptr, window);
    gadget[1] = ui::create_list(1, 10, 10, 100, 80);
    gadget[2] = ui::create_button(2, 10, 100, 100, 30, L"zwei");
    ASSERT_TRUE(activate(window));
    SetFocus(gadget[1]);
    settle();
    PostMessageW(gadget[1], WM_KEYDOWN, VK_TAB, TAB_KEY_DATA);
    Event event = next_event();
    EXPECT_EQ(static_cast<int>(WM_KEYDOWN), event.code);
    EXPECT_EQ(2, focused());
    MSG left;
    EXPECT_FALSE(PeekMessageW(&left, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE)) << "Tab was also typed";
}

} // namespace
