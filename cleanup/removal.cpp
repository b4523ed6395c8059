// Deleting the junk files the junk list names, after one confirmation.
#include "cleanup/cleanup.h"
#include "cleanup/long_paths.h"
#include "cleanup/view.h"
#include "common/identifiers.h"

namespace cleanup {

namespace {

const wchar_t *const REMOVE_TITLE = L"Mülldateien löschen";
const wchar_t *const REMOVE_QUESTION = L"Möchten Sie jetzt die Mülldateien entfernen?";

// A file that is gone already needs no deletion; anything else that failed is still on disk. The
// error is read straight after the deletion.
bool deleted_or_gone(const std::wstring &path) {
    return delete_file(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

void show_junk_left(ui::Id left) {
    ui::set_status_text(ids::STATUS_BAR, ids::FIELD_JUNK_COUNT,
                        status_text(JUNK_STATUS_PREFIX, left).c_str());
}

} // namespace

int delete_file(const wchar_t *path) {
    if (!path)
        return 0;
    return DeleteFileW(path_file_calls_accept(path).c_str());
}

void remove_junk() {
    if (ui::message_box(REMOVE_TITLE, REMOVE_QUESTION, ui::BOX_YES_NO) == ui::ANSWER_YES)
        delete_listed_junk();
}

void delete_listed_junk() {
    ui::Id left = ui::count_items(ids::LIST_JUNK);
    if (left == 0)
        return;

    HeldView held(HeldPart::junk_list);
    RepaintClock clock = start_clock();
    // Items whose file could not be deleted stay in place, so the list keeps naming what is left.
    for (ui::Id index = 0; index < left;) {
        if (deleted_or_gone(ui::item_text(ids::LIST_JUNK, index))) {
            ui::remove_item(ids::LIST_JUNK, index);
            --left;
        } else {
            ++index;
        }
        if (repaint_due(clock)) {
            show_junk_left(left);
            held.repaint(clock);
        }
    }
    show_junk_left(left);
    if (left == 0)
        ui::disable_gadget(ids::BUTTON_DELETE_JUNK, 1);
}

} // namespace cleanup
