#include "cleanup/long_paths.h"

#include <windows.h>

#include <cwchar>

namespace cleanup {

namespace {

const wchar_t *const EXTENDED_PREFIX = L"\\\\?\\";
const wchar_t *const EXTENDED_UNC_PREFIX = L"\\\\?\\UNC\\";
const wchar_t *const UNC_PREFIX = L"\\\\";

bool starts_with(const std::wstring &text, const wchar_t *start) {
    return text.compare(0, wcslen(start), start) == 0;
}

} // namespace

std::wstring file_call_form(const std::wstring &path) {
    if (path.size() < MAX_PATH || starts_with(path, EXTENDED_PREFIX))
        return path;
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    DWORD written = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (written == 0 || written >= needed)
        return path;
    full.resize(written);
    if (starts_with(full, UNC_PREFIX))
        return EXTENDED_UNC_PREFIX + full.substr(wcslen(UNC_PREFIX));
    return EXTENDED_PREFIX + full;
}

} // namespace cleanup
