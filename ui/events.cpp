// The event wait, the window procedure that turns messages into events, and Tab navigation.
#include "ui/layer.h"

#include <deque>

namespace ui {

namespace {

constexpr WORD COMMAND_TAB_FORWARD = 64001;
constexpr WORD COMMAND_TAB_BACKWARD = 64002;
constexpr int NO_SUBTYPE = -1;

struct QueuedEvent {
    int code;
    Id window;
};

// Per thread, like the message queue it mirrors.
struct EventState {
    Id carried = 0; // identifier of the last gadget or menu event
    Id window = 0;  // window of the last event
    int subtype = NO_SUBTYPE;
    int produced = 0; // gadget, menu or timer event produced by the message being dispatched
    std::deque<QueuedEvent> queue;
};
thread_local EventState event_state;

void queue_event(int code, HWND handle) {
    Id id = 0;
    if (!window_id_of(handle, id))
        return;
    std::deque<QueuedEvent> &queue = event_state.queue;
    if (!queue.empty() && queue.back().code == code && queue.back().window == id)
        return;
    queue.push_back({code, id});
}

void produce(int code, Id carried, int subtype) {
    event_state.produced = code;
    event_state.carried = carried;
    event_state.subtype = subtype;
}

bool can_take_tab(HWND control) {
    LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    return (style & WS_TABSTOP) && IsWindowVisible(control) && IsWindowEnabled(control);
}

// Child windows are kept in creation order, so the sibling chain is the Tab order.
void move_focus(HWND window, bool forward) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    if (children.empty())
        return;
    HWND focus = GetFocus();
    while (focus && GetParent(focus) != window)
        focus = GetParent(focus);

    const size_t count = children.size();
    size_t start = count; // none focused: begin before the first (forward) or after the last
    for (size_t i = 0; i < count; ++i)
        if (children[i] == focus)
            start = i;
    for (size_t step = 1; step <= count; ++step) {
        size_t index;
        if (start == count)
            index = forward ? step - 1 : count - step;
        else
            index = forward ? (start + step) % count : (start + count - step) % count;
        if (can_take_tab(children[index])) {
            SetFocus(children[index]);
            return;
        }
    }
}

void handle_command(HWND window, WPARAM wparam, LPARAM lparam) {
    WORD command = LOWORD(wparam);
    HWND control = reinterpret_cast<HWND>(lparam);
    if (!control) {
        if (command == COMMAND_TAB_FORWARD || command == COMMAND_TAB_BACKWARD)
            move_focus(window, command == COMMAND_TAB_FORWARD);
        else
            produce(EVENT_MENU, command, NO_SUBTYPE);
        return;
    }
    Id id = GetWindowLongPtrW(control, GWLP_ID);
    Gadget gadget;
    if (!gadgets.find(id, gadget) || gadget.handle != control)
        return;
    if (gadget.kind == GadgetKind::list)
        handle_list_command(control, HIWORD(wparam));
    else if (gadget.kind == GadgetKind::button)
        produce(EVENT_GADGET, id, HIWORD(wparam));
}

void handle_size(HWND window, WPARAM kind) {
    Id id = 0;
    Window record;
    if (!window_id_of(window, id) || !windows.find(id, record))
        return;
    if (kind == SIZE_MINIMIZED) {
        record.minimised_or_maximised = true;
        windows.put(id, record);
        queue_event(EVENT_WINDOW_MINIMISED, window);
        return;
    }
    if (kind == SIZE_MAXIMIZED) {
        record.minimised_or_maximised = true;
        windows.put(id, record);
        queue_event(EVENT_WINDOW_MAXIMISED, window);
    } else if (kind == SIZE_RESTORED && record.minimised_or_maximised) {
        record.minimised_or_maximised = false;
        windows.put(id, record);
        queue_event(EVENT_WINDOW_RESTORED, window);
    }
    if (kind == SIZE_MAXIMIZED || kind == SIZE_RESTORED) {
        queue_event(EVENT_WINDOW_RESIZED, window);
        status_bars_follow_parent(window);
    }
}

int take_queued_event() {
    QueuedEvent event = event_state.queue.front();
    event_state.queue.pop_front();
    event_state.window = event.window;
    return event.code;
}

} // namespace

HACCEL create_tab_accelerators() {
    ACCEL keys[2] = {{FVIRTKEY | FNOINVERT, VK_TAB, COMMAND_TAB_FORWARD},
                     {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, COMMAND_TAB_BACKWARD}};
    return CreateAcceleratorTableW(keys, 2);
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    Id id = 0;
    if (window_id_of(window, id))
        event_state.window = id;
    switch (message) {
    case WM_CLOSE:
        queue_event(EVENT_CLOSE, window);
        return 0;
    case WM_MOVE:
        queue_event(EVENT_WINDOW_MOVED, window);
        break;
    case WM_SIZE:
        handle_size(window, wparam);
        break;
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE)
            queue_event(EVENT_WINDOW_ACTIVATED, window);
        return 0;
    case WM_ERASEBKGND:
        queue_event(EVENT_REPAINT, window);
        break;
    case WM_COMMAND:
        handle_command(window, wparam, lparam);
        return 0;
    case WM_TIMER:
        produce(EVENT_TIMER, static_cast<Id>(wparam), NO_SUBTYPE);
        return 0;
    case MESSAGE_LIST_NOTIFICATION:
        produce(EVENT_GADGET, static_cast<Id>(wparam), static_cast<int>(lparam));
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int wait_for_event() {
    event_state.subtype = NO_SUBTYPE;
    if (!event_state.queue.empty())
        return take_queued_event();
    // Whatever a modal loop dispatched since the last wait is not this message's event.
    event_state.produced = 0;
    MSG message;
    if (GetMessageW(&message, nullptr, 0, 0) == -1)
        return 0;

    bool translated = false;
    HWND active = GetActiveWindow();
    Id active_id = 0;
    Window active_window;
    if (active && window_id_of(active, active_id) && windows.find(active_id, active_window))
        translated = TranslateAcceleratorW(active, active_window.accelerators, &message) != 0;
    if (!translated) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (event_state.produced) {
        int code = event_state.produced;
        event_state.produced = 0;
        return code;
    }
    // For a posted WM_CLOSE only: its number is that of the close event it queues, so one request to
    // close would come back twice, by number and from the queue; it comes back once, from the queue.
    // Every other message is returned by its number, whatever it queued.
    Id message_window = 0;
    if (message.message == WM_CLOSE && !event_state.queue.empty() &&
        event_state.queue.front().code == EVENT_CLOSE && window_id_of(message.hwnd, message_window) &&
        event_state.queue.front().window == message_window)
        return take_queued_event();
    return static_cast<int>(message.message);
}

Id event_gadget() { return event_state.carried; }
Id event_menu_item() { return event_state.carried; }
Id event_window() { return event_state.window; }
int event_subtype() { return event_state.subtype; }

} // namespace ui
