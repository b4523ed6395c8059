// Measures what a user pays: the real krumenfeger.exe, started as its own process, its "choose" button
// pressed, the folder selected in the real folder chooser and OK pressed, until the counts are final;
// then "Neu einlesen"; and with `remove`, "Müll löschen" answered with Yes. Driven through the
// end-to-end tests' driver:
//   krumenfeger_user_bench PROGRAM FOLDER RUNS            the same folder in every run
//   krumenfeger_user_bench PROGRAM FOLDER RUNS remove     FOLDER1..FOLDERn, each with a twin FOLDERi-bare
// Prints the median first scan and rescan against the median bare walk of the same folder in this
// process, the median removal and bare DeleteFileW loop over the twin's junk files with the median of
// each run's ratio of the two, this process's own peak working set after its first walk, and the program's
// peak working set with the folder selected in the chooser and after the scan (medians), and the largest at
// the end of a run.
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

constexpr DWORD WORK_WAIT_MS = 300000; // 100,000 junk files under emulation
constexpr double WORK_START_WAIT_MS = 1000.0;

struct Run {
    double scan_ms = 0.0;
    double rescan_ms = 0.0; // 0 where too short to be seen
    double removal_ms = 0.0;
    double chooser_mib = 0.0;
    double scanned_mib = 0.0;
    double removed_mib = 0.0;
};

double ratio(double part, double whole) { return whole > 0 ? part / whole : 0.0; }

// The program's one thread runs a scan or removal without taking messages, so a message to it is
// answered once that work has ended; false if it is not answered in time.
bool work_ended(const Program &program) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(program.window(), WM_NULL, 0, 0, SMTO_NORMAL, WORK_WAIT_MS, &result) != 0;
}

// Waits for the work a posted click started; false if it did not end. That work holds the status
// bar's painting, which hides it: this process sees it start without the program's help, whereas a
// message to the program could be answered before the click is taken. `seen` tells whether the
// start was seen; work too short for a poll to see it is over by then.
bool wait_for_work(const Program &program, HWND held_bar, bool *seen) {
    const double start = now_ms();
    while (!(*seen = !IsWindowVisible(held_bar)) && now_ms() - start < WORK_START_WAIT_MS)
        Sleep(1);
    return work_ended(program);
}

// A class without files shows no count.
bool count_shown(const Program &program, int field, const wchar_t *prefix, size_t count) {
    const std::wstring shown = status_field(program, field);
    return shown == count_text(prefix, count) || (count == 0 && shown.empty());
}

bool counts_shown(const Program &program, size_t junk, size_t mp3, size_t other) {
    return count_shown(program, FIELD_JUNK, JUNK_PREFIX, junk) &&
           count_shown(program, FIELD_MP3, MP3_PREFIX, mp3) &&
           count_shown(program, FIELD_OTHER, OTHER_PREFIX, other);
}

