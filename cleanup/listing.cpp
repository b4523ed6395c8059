#include "cleanup/listing.h"

#include "cleanup/long_paths.h"

#include <windows.h>

#include <map>

namespace listing {

const wchar_t *const ALL_ENTRIES = L"*.*";

namespace {

struct Listing {
    HANDLE search = INVALID_HANDLE_VALUE;
    bool first_pending = false;
    WIN32_FIND_DATAW entry = {};
};

// Only the program's one thread lists folders.
std::map<Number, Listing> listings;

void release(Number number) {
    auto it = listings.find(number);
    if (it == listings.end())
        return;
    if (it->second.search != INVALID_HANDLE_VALUE)
        FindClose(it->second.search);
    listings.erase(it);
}

Listing *find(Number number) {
    auto it = listings.find(number);
    return it == listings.end() ? nullptr : &it->second;
}

} // namespace

int open(Number number, const wchar_t *folder, const wchar_t *pattern) {
    release(number);
    std::wstring search_text(folder ? folder : L"");
    if (number < 0 || search_text.size() > FOLDER_MAX)
        return 0;
    if (!search_text.empty() && search_text.back() != L'\\')
        search_text += L'\\';
    search_text += pattern && *pattern ? pattern : ALL_ENTRIES;

    // Made before the search starts, so that nothing comes between the search and its error.
    const std::wstring call_text = cleanup::path_file_calls_accept(search_text);
    Listing listing;
    listing.search = FindFirstFileW(call_text.c_str(), &listing.entry);
    if (listing.search == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND)
            return 0;
        listing.entry = WIN32_FIND_DATAW();
    } else {
        listing.first_pending = true;
    }
    listings[number] = listing;
    return 1;
}

int next(Number number) {
    Listing *listing = find(number);
    if (!listing || listing->search == INVALID_HANDLE_VALUE)
        return 0;
    if (listing->first_pending) {
        listing->first_pending = false;
        return 1;
    }
    return FindNextFileW(listing->search, &listing->entry) ? 1 : 0;
}

int entry_type(Number number) {
    Listing *listing = find(number);
    if (!listing)
        return ENTRY_NONE;
    return (listing->entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? ENTRY_FOLDER : ENTRY_FILE;
}

std::wstring entry_name(Number number) {
    Listing *listing = find(number);
    return listing ? std::wstring(listing->entry.cFileName) : std::wstring();
}

} // namespace listing
