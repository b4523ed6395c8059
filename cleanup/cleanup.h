// The folder cleanup's internals: the music folder's state and the steps the handlers are made of,
// for the cleanup's own files, the tests and the benchmark. app/ sees cleanup/handlers.h alone.
#pragma once

#include "cleanup/count.h"
#include "cleanup/handlers.h"

#include <string>

namespace cleanup {

// What the program knows about the music folder, for the whole run: the folder chosen last (with
// its trailing backslash; empty after a cancelled choice) and what the last walk of it found.
// Global because every handler of the one results view reads or writes it.
struct MusicFolder {
    std::wstring path;
    Count junk_count = 0;
    Count mp3_count = 0;
    Count other_count = 0;
};
extern MusicFolder music_folder;

// Widens the window to the results view and creates its gadgets afresh, with empty lists.
void show_results_view();
// Walks the chosen folder into the new, empty lists of the results view.
void first_scan();
// The deletion itself: each listed file that is deleted (or already gone) leaves the list.
void delete_listed_junk();

// File classes by name: exact, case-sensitive suffixes, junk before MP3. The classes number the rows
// of the scan's class table; `count` is no class but their number, which the table is checked against.
enum class FileClass : unsigned char { junk, mp3, other, count };
FileClass classify(const std::wstring &name);

// The folder part of a path: up to and including its last backslash or slash (a leading double
// quote is skipped, and the search stops at the first "|").
std::wstring folder_part(const std::wstring &path);

// Deletes one file permanently, its path passed through path_file_calls_accept. Returns the result
// of DeleteFileW (last error set); 0 for a null path, without any call.
int delete_file(const wchar_t *path);

} // namespace cleanup
