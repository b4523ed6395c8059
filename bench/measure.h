// What both benchmarks measure with: the clock, medians, the bare walk a scan is held against, and a
// process's peak working set.
#pragma once

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <string>
#include <vector>

inline double now_ms() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

inline std::wstring with_backslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return folder;
}

// The floor for a scan: list the folder and touch each name, nothing else; `names`, when given,
// receives the files' full paths. Returns the number of entries.
inline size_t bare_walk(const std::wstring &folder, std::vector<std::wstring> *names) {
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

inline double peak_working_set_mib(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(process, &counters, sizeof counters))
        return 0.0;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}
