#!/usr/bin/env bash
# Makes 32-bit (i386) Linux programs, and so 32-bit Wine, run on this machine. Where the kernel runs
# i386 code itself, nothing is done but for saying when the i386 C library is missing. Where it cannot,
# i386 programs are handed to qemu-user through binfmt_misc; Wine's exception handling needs qemu 8 or
# later (7.2 breaks it), taken from the release's backports when the main suite has only an older one.
#   EMULATE_I386=1   take the emulated path even where the kernel could run i386 code itself
# Called by setup.sh. Says in one line what it did and why; returns non-zero only when i386 programs
# cannot run here, which the test script reports as the x86 runtime left untested.
# For a check in a sandbox, KF_QEMU, KF_I386_PROBE (a program standing in for the kernel probe) and
# those of setup-env.sh and wine-env.sh replace the machine's own.
set -uo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
source "$here/wine-env.sh"
source "$here/setup-env.sh"

QEMU="${KF_QEMU:-/usr/bin/qemu-i386-static}"
ENTRY="$KF_BINFMT_DIR/$KF_I386_ENTRY"
BACKPORTS_LIST=/etc/apt/sources.list.d/krumenfeger-backports.sources
LIBC_HINT="add the i386 architecture and install libc6:i386 (scripts/setup.sh does both)"
# i386 ELF executables and shared objects, as qemu's own binfmt configuration matches them.
ELF_MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
ELF_MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# A static i386 program that needs no loader: one header, one segment, and exit(0) through int 0x80.
PROBE_PROGRAM='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'
PROBE_PROGRAM+='\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00'
PROBE_PROGRAM+='\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
PROBE_PROGRAM+='\x5b\x00\x00\x00\x5b\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xc0\x40\x31\xdb\xcd\x80'

say() { echo "setup: $*"; }
fail() {
    say "i386 programs cannot run here: $*"
    exit 1
}

# An i386 handler of someone else's in binfmt_misc: i386 programs then start through it, which tells
# nothing of whether the kernel could run them itself.
other_i386_handler() {
    local entry
    for entry in "$KF_BINFMT_DIR"/*; do
        case "${entry##*/}" in
        register | status | "$KF_I386_ENTRY") continue ;;
        esac
        grep -qx enabled "$entry" 2>/dev/null && grep -q '^magic 7f454c460101.*0300$' "$entry" && return 0
    done
    return 1
}

