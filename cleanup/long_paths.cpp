#include "cleanup/long_paths.h"

#include <windows.h>

#include <cwchar>

namespace cleanup {

namespace {

const wchar_t *const EXTENDED_PREFIX = L"\\\\?\\";
const wchar_t *const DEVICE_PREFIX = L"\\\\.\\";
const wchar_t *const EXTENDED_UNC_PREFIX = L"\\\\?\\UNC\\";
const wchar_t *const UNC_PREFIX = L"\\\\";

bool starts_with(const std::wstring &text, const wchar_t *start) {
    return text.compare(0, wcslen(start), start) == 0;
}

// The absolute, normalised form of `path`; empty when there is none.
std::wstring absolute_form(const std::wstring &path) {
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return std::wstring();
    std::wstring full(needed, L'\0');
    DWORD written = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (written == 0 || written >= needed)
        return std::wstring();
    full.resize(written);
    return full;
}

} // namespace

std::wstring path_file_calls_accept(const std::wstring &path) {
    if (starts_with(path, EXTENDED_PREFIX))
        return path;
    const std::wstring full = absolute_form(path);
    // A device path written with slashes is one too, which only its absolute form shows.
    if (full.size() < MAX_PATH || starts_with(full, EXTENDED_PREFIX) || starts_with(full, DEVICE_PREFIX))
        return path;
    if (starts_with(full, UNC_PREFIX))
        return EXTENDED_UNC_PREFIX + full.substr(wcslen(UNC_PREFIX));
    return EXTENDED_PREFIX + full;
}

} // namespace cleanup
