// State shared by the parts of the window-system layer; not for use outside ui/.
#pragma once

#include "ui/ui.h"

#include <iterator>
#include <map>
#include <mutex>
#include <vector>

namespace ui {

// An identifier space: sparse, so a huge identifier costs no more than a small one. Lookups and
// changes take the lock only for the map itself, never across a window-system call, because those
// calls send messages that come back into the layer.
template <typename T> class Table {
  public:
    bool find(Id id, T &out) {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = items_.find(id);
        if (it == items_.end())
            return false;
        out = it->second;
        return true;
    }
    void put(Id id, const T &value) {
        std::lock_guard<std::mutex> guard(lock_);
        items_[id] = value;
    }
    bool take(Id id, T &out) {
        std::lock_guard<std::mutex> guard(lock_);
        auto it = items_.find(id);
        if (it == items_.end())
            return false;
        out = it->second;
        items_.erase(it);
        return true;
    }
    // The first entry that `match` accepts, looked up without copying the table.
    template <typename Match> bool find_if(Match match, Id &id) {
        std::lock_guard<std::mutex> guard(lock_);
        for (const auto &entry : items_) {
            if (match(entry.second)) {
                id = entry.first;
                return true;
            }
        }
        return false;
    }
    template <typename Match> void erase_if(Match match) {
        std::lock_guard<std::mutex> guard(lock_);
        for (auto it = items_.begin(); it != items_.end();)
            it = match(it->second) ? items_.erase(it) : std::next(it);
    }
    std::vector<std::pair<Id, T>> snapshot() {
        std::lock_guard<std::mutex> guard(lock_);
        return std::vector<std::pair<Id, T>>(items_.begin(), items_.end());
    }

  private:
    std::map<Id, T> items_;
    std::mutex lock_;
};

struct Window {
    HWND handle = nullptr;
    HACCEL accelerators = nullptr;
    bool minimised_or_maximised = false;
};

enum class GadgetKind : unsigned char { button, text, list };

struct Gadget {
    HWND handle = nullptr;
    HWND parent = nullptr;
    GadgetKind kind = GadgetKind::button;
};

struct MenuBar {
    HMENU handle = nullptr;
    HWND window = nullptr;
};

constexpr int MAX_STATUS_FIELDS = 256;

struct StatusBar {
    HWND handle = nullptr;
    HWND parent = nullptr;
    std::vector<int> widths; // pixels, or KEEP for an equal share
    int recorded_width = 0;  // parent's inner size at the last layout a resize started
    int recorded_height = 0;
};

// The identifier tables, one per kind of object.
extern Table<Window> windows;
extern Table<Gadget> gadgets;
extern Table<StatusBar> status_bars;
extern Table<MenuBar> menu_bars;

// The layer's private message by which a list reports a click, selection or drag to its window:
// wParam carries the list's identifier, lParam the subtype.
constexpr UINT MESSAGE_LIST_NOTIFICATION = 13103;

// Window part: the icon and cursor of the window classes; closing a window with its children.
void initialise_windows();
void close_window(Id id);

// Finds the identifier of a layer window by its handle; false for any other window.
bool window_id_of(HWND handle, Id &id);

// Called by the window procedure for each size change, so the window's status bars follow it.
void status_bars_follow_parent(HWND parent);

// Event part: the procedure of every layer window and the Tab / Shift+Tab accelerators.
LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
HACCEL create_tab_accelerators();

// The window that receives new gadgets.
HWND gadget_target();

// Gadget part: the font of all gadgets and the handling of list notifications.
void initialise_gadgets();
void handle_list_command(HWND list, WORD notification);

} // namespace ui
