// The walk over the music folder that sorts its files into junk, MP3 and other.
#include "cleanup/cleanup.h"
#include "cleanup/listing.h"
#include "cleanup/view.h"
#include "common/identifiers.h"
#include "ui/ui.h"

namespace cleanup {

MusicFolder music_folder;

namespace {

constexpr listing::Number MUSIC_LISTING = 15; // in the listings' own identifier space
const wchar_t *const INITIAL_MUSIC_FOLDER = L"c:\\";
const wchar_t *const JUNK_SUFFIX = L".mp3_work.mp3";
const wchar_t *const MP3_SUFFIX = L".mp3";

// Where each class is counted and shown.
struct ClassView {
    FileClass file_class;
    Count *count;
    ui::Id list;
    int field;
    const wchar_t *prefix;
};
// A class's row is its number.
constexpr ClassView CLASS_VIEWS[] = {
    {FileClass::junk, &music_folder.junk_count, ids::LIST_JUNK, ids::FIELD_JUNK_COUNT, JUNK_STATUS_PREFIX},
    {FileClass::mp3, &music_folder.mp3_count, ids::LIST_MP3, ids::FIELD_MP3_COUNT, MP3_STATUS_PREFIX},
    {FileClass::other, &music_folder.other_count, ids::LIST_OTHER, ids::FIELD_OTHER_COUNT,
     OTHER_STATUS_PREFIX}};
constexpr size_t CLASSES = sizeof CLASS_VIEWS / sizeof CLASS_VIEWS[0];

constexpr bool one_row_per_class_in_order() {
    for (size_t row = 0; row < CLASSES; ++row)
        if (CLASS_VIEWS[row].file_class != static_cast<FileClass>(row))
            return false;
    return CLASSES == static_cast<size_t>(FileClass::count);
}
static_assert(one_row_per_class_in_order(), "the class table needs one row per file class, in their order");

bool ends_with(const std::wstring &name, const wchar_t *suffix) {
    size_t length = wcslen(suffix);
    return name.size() >= length && name.compare(name.size() - length, length, suffix) == 0;
}

void show_counts() {
    for (const ClassView &view : CLASS_VIEWS)
        if (*view.count > 0) // a class without files keeps its earlier text
            ui::set_status_text(ids::STATUS_BAR, view.field, status_text(view.prefix, *view.count).c_str());
}

// Texts a list takes in one run at most: longer runs keep more texts waiting than they save heap.
constexpr Count WAITING_MAX = 2048;

// The texts found for one list and not yet added to it, each ended by a NUL, and how many there are:
// one buffer, so that waiting costs no allocation per file.
struct Waiting {
    std::wstring texts;
    Count count = 0;
};

// Adds the texts waiting for one list, with room reserved for all of them first. A list takes its
// files in runs, at each repaint and whenever WAITING_MAX are waiting, never one at a time between
// the other lists' files: under Wine that leaves the heap full of holes (docs/performance.md, "Where
// the memory goes").
void add_waiting(ui::Id list, Waiting &waiting) {
    if (waiting.count == 0)
        return;
    ui::reserve_items(list, waiting.count);
    for (size_t start = 0; start < waiting.texts.size(); start = waiting.texts.find(L'\0', start) + 1)
        ui::add_item(list, -1, waiting.texts.c_str() + start);
    waiting.texts.clear();
    waiting.count = 0;
}

// Shows what the walk found so far. The lists are not painted between repaints, so no file shows
// later than it would have, added one by one.
void show_found(Waiting (&waiting)[CLASSES]) {
    for (size_t row = 0; row < CLASSES; ++row)
        add_waiting(CLASS_VIEWS[row].list, waiting[row]);
    show_counts();
}

// Appends every file of the open listing to its class's list.
void walk(HeldView &held, bool enable_delete_at_junk) {
    const std::wstring junk_folder = folder_part(music_folder.path);
    Waiting waiting[CLASSES];
    bool delete_enabled = false;
    RepaintClock clock = start_clock();

    while (listing::next(MUSIC_LISTING)) {
        if (listing::entry_type(MUSIC_LISTING) != listing::ENTRY_FILE)
            continue;
        std::wstring name = listing::entry_name(MUSIC_LISTING);
        FileClass file_class = classify(name);
        size_t row = static_cast<size_t>(file_class);
        ++*CLASS_VIEWS[row].count;
        Waiting &pending = waiting[row];
        if (file_class == FileClass::junk) {
            pending.texts += junk_folder;
            if (enable_delete_at_junk && !delete_enabled) {
                ui::disable_gadget(ids::BUTTON_DELETE_JUNK, 0);
                delete_enabled = true;
            }
        }
        pending.texts += name;
        pending.texts += L'\0';
        ++pending.count;
        if (pending.count == WAITING_MAX)
            add_waiting(CLASS_VIEWS[row].list, pending);
        if (repaint_due(clock)) {
            show_found(waiting);
            held.repaint(clock);
        }
    }
    show_found(waiting);
}

void reset_counts() {
    for (const ClassView &view : CLASS_VIEWS)
        *view.count = 0;
}

} // namespace

void reset_state() {
    music_folder.path = INITIAL_MUSIC_FOLDER;
    reset_counts();
}

FileClass classify(const std::wstring &name) {
    if (ends_with(name, JUNK_SUFFIX))
        return FileClass::junk;
    if (ends_with(name, MP3_SUFFIX))
        return FileClass::mp3;
    return FileClass::other;
}

std::wstring folder_part(const std::wstring &path) {
    size_t start = !path.empty() && path[0] == L'"' ? 1 : 0;
    size_t end = path.find(L'|', start);
    if (end == std::wstring::npos)
        end = path.size();
    size_t separator = path.find_last_of(L"\\/", end == 0 ? 0 : end - 1);
    if (separator == std::wstring::npos || separator < start)
        return std::wstring();
    return path.substr(start, separator + 1 - start);
}

void first_scan() {
    if (listing::open(MUSIC_LISTING, music_folder.path.c_str(), listing::ALL_ENTRIES)) {
        reset_counts();
        HeldView held;
        walk(held, true);
    }
    if (music_folder.junk_count == 0)
        ui::disable_gadget(ids::BUTTON_DELETE_JUNK, 1);
}

void rescan() {
    // After a cancelled choice there is no folder: never fall back to the current directory.
    if (music_folder.path.empty())
        return;
    if (!listing::open(MUSIC_LISTING, music_folder.path.c_str(), listing::ALL_ENTRIES))
        return;
    reset_counts();
    {
        HeldView held;
        for (const ClassView &view : CLASS_VIEWS)
            ui::clear_items(view.list);
        for (const ClassView &view : CLASS_VIEWS)
            ui::set_status_text(ids::STATUS_BAR, view.field, L"");
        walk(held, false);
    }
    if (music_folder.junk_count > 0)
        ui::disable_gadget(ids::BUTTON_DELETE_JUNK, 0);
}

} // namespace cleanup
