# shellcheck shell=bash
# Sourced by the setup scripts: commands run as root, and apt-get that waits for another apt instead of
# failing beside it (unattended upgrades hold apt's locks for minutes on a freshly booted machine).
#   KF_AS_ROOT   a program that runs its arguments as root, in place of root or sudo (a check's sandbox)

KF_APT_LOCK_WAIT=300 # seconds

# Runs a command as root: directly when root, else through sudo, which asks for no password where there is
# no terminal to ask on. Fails when neither works.
kf_as_root() {
    if [ -n "${KF_AS_ROOT:-}" ]; then
        "$KF_AS_ROOT" "$@"
    elif [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif ! command -v sudo >/dev/null; then
        return 1
    elif { : </dev/tty; } 2>/dev/null; then
        sudo "$@"
    else
        sudo -n "$@"
    fi
}

# True when commands can run as root here (sudo may ask for its password now).
kf_have_root() {
    kf_as_root true 2>/dev/null
}

# apt-get as root, non-interactive, waiting for dpkg's lock.
kf_apt_get() {
    kf_as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout="$KF_APT_LOCK_WAIT" "$@" </dev/null
}

# apt-get update as root. apt-get waits for dpkg's lock but not for the lists' lock that update takes
# (apt 2.6), so a held lists lock is waited for here. apt's errors go to stderr once it is done.
kf_apt_update() {
    local errors waited=0
    while true; do
        { errors=$(LC_ALL=C kf_apt_get -q update 2>&1 >&3); } 3>&1 && return 0
        if [[ "$errors" != *"Could not get lock"* ]] || [ "$waited" -ge "$KF_APT_LOCK_WAIT" ]; then
            echo "$errors" >&2
            return 1
        fi
        [ "$waited" -gt 0 ] || echo "setup: another apt holds its lists; waiting for it" >&2
        sleep 5
        waited=$((waited + 5))
    done
}
