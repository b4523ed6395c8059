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

// Tells, a few times a second, that the user should see the current state; then call
// HeldView::repaint(clock) after bringing the status texts up to date. Where repaints are slow, as under
// Wine, they come less often, so that painting takes only a small share of the time.
struct RepaintClock {
    unsigned long last = 0;     // when the last repaint ended, in GetTickCount() time
    unsigned long interval = 0; // how long after it the next one is due
};
RepaintClock start_clock();
bool repaint_due(const RepaintClock &clock);

// What a HeldView holds and repaints: the whole results view, or only the junk list and the status
// bar, which is all a removal changes. Each repaint of the whole view costs tens of milliseconds
// under Wine.
enum class HeldPart : unsigned char { results_view, junk_list };

// Holds off the painting of its part of the view while it lives, and resumes it and paints it once,
// at once, on every way out: under a slow window system one repaint per file would cost more than the
// whole walk. The rule it keeps for its caller: no message loop (no dialog, no message pumping) may
// run while a view is held, because the held lists do not watch their mouse. So a HeldView lives on
// the stack of one handler, between the handler's dialogs.
class HeldView {
  public:
    explicit HeldView(HeldPart part = HeldPart::results_view);
    ~HeldView();
    HeldView(const HeldView &) = delete;
    HeldView &operator=(const HeldView &) = delete;
    // Paints the view as it is now, at once, and holds it again; the clock learns what that cost.
    void repaint(RepaintClock &clock);

  private:
    HeldPart part_;
};

} // namespace cleanup
