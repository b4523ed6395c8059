#!/usr/bin/env bash
# Times the program against the bare Win32 loops under Wine, for both release builds:
#   scripts/bench.sh           scans of 1,000 / 10,000 / 100,000 files, removals of 1,000 / 10,000
#   scripts/bench.sh --quick   the smallest size only (CI runs this so the benchmark keeps working)
# Prints one line per measurement with medians and the ratios program/baseline.
# The Wine prefix is kept in build/bench-prefix (the prefix of the tests is not touched).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-env.sh

scan_sizes=(1000 10000 100000)
remove_sizes=(1000 10000)
runs=5
if [ "${1:-}" = "--quick" ]; then
    scan_sizes=(1000)
    remove_sizes=(1000)
    runs=3
fi

bash scripts/setup.sh
for arch in x64 x86; do
    cmake --preset "$arch-release" -DKRUMENFEGER_WERROR=ON >/dev/null
    cmake --build --preset "$arch-release" --target krumenfeger_bench krumenfeger krumenfeger_bare_window --parallel "${JOBS:-2}"
done

own_display=0
if [ -z "${DISPLAY:-}" ] || [ -n "${CI:-}" ]; then
    kf_start_xvfb
    own_display=1
fi
kf_prepare_prefix "$root/build/bench-prefix"
wineserver -p 2>/dev/null || true # one may be up already for this prefix
finish() {
    wineserver -k 2>/dev/null || true
    [ "$own_display" = 1 ] && kf_stop_xvfb
    rm -rf "$WINEPREFIX/drive_c/kf_bench"
}
trap finish EXIT

folders="$WINEPREFIX/drive_c/kf_bench"
rm -rf "$folders"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(wine --version)"
status=0
for arch in x64 x86; do
    echo -n "$arch "
    wine "build/release-$arch/krumenfeger_bench.exe" startup 21 || status=1
    echo -n "$arch "
    wine "build/release-$arch/krumenfeger_bench.exe" startup-process 21 || status=1
done
for size in "${scan_sizes[@]}"; do
    python3 scripts/make_bench_folders.py scan "$folders/scan$size" "$size"
    for arch in x64 x86; do
        echo -n "$arch "
        wine "build/release-$arch/krumenfeger_bench.exe" scan "C:\\kf_bench\\scan$size" "$runs" || status=1
    done
    rm -rf "$folders/scan$size"
done
for size in "${remove_sizes[@]}"; do
    removal_runs=3
    for arch in x64 x86; do
        python3 scripts/make_bench_folders.py remove "$folders/program$size-$arch-" "$size" "$removal_runs"
        python3 scripts/make_bench_folders.py remove "$folders/bare$size-$arch-" "$size" "$removal_runs"
        echo -n "$arch "
        wine "build/release-$arch/krumenfeger_bench.exe" remove "C:\\kf_bench\\program$size-$arch-" \
            "C:\\kf_bench\\bare$size-$arch-" "$removal_runs" || status=1
    done
done
exit $status
