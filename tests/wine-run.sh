#!/usr/bin/env bash
# Runs a Windows executable under Wine, through the loader of its architecture: CTest's emulator for
# the cross-built tests.
# Uses the display and WINEPREFIX it is given; without them, a private Xvfb for this one run and a
# prefix beside the executable (created on first use).
set -uo pipefail
# shellcheck source=SCRIPTDIR/../scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env.sh"

if [ $# -eq 0 ]; then
    echo "usage: $0 program.exe [arguments...]" >&2
    exit 2
fi

own_display=0
if [ -z "${DISPLAY:-}" ]; then
    kf_start_xvfb || exit 1
    own_display=1
fi
if [ -z "${WINEPREFIX:-}" ]; then
    kf_prepare_prefix "$(cd "$(dirname "$1")" && pwd)/wineprefix" || exit 1
fi

# Wine's folder chooser may ignore a selection or stop short of it; the tests then repeat it.
export KRUMENFEGER_REPEAT_CHOOSER_SELECTION=1
kf_wine "$@"
status=$?

if [ "$own_display" = 1 ]; then
    # Nothing of this prefix may outlive the display it draws on.
    wineserver -k 2>/dev/null
    kf_stop_xvfb
fi
exit "$status"
