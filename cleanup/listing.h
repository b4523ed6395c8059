// Numbered directory listings over FindFirstFileW / FindNextFileW, in an identifier space of
// their own. Entries come in the file system's order, unfiltered ("." and ".." included).
#pragma once

#include <cstdint>
#include <string>

namespace listing {

// A listing's number, in the listings' own identifier space.
using Number = std::intptr_t;

constexpr int ENTRY_NONE = 0;
constexpr int ENTRY_FILE = 1;
constexpr int ENTRY_FOLDER = 2;

// The pattern that lists every entry, also used when none is given.
extern const wchar_t *const ALL_ENTRIES;

// Longest folder text a listing accepts; a longer one is refused rather than cut, because a cut
// path can name another folder that exists.
constexpr size_t FOLDER_MAX = 260;

// Releases any listing under the number, then lists `folder` with `pattern` ("*.*" when empty), the
// search text passed through path_file_calls_accept. Non-zero when the listing exists, also when the
// folder exists but nothing matches; 0 otherwise.
int open(Number number, const wchar_t *folder, const wchar_t *pattern);
// Steps to the next entry: non-zero while there is one, 0 at the end or without a listing.
int next(Number number);
// ENTRY_FILE, ENTRY_FOLDER, or ENTRY_NONE without a listing.
int entry_type(Number number);
// The current entry's bare name; the empty text without a listing.
std::wstring entry_name(Number number);

} // namespace listing
