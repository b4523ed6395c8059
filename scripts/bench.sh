#!/usr/bin/env bash
# Times the program against the bare Win32 loops under Wine, for both release builds:
#   scripts/bench.sh           scans of 1,000 / 10,000 / 100,000 files, removals of 1,000 / 10,000, and
#                              a user's first scan of 100,000 files through the program and its chooser,
#                              and a user's scans and removal of 100,000 files with 10%, 50% and 100% junk
#   scripts/bench.sh --quick   the smallest sizes only (CI runs this so the benchmark keeps working)
# Prints one line per measurement with medians and the ratios program/baseline; docs/performance.md
# gives the method. Under i386 emulation x64 alone is measured in-process unless ARCHES="x64 x86" asks
# for both. The Wine prefix is build/bench-prefix, not the tests' one.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-env.sh

scan_sizes=(1000 10000 100000) remove_sizes=(1000 10000) runs=5 user_size=100000 user_runs=3 quick=0
if [ "${1:-}" = "--quick" ]; then
    scan_sizes=(1000) remove_sizes=(1000) runs=3 user_size=1000 user_runs=1 quick=1
fi

bash scripts/setup.sh
if [ -n "${ARCHES:-}" ]; then
    read -r -a arches <<<"$ARCHES"
elif kf_i386_emulated || ! kf_i386_runs; then
    arches=(x64)
else
    arches=(x64 x86)
fi
user_arches=("${arches[@]}")
[ "$quick" = 1 ] || ! kf_i386_runs || user_arches=(x64 x86)
for arch in $(printf '%s\n' "${arches[@]}" "${user_arches[@]}" | sort -u); do
    cmake --preset "$arch-release" -DKRUMENFEGER_WERROR=ON >/dev/null
    cmake --build --preset "$arch-release" --target krumenfeger_bench krumenfeger krumenfeger_bare_window \
        krumenfeger_user_bench --parallel "${JOBS:-2}"
done

[ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] || kf_start_xvfb
kf_prepare_prefix "$root/build/bench-prefix"
wineserver -p 2>/dev/null || true # one may be up already for this prefix
finish() {
    wineserver -k 2>/dev/null || true
    kf_stop_xvfb
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
    python3 bench/make_folders.py scan "$folders/scan$size" "$size"
    for arch in "${arches[@]}"; do
        echo -n "$arch "
        kf_wine "build/release-$arch/krumenfeger_bench.exe" scan "C:\\kf_bench\\scan$size" "$runs" || status=1
    done
    rm -rf "$folders/scan$size"
done
for size in "${remove_sizes[@]}"; do
    removal_runs=3
    for arch in "${arches[@]}"; do
        python3 bench/make_folders.py remove "$folders/program$size-$arch-" "$size" "$removal_runs"
        python3 bench/make_folders.py remove "$folders/bare$size-$arch-" "$size" "$removal_runs"
        echo -n "$arch "
        kf_wine "build/release-$arch/krumenfeger_bench.exe" remove "C:\\kf_bench\\program$size-$arch-" \
            "C:\\kf_bench\\bare$size-$arch-" "$removal_runs" || status=1
    done
done
# A user's first scan: the release program started, the folder chosen in the real chooser, until the
# counts are final. Wine's chooser may ignore a selection; the driver then repeats it, as the tests do.
export KRUMENFEGER_REPEAT_CHOOSER_SELECTION=1
python3 bench/make_folders.py user "$folders/user$user_size" "$user_size"
for arch in "${user_arches[@]}"; do
    if [ "$arch" = x86 ] && kf_i386_emulated; then
        echo "note: x86 under qemu-user: the first scan times the emulator; the working sets include its own memory"
    fi
    echo -n "$arch "
    kf_wine "build/release-$arch/krumenfeger_user_bench.exe" "build\\release-$arch\\krumenfeger.exe" \
        "C:\\kf_bench\\user$user_size" "$user_runs" || status=1
done
# A user's first scan, rescan and removal in folders of 10%, half and all junk, each removal against
# the bare DeleteFileW loop over a twin of its folder.
if [ "$quick" = 0 ]; then
    for junk in 10 50 100; do
        for arch in "${user_arches[@]}"; do
            for run in 1 2; do
                python3 bench/make_folders.py user "$folders/junk$junk-$arch-$run" "$user_size" "$junk"
                cp -r "$folders/junk$junk-$arch-$run" "$folders/junk$junk-$arch-$run-bare"
            done
            echo -n "$arch "
            kf_wine "build/release-$arch/krumenfeger_user_bench.exe" "build\\release-$arch\\krumenfeger.exe" \
                "C:\\kf_bench\\junk$junk-$arch-" 2 remove || status=1
            rm -rf "$folders/junk$junk-$arch-"*
        done
    done
fi
# Wine's share, without the program: three plain list boxes filled one text at a time across the lists,
# and in runs per list, as the walk fills them.
if [ "$quick" = 0 ]; then
    for arch in "${user_arches[@]}"; do
        for way in interleaved runs; do
            echo -n "$arch "
            kf_wine "build/release-$arch/krumenfeger_bench.exe" list-growth "$way" "C:\\kf_bench\\user$user_size" || status=1
        done
        for end in top bottom; do # what a removal from the top costs in the list box alone
            echo -n "$arch "
            kf_wine "build/release-$arch/krumenfeger_bench.exe" list-removal "$end" "$user_size" || status=1
        done
    done
fi
exit $status
