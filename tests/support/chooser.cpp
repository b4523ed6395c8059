#include "tests/support/chooser.h"

#include <commctrl.h>

#include <iterator>

namespace testing_support {

namespace {

const wchar_t *const REPEAT_CHOOSER_SELECTION = L"KRUMENFEGER_REPEAT_CHOOSER_SELECTION";

BOOL CALLBACK find_tree(HWND child, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(child, name, static_cast<int>(std::size(name)));
    if (_wcsicmp(name, WC_TREEVIEWW) != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(found) = child;
    return FALSE;
}

} // namespace

bool chooser_needs_repeats() { return GetEnvironmentVariableW(REPEAT_CHOOSER_SELECTION, nullptr, 0) != 0; }

HWND chooser_tree(HWND dialog) {
    HWND tree = nullptr;
    if (dialog) // a null parent would search every top-level window
        EnumChildWindows(dialog, find_tree, reinterpret_cast<LPARAM>(&tree));
    return tree;
}

} // namespace testing_support
