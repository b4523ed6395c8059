// Everything the main window shows, read from outside, so that a test can tell "unchanged" exactly.
#pragma once

#include "tests/e2e/driver.h"

#include <ostream>
#include <string>
#include <vector>

namespace e2e {

struct GadgetState {
    int id;
    std::wstring text;
    RECT rect; // in the window's client area
    bool enabled;
    bool visible;
    std::vector<std::wstring> items; // of a list
};

struct ViewState {
    std::wstring title;
    RECT frame;
    RECT client; // on the screen
    LONG style;
    bool enabled;
    std::vector<GadgetState> gadgets; // those of the program's gadget numbers that exist
    std::vector<int> status_edges;
    std::vector<std::wstring> status_texts;
};

ViewState read_view(const Program &program);
bool operator==(const ViewState &a, const ViewState &b);
inline bool operator!=(const ViewState &a, const ViewState &b) { return !(a == b); }
// A readable dump for failure messages.
std::string describe(const ViewState &view);
inline void PrintTo(const ViewState &view, std::ostream *out) { *out << describe(view); }

} // namespace e2e
