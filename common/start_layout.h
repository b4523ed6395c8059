// Geometry of the start layout that the main window opens with and that the results view returns
// to before each folder choice. Shared by app/ and cleanup/, which may not include each other.
#pragma once

namespace start_layout {

// Inner size as passed to resize_window (menu bar included).
constexpr int WIDTH = 200;
constexpr int HEIGHT = 180;
// Width of the two start buttons, kept in the results view too.
constexpr int BUTTON_WIDTH = 180;

} // namespace start_layout
