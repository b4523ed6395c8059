#!/usr/bin/env bash
# Builds both targets (x64 and x86) with warnings as errors, with the MinGW GCC and again with clang,
# runs clang-tidy and cppcheck over the program's files and every test under Wine (the in-process suite
# also on the x64 clang build), then checks the source formatting. The one test command, for people and
# CI alike.
#   ARCHES=x64 scripts/test.sh   one target on purpose (x64 or x86); CI always tests both
# Where i386 programs cannot run at all, the x86 build is still built and statically checked, and the
# run fails, saying that its runtime went untested.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
source scripts/wine-env.sh

JOBS="${JOBS:-2}"
read -r -a ARCHES <<<"${ARCHES:-x64 x86}"
if [ -n "${CI:-}" ]; then
    ARCHES=(x64 x86)
fi
failed=()
timings=()
own_wineserver=0
beside_pid=""
beside=$(mktemp -d)

cleanup() {
    if [ -n "$beside_pid" ]; then
        kill -- -"$beside_pid" 2>/dev/null
    fi
    rm -rf "$beside"
    if [ "$own_wineserver" = 1 ]; then
        wineserver -k 2>/dev/null
    fi
    kf_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Runs one phase, noting its wall time and whether it failed.
step() {
    local name=$1 started=$SECONDS status=0
    shift
    echo "=== $name"
    "$@" || status=$?
    timings+=("$name $((SECONDS - started)) s")
    if [ "$status" -ne 0 ]; then
        echo "=== $name: FAILED"
        failed+=("$name")
        return 1
    fi
}

# The program's own sources, which the static analysers look at; tests and benchmark are left out.
program_sources() {
    find app ui cleanup -name '*.cpp' | sort
}

# A clang build, with the check of its executable that needs no Wine.
build_clang() {
    build "$1" && ctest --preset "$1" -R '^pe_check$' --no-tests=error --output-on-failure
}

# One file through clang-tidy as .clang-tidy sets it; prints its findings only, in one piece.
tidy_file() {
    local output
    output=$(clang-tidy -p "$1" --quiet "$2" 2>&1) && return 0
    printf '%s\n' "$output" | grep -v -E '^[0-9]+ warnings? generated\.$'
    return 1
}
export -f tidy_file

# clang-tidy over the program's files, $JOBS at a time, with the compile commands of the clang build $1.
clang_tidy() {
    if [ -z "$1" ] || [ ! -f "build/$1/compile_commands.json" ]; then
        echo "no clang build to take the compile commands from"
        return 1
    fi
    program_sources | xargs -P "$JOBS" -I {} bash -c 'tidy_file "$@"' _ "build/$1" {}
}

# cppcheck over the program's files. Windows types come from its windows library rather than the
# MinGW headers, which would only bury the program's findings under the headers' own. A finding that
# must stay is suppressed where it is, with its reason: // cppcheck-suppress id ; why
run_cppcheck() {
    cppcheck --enable=warning,performance,portability --std=c++17 --language=c++ --library=windows \
        --platform=win64 -DUNICODE -D_UNICODE -D_WIN32_WINNT=0x0601 -DWINVER=0x0601 -DNOMINMAX -I . \
        --inline-suppr --error-exitcode=1 --quiet -j "$JOBS" \
        --template='{file}:{line}:{column}: {severity}: {message} [{id}]' app ui cleanup common
}

build() {
    cmake --preset "$1" -DKRUMENFEGER_WERROR=ON && cmake --build --preset "$1" --parallel "$JOBS"
}

check_format() {
    local sources
    mapfile -t sources < <(find app common ui cleanup tests bench -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)
    if [ ${#sources[@]} -eq 0 ]; then
        echo "no sources to check"
        return 0
    fi
    local unformatted=()
    local file
    for file in "${sources[@]}"; do
        clang-format --dry-run --Werror "$file" 2>/dev/null || unformatted+=("$file")
    done
    if [ ${#unformatted[@]} -gt 0 ]; then
        echo "not formatted as .clang-format asks; fix with: clang-format -i ${unformatted[*]}"
        return 1
    fi
}

# Only the checks that need no Wine: what can be told of a build without running it.
static_checks() {
    ctest --preset "$1" -R '^pe_check$' --no-tests=error --output-on-failure
}

step setup scripts/setup.sh || exit 1

built=()
for arch in "${ARCHES[@]}"; do
    step "build $arch" build "$arch" && built+=("$arch")
done

# The second compiler, then the analysers, which take their compile commands from the first clang build.
static_analysis() {
    local arch
    for arch in "${ARCHES[@]}"; do
        step "build $arch-clang" build_clang "$arch-clang" && echo "$arch-clang" >>"$beside/built"
    done
    step clang-tidy clang_tidy "$(head -n 1 "$beside/built" 2>/dev/null)"
    step cppcheck run_cppcheck
}

# They need no display, so they run beside the Wine tests, which leave a core idle most of the time,
# one job at a time; their output and phase times follow the tests'.
echo "=== clang builds, clang-tidy and cppcheck: beside the tests"
set -m # in a process group of their own, which cleanup() ends whole
(
    timings=()
    failed=()
    JOBS=1 static_analysis
    printf '%s\n' "${timings[@]}" >"$beside/timings"
    printf '%s\n' "${failed[@]}" >"$beside/failed"
) </dev/null >"$beside/log" 2>&1 &
beside_pid=$!
set +m

# x86 tests need i386 Linux programs (32-bit Wine) to start, natively or under emulation.
runnable=()
untested_x86=0
for arch in "${built[@]}"; do
    if [ "$arch" = x86 ] && ! kf_i386_runs; then
        step "static checks x86" static_checks x86
        untested_x86=1
    else
        runnable+=("$arch")
    fi
done

if [ ${#runnable[@]} -gt 0 ]; then
    # One display and one Wine server for the whole run: every test then starts Wine quickly.
    if [ -z "${DISPLAY:-}" ] || [ -n "${CI:-}" ]; then
        kf_start_xvfb || exit 1
    fi
    step prefix kf_prepare_prefix "$root/build/wineprefix" || exit 1
    # The prefix belongs to this script alone: end what an interrupted run may have left on it.
    wineserver -k 2>/dev/null
    wineserver -w
    wineserver -p && own_wineserver=1
    # Start Wine's background services now, away from CTest's output pipes: started by a test, they
    # would hold its output open and CTest would wait for them until the time-out.
    kf_wine64 cmd /c exit </dev/null >/dev/null 2>&1
    for arch in "${runnable[@]}"; do
        step "tests $arch" ctest --preset "$arch" --output-on-failure
    done
fi

wait "$beside_pid"
beside_pid=""
cat "$beside/log"
mapfile -t beside_timings < <(grep . "$beside/timings" 2>/dev/null | sed 's/$/ (beside the tests)/')
mapfile -t beside_failed < <(grep . "$beside/failed" 2>/dev/null)
timings+=("${beside_timings[@]}")
failed+=("${beside_failed[@]}")
# The in-process suite once more on the x64 clang build (its test preset leaves the end-to-end tests out).
if [ "$own_wineserver" = 1 ] && grep -qx x64-clang "$beside/built" 2>/dev/null; then
    step "tests x64-clang" ctest --preset x64-clang --output-on-failure
fi

step "format" check_format
step "setup check" tests/check_setup_i386.sh

if [ "$untested_x86" = 1 ]; then
    echo "test.sh: the x86 build was built and statically checked, but its runtime was NOT tested:"
    echo "  this machine runs no i386 programs (see setup's message above; the emulated path needs root)."
    echo "  ARCHES=x64 scripts/test.sh tests the x64 build alone on purpose."
    failed+=("x86 runtime untested")
fi

echo "test.sh: wall times: $(printf '%s, ' "${timings[@]}" | sed 's/, $//')"
if [ ${#failed[@]} -eq 0 ]; then
    echo "test.sh: PASSED (built and tested ${ARCHES[*]}, formatting clean)"
    exit 0
fi
echo "test.sh: FAILED ($(printf '%s, ' "${failed[@]}" | sed 's/, $//'))"
exit 1
