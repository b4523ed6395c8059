// The layer's setup and teardown, which serve all of its parts, and the identifier tables they share.
#include "ui/layer.h"

#include <commctrl.h>
#include <objbase.h>

namespace ui {

Table<Window> windows;
Table<Gadget> gadgets;
Table<StatusBar> status_bars;
Table<MenuBar> menu_bars;

// Each part prepares what its objects share, in the order the parts build on each other.
void initialise() {
    initialise_windows();
    initialise_gadgets();
    InitCommonControls();
    CoInitialize(nullptr);
}

// Closing a window takes its gadgets, menu bar and status bar with it.
void shut_down() {
    for (auto &entry : windows.snapshot())
        close_window(entry.first);
}

} // namespace ui
