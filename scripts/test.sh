#!/usr/bin/env bash
# The one test command, for people and CI alike: setup, then CMake's workflow presets, each configuring,
# building (warnings as errors) and testing one build: x64 and x86 with the MinGW GCC, every test under
# Wine; x64-clang, the program's files through clang-tidy and cppcheck as they compile, the format check
# and the in-process suite; x86-clang, the check of its executable. Then each phase's wall time.
#   ARCHES=x64 scripts/test.sh   one target on purpose (x64 or x86); CI always tests both
# Where i386 programs cannot run at all, the x86 build is still built and checked without Wine, and the
# run fails, saying that its runtime went untested.
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
source scripts/wine-env.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${JOBS:-2}"
read -r -a arches <<<"${ARCHES:-x64 x86}"
# CI tests both targets, on a display of its own.
[ -z "${CI:-}" ] || { arches=(x64 x86) && unset DISPLAY; }
failed=()
timings=()

phase() {
    local started=$SECONDS
    echo "=== $1"
    "${@:2}" || failed+=("$1")
    timings+=("$1 $((SECONDS - started)) s")
}

# The x86 build without its Wine tests, for a machine that runs no i386 programs.
x86_without_wine() {
    cmake --preset x86 && cmake --build --preset x86 && ctest --preset x86 -R '^(pe|workflow)_check$'
}

phase setup scripts/setup.sh
[ ${#failed[@]} -eq 0 ] || exit 1
presets=("${arches[@]}" x64-clang)
[[ " ${arches[*]} " != *" x86 "* ]] || presets+=(x86-clang)
for preset in "${presets[@]}"; do
    if [ "$preset" = x86 ] && ! kf_i386_runs; then
        phase "x86 without Wine" x86_without_wine
        failed+=("x86 runtime untested: this machine runs no i386 programs (see setup above)")
    else
        phase "$preset" cmake --workflow --preset "$preset"
    fi
done
echo "test.sh: wall times: $(printf '%s, ' "${timings[@]}" | sed 's/, $//')"
if [ ${#failed[@]} -gt 0 ]; then
    echo "test.sh: FAILED ($(printf '%s; ' "${failed[@]}" | sed 's/; $//'))"
    exit 1
fi
echo "test.sh: PASSED (${presets[*]})"
