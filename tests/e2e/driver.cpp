#include "tests/e2e/driver.h"

#include "tests/support/chooser.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cwchar>

namespace e2e {

namespace {

const wchar_t *const DIALOG_CLASS = L"#32770";
const wchar_t *const POPUP_MENU_CLASS = L"#32768";
const int START_BUTTON_QUIT = 6; // the last gadget the start window creates
constexpr int MAX_STATUS_FIELDS = 256;

// A visible top-level window of a process: of the class given, or, without one, the main window
// (no owner, neither a dialog nor a menu).
struct WindowSearch {
    DWORD process_id;
    const wchar_t *class_name;
    HWND other;
    HWND found;
};

BOOL CALLBACK find_window(HWND window, LPARAM param) {
    auto &search = *reinterpret_cast<WindowSearch *>(param);
    DWORD owner_process = 0;
    GetWindowThreadProcessId(window, &owner_process);
    if (owner_process != search.process_id || window == search.other || !IsWindowVisible(window))
        return TRUE;
    std::wstring name = class_of(window);
    bool wanted = search.class_name
                      ? name == search.class_name
                      : name != DIALOG_CLASS && name != POPUP_MENU_CLASS && !GetWindow(window, GW_OWNER);
    if (!wanted)
        return TRUE;
    search.found = window;
    return FALSE;
}

HWND find_top_window(DWORD process_id, const wchar_t *class_name, HWND other) {
    WindowSearch search = {process_id, class_name, other, nullptr};
    EnumWindows(find_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND wait_for_top_window(DWORD process_id, const wchar_t *class_name, DWORD ms, HWND other) {
    HWND found = nullptr;
    wait_until([&] { return (found = find_top_window(process_id, class_name, other)) != nullptr; }, ms);
    return found;
}

constexpr int ITEM_TEXT_CHARS = MAX_PATH;

std::wstring tree_item_text(HANDLE process, HWND tree, LRESULT item) {
    if (!item)
        return std::wstring();
    // The item record and its text buffer, both in the tree's process.
    RemoteBuffer remote(process, sizeof(TVITEMW) + ITEM_TEXT_CHARS * sizeof(wchar_t));
    TVITEMW query = {};
    query.mask = TVIF_TEXT;
    query.hItem = reinterpret_cast<HTREEITEM>(item);
    query.pszText = reinterpret_cast<wchar_t *>(remote.address() + sizeof(TVITEMW));
    query.cchTextMax = ITEM_TEXT_CHARS;
    if (!remote.write(&query, sizeof query) || !send(tree, TVM_GETITEMW, 0, remote.address()))
        return std::wstring();
    std::vector<char> bytes(sizeof(TVITEMW) + ITEM_TEXT_CHARS * sizeof(wchar_t));
    if (!remote.read(bytes.data(), bytes.size()))
        return std::wstring();
    const wchar_t *text = reinterpret_cast<const wchar_t *>(bytes.data() + sizeof(TVITEMW));
    return std::wstring(text, wcsnlen(text, ITEM_TEXT_CHARS));
}

// The first item at or below `item` (and its siblings) whose text satisfies `wanted`.
template <typename Wanted>
LRESULT find_item(HANDLE process, HWND tree, LRESULT item, Wanted wanted, bool descend) {
    for (; item; item = send(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        if (wanted(tree_item_text(process, tree, item)))
            return item;
        if (descend) {
            LRESULT found =
                find_item(process, tree, send(tree, TVM_GETNEXTITEM, TVGN_CHILD, item), wanted, true);
            if (found)
                return found;
        }
    }
    return 0;
}

// Selects `folder` (a path on a drive) by expanding the tree from the drive's item down.
bool select_in_tree(HANDLE process, HWND chooser, const std::wstring &folder) {
    HWND tree = testing_support::chooser_tree(chooser);
    if (!tree || folder.size() < 3 || folder[1] != L':')
        return false;
    std::wstring drive = L"(" + folder.substr(0, 2) + L")"; // the drive's item reads "<label> (C:)"
    LRESULT item = find_item(
        process, tree, send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0),
        [&](const std::wstring &text) {
            return text.size() >= drive.size() &&
                   _wcsicmp(text.c_str() + text.size() - drive.size(), drive.c_str()) == 0;
        },
        true);
    for (size_t start = 3; item && start < folder.size();) {
        size_t end = folder.find(L'\\', start);
        if (end == std::wstring::npos)
            end = folder.size();
        std::wstring name = folder.substr(start, end - start);
        send(tree, TVM_EXPAND, TVE_EXPAND, item);
        item = find_item(
            process, tree, send(tree, TVM_GETNEXTITEM, TVGN_CHILD, item),
            [&](const std::wstring &text) { return _wcsicmp(text.c_str(), name.c_str()) == 0; }, false);
        start = end + 1;
    }
    return item && send(tree, TVM_SELECTITEM, TVGN_CARET, item);
}

} // namespace

Program::~Program() { kill(); }

bool Program::start(const std::wstring &exe, const std::wstring &directory) {
    kill();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring command = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info_)) {
        info_ = {};
        return false;
    }
    bool ready = (window_ = wait_for_top_window(id(), nullptr, WAIT_MS, nullptr)) != nullptr &&
                 wait_until([this] { return GetDlgItem(window_, START_BUTTON_QUIT) != nullptr; }) &&
                 WaitForInputIdle(info_.hProcess, WAIT_MS) == 0 && settle(window_);
    if (!ready)
        kill();
    return ready;
}

bool Program::wait_for_exit(DWORD ms, DWORD *exit_code) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, ms) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(info_.hProcess, exit_code) != 0;
}

