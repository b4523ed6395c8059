#!/usr/bin/env bash
# Builds the x64 program and starts it under Wine on the current display. Without a display it runs on a
# virtual one instead, saves a screenshot of the start window and closes the program again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-env.sh

TITLE="Krumenfeger 0.9 "
EXE=build/x64/krumenfeger.exe
SCREENSHOT=build/screenshots/start-window.png

scripts/setup.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 --parallel "${JOBS:-2}" --target krumenfeger

if [ -n "${DISPLAY:-}" ]; then
    kf_prepare_prefix "$root/build/wineprefix-run"
    WINELOADER="$KF_WINE64" exec "$KF_WINE64" "$EXE"
fi

own_wineserver=0
cleanup() {
    if [ "$own_wineserver" = 1 ]; then
        wineserver -k 2>/dev/null || true
    fi
    kf_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

kf_start_xvfb
kf_prepare_prefix "$root/build/wineprefix-run"
own_wineserver=1
kf_wine64 "$EXE" &
program=$!

window=""
for _ in $(seq 300); do
    window=$(xwininfo -root -tree | grep -F "\"$TITLE\"" | awk '{print $1; exit}' || true)
    [ -n "$window" ] && break
    if ! kill -0 "$program" 2>/dev/null; then
        echo "run.sh: the program ended before its window appeared" >&2
        exit 1
    fi
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "run.sh: no window titled \"$TITLE\" within 30 seconds" >&2
    exit 1
fi

# The window is fully drawn once two pictures taken a moment apart agree.
shots=$(mktemp -d)
previous=""
for attempt in $(seq 30); do
    import -window "$window" "ppm:$shots/$attempt.ppm"
    if [ -n "$previous" ] && cmp -s "$previous" "$shots/$attempt.ppm"; then
        break
    fi
    previous="$shots/$attempt.ppm"
    sleep 0.2
done
mkdir -p "$(dirname "$SCREENSHOT")"
convert "$shots/$attempt.ppm" -strip "$SCREENSHOT"
rm -rf "$shots"

wineserver -k 2>/dev/null || true
own_wineserver=0
wait "$program" 2>/dev/null || true
echo "run.sh: the start window is pictured in $root/$SCREENSHOT"