# Whether the kernel itself runs i386 code, told by an i386 program that needs no loader, run while no
# binfmt_misc handler stands in between: prints "native", "none" (Exec format error), or what else
# stopped the program. A missing loader tells nothing of the kernel: it only means libc6:i386 is missing.
kernel_i386() {
    local probe=${KF_I386_PROBE:-} folder="" output
    if [ -z "$probe" ]; then
        # In the build folder rather than in /tmp, which may forbid running programs.
        if ! mkdir -p "$here/../build" || ! folder=$(mktemp -d "$here/../build/i386-probe.XXXXXX"); then
            echo "no temporary folder for an i386 test program"
            return
        fi
        probe=$folder/probe
        # shellcheck disable=SC2059 # the bytes are the format
        printf "$PROBE_PROGRAM" >"$probe" && chmod +x "$probe"
    fi
    # The shell's own message tells the kernel's answer, so it must not be translated.
    if output=$( (export LC_ALL=C && exec "$probe") 2>&1); then
        echo native
    elif [[ "$output" == *"Exec format error"* ]]; then
        echo none
    else
        echo "an i386 test program did not start (${output:-no message})"
    fi
    [ -z "$folder" ] || rm -rf "$folder"
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

# qemu from backports. The source serves this one install and goes again, so that the machine's other
# packages keep following their release; qemu stays at the version installed until upgraded by hand.
install_backports_qemu() {
    local codename source status=0
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    [ -n "$codename" ] || fail "the main suite has no qemu-user-static 8, and this release names no backports"
    source=$(backports_source "$codename") ||
        fail "the main suite has no qemu-user-static 8, and no Debian mirror is known for $codename-backports"
    echo "$source" | kf_as_root tee "$BACKPORTS_LIST" >/dev/null || fail "$BACKPORTS_LIST cannot be written"
    kf_apt_update >/dev/null &&
        kf_apt_get install -y -q --no-install-recommends -t "$codename-backports" qemu-user-static >/dev/null ||
        status=$?
    kf_as_root rm -f "$BACKPORTS_LIST"
    [ "$status" -eq 0 ] || fail "apt-get could not install qemu-user-static from $codename-backports (see above)"
}

install_qemu() {
    local candidate
    qemu_new_enough && return 0
    kf_apt_update >/dev/null || fail "apt-get update failed (see above)"
    candidate=$(apt-cache policy qemu-user-static | awk '/Candidate:/ { print $2 }')
    if [ -n "$candidate" ] && dpkg --compare-versions "$candidate" ge 1:8~; then
        kf_apt_get install -y -q --no-install-recommends qemu-user-static >/dev/null ||
            fail "apt-get could not install qemu-user-static (see above)"
    else
        install_backports_qemu
    fi
    qemu_new_enough || fail "the installed $QEMU is not qemu 8 or later"
}

remove_entry() {
    [ ! -e "$ENTRY" ] || echo -1 | kf_as_root tee "$ENTRY" >/dev/null
}

register_qemu() {
    if [ ! -e "$KF_BINFMT_DIR/register" ]; then
        kf_as_root mount -t binfmt_misc binfmt_misc "$KF_BINFMT_DIR" 2>/dev/null || return 1
    fi
    remove_entry || return 1
    printf ':%s:M::%s:%s:%s:F' "$KF_I386_ENTRY" "$ELF_MAGIC" "$ELF_MASK" "$QEMU" |
        kf_as_root tee "$KF_BINFMT_DIR/register" >/dev/null
}

unregister_qemu() {
    remove_entry && kf_as_root rm -f "$KF_I386_STAMP"
}

# A registration that cannot be used is taken back whole: left in place it would hand every i386 program
# on the machine to an emulator that does not run them.
fail_registration() {
    unregister_qemu
    fail "$1; nothing is left registered"
}

stamp=$(cat "$KF_I386_STAMP" 2>/dev/null || true)
wanted=emulated
reason="the kernel runs no i386 code"
if [ -n "${EMULATE_I386:-}" ]; then
    wanted=forced
    reason="EMULATE_I386 asks for it"
else
    case "$stamp" in
    native) kf_i386_runs && exit 0 ;;
    forced*)
        unregister_qemu || fail "root needed to take back the registration EMULATE_I386 asked for"
        stamp=""
        ;;
    esac
    if other_i386_handler; then
        reason="another i386 handler in binfmt_misc may be an older qemu"
    elif [ ! -e "$ENTRY" ]; then
        if kf_i386_runs; then
            echo native | kf_as_root tee "$KF_I386_STAMP" >/dev/null
            exit 0
        fi
        kernel=$(kernel_i386)
        case "$kernel" in
        none) ;;
        native) fail "the kernel runs i386 code, but its loader $KF_I386_LOADER is missing or broken: $LIBC_HINT" ;;
        *) fail "whether the kernel runs i386 code cannot be told: $kernel" ;;
        esac
    fi
fi

# Under qemu too, i386 programs start through the i386 loader.
[ -e "$KF_I386_LOADER" ] || fail "the i386 loader $KF_I386_LOADER is missing: $LIBC_HINT"
if qemu_new_enough && [ "$stamp" = "$wanted $(qemu_identity)" ] && [ -e "$ENTRY" ] && kf_i386_runs; then
    exit 0
fi
kf_have_root ||
    fail "root needed to install qemu-user-static and register it in binfmt_misc; run this as root or where sudo works"
install_qemu
identity="$wanted $(qemu_identity)"
register_qemu || fail_registration "binfmt_misc cannot be mounted or written"
kf_i386_runs || fail_registration "an i386 program does not start even under $QEMU"
echo "$identity" | kf_as_root tee "$KF_I386_STAMP" >/dev/null || fail_registration "$KF_I386_STAMP cannot be written"
say "i386 programs now run under $("$QEMU" --version | head -n 1) through binfmt_misc, as $reason"
