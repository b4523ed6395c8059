// Measures what a user pays for a first scan: the real krumenfeger.exe, started as its own process,
// its "choose" button pressed, the folder selected in the real folder chooser and OK pressed, until
// the counts are final. Driven through the end-to-end tests' driver:
//   krumenfeger_user_bench PROGRAM FOLDER RUNS
// Prints the median first scan against the median bare walk of the same folder in this process, this
// process's own peak working set after its first walk, and the program's peak working set with the
// folder selected in the chooser and after the scan (medians, and the largest after it).
#include "bench/measure.h"
#include "tests/e2e/driver.h"
#include "tests/e2e/expected.h"
#include "tests/e2e/folders.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

using namespace e2e;

namespace {

constexpr DWORD SCAN_WAIT_MS = 120000; // 100,000 files under emulation

struct Run {
    double scan_ms = 0.0;
    double chooser_mib = 0.0;
    double scanned_mib = 0.0;
};

// One user's first scan in a fresh program; false (with the reason printed) where any step fails.
bool first_scan(const std::wstring &program_path, const std::wstring &folder, const Classified &expected,
                Run *run) {
    Program program;
    if (!program.start(program_path, std::wstring())) {
        std::printf("the program did not start\n");
        return false;
    }
    HWND chooser = nullptr;
    if (!click_gadget(program.window(), BUTTON_CHOOSE) ||
        !(chooser = wait_for_dialog(program.id(), CHOOSER_WAIT_MS)) || !is_folder_chooser(chooser)) {
        std::printf("no folder chooser\n");
        return false;
    }
    if (!select_folder(program.process(), chooser, folder)) {
        std::printf("the chooser did not select the folder\n");
        return false;
    }
    run->chooser_mib = peak_working_set_mib(program.process());

    double start = now_ms();
    if (!answer(chooser, IDOK)) {
        std::printf("the chooser did not close\n");
        return false;
    }
    // The scan runs in the program's one thread without taking messages, so this message is
    // answered once the chooser is gone and the scan has ended.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(program.window(), WM_NULL, 0, 0, SMTO_NORMAL, SCAN_WAIT_MS, &result)) {
        std::printf("the scan did not end\n");
        return false;
    }
    run->scan_ms = now_ms() - start;
    run->scanned_mib = peak_working_set_mib(program.process());

    if (status_field(program, FIELD_JUNK) != count_text(JUNK_PREFIX, expected.junk.size()) ||
        status_field(program, FIELD_MP3) != count_text(MP3_PREFIX, expected.mp3.size()) ||
        status_field(program, FIELD_OTHER) != count_text(OTHER_PREFIX, expected.other.size())) {
        std::printf("the counts shown are not the folder's\n");
        return false;
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc != 4) {
        std::printf("usage: krumenfeger_user_bench PROGRAM FOLDER RUNS\n");
        return 2;
    }
    const std::wstring program_path = argv[1];
    const std::wstring folder = argv[2];
    const int runs = std::max(1, _wtoi(argv[3]));

    // The first walk warms the file system's caches. Each program follows a walk of its own, so that
    // both see the machine alike; the peak is taken before the names are kept.
    if (bare_walk(folder, nullptr) == 0) {
        std::printf("no folder %ls\n", folder.c_str());
        return 1;
    }
    std::vector<double> walks;
    std::vector<double> scans;
    std::vector<double> chooser_peaks;
    std::vector<double> scanned_peaks;
    double walk_peak = 0.0;
    Classified expected;
    for (int i = 0; i < runs; ++i) {
        double start = now_ms();
        bare_walk(folder, nullptr);
        walks.push_back(now_ms() - start);
        if (i == 0) {
            walk_peak = peak_working_set_mib(GetCurrentProcess());
            expected = classify_folder(folder);
        }
        Run run;
        if (!first_scan(program_path, folder, expected, &run))
            return 1;
        scans.push_back(run.scan_ms);
        chooser_peaks.push_back(run.chooser_mib);
        scanned_peaks.push_back(run.scanned_mib);
    }
    const size_t files = expected.junk.size() + expected.mp3.size() + expected.other.size();
    double walk = median(walks);
    double scan = median(scans);
    std::printf("user files=%zu runs=%d bare_walk_ms=%.1f first_scan_ms=%.1f ratio=%.2f walk_peak_mib=%.1f "
                "chooser_peak_mib=%.1f scanned_peak_mib=%.1f scanned_peak_max_mib=%.1f\n",
                files, runs, walk, scan, walk > 0 ? scan / walk : 0.0, walk_peak, median(chooser_peaks),
                median(scanned_peaks), *std::max_element(scanned_peaks.begin(), scanned_peaks.end()));
    return 0;
}
