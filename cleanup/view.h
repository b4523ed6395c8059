// Shared by the scan and the removal: the status-bar count texts and the painting of the results
// view while a long walk or removal changes it.
#pragma once

#include "cleanup/count.h"

#include <string>

namespace cleanup {

inline constexpr wchar_t JUNK_STATUS_PREFIX[] = L"Anzahl Müll-Dateien: ";
inline constexpr wchar_t MP3_STATUS_PREFIX[] = L"Anzahl MP3-Files: ";
inline constexpr wchar_t OTHER_STATUS_PREFIX[] = L"Andere Filetypen: ";

// The prefix followed by the count in plain decimal.
std::wstring status_text(const wchar_t *prefix, Count count);

// Holds off the lists' and the status bar's painting while it lives, and resumes it and paints the
// view once, at once, on every way out: under a slow window system one repaint per file would cost
// more than the whole walk. The rule it keeps for its caller: no message loop (no dialog, no message
// pumping) may run while a view is held, because the held lists do not watch their mouse. So a
// HeldView lives on the stack of one handler, between the handler's dialogs.
class HeldView {
  public:
    HeldView();
    ~HeldView();
    HeldView(const HeldView &) = delete;
    HeldView &operator=(const HeldView &) = delete;
    // Paints the view as it is now, at once, and holds it again.
    void repaint();
};

// Tells, a few times a second, that the user should see the current state; then call
// HeldView::repaint() after bringing the status texts up to date.
struct RepaintClock {
    unsigned long last = 0;
};
RepaintClock start_clock();
bool repaint_due(RepaintClock &clock);

} // namespace cleanup
