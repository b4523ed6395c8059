#!/usr/bin/env bash
# Builds the x64 program and starts it under Wine on the current display. Without a display it runs on a
# virtual one instead, saves a screenshot of the start window and closes the program again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-env.sh
SHOT=build/screenshots/start-window

scripts/setup.sh
cmake --preset x64 >/dev/null
cmake --build --preset x64 --parallel "${JOBS:-2}" --target krumenfeger
if [ -n "${DISPLAY:-}" ]; then
    kf_prepare_prefix "$root/build/wineprefix-run"
    exec env WINELOADER="$KF_WINE64" "$KF_WINE64" build/x64/krumenfeger.exe
fi
trap kf_stop_xvfb EXIT
kf_start_xvfb
kf_prepare_prefix "$root/build/wineprefix-run"
trap 'wineserver -k 2>/dev/null; kf_stop_xvfb' EXIT
kf_wine64 build/x64/krumenfeger.exe &
title="\"Krumenfeger $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/x64/CMakeCache.txt) \""
for _ in $(seq 300); do
    window=$(xwininfo -root -tree | awk -v title="$title" 'index($0, title) { print $1; exit }')
    [ -z "$window" ] || break
    kill -0 $! 2>/dev/null || { echo "run.sh: the program ended before its window appeared" >&2 && exit 1; }
    sleep 0.1
done
[ -n "$window" ] || { echo "run.sh: no window titled $title within 30 seconds" >&2 && exit 1; }
# The window is fully drawn once two pictures taken a moment apart agree.
mkdir -p "$(dirname "$SHOT")" && rm -f "$SHOT.ppm"
for _ in $(seq 30); do
    import -window "$window" "ppm:$SHOT.new.ppm"
    ! cmp -s "$SHOT.new.ppm" "$SHOT.ppm" || break
    mv "$SHOT.new.ppm" "$SHOT.ppm"
    sleep 0.2
done
convert "$SHOT.ppm" -strip "$SHOT.png"
rm -f "$SHOT.ppm" "$SHOT.new.ppm"
echo "run.sh: the start window is pictured in $root/$SHOT.png"
