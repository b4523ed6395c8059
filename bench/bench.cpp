// Times the program's own scan, rescan and junk removal on a real window against the bare
// Win32 loops they rest on, in one process:
//   krumenfeger_bench scan FOLDER RUNS
//   krumenfeger_bench remove PROGRAM_FOLDER_PREFIX BASELINE_FOLDER_PREFIX RUNS
//   krumenfeger_bench startup RUNS
// The remove folders are PREFIX1 .. PREFIXn, one per run, each holding the same number of junk files.
#include "app/identifiers.h"
#include "app/shell.h"
#include "cleanup/cleanup.h"
#include "ui/ui.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

double now_ms() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

std::wstring with_backslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

// The floor for a scan: list the folder and touch each name, nothing else.
size_t bare_walk(const std::wstring &folder, std::vector<std::wstring> *names) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((with_backslash(folder) + L"*.*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    size_t touched = 0;
    do {
        touched += entry.cFileName[0] != 0;
        if (names && !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names->push_back(with_backslash(folder) + entry.cFileName);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return touched;
}

double peak_working_set_mib() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

void show_program_on(const std::wstring &folder) {
    cleanup::state.music_folder = with_backslash(folder);
    cleanup::show_results_view();
}

int bench_scan(const std::wstring &folder, int runs) {
    std::vector<double> walk, first, again;
    size_t entries = 0;
    for (int run = 0; run < runs; ++run) {
        double start = now_ms();
        entries = bare_walk(folder, nullptr);
        walk.push_back(now_ms() - start);

        show_program_on(folder);
        start = now_ms();
        cleanup::first_scan();
        first.push_back(now_ms() - start);

        start = now_ms();
        cleanup::rescan();
        again.push_back(now_ms() - start);
    }
    ui::Id files = cleanup::state.junk_count + cleanup::state.mp3_count + cleanup::state.other_count;
    double floor = median(walk);
    std::printf("scan files=%lld entries=%zu runs=%d bare_walk_ms=%.1f first_scan_ms=%.1f rescan_ms=%.1f "
                "first_ratio=%.2f rescan_ratio=%.2f peak_working_set_mib=%.1f\n",
                static_cast<long long>(files), entries, runs, floor, median(first), median(again),
                median(first) / floor, median(again) / floor, peak_working_set_mib());
    return files > 0 ? 0 : 1;
}

int bench_remove(const std::wstring &program_prefix, const std::wstring &baseline_prefix, int runs) {
    std::vector<double> loop, removal;
    size_t files = 0;
    bool all_gone = true;
    for (int run = 1; run <= runs; ++run) {
        std::vector<std::wstring> names;
        bare_walk(baseline_prefix + std::to_wstring(run), &names);
        files = names.size();
        double start = now_ms();
        for (const std::wstring &name : names)
            DeleteFileW(name.c_str());
        loop.push_back(now_ms() - start);

        show_program_on(program_prefix + std::to_wstring(run));
        cleanup::first_scan();
        start = now_ms();
        cleanup::delete_listed_junk();
        removal.push_back(now_ms() - start);
        all_gone = all_gone && ui::count_items(ids::LIST_JUNK) == 0;
    }
    double floor = median(loop);
    std::printf("remove files=%zu runs=%d bare_delete_ms=%.1f removal_ms=%.1f ratio=%.2f all_gone=%d\n",
                files, runs, floor, median(removal), median(removal) / floor, all_gone ? 1 : 0);
    return all_gone && files > 0 ? 0 : 1;
}

// The floor for start-up: the same window, menu, status bar and buttons in plain Win32, shown
// either once it is complete, as a hand-written program would, or at once, as the program does.
HWND bare_open(bool show_first) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    window_class.lpszClassName = L"BareWindow";
    RegisterClassExW(&window_class);
    RECT outer = {0, 0, 200, 180};
    AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU, FALSE, 0);
    HWND window = CreateWindowExW(0, L"BareWindow", L"Bare", WS_CAPTION | WS_SYSMENU, 100, 200,
                                  outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                  window_class.hInstance, nullptr);
    if (show_first)
        ShowWindow(window, SW_SHOWNORMAL);
    HMENU bar = CreateMenu(), file = CreateMenu(), information = CreateMenu();
    AppendMenuW(file, MF_STRING, 2, L"Beenden");
    AppendMenuW(information, MF_STRING, 3, L"über...");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"Datei");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(information), L"Information");
    SetMenu(window, bar);
    HWND status = CreateStatusWindowW(WS_CHILD | WS_VISIBLE, L"", window, 1);
    int edges[] = {60, 160, 173, 186, 199};
    SendMessageW(status, SB_SETPARTS, 5, reinterpret_cast<LPARAM>(edges));
    SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L" Version"));
    SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"0.9 "));
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    const wchar_t *texts[] = {L"Vumbrel Musikverzeichnis wählen", L"Programm beenden"};
    for (int i = 0; i < 2; ++i) {
        HWND button = CreateWindowExW(0, L"Button", texts[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10,
                                      30 + 50 * i, 180, 40, window, nullptr, window_class.hInstance, nullptr);
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (!show_first)
        ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

int bench_startup(int runs) {
    std::vector<double> bare, bare_shown_first, program;
    ui::shut_down();
    for (int run = 0; run < runs; ++run) {
        for (bool show_first : {false, true}) {
            double start = now_ms();
            HWND window = bare_open(show_first);
            (show_first ? bare_shown_first : bare).push_back(now_ms() - start);
            DestroyWindow(window);
            UnregisterClassW(L"BareWindow", GetModuleHandleW(nullptr));
        }

        double start = now_ms();
        ui::initialise();
        cleanup::reset_state();
        app::open_main_window();
        program.push_back(now_ms() - start);
        ui::shut_down();
    }
    std::printf("startup runs=%d bare_ms=%.2f bare_shown_first_ms=%.2f program_ms=%.2f ratio=%.2f "
                "ratio_to_shown_first=%.2f\n",
                runs, median(bare), median(bare_shown_first), median(program), median(program) / median(bare),
                median(program) / median(bare_shown_first));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    ui::initialise();
    cleanup::reset_state();
    if (!app::open_main_window())
        return 2;
    int result = 2;
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"scan" && argc == 4)
        result = bench_scan(argv[2], _wtoi(argv[3]));
    else if (mode == L"startup" && argc == 3)
        result = bench_startup(_wtoi(argv[2]));
    else if (mode == L"remove" && argc == 5)
        result = bench_remove(argv[2], argv[3], _wtoi(argv[4]));
    else
        std::fprintf(stderr, "usage: krumenfeger_bench scan FOLDER RUNS | remove PROGRAM_PREFIX "
                             "BASELINE_PREFIX RUNS | startup RUNS\n");
    ui::shut_down();
    return result;
}
