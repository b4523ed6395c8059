# shellcheck shell=bash
# Sourced by the run and test scripts and by the tests' Wine wrapper: a virtual display and a throwaway
# Wine prefix, prepared the same way everywhere.

# Wine must never offer to download Mono or Gecko; keep the log to errors and warnings.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:-fixme-all}"

# Wine's two loaders. Debian's `wine` launcher takes the 32-bit one whenever wine32 is installed, even
# for a 64-bit program, which costs emulation where the kernel runs no i386 code: 64-bit programs and
# Wine's own tools always go through the 64-bit loader.
KF_WINE64=/usr/lib/wine/wine64
KF_WINE32=/usr/lib/wine/wine

# Where setup-i386.sh notes how i386 programs run: "native", or "emulated"/"forced" with the qemu it
# registered. Kept in /run, which a reboot clears together with the binfmt_misc registrations. Each path
# here may be given from outside, for a check of the setup in a sandbox.
KF_I386_STAMP="${KF_I386_STAMP:-/run/krumenfeger-i386}"
KF_BINFMT_DIR="${KF_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}"
KF_I386_ENTRY=krumenfeger-i386 # setup-i386.sh's registration in binfmt_misc
KF_I386_LOADER="${KF_I386_LOADER:-/lib/ld-linux.so.2}"

KF_XVFB_PID=""
KF_SCREEN="${KF_SCREEN:-1920x1200x24}"

# Runs Wine's 64-bit loader: for 64-bit programs and Wine's tools (wineboot, reg, cmd).
kf_wine64() {
    WINELOADER="$KF_WINE64" "$KF_WINE64" "$@"
}

# True for a 32-bit x86 Windows program (PE machine 0x14c).
kf_is_x86_program() {
    local header machine
    header=$(od -An -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$header" ] || return 1
    machine=$(od -An -t x2 -j $((header + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
    [ "$machine" = 014c ]
}

# Runs a Windows program through the loader of its own architecture.
kf_wine() {
    if kf_is_x86_program "$1"; then
        env -u WINELOADER "$KF_WINE32" "$@"
    else
        kf_wine64 "$@"
    fi
}

# True when i386 Linux programs start here, natively or under the emulator setup-i386.sh registered.
kf_i386_runs() {
    "$KF_I386_LOADER" --version >/dev/null 2>&1
}

# True when i386 programs run under emulation, which makes every x86 timing a timing of the emulator.
# Only the live registration tells: the stamp outlives a registration that was removed or disabled since
# (by hand, or by systemd-binfmt, which clears every entry when it starts).
kf_i386_emulated() {
    grep -qx enabled "$KF_BINFMT_DIR/status" 2>/dev/null &&
        grep -qx enabled "$KF_BINFMT_DIR/$KF_I386_ENTRY" 2>/dev/null
}

# Starts a private Xvfb on a free display number and exports DISPLAY. Returns non-zero if it fails.
kf_start_xvfb() {
    local number_file
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "$KF_SCREEN" -nolisten tcp -noreset 3>"$number_file" >/dev/null 2>&1 &
    KF_XVFB_PID=$!
    # Xvfb writes the display number once it accepts connections.
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        kill -0 "$KF_XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$number_file" ]; then
        rm -f "$number_file"
        echo "Xvfb did not start" >&2
        kf_stop_xvfb
        return 1
    fi
    DISPLAY=":$(head -n 1 "$number_file")"
    export DISPLAY
    rm -f "$number_file"
}

kf_stop_xvfb() {
    if [ -n "$KF_XVFB_PID" ]; then
        kill "$KF_XVFB_PID" 2>/dev/null
        wait "$KF_XVFB_PID" 2>/dev/null
        KF_XVFB_PID=""
    fi
    return 0
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
        if kf_wine64 wineboot -i >"$WINEPREFIX.log" 2>&1 &&
            kf_wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$WINEPREFIX.log" 2>&1 &&
            timeout 300 wineserver -w; then
            touch "$WINEPREFIX/.krumenfeger-ready"
        else
            echo "Creating the Wine prefix failed; see $WINEPREFIX.log" >&2
            exit 1
        fi
    ) 9>"$WINEPREFIX.lock"
}