bool Program::running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Program::kill() {
    if (!info_.hProcess)
        return;
    if (running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, WAIT_MS);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = {};
    window_ = nullptr;
}

RemoteBuffer::RemoteBuffer(HANDLE process, size_t bytes)
    : process_(process),
      address_(VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}

RemoteBuffer::~RemoteBuffer() {
    if (address_)
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

bool RemoteBuffer::write(const void *data, size_t bytes) {
    SIZE_T written = 0;
    return address_ && WriteProcessMemory(process_, address_, data, bytes, &written) && written == bytes;
}

bool RemoteBuffer::read(void *data, size_t bytes) const {
    SIZE_T got = 0;
    return address_ && ReadProcessMemory(process_, address_, data, bytes, &got) && got == bytes;
}

std::wstring beside_this_program(const wchar_t *name) {
    wchar_t path[MAX_PATH] = L"";
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    size_t separator = folder.find_last_of(L"\\/");
    return (separator == std::wstring::npos ? std::wstring() : folder.substr(0, separator + 1)) + name;
}

LRESULT send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_NORMAL, WAIT_MS, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

bool settle(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, WAIT_MS, &result) != 0;
}

std::wstring text_of(HWND window) {
    if (!window)
        return std::wstring();
    LRESULT length = send(window, WM_GETTEXTLENGTH);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

std::wstring class_of(HWND window) {
    wchar_t name[64] = L"";
    int length = GetClassNameW(window, name, 64);
    return std::wstring(name, length > 0 ? length : 0);
}

RECT frame_of(HWND window) {
    RECT frame = {};
    GetWindowRect(window, &frame);
    return frame;
}

RECT client_on_screen(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT *>(&client), 2);
    return client;
}

RECT child_rect(HWND child) {
    RECT rect = frame_of(child);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

HWND wait_for_dialog(DWORD process_id, DWORD ms, HWND other) {
    return wait_for_top_window(process_id, DIALOG_CLASS, ms, other);
}

HWND find_dialog(DWORD process_id) { return find_top_window(process_id, DIALOG_CLASS, nullptr); }

HWND wait_for_popup_menu(DWORD process_id) {
    return wait_for_top_window(process_id, POPUP_MENU_CLASS, WAIT_MS, nullptr);
}

bool is_folder_chooser(HWND dialog) { return testing_support::chooser_tree(dialog) != nullptr; }

std::wstring message_box_text(HWND box) { return text_of(GetDlgItem(box, 0xFFFF)); }

bool answer(HWND dialog, int button) {
    if (!dialog || !PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button))))
        return false;
    return wait_until([dialog] { return !IsWindow(dialog) || !IsWindowVisible(dialog); });
}

