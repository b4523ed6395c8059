// Times the program's own scan, rescan and junk removal on a real window against the bare
// Win32 loops they rest on, in one process:
//   krumenfeger_bench scan FOLDER RUNS
//   krumenfeger_bench remove PROGRAM_FOLDER_PREFIX BASELINE_FOLDER_PREFIX RUNS
//   krumenfeger_bench startup RUNS
//   krumenfeger_bench startup-process RUNS   (krumenfeger.exe against krumenfeger_bare_window.exe,
//                                             both beside this program: process start to first wait)
//   krumenfeger_bench list-growth interleaved|runs FOLDER  (plain list boxes, no program code)
//   krumenfeger_bench list-removal top|bottom COUNT         (one plain list box, no program code)
// The remove folders are PREFIX1 .. PREFIXn, one per run, each holding the same number of junk files.
// The list-growth folder is one named as in a music collection (bench/make_folders.py user).
#include "app/shell.h"
#include "bench/bare_window.h"
#include "bench/measure.h"
#include "cleanup/cleanup.h"
#include "common/identifiers.h"
#include "ui/ui.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void show_program_on(const std::wstring &folder) {
    cleanup::music_folder.path = with_backslash(folder);
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
    cleanup::Count files = cleanup::music_folder.junk_count + cleanup::music_folder.mp3_count +
                           cleanup::music_folder.other_count;
    double floor = median(walk);
    std::printf("scan files=%lld entries=%zu runs=%d bare_walk_ms=%.1f first_scan_ms=%.1f rescan_ms=%.1f "
                "first_ratio=%.2f rescan_ratio=%.2f peak_working_set_mib=%.1f\n",
                static_cast<long long>(files), entries, runs, floor, median(first), median(again),
                median(first) / floor, median(again) / floor, peak_working_set_mib(GetCurrentProcess()));
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

// Three plain list boxes filled with the names of FOLDER's files as a walk finds them: one at a time
// across the lists with room reserved ahead in doubling steps, or in runs of RUN_TEXTS per list with
// room reserved for each run. One way per process, so that its peak working set tells which way leaves
// Wine's heap full of holes (docs/performance.md, "Where the memory goes").
int bench_list_growth(const std::wstring &way, const std::wstring &folder) {
    constexpr int LISTS = static_cast<int>(cleanup::FileClass::count); // one list per class
    constexpr size_t RUN_TEXTS = 2048;
    constexpr int FIRST_RESERVATION = 1024;
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1200, 400,
                                  nullptr, nullptr, nullptr, nullptr);
    HWND lists[LISTS];
    for (int i = 0; i < LISTS; ++i) {
        lists[i] = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                   WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT |
                                       LBS_HASSTRINGS | LBS_NOTIFY,
                                   i * 400, 0, 380, 300, window, nullptr, nullptr, nullptr);
        SendMessageW(lists[i], WM_SETREDRAW, FALSE, 0);
    }
    bool in_runs = way == L"runs";
    std::vector<std::wstring> waiting[LISTS];
    int added[LISTS] = {};
    int reserved[LISTS] = {};
    auto add_run = [&](int list) {
        SendMessageW(lists[list], LB_INITSTORAGE, waiting[list].size(), 0);
        for (const std::wstring &text : waiting[list])
            SendMessageW(lists[list], LB_INSERTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(text.c_str()));
        waiting[list].clear();
    };
    LRESULT files = 0;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((with_backslash(folder) + L"*.*").c_str(), &entry);
    for (bool found = search != INVALID_HANDLE_VALUE; found; found = FindNextFileW(search, &entry)) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        ++files;
        std::wstring text = entry.cFileName;
        int list = static_cast<int>(cleanup::classify(text));
        if (in_runs) {
            waiting[list].push_back(text);
            if (waiting[list].size() == RUN_TEXTS)
                add_run(list);
            continue;
        }
        if (added[list] == reserved[list]) {
            int step = reserved[list] > 0 ? reserved[list] : FIRST_RESERVATION;
            SendMessageW(lists[list], LB_INITSTORAGE, static_cast<WPARAM>(step), 0);
            reserved[list] += step;
        }
        SendMessageW(lists[list], LB_INSERTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(text.c_str()));
        ++added[list];
    }
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    for (int list = 0; list < LISTS && in_runs; ++list)
        add_run(list);
    LRESULT items = 0;
    for (HWND list : lists)
        items += SendMessageW(list, LB_GETCOUNT, 0, 0);
    std::printf("list-growth way=%ls texts=%lld peak_working_set_mib=%.1f\n",
                in_runs ? L"runs" : L"interleaved", static_cast<long long>(items),
                peak_working_set_mib(GetCurrentProcess()));
    DestroyWindow(window);
    return files > 0 && items == files ? 0 : 1;
}

