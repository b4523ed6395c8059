#!/usr/bin/env bash
# Times the program against the bare Win32 loops under Wine, for both release builds:
#   scripts/bench.sh           scans of 1,000 / 10,000 / 100,000 files, removals of 1,000 / 10,000
#   scripts/bench.sh --quick   the smallest size only (CI runs this so the benchmark keeps working)
# Prints one line per measurement with medians and the ratios program/baseline.
# Where i386 programs run only under emulation, x86 timings would time the emulator: x64 alone is then
# measured unless ARCHES="x64 x86" asks for both.
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
if [ -n "${ARCHES:-}" ]; then
    read -r -a arches <<<"$ARCHES"
elif kf_i386_emulated || ! kf_i386_runs; then
    arches=(x64)
else
    arches=(x64 x86)
fi
for arch in "${arches[@]}"; do
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
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(kf_wine64 --version)"
if kf_i386_emulated; then
    case " ${arches[*]} " in
    *" x86 "*) echo "note: i386 runs under qemu-user here: the x86 figures time the emulator, not the program" ;;
    *) echo "note: i386 runs only under qemu-user here, whose timings would time the emulator: x64 alone is measured" ;;
    esac
fi
status=0
for arch in "${arches[@]}"; do
    echo -n "$arch "
    kf_wine "build/release-$arch/krumenfeger_bench.exe" startup 21 || status=1
    echo -n "$arch "
    kf_wine "build/release-$arch/krumenfeger_bench.exe" startup-process 21 || status=1
done
for size in "${scan_sizes[@]}"; do
    python3 scripts/make_bench_folders.py scan "$folders/scan$size" "$size"
    for arch in "${arches[@]}"; do
        echo -n "$arch "
        kf_wine "build/release-$arch/krumenfeger_bench.exe" scan "C:\\kf_bench\\scan$size" "$runs" || status=1
    done
    rm -rf "$folders/scan$size"
done
for size in "${remove_sizes[@]}"; do
    removal_runs=3
    for arch in "${arches[@]}"; do
        python3 scripts/make_bench_folders.py remove "$folders/program$size-$arch-" "$size" "$removal_runs"
        python3 scripts/make_bench_folders.py remove "$folders/bare$size-$arch-" "$size" "$removal_runs"
        echo -n "$arch "
        kf_wine "build/release-$arch/krumenfeger_bench.exe" remove "C:\\kf_bench\\program$size-$arch-" \
            "C:\\kf_bench\\bare$size-$arch-" "$removal_runs" || status=1
    done
done
exit $status
