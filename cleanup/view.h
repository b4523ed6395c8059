// Shared by the scan and the removal: the status-bar count texts and the painting of the results
// view while a long walk or removal changes it.
#pragma once

#include "ui/ui.h"

#include <string>

namespace cleanup {

inline constexpr wchar_t JUNK_STATUS_PREFIX[] = L"Anzahl Müll-Dateien: ";
inline constexpr wchar_t MP3_STATUS_PREFIX[] = L"Anzahl MP3-Files: ";
inline constexpr wchar_t OTHER_STATUS_PREFIX[] = L"Andere Filetypen: ";

// The prefix followed by the count in plain decimal.
std::wstring status_text(const wchar_t *prefix, ui::Id count);

// Holds off the lists' and the status bar's painting: under a slow window system one repaint per
// file would cost more than the whole walk. Every hold must be followed by release_view(), with no
// message loop in between (no dialog, no message pumping): the held lists do not watch their mouse.
void hold_view();
// Resumes painting and paints the view once, at once.
void release_view();

// Tells, a few times a second, that the user should see the current state; then call
// repaint_view() after bringing the status texts up to date.
struct RepaintClock {
    unsigned long last = 0;
};
RepaintClock start_clock();
bool repaint_due(RepaintClock &clock);
void repaint_view();

} // namespace cleanup
