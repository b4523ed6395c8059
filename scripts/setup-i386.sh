#!/usr/bin/env bash
# Makes 32-bit (i386) Linux programs, and so 32-bit Wine, run here. Where the kernel runs no i386 code
# ("Exec format error"), or EMULATE_I386=1 asks for it, they go to qemu-user through binfmt_misc. Wine's
# exception handling needs qemu 8 or later (7.2 breaks it), taken from the release's backports where the
# main suite has an older one; that apt source serves the one install and goes again. A run without
# EMULATE_I386 takes the emulator back where the kernel runs i386 code itself.
# Run by setup.sh, with its kf_as_root and kf_apt_get. Says in one line what it found; fails only where
# i386 programs cannot run. KF_BINFMT, KF_I386_LOADER and KF_QEMU name other paths, for a check.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
ENTRY=$KF_BINFMT/krumenfeger-i386
BACKPORTS=/etc/apt/sources.list.d/krumenfeger-backports.sources
# i386 ELF executables and shared objects, as qemu's own binfmt configuration matches them.
MAGIC='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
MASK='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
kernel="setup: kernel $(uname -r) $(uname -m)"
fail() { echo "$kernel: i386 programs cannot run here: $*" && exit 1; }
# 1 enables the registration, 0 disables it, -1 removes it.
entry() { [ ! -e "$ENTRY" ] || echo "$1" | kf_as_root tee "$ENTRY" >/dev/null; }
qemu_path() { if [ -n "${KF_QEMU:-}" ]; then echo "$KF_QEMU"; else command -v qemu-i386-static qemu-i386 | head -n 1; fi; }
qemu() { "$(qemu_path)" "$@"; }
qemu_new_enough() { qemu --version 2>/dev/null | grep -qE '^qemu-i386 version ([89]|[1-9][0-9])\.'; }

# Someone else's i386 handler, which may be an older qemu, tells nothing of the kernel.
other=$(grep -ls '^magic 7f454c4601010100000000000000000002000300$' "$KF_BINFMT"/* | grep -vx "$ENTRY")
if [ -z "${EMULATE_I386:-}" ] && [ -z "$other" ]; then
    entry 0
    kf_i386_runs && { entry -1 && echo "$kernel runs i386 code itself" && exit 0; }
    entry 1
fi
[ -e "$KF_I386_LOADER" ] || fail "its loader $KF_I386_LOADER is missing: install libc6:i386 (setup.sh does)"
if kf_i386_emulated && qemu_new_enough && kf_i386_runs; then
    echo "$kernel: i386 programs run under $(qemu --version | head -n 1)"
    exit 0
fi
if [ -z "${EMULATE_I386:-}$other" ]; then
    # The shell's own message tells the kernel's answer, so it must not be translated.
    why=$(LC_ALL=C "$KF_I386_LOADER" --version 2>&1)
    [[ "$why" == *"Exec format error"* ]] || fail "its loader does not start: $why"
fi
kf_as_root true 2>/dev/null || fail "root is needed to install qemu-user-static and register it"
if ! qemu_new_enough; then
    kf_apt_get -q update >/dev/null || fail "apt-get update failed"
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    candidate=$(apt-cache policy qemu-user-static | awk '/Candidate:/ { print $2 }')
    suite=()
    if ! dpkg --compare-versions "${candidate:-0}" ge 1:8~; then
        suite=(-t "$codename-backports")
        uri=$(apt-get indextargets --format '$(RELEASE) $(TARGET_OF) $(REPO_URI)' |
            awk -v release="$codename" '$1 == release && $2 == "deb" { print $3; exit }')
        printf 'Types: deb\nURIs: %s\nSuites: %s-backports\nComponents: main\n' "$uri" "$codename" |
            kf_as_root tee "$BACKPORTS" >/dev/null
        kf_apt_get -q update >/dev/null
    fi
    kf_apt_get install -y -q --no-install-recommends "${suite[@]}" qemu-user-static >/dev/null
    kf_as_root rm -f "$BACKPORTS"
    qemu_new_enough || fail "no qemu-user-static 8 or later could be installed (see above)"
fi
[ -e "$KF_BINFMT/register" ] || kf_as_root mount -t binfmt_misc binfmt_misc "$KF_BINFMT"
entry -1
# F: the kernel opens the emulator now, so that it also serves programs in other mount namespaces.
printf ':krumenfeger-i386:M::%s:%s:%s:F' "$MAGIC" "$MASK" "$(qemu_path)" | kf_as_root tee "$KF_BINFMT/register" >/dev/null
kf_i386_runs || { entry -1 && fail "an i386 program does not start even under qemu; nothing is left registered"; }
echo "$kernel: i386 programs now run under $(qemu --version | head -n 1) through binfmt_misc"
