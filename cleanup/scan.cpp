// The walk over the music folder that sorts its files into junk, MP3 and other.
#include "cleanup/cleanup.h"
#include "cleanup/listing.h"
#include "cleanup/view.h"
#include "common/identifiers.h"

namespace cleanup {

MusicFolder music_folder;

namespace {

constexpr ui::Id MUSIC_LISTING = 15; // in the listings' own identifier space
const wchar_t *const INITIAL_MUSIC_FOLDER = L"c:\\";
const wchar_t *const JUNK_SUFFIX = L".mp3_work.mp3";
const wchar_t *const MP3_SUFFIX = L".mp3";

// Lists are told ahead how far they will grow, in doubling steps: the walk cannot know the total.
constexpr ui::Id FIRST_RESERVATION = 1024;

// Where each class is counted and shown.
struct ClassView {
    FileClass file_class;
    ui::Id *count;
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

// Appends every file of the open listing to its class's list; the view is held by the caller.
void walk(bool enable_delete_at_junk) {
    const std::wstring junk_folder = folder_part(music_folder.path);
    ui::Id reserved[CLASSES] = {};
    bool delete_enabled = false;
    RepaintClock clock = start_clock();

    while (listing::next(MUSIC_LISTING)) {
        if (listing::entry_type(MUSIC_LISTING) != listing::ENTRY_FILE)
            continue;
        std::wstring name = listing::entry_name(MUSIC_LISTING);
        FileClass file_class = classify(name);
        size_t row = static_cast<size_t>(file_class);
        ui::Id list = CLASS_VIEWS[row].list;
        ui::Id &count = *CLASS_VIEWS[row].count;
        if (count == reserved[row]) {
            ui::Id step = reserved[row] > 0 ? reserved[row] : FIRST_RESERVATION;
            ui::reserve_items(list, step);
            reserved[row] += step;
        }
        ++count;
        if (file_class == FileClass::junk) {
            ui::add_item(list, -1, (junk_folder + name).c_str());
            if (enable_delete_at_junk && !delete_enabled) {
                ui::disable_gadget(ids::BUTTON_DELETE_JUNK, 0);
                delete_enabled = true;
            }
        } else {
            ui::add_item(list, -1, name.c_str());
        }
        if (repaint_due(clock)) {
            show_counts();
            repaint_view();
        }
    }
    show_counts();
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
        hold_view();
        walk(true);
        release_view();
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
    hold_view();
    for (const ClassView &view : CLASS_VIEWS)
        ui::clear_items(view.list);
    for (const ClassView &view : CLASS_VIEWS)
        ui::set_status_text(ids::STATUS_BAR, view.field, L"");
    walk(false);
    release_view();
    if (music_folder.junk_count > 0)
        ui::disable_gadget(ids::BUTTON_DELETE_JUNK, 0);
}

} // namespace cleanup
