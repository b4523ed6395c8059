#!/usr/bin/env bash
# Makes 32-bit (i386) Linux programs, and so 32-bit Wine, run on this machine. Where the kernel runs
# i386 code itself, nothing is done. Where it cannot, i386 programs are handed to qemu-user through
# binfmt_misc; Wine's exception handling needs qemu 8 or later (7.2 breaks it), taken from the
# release's backports suite when the main suite has only an older one.
#   EMULATE_I386=1   take the emulated path even where the kernel could run i386 code itself
# Called by setup.sh. Says in one line what it did and why; returns non-zero only when i386 programs
# cannot run here, which the test script reports as the x86 runtime left untested.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

QEMU=/usr/bin/qemu-i386-static
BINFMT=/proc/sys/fs/binfmt_misc
ENTRY_NAME=krumenfeger-i386
# i386 ELF executables and shared objects, as qemu's own binfmt configuration matches them.
ELF_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
ELF_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

say() { echo "setup: $*"; }
fail() {
    say "i386 programs cannot run here: $*"
    exit 1
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif ! command -v sudo >/dev/null; then
        return 1
    elif { : </dev/tty; } 2>/dev/null; then
        sudo "$@"
    else
        sudo -n "$@" # no terminal to ask for a password on: fail rather than wait
    fi
}

# An i386 handler of someone else's in binfmt_misc: i386 programs then start through it, which tells
# nothing of whether the kernel could run them itself.
other_i386_handler() {
    local entry
    for entry in "$BINFMT"/*; do
        case "${entry##*/}" in
        register | status | "$ENTRY_NAME") continue ;;
        esac
        grep -qx enabled "$entry" 2>/dev/null && grep -q '^magic 7f454c460101.*0300$' "$entry" && return 0
    done
    return 1
}

apt_install() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$@" </dev/null >/dev/null
}

qemu_major() {
    "$QEMU" --version 2>/dev/null | sed -n '1s/^qemu-i386 version \([0-9]*\)\..*/\1/p'
}

qemu_new_enough() {
    local major
    major=$(qemu_major)
    [ -n "$major" ] && [ "$major" -ge 8 ]
}

# The installed interpreter's identity: with flag F the kernel keeps the binary it opened at
# registration, so an upgrade must be followed by a new registration.
qemu_identity() {
    echo "$(qemu_major) $(stat -L -c '%d:%i:%Y:%s' "$QEMU" 2>/dev/null)"
}

# An apt source for the backports suite of this release, on the Debian mirror the machine already uses.
backports_source() {
    local codename=$1 uri keyring=/usr/share/keyrings/debian-archive-keyring.gpg
    uri=$(apt-get indextargets --format '$(RELEASE) $(TARGET_OF) $(REPO_URI)' 2>/dev/null |
        awk -v release="$codename" '$1 == release && $2 == "deb" { print $3; exit }')
    [ -n "$uri" ] || return 1
    printf 'Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n' "$uri" "$codename"
    if [ -f "$keyring" ]; then
        printf 'Signed-By: %s\n' "$keyring"
    fi
}

install_qemu() {
    local candidate codename source
    qemu_new_enough && return 0
    as_root apt-get update -q >/dev/null || return 1
    candidate=$(apt-cache policy qemu-user-static | awk '/Candidate:/ { print $2 }')
    if [ -n "$candidate" ] && dpkg --compare-versions "$candidate" ge 1:8~; then
        apt_install qemu-user-static || return 1
    else
        codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
        [ -n "$codename" ] || return 1
        source=$(backports_source "$codename") || return 1
        echo "$source" | as_root tee /etc/apt/sources.list.d/krumenfeger-backports.sources >/dev/null || return 1
        as_root apt-get update -q >/dev/null || return 1
        apt_install -t "$codename-backports" qemu-user-static || return 1
    fi
    qemu_new_enough
}

remove_entry() {
    [ ! -e "$BINFMT/$ENTRY_NAME" ] || echo -1 | as_root tee "$BINFMT/$ENTRY_NAME" >/dev/null
}

register_qemu() {
    if [ ! -e "$BINFMT/register" ]; then
        as_root mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null || return 1
    fi
    remove_entry || return 1
    printf ':%s:M::%s:%s:%s:F' "$ENTRY_NAME" "$ELF_MAGIC" "$ELF_MASK" "$QEMU" |
        as_root tee "$BINFMT/register" >/dev/null
}

unregister_qemu() {
    remove_entry
    as_root rm -f "$KF_I386_STAMP"
}

stamp=$(cat "$KF_I386_STAMP" 2>/dev/null || true)
wanted=emulated
reason="the kernel runs no i386 code"
if [ -n "${EMULATE_I386:-}" ]; then
    wanted=forced
    reason="EMULATE_I386 asks for it"
else
    case "$stamp" in
    native) exit 0 ;;
    forced*) unregister_qemu && stamp="" ;;
    esac
    if other_i386_handler; then
        reason="another i386 handler in binfmt_misc may be an older qemu"
    elif [ -z "$stamp" ] && [ ! -e "$BINFMT/$ENTRY_NAME" ] && kf_i386_runs; then
        echo native | as_root tee "$KF_I386_STAMP" >/dev/null
        exit 0
    fi
fi

install_qemu || fail "no qemu-user-static of version 8 or later could be installed"
identity="$wanted $(qemu_identity)"
if [ "$stamp" = "$identity" ] && [ -e "$BINFMT/$ENTRY_NAME" ] && kf_i386_runs; then
    exit 0
fi
register_qemu || fail "binfmt_misc cannot be mounted or written (root needed)"
kf_i386_runs || fail "an i386 program does not start even under $QEMU"
echo "$identity" | as_root tee "$KF_I386_STAMP" >/dev/null
say "i386 programs now run under $("$QEMU" --version | head -n 1) through binfmt_misc, as $reason"
