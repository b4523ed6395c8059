#include "tests/e2e/view_state.h"

#include "tests/e2e/folders.h"

#include <sstream>

namespace e2e {

namespace {

// The program's gadget numbers: the start buttons, then the results view.
constexpr int FIRST_GADGET = 5;
constexpr int LAST_GADGET = 14;

bool same_rect(const RECT &a, const RECT &b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool same_gadget(const GadgetState &a, const GadgetState &b) {
    return a.id == b.id && a.text == b.text && same_rect(a.rect, b.rect) && a.enabled == b.enabled &&
           a.visible == b.visible && a.items == b.items;
}

std::ostream &operator<<(std::ostream &out, const RECT &rect) {
    return out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
}

} // namespace

ViewState read_view(const Program &program) {
    ViewState view;
    HWND window = program.window();
    view.title = text_of(window);
    view.frame = frame_of(window);
    view.client = client_on_screen(window);
    view.style = GetWindowLongW(window, GWL_STYLE);
    view.enabled = IsWindowEnabled(window) != 0;
    for (int id = FIRST_GADGET; id <= LAST_GADGET; ++id) {
        HWND gadget = GetDlgItem(window, id);
        if (!gadget)
            continue;
        GadgetState state = {id,
                             text_of(gadget),
                             child_rect(gadget),
                             IsWindowEnabled(gadget) != 0,
                             IsWindowVisible(gadget) != 0,
                             {}};
        if (_wcsicmp(class_of(gadget).c_str(), L"ListBox") == 0)
            state.items = list_items(gadget);
        view.gadgets.push_back(state);
    }
    HWND bar = status_bar_of(window);
    view.status_edges = status_edges(program.process(), bar);
    for (size_t field = 0; field < view.status_edges.size(); ++field)
        view.status_texts.push_back(status_text(program.process(), bar, static_cast<int>(field)));
    return view;
}

bool operator==(const ViewState &a, const ViewState &b) {
    if (a.gadgets.size() != b.gadgets.size())
        return false;
    for (size_t i = 0; i < a.gadgets.size(); ++i)
        if (!same_gadget(a.gadgets[i], b.gadgets[i]))
            return false;
    return a.title == b.title && same_rect(a.frame, b.frame) && same_rect(a.client, b.client) &&
           a.style == b.style && a.enabled == b.enabled && a.status_edges == b.status_edges &&
           a.status_texts == b.status_texts;
}

std::string describe(const ViewState &view) {
    std::ostringstream out;
    out << "title \"" << utf8(view.title) << "\" frame " << view.frame << " client " << view.client
        << " style 0x" << std::hex << view.style << std::dec << (view.enabled ? " enabled" : " disabled")
        << "\n";
    for (const GadgetState &gadget : view.gadgets) {
        out << "  gadget " << gadget.id << " \"" << utf8(gadget.text) << "\" " << gadget.rect
            << (gadget.enabled ? " enabled" : " disabled") << (gadget.visible ? "" : " hidden");
        for (const std::wstring &item : gadget.items)
            out << "\n    " << utf8(item);
        out << "\n";
    }
    out << "  status";
    for (size_t field = 0; field < view.status_edges.size(); ++field)
        out << " [" << view.status_edges[field] << " \"" << utf8(view.status_texts[field]) << "\"]";
    return out.str();
}

} // namespace e2e