// One user's first scan and rescan in a fresh program, and the removal when asked; false (with the
// reason printed) where any step fails.
bool user_run(const std::wstring &program_path, const std::wstring &folder, const Classified &expected,
              bool remove, Run *run) {
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
    // Once the chooser is gone, the scan runs.
    if (!work_ended(program)) {
        std::printf("the scan did not end\n");
        return false;
    }
    run->scan_ms = now_ms() - start;
    run->scanned_mib = peak_working_set_mib(program.process());
    const size_t junk = expected.junk.size(), mp3 = expected.mp3.size(), other = expected.other.size();
    if (!counts_shown(program, junk, mp3, other)) {
        std::printf("the counts shown are not the folder's\n");
        return false;
    }

    start = now_ms();
    bool seen = false;
    if (!click_gadget(program.window(), BUTTON_RESCAN) ||
        !wait_for_work(program, status_bar_of(program.window()), &seen)) {
        std::printf("the rescan did not end\n");
        return false;
    }
    run->rescan_ms = seen ? now_ms() - start : 0.0;
    if (!counts_shown(program, junk, mp3, other)) {
        std::printf("the counts shown after the rescan are not the folder's\n");
        return false;
    }
    if (!remove)
        return true;

    HWND question = nullptr;
    if (!click_gadget(program.window(), BUTTON_DELETE) ||
        !(question = wait_for_dialog(program.id(), WAIT_MS, program.window()))) {
        std::printf("no question before the removal\n");
        return false;
    }
    start = now_ms();
    // As with the chooser: once the question is gone, the removal runs.
    if (!answer(question, IDYES) || !work_ended(program)) {
        std::printf("the removal did not end\n");
        return false;
    }
    run->removal_ms = now_ms() - start;
    run->removed_mib = peak_working_set_mib(program.process());
    if (!counts_shown(program, 0, mp3, other)) {
        std::printf("the counts shown after the removal are not the folder's\n");
        return false;
    }
    return true;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    const bool remove = argc == 5 && std::wstring(argv[4]) == L"remove";
    if (argc != 4 && !remove) {
        std::printf("usage: krumenfeger_user_bench PROGRAM FOLDER RUNS [remove]\n");
        return 2;
    }
    const std::wstring program_path = argv[1];
    const std::wstring folder = argv[2];
    const int runs = std::max(1, _wtoi(argv[3]));
    // A removal takes its folder away: each run then has one of its own, and a twin for the bare loop.
    auto program_folder = [&](int run) { return remove ? folder + std::to_wstring(run) : folder; };
    auto bare_folder = [&](int run) { return program_folder(run) + L"-bare"; };

    // The first walk warms the file system's caches. Each program follows a walk of its own, so that
    // both see the machine alike; the peak is taken before the names are kept.
    if (bare_walk(program_folder(1), nullptr) == 0) {
        std::printf("no folder %ls\n", program_folder(1).c_str());
        return 1;
    }
    std::vector<double> walks, scans, rescans, deletes, removals, removal_ratios, chooser_peaks,
        scanned_peaks, removed_peaks;
    double walk_peak = 0.0;
    Classified expected;
    for (int i = 1; i <= runs; ++i) {
        double start = now_ms();
        bare_walk(program_folder(i), nullptr);
        walks.push_back(now_ms() - start);
        if (i == 1) {
            walk_peak = peak_working_set_mib(GetCurrentProcess());
            expected = classify_folder(program_folder(i));
        }
        // The bare loop: the twin's junk files deleted in the order the file system lists them, half
        // before the program's run and half after it, so that a machine whose speed drifts meanwhile
        // slows both alike.
        const std::vector<std::wstring> junk =
            remove ? classify_folder(bare_folder(i)).junk : std::vector<std::wstring>();
        const size_t half = junk.size() / 2;
        start = now_ms();
        for (size_t file = 0; file < half; ++file)
            DeleteFileW(junk[file].c_str());
        double bare_delete_ms = now_ms() - start;
        Run run;
        if (!user_run(program_path, program_folder(i), expected, remove, &run))
            return 1;
        start = now_ms();
        for (size_t file = half; file < junk.size(); ++file)
            DeleteFileW(junk[file].c_str());
        bare_delete_ms += now_ms() - start;
        if (remove) {
            deletes.push_back(bare_delete_ms);
            removal_ratios.push_back(ratio(run.removal_ms, bare_delete_ms));
        }
        scans.push_back(run.scan_ms);
        rescans.push_back(run.rescan_ms);
        removals.push_back(run.removal_ms);
        chooser_peaks.push_back(run.chooser_mib);
        scanned_peaks.push_back(run.scanned_mib);
        removed_peaks.push_back(std::max(run.scanned_mib, run.removed_mib));
    }
    const double walk = median(walks);
    std::printf(
        "user files=%zu junk=%zu runs=%d bare_walk_ms=%.1f first_scan_ms=%.1f ratio=%.2f rescan_ms=%.1f "
        "rescan_ratio=%.2f",
        expected.junk.size() + expected.mp3.size() + expected.other.size(), expected.junk.size(), runs, walk,
        median(scans), ratio(median(scans), walk), median(rescans), ratio(median(rescans), walk));
    if (remove)
        std::printf(" bare_delete_ms=%.1f removal_ms=%.1f removal_ratio=%.2f", median(deletes),
                    median(removals), median(removal_ratios));
    std::printf(" walk_peak_mib=%.1f chooser_peak_mib=%.1f scanned_peak_mib=%.1f peak_max_mib=%.1f\n",
                walk_peak, median(chooser_peaks), median(scanned_peaks),
                *std::max_element(removed_peaks.begin(), removed_peaks.end()));
    return 0;
}
