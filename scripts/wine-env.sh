# shellcheck shell=bash
# Sourced by the run and test scripts and by the tests' Wine wrapper: a virtual display and a throwaway
# Wine prefix, prepared the same way everywhere.

# Wine must never offer to download Mono or Gecko; keep the log to errors and warnings.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:-fixme-all}"

KF_XVFB_PID=""
KF_SCREEN="${KF_SCREEN:-1920x1200x24}"

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
        if wineboot -i >"$WINEPREFIX.log" 2>&1 &&
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$WINEPREFIX.log" 2>&1 &&
            timeout 300 wineserver -w; then
            touch "$WINEPREFIX/.krumenfeger-ready"
        else
            echo "Creating the Wine prefix failed; see $WINEPREFIX.log" >&2
            exit 1
        fi
    ) 9>"$WINEPREFIX.lock"
}