bool select_folder(HANDLE process, HWND chooser, const std::wstring &folder) {
    size_t bytes = (folder.size() + 1) * sizeof(wchar_t);
    RemoteBuffer path(process, bytes);
    if (!path.write(folder.c_str(), bytes))
        return false;
    // The chooser takes the path from its own memory and selects it before the message returns.
    send(chooser, BFFM_SETSELECTIONW, TRUE, path.address());
    std::wstring name = folder.substr(folder.find_last_of(L'\\') + 1);
    // Wine's chooser now and then stops short of a path it is given (its walk down the tree does
    // not recognise one of the folders); a person then opens the tree folder by folder, and so
    // does this, where the Wine wrapper says so. On Windows the path must be selected at once.
    if (chooser_selection(process, chooser) != name && testing_support::chooser_needs_repeats())
        select_in_tree(process, chooser, folder);
    return chooser_selection(process, chooser) == name;
}

bool choose_folder(HANDLE process, HWND chooser, const std::wstring &folder) {
    return select_folder(process, chooser, folder) && answer(chooser, IDOK);
}

std::wstring chooser_selection(HANDLE process, HWND chooser) {
    HWND tree = testing_support::chooser_tree(chooser);
    return tree_item_text(process, tree, send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

bool click_gadget(HWND window, int gadget) {
    HWND button = GetDlgItem(window, gadget);
    return button && PostMessageW(button, BM_CLICK, 0, 0);
}

bool choose_menu_item(HWND window, int item) {
    return PostMessageW(window, WM_COMMAND, MAKEWPARAM(item, 0), 0) != 0;
}

bool press_close_box(HWND window) { return PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != 0; }

std::vector<std::wstring> list_items(HWND list) {
    std::vector<std::wstring> items;
    LRESULT count = send(list, LB_GETCOUNT);
    for (LRESULT index = 0; index < count; ++index) {
        LRESULT length = send(list, LB_GETTEXTLEN, static_cast<WPARAM>(index));
        std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
        LRESULT copied =
            send(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
        items.push_back(text);
    }
    return items;
}

HWND status_bar_of(HWND window) { return FindWindowExW(window, nullptr, STATUSCLASSNAMEW, nullptr); }

std::vector<int> status_edges(HANDLE process, HWND bar) {
    RemoteBuffer remote(process, MAX_STATUS_FIELDS * sizeof(int));
    if (!bar || !remote.valid())
        return {};
    LRESULT count = send(bar, SB_GETPARTS, MAX_STATUS_FIELDS, remote.address());
    std::vector<int> edges(static_cast<size_t>(count > 0 ? count : 0));
    if (!edges.empty() && !remote.read(edges.data(), edges.size() * sizeof(int)))
        return {};
    return edges;
}

std::wstring status_text(HANDLE process, HWND bar, int field) {
    if (!bar)
        return std::wstring();
    size_t length = LOWORD(send(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(field)));
    std::wstring text(length + 1, L'\0');
    RemoteBuffer remote(process, text.size() * sizeof(wchar_t));
    if (!remote.write(text.data(), text.size() * sizeof(wchar_t)))
        return std::wstring();
    send(bar, SB_GETTEXTW, static_cast<WPARAM>(field), remote.address());
    if (!remote.read(&text[0], text.size() * sizeof(wchar_t)))
        return std::wstring();
    text.resize(length);
    return text;
}

std::wstring status_field(const Program &program, int field) {
    return status_text(program.process(), status_bar_of(program.window()), field);
}

std::wstring count_text(const wchar_t *prefix, size_t count) { return prefix + std::to_wstring(count); }

std::vector<MenuEntry> menu_entries(HMENU menu) {
    std::vector<MenuEntry> entries;
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[128] = L"";
        int length = GetMenuStringW(menu, static_cast<UINT>(position), text, 128, MF_BYPOSITION);
        UINT command = GetMenuItemID(menu, position);
        entries.push_back({std::wstring(text, length > 0 ? length : 0),
                           command == static_cast<UINT>(-1) ? -1 : static_cast<int>(command)});
    }
    return entries;
}

} // namespace e2e
