# shellcheck shell=bash
# Sourced by run.sh, test.sh, bench.sh and setup-i386.sh, and by the tests' Wine wrapper: Wine's
# loaders, a virtual display and a throwaway Wine prefix, the same way everywhere.

# Wine must never offer to download Mono or Gecko; keep the log to errors and warnings.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:-fixme-all}"
# Wine writes file names in the locale's character set: without a UTF-8 one (a bare container has
# none), a name such as "Grüße ♫.mp3" cannot be made.
case "${LC_ALL:-${LC_CTYPE:-${LANG:-}}}" in *UTF-8* | *utf8*) ;; *) export LC_ALL=C.UTF-8 ;; esac
# Debian's `wine` launcher takes the 32-bit loader whenever wine32 is installed, even for a 64-bit
# program, which costs emulation where the kernel runs no i386 code: 64-bit programs and Wine's own
# tools always go through the 64-bit loader.
KF_WINE64=/usr/lib/wine/wine64
KF_I386_LOADER="${KF_I386_LOADER:-/lib/ld-linux.so.2}"
KF_BINFMT="${KF_BINFMT:-/proc/sys/fs/binfmt_misc}"
KF_SCREEN="${KF_SCREEN:-1920x1200x24}"
KF_XVFB_PID=""
kf_wine64() { WINELOADER="$KF_WINE64" "$KF_WINE64" "$@"; }

# Runs a Windows program through the loader of its architecture (PE machine 0x14c: x86).
kf_wine() {
    local header
    header=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    if [ -n "$header" ] && [ "$(od -An -t x2 -j $((header + 4)) -N 2 "$1" | tr -d ' ')" = 014c ]; then
        env -u WINELOADER /usr/lib/wine/wine "$@"
    else
        kf_wine64 "$@"
    fi
}

# True when i386 Linux programs start here, natively or under the emulator that setup.sh registered.
kf_i386_runs() { "$KF_I386_LOADER" --version >/dev/null 2>&1; }
# True when i386 programs run under setup.sh's emulator, which makes every x86 timing the emulator's.
kf_i386_emulated() { grep -qx enabled "$KF_BINFMT/krumenfeger-i386" 2>/dev/null; }

# Starts a private Xvfb on a free display number and exports DISPLAY.
kf_start_xvfb() {
    local number
    number=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$KF_SCREEN" -nolisten tcp -noreset 3>"$number" >/dev/null 2>&1 &
    KF_XVFB_PID=$!
    # Xvfb writes the display number once it accepts connections.
    for _ in $(seq 100); do
        [ ! -s "$number" ] && kill -0 "$KF_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    DISPLAY=":$(head -n 1 "$number")"
    rm -f "$number"
    [ "$DISPLAY" != : ] || { echo "Xvfb did not start" >&2 && kf_stop_xvfb && return 1; }
    export DISPLAY
}

kf_stop_xvfb() {
    [ -z "$KF_XVFB_PID" ] || { kill "$KF_XVFB_PID" && wait "$KF_XVFB_PID"; } 2>/dev/null
    KF_XVFB_PID=""
}

# Creates the Wine prefix $1 once (windows unmanaged by any window manager, so that they behave the same
# on every display) and exports WINEPREFIX. Safe to call from several processes at once.
kf_prepare_prefix() {
    export WINEPREFIX="$1"
    [ -f "$WINEPREFIX/.krumenfeger-ready" ] && return 0
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        [ -f "$WINEPREFIX/.krumenfeger-ready" ] && exit 0
        echo "Creating the Wine prefix $WINEPREFIX (once)..." >&2
        { kf_wine64 wineboot -i &&
            kf_wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f &&
            timeout 300 wineserver -w; } >"$WINEPREFIX.log" 2>&1 </dev/null ||
            { echo "Creating the Wine prefix failed; see $WINEPREFIX.log" >&2 && exit 1; }
        touch "$WINEPREFIX/.krumenfeger-ready"
    ) 9>"$WINEPREFIX.lock"
}
