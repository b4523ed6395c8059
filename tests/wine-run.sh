#!/usr/bin/env bash
# CTest's emulator for the cross-built tests: runs a Windows executable under Wine, through the loader of
# its architecture, on the display it is given or else on a private Xvfb of KF_SCREEN's size, with the
# Wine prefix PREFIX (created on first use). The prefix's Wine server is ended before and after, so that
# each test starts on its own display and nothing of Wine holds CTest's output open.
#   wine-run.sh PREFIX program.exe [arguments...]
set -uo pipefail
# shellcheck source=SCRIPTDIR/../scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/wine-env.sh"
[ $# -ge 2 ] || { echo "usage: $0 PREFIX program.exe [arguments...]" >&2 && exit 2; }
[ -n "${DISPLAY:-}" ] || kf_start_xvfb || exit 1
kf_prepare_prefix "$1" || exit 1
shift
wineserver -k 2>/dev/null && wineserver -w
# Wine's folder chooser may ignore a selection or stop short of it; the tests then repeat it.
export KRUMENFEGER_REPEAT_CHOOSER_SELECTION=1
kf_wine "$@"
status=$?
wineserver -k 2>/dev/null
kf_stop_xvfb
exit "$status"
