// The results view: the folder choice that builds it, and its painting during long changes.
#include "cleanup/view.h"

#include "cleanup/cleanup.h"
#include "common/identifiers.h"
#include "common/start_layout.h"
#include "ui/ui.h"

#include <algorithm>

namespace cleanup {

std::wstring status_text(const wchar_t *prefix, Count count) { return prefix + std::to_wstring(count); }

namespace {

constexpr int RESULTS_WIDTH = 1230;
constexpr int RESULTS_HEIGHT = 380;
// Repaints come every 250 ms, or less often where they are slow, so that painting takes at most a
// twentieth of the time; but never less often than every 2 s, so that the user still sees progress.
constexpr unsigned long REPAINT_INTERVAL_MS = 250;
constexpr unsigned long PAINT_SHARE_DIVISOR = 20;
constexpr unsigned long REPAINT_INTERVAL_MAX_MS = 2000;

const wchar_t *const CHOOSER_PROMPT =
    L"Bitte wählen Sie das Verzeichnis, in welchem Sie Ihre Musikdateien speichern...";
const wchar_t *const CHOOSER_INITIAL_FOLDER = L"C:\\";

// Each list stands in a column under its label; the buttons sit under the junk list.
constexpr int JUNK_COLUMN_X = 200, MP3_COLUMN_X = 710, OTHER_COLUMN_X = 970;
constexpr int RESCAN_BUTTON_X = 390;

// A label or a button: its identifier, left edge and text.
struct Captioned {
    ui::Id id;
    int x;
    const wchar_t *text;
};
constexpr int LABEL_Y = 10, LABEL_WIDTH = 150, LABEL_HEIGHT = 15;
const Captioned LABELS[] = {{ids::LABEL_JUNK, JUNK_COLUMN_X, L"Anzeige Müll-Dateien"},
                            {ids::LABEL_MP3, MP3_COLUMN_X, L"Anzeige MP3s"},
                            {ids::LABEL_OTHER, OTHER_COLUMN_X, L"Anzeige andere Dateitypen"}};

struct List {
    ui::Id id;
    int x;
    int width;
};
constexpr int LIST_Y = 30, LIST_HEIGHT = 250;
const List LISTS[] = {{ids::LIST_JUNK, JUNK_COLUMN_X, 500},
                      {ids::LIST_MP3, MP3_COLUMN_X, 250},
                      {ids::LIST_OTHER, OTHER_COLUMN_X, 250}};

constexpr int BUTTON_Y = 290, BUTTON_WIDTH = 180, BUTTON_HEIGHT = 40;
const Captioned BUTTONS[] = {{ids::BUTTON_DELETE_JUNK, JUNK_COLUMN_X, L"Müll löschen"},
                             {ids::BUTTON_RESCAN, RESCAN_BUTTON_X, L"Neu einlesen"}};

void keep_start_buttons_width() {
    ui::resize_gadget(ids::BUTTON_CHOOSE_FOLDER, ui::KEEP, ui::KEEP, start_layout::BUTTON_WIDTH, ui::KEEP);
    ui::resize_gadget(ids::BUTTON_QUIT, ui::KEEP, ui::KEEP, start_layout::BUTTON_WIDTH, ui::KEEP);
}

// Re-creating the gadgets under their identifiers replaces those of an earlier view: the lists
// come back empty and the delete button enabled.
void create_results_gadgets() {
    for (const Captioned &label : LABELS)
        ui::create_text(label.id, label.x, LABEL_Y, LABEL_WIDTH, LABEL_HEIGHT, label.text);
    for (const List &list : LISTS)
        ui::create_list(list.id, list.x, LIST_Y, list.width, LIST_HEIGHT);
    for (const Captioned &button : BUTTONS)
        ui::create_button(button.id, button.x, BUTTON_Y, BUTTON_WIDTH, BUTTON_HEIGHT, button.text);
}

void set_view_painting(HeldPart part, bool on) {
    for (const List &list : LISTS) {
        if (part == HeldPart::junk_list && list.id != ids::LIST_JUNK)
            continue;
        if (on)
            ui::resume_gadget_painting(list.id);
        else
            ui::hold_gadget_painting(list.id);
    }
    if (on)
        ui::resume_status_painting(ids::STATUS_BAR);
    else
        ui::hold_status_painting(ids::STATUS_BAR);
}

} // namespace

void choose_folder_and_show_results() {
    ui::resize_window(ids::MAIN_WINDOW, ui::KEEP, ui::KEEP, start_layout::WIDTH, start_layout::HEIGHT);
    keep_start_buttons_width();
    music_folder.path = ui::choose_folder(CHOOSER_PROMPT, CHOOSER_INITIAL_FOLDER);
    if (music_folder.path.empty())
        return;
    show_results_view();
    first_scan();
}

void show_results_view() {
    ui::resize_window(ids::MAIN_WINDOW, ui::KEEP, ui::KEEP, RESULTS_WIDTH, RESULTS_HEIGHT);
    keep_start_buttons_width();
    create_results_gadgets();
}

namespace {

void hold_view(HeldPart part) { set_view_painting(part, false); }

// The junk list and the status bar keep their place while held, and each invalidates itself whole
// on resuming: painting what is pending then suffices. A view that was built or resized while held
// needs the whole window repainted.
void release_view(HeldPart part) {
    set_view_painting(part, true);
    if (part == HeldPart::junk_list)
        ui::paint_pending(ids::MAIN_WINDOW);
    else
        ui::repaint_now(ids::MAIN_WINDOW);
}

} // namespace

HeldView::HeldView(HeldPart part) : part_(part) { hold_view(part_); }

HeldView::~HeldView() { release_view(part_); }

void HeldView::repaint(RepaintClock &clock) {
    const unsigned long start = GetTickCount();
    release_view(part_);
    hold_view(part_);
    clock.last = GetTickCount();
    clock.interval = std::min(REPAINT_INTERVAL_MAX_MS,
                              std::max(REPAINT_INTERVAL_MS, PAINT_SHARE_DIVISOR * (clock.last - start)));
}

RepaintClock start_clock() { return {GetTickCount(), REPAINT_INTERVAL_MS}; }

bool repaint_due(const RepaintClock &clock) { return GetTickCount() - clock.last >= clock.interval; }

} // namespace cleanup
