// Shared by the in-process tests of the window-system layer and the shell: a fixture that leaves no
// window behind, a way to take every pending event without blocking, and a CBT hook that records
// (or refuses) window creation and destruction.
#pragma once

#include "tests/support/gui.h"
#include "ui/ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace ui_testing {

// The flags of the program's main window: a title bar and a system menu.
constexpr unsigned MAIN_FLAGS = WS_CAPTION | WS_SYSMENU;

// What one wait_for_event() returned, with the event state read right after it.
struct Event {
    int code;
    ui::Id carried; // event_gadget(), which is also event_menu_item()
    ui::Id window;
    int subtype;
};

inline bool operator==(const Event &a, const Event &b) {
    return a.code == b.code && a.carried == b.carried && a.window == b.window && a.subtype == b.subtype;
}

inline std::ostream &operator<<(std::ostream &out, const Event &event) {
    return out << "{code " << event.code << ", carried " << event.carried << ", window " << event.window
               << ", subtype " << event.subtype << "}";
}

inline Event next_event() {
    int code = ui::wait_for_event();
    return {code, ui::event_gadget(), ui::event_window(), ui::event_subtype()};
}

// A thread message nobody else posts; the wait returns its number because no window handles it.
constexpr UINT MARKER = WM_APP + 0x4B1;
constexpr int MAX_SETTLE_ROUNDS = 20;
constexpr UINT MARKER_RESEND_MS = 500;

// A modal loop (a menu, a dialog) may take the marker away; a new one then ends the round.
inline void CALLBACK resend_marker(HWND, UINT, UINT_PTR, DWORD) {
    PostThreadMessageW(GetCurrentThreadId(), MARKER, 0, 0);
}

// Takes events until the thread is quiet: posts a marker and waits until it comes back, round after
// round, until a round brings nothing else. Never blocks for long, since a marker is always waiting;
// what a round's messages post is taken by the next round. Painting stays pending, and the thread
// timers of the tests themselves are left out.
inline std::vector<Event> settle() {
    std::vector<Event> events;
    UINT_PTR resend = SetTimer(nullptr, 0, MARKER_RESEND_MS, resend_marker);
    int round = 0;
    for (; round < MAX_SETTLE_ROUNDS; ++round) {
        PostThreadMessageW(GetCurrentThreadId(), MARKER, 0, 0);
        size_t before = events.size();
        for (;;) {
            Event event = next_event();
            if (event.code == static_cast<int>(MARKER))
                break;
            if (event.code != static_cast<int>(WM_TIMER))
                events.push_back(event);
        }
        if (events.size() == before)
            break;
    }
    KillTimer(nullptr, resend);
    MSG stale;
    while (PeekMessageW(&stale, nullptr, MARKER, MARKER, PM_REMOVE)) {
    }
    EXPECT_LT(round, MAX_SETTLE_ROUNDS) << "events kept coming";
    return events;
}

inline std::vector<Event> only_code(const std::vector<Event> &events, int code) {
    std::vector<Event> chosen;
    for (const Event &event : events)
        if (event.code == code)
            chosen.push_back(event);
    return chosen;
}

inline std::vector<int> codes_of(const std::vector<Event> &events) {
    std::vector<int> codes;
    for (const Event &event : events)
        codes.push_back(event.code);
    return codes;
}

inline int count_code(const std::vector<Event> &events, int code) {
    return static_cast<int>(only_code(events, code).size());
}

// Waits for an event with `code`, taking whatever comes before it; gives up after `ms` (a thread
// timer makes sure the wait returns). The event's code is 0 when it did not come.
inline Event wait_for_code(int code, DWORD ms = 3000) {
    UINT_PTR watchdog = SetTimer(nullptr, 0, 50, nullptr);
    DWORD start = GetTickCount();
    Event event = {0, 0, 0, 0};
    while (GetTickCount() - start < ms) {
        Event taken = next_event();
        if (taken.code == code) {
            event = taken;
            break;
        }
    }
    KillTimer(nullptr, watchdog);
    return event;
}

inline BOOL CALLBACK collect_visible(HWND window, LPARAM list) {
    if (IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND> *>(list)->push_back(window);
    return TRUE;
}

// Top-level windows of this thread that are on screen.
inline std::vector<HWND> visible_thread_windows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), collect_visible, reinterpret_cast<LPARAM>(&found));
    return found;
}