// One plain list box, held as the program holds its lists, filled with COUNT texts and emptied one
// text at a time, each read and then removed, from the top as the removal does or from the bottom.
// Without program code: what a removal from the top costs in the list box itself.
int bench_list_removal(const std::wstring &end, int count) {
    HWND list =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                        WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
                        0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(count), 0);
    for (int i = 0; i < count; ++i) {
        std::wstring text = L"C:\\Musik\\Interpret " + std::to_wstring(i) + L" - Titel.mp3_work.mp3";
        SendMessageW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    }
    const bool from_top = end == L"top";
    wchar_t text[MAX_PATH];
    double start = now_ms();
    for (LRESULT left = SendMessageW(list, LB_GETCOUNT, 0, 0); left > 0; --left) {
        WPARAM index = from_top ? 0 : static_cast<WPARAM>(left - 1);
        SendMessageW(list, LB_GETTEXTLEN, index, 0);
        SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
        SendMessageW(list, LB_DELETESTRING, index, 0);
    }
    double elapsed = now_ms() - start;
    std::printf("list-removal from=%ls texts=%d total_ms=%.1f per_text_us=%.2f\n", end.c_str(), count,
                elapsed, count > 0 ? 1000.0 * elapsed / count : 0.0);
    bool emptied = SendMessageW(list, LB_GETCOUNT, 0, 0) == 0;
    DestroyWindow(list);
    return emptied ? 0 : 1;
}

std::wstring beside_this_program(const wchar_t *name) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// From creating the process until it first waits for input, which is when WaitForInputIdle returns.
double time_to_first_wait(std::wstring command_line) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    double start = now_ms();
    if (!CreateProcessW(nullptr, &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return -1.0;
    DWORD idle = WaitForInputIdle(process.hProcess, 10000);
    double elapsed = now_ms() - start;
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return idle == 0 ? elapsed : -1.0;
}

int bench_startup_process(int runs) {
    std::wstring program = L"\"" + beside_this_program(L"krumenfeger.exe") + L"\"";
    std::wstring bare = L"\"" + beside_this_program(L"krumenfeger_bare_window.exe") + L"\"";
    std::vector<double> bare_times, program_times;
    // The first start of each loads its libraries from disk; later ones find them cached.
    time_to_first_wait(bare);
    time_to_first_wait(program);
    for (int run = 0; run < runs; ++run) {
        bare_times.push_back(time_to_first_wait(bare));
        program_times.push_back(time_to_first_wait(program));
    }
    bool measured = median(bare_times) > 0 && median(program_times) > 0;
    std::printf("startup-process runs=%d bare_ms=%.1f program_ms=%.1f ratio=%.2f\n", runs, median(bare_times),
                median(program_times), median(program_times) / median(bare_times));
    return measured ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"startup-process" && argc == 3)
        return bench_startup_process(_wtoi(argv[2]));
    if (mode == L"list-growth" && argc == 4)
        return bench_list_growth(argv[2], argv[3]);
    if (mode == L"list-removal" && argc == 4)
        return bench_list_removal(argv[2], _wtoi(argv[3]));
    ui::initialise();
    cleanup::reset_state();
    if (!app::open_main_window())
        return 2;
    int result = 2;
    if (mode == L"scan" && argc == 4)
        result = bench_scan(argv[2], _wtoi(argv[3]));
    else if (mode == L"startup" && argc == 3)
        result = bench_startup(_wtoi(argv[2]));
    else if (mode == L"remove" && argc == 5)
        result = bench_remove(argv[2], argv[3], _wtoi(argv[4]));
    else
        std::fprintf(stderr, "usage: krumenfeger_bench scan FOLDER RUNS | remove PROGRAM_PREFIX "
                             "BASELINE_PREFIX RUNS | startup RUNS | startup-process RUNS | list-growth "
                             "interleaved|runs FOLDER | list-removal top|bottom COUNT\n");
    ui::shut_down();
    return result;
}
