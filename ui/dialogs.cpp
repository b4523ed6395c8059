// Modal dialogs: message boxes and the shell's folder chooser.
#include "ui/layer.h"

#include <objbase.h>
#include <shlobj.h>

namespace ui {

namespace {

constexpr wchar_t SHELL_LIBRARY[] = L"SHELL32.DLL";
constexpr size_t INITIAL_PATH_MAX = 259;
constexpr size_t DRIVE_ROOT_LENGTH = 3; // "C:\" keeps its backslash

using BrowseForFolder = PIDLIST_ABSOLUTE(WINAPI *)(LPBROWSEINFOW);
using PathFromItemList = BOOL(WINAPI *)(PCIDLIST_ABSOLUTE, LPWSTR);

thread_local bool com_initialised_for_chooser;

BOOL CALLBACK disable_if_other(HWND window, LPARAM disabled) {
    if (window != GetForegroundWindow() && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        reinterpret_cast<std::vector<HWND> *>(disabled)->push_back(window);
    }
    return TRUE;
}

int CALLBACK select_initial_folder(HWND dialog, UINT message, LPARAM, LPARAM initial_path) {
    if (message == BFFM_INITIALIZED)
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, initial_path);
    return 0;
}

// The shell library, loaded for one choice and freed on every way out of it.
class LoadedShell {
  public:
    LoadedShell() : module_(LoadLibraryW(SHELL_LIBRARY)) {}
    ~LoadedShell() {
        if (module_)
            FreeLibrary(module_);
    }
    LoadedShell(const LoadedShell &) = delete;
    LoadedShell &operator=(const LoadedShell &) = delete;
    // Null when the library cannot be loaded.
    HMODULE module() const { return module_; }

  private:
    HMODULE module_;
};

// A function of the shell library, looked up by name so that the program never imports it.
template <typename Function> Function shell_function(HMODULE shell, const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(shell, name)));
}

// Disables the thread's visible, enabled top-level windows except the foreground window and
// returns them, so that enable_windows() gives exactly those back.
std::vector<HWND> disable_other_windows() {
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), disable_if_other, reinterpret_cast<LPARAM>(&disabled));
    return disabled;
}

void enable_windows(const std::vector<HWND> &disabled) {
    for (HWND window : disabled)
        EnableWindow(window, TRUE);
}

// The foreground window when it belongs to this process, else null.
HWND owner_for_dialog() {
    HWND foreground = GetForegroundWindow();
    DWORD process = 0;
    if (foreground)
        GetWindowThreadProcessId(foreground, &process);
    return process == GetCurrentProcessId() ? foreground : nullptr;
}

std::wstring browse(HMODULE shell, const wchar_t *prompt, const std::wstring &initial) {
    BrowseForFolder browse_for_folder = shell_function<BrowseForFolder>(shell, "SHBrowseForFolderW");
    if (!browse_for_folder)
        return std::wstring();

    BROWSEINFOW info = {};
    info.hwndOwner = owner_for_dialog();
    info.lpszTitle = prompt ? prompt : L"";
    info.ulFlags = BIF_NEWDIALOGSTYLE;
    info.lpfn = select_initial_folder;
    info.lParam = reinterpret_cast<LPARAM>(initial.c_str());

    std::vector<HWND> disabled = disable_other_windows();
    PIDLIST_ABSOLUTE item = browse_for_folder(&info);
    enable_windows(disabled);
    if (!item)
        return std::wstring();

    wchar_t path[MAX_PATH] = L""; // the most the shell writes, terminator included
    PathFromItemList path_from_item = shell_function<PathFromItemList>(shell, "SHGetPathFromIDListW");
    if (!path_from_item || !path_from_item(item, path))
        path[0] = L'\0';
    CoTaskMemFree(item);

    std::wstring chosen(path);
    if (!chosen.empty() && chosen.back() != L'\\')
        chosen += L'\\';
    return chosen;
}

} // namespace

int message_box(const wchar_t *title, const wchar_t *text, unsigned flags) {
    HWND owner = owner_for_dialog();
    std::vector<HWND> disabled = disable_other_windows();
    int answer = MessageBoxW(owner, text ? text : L"", title ? title : L"", flags);
    enable_windows(disabled);
    // A box that could not be created may come back as the dialog manager's -1; callers expect 0.
    return answer > 0 ? answer : 0;
}

std::wstring choose_folder(const wchar_t *prompt, const wchar_t *initial_path) {
    if (!com_initialised_for_chooser) {
        CoInitialize(nullptr);
        com_initialised_for_chooser = true;
    }
    LoadedShell shell;
    if (!shell.module())
        return std::wstring();

    std::wstring initial(initial_path ? initial_path : L"");
    if (initial.size() > INITIAL_PATH_MAX)
        initial.resize(INITIAL_PATH_MAX);
    if (initial.size() > DRIVE_ROOT_LENGTH && initial.back() == L'\\')
        initial.pop_back();

    return browse(shell.module(), prompt, initial);
}

} // namespace ui