inline std::wstring class_of(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

inline std::string narrow(const std::wstring &text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

// Sizes and rectangles that compare and print, for expected-versus-actual messages.
struct Size {
    long width, height;
};
inline bool operator==(const Size &a, const Size &b) { return a.width == b.width && a.height == b.height; }
inline std::ostream &operator<<(std::ostream &out, const Size &size) {
    return out << size.width << "x" << size.height;
}

struct Rect {
    long x, y, width, height;
};
inline bool operator==(const Rect &a, const Rect &b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
inline std::ostream &operator<<(std::ostream &out, const Rect &rect) {
    return out << "(" << rect.x << ", " << rect.y << ") " << rect.width << "x" << rect.height;
}
inline Rect rect_of(const RECT &rect) {
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// A child window's rectangle in its parent's inner coordinates.
inline Rect child_rect(HWND child) {
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&rect), 2);
    return rect_of(rect);
}

inline Rect frame_rect(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return rect_of(rect);
}

inline Size client_size(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    return {rect.right, rect.bottom};
}

// Makes `window` the active and foreground window, so that keyboard input and dialog owners go to it;
// the foreground is taken as the end-to-end tests take it.
inline bool activate(HWND window) {
    testing_support::take_foreground(window);
    SetActiveWindow(window);
    return GetActiveWindow() == window && GetForegroundWindow() == window;
}

// Sets or clears one key in this thread's keyboard state, which accelerators read.
inline void set_key_state(int key, bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[key] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// One window created or destroyed on this thread while a CbtWatch was alive.
struct CbtRecord {
    enum Kind { created, destroyed } kind;
    HWND window;
    std::wstring class_name;
    DWORD style;    // as asked for at creation
    DWORD ex_style; // as asked for at creation
    HWND parent;    // parent or owner asked for at creation
};

// Records window creation and destruction on this thread; can refuse the next `refusals` creations,
// which makes CreateWindowExW fail. `on_create` sees each window as it is being created, and
// `on_activate` each window about to become active (a dialog then has its controls). Watches may
// be nested; each sees everything.
class CbtWatch {
  public:
    explicit CbtWatch(int refusals = 0, std::function<void(const CbtRecord &)> on_create = nullptr)
        : refusals_(refusals), on_create_(std::move(on_create)) {
        if (active().empty())
            hook() = SetWindowsHookExW(WH_CBT, procedure, nullptr, GetCurrentThreadId());
        active().push_back(this);
    }
    ~CbtWatch() {
        active().erase(std::find(active().begin(), active().end(), this));
        if (active().empty()) {
            UnhookWindowsHookEx(hook());
            hook() = nullptr;
        }
    }
    CbtWatch(const CbtWatch &) = delete;
    CbtWatch &operator=(const CbtWatch &) = delete;

    bool hooked() const { return hook() != nullptr; }
    std::vector<CbtRecord> records;
    std::function<void(HWND)> on_activate;

  private:
    static std::vector<CbtWatch *> &active() {
        static std::vector<CbtWatch *> watches;
        return watches;
    }
    static HHOOK &hook() {
        static HHOOK installed = nullptr;
        return installed;
    }
    static LRESULT CALLBACK procedure(int code, WPARAM wparam, LPARAM lparam) {
        HWND window = reinterpret_cast<HWND>(wparam);
        bool refuse = false;
        for (CbtWatch *watch : std::vector<CbtWatch *>(active())) {
            if (code == HCBT_CREATEWND) {
                const CREATESTRUCTW *create = reinterpret_cast<CBT_CREATEWNDW *>(lparam)->lpcs;
                CbtRecord record = {CbtRecord::created, window,
                                    class_of(window),   static_cast<DWORD>(create->style),
                                    create->dwExStyle,  create->hwndParent};
                watch->records.push_back(record);
                if (watch->on_create_)
                    watch->on_create_(record);
                if (watch->refusals_ > 0) {
                    --watch->refusals_;
                    refuse = true;
                }
            } else if (code == HCBT_ACTIVATE && watch->on_activate) {
                watch->on_activate(window);
            } else if (code == HCBT_DESTROYWND) {
                watch->records.push_back({CbtRecord::destroyed, window, class_of(window), 0, 0, nullptr});
            }
        }
        if (refuse)
            return 1;
        return CallNextHookEx(nullptr, code, wparam, lparam);
    }

    int refusals_;
    std::function<void(const CbtRecord &)> on_create_;
};

// Every test starts with an empty event queue and ends with the layer shut down and no window of
// this thread left on screen.
class LayerTest : public ::testing::Test {
  protected:
    void SetUp() override { settle(); }
    void TearDown() override {
        ui::shut_down();
        settle();
        std::vector<HWND> left = visible_thread_windows();
        EXPECT_EQ(0u, left.size()) << "windows left on screen, first one of class "
                                   << (left.empty() ? "" : narrow(class_of(left[0])));
        for (HWND window : left)
            DestroyWindow(window);
    }
};

} // namespace ui_testing
