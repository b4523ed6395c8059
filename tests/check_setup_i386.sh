#!/usr/bin/env bash
# Runs scripts/setup-i386.sh on made-up machines: a folder stands in for binfmt_misc, a function for
# root that plays the kernel's part in it, a script for the i386 loader, which starts natively or through
# an enabled entry of ours as the machine says, and one for qemu 8. Nothing outside the folder is touched.
set -uo pipefail
setup=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/scripts/setup-i386.sh
box=$(mktemp -d) && trap 'rm -rf "$box"' EXIT
export KF_BINFMT=$box/binfmt KF_I386_LOADER=$box/ld-linux KF_QEMU=$box/qemu BOX=$box
entry=$KF_BINFMT/krumenfeger-i386
printf '#!/bin/sh\necho "qemu-i386 version 8.2.2"\n' >"$KF_QEMU"
printf '#!/bin/sh\n[ "$(cat "$BOX/kernel")" = native ] || grep -qx enabled "$BOX/binfmt/krumenfeger-i386" ||
    { echo "cannot execute binary file: Exec format error" >&2; exit 126; }\n' >"$KF_I386_LOADER"
chmod +x "$KF_QEMU" "$KF_I386_LOADER"
kf_as_root() {
    [ ! -e "$BOX/no-root" ] || return 1
    local line
    if [ "$1" = tee ] && [ "$2" = "$KF_BINFMT/register" ]; then
        IFS=: read -r _ name _ _ magic mask interpreter flags
        printf 'enabled\ninterpreter %s\nflags: %s\nmagic %s\nmask %s\n' "$interpreter" "$flags" "$magic" "$mask" >"$KF_BINFMT/$name"
    elif [ "$1" = tee ] && [[ "$2" == "$KF_BINFMT"/* ]]; then
        read -r line
        [ "$line" != -1 ] || rm "$2"
        [ "$line" != 0 ] || sed -i 1s/.*/disabled/ "$2"
        [ "$line" != 1 ] || sed -i 1s/.*/enabled/ "$2"
    else
        "$@"
    fi
}
kf_apt_get() { echo "apt-get $*" >>"$BOX/refused" && return 1; }
export -f kf_as_root kf_apt_get
failures=0
# machine KERNEL [ROOT]: a fresh machine whose kernel runs i386 code (native) or not (none).
machine() {
    rm -rf "$KF_BINFMT" "$box/no-root" && mkdir "$KF_BINFMT" && : >"$KF_BINFMT/register" && echo "$1" >"$box/kernel"
    [ "${2:-root}" = root ] || : >"$box/no-root"
}
# expect DESCRIPTION EXIT_STATUS OUTPUT_PATTERN ENTRY_PATTERN [VARIABLE=VALUE...]: one run of the setup.
expect() {
    local output status
    output=$(env "${@:5}" bash "$setup" 2>&1)
    status=$?
    if [ "$status" != "$2" ] || [[ "$output" != *$3* ]] || [[ "$(cat "$entry" 2>/dev/null)" != $4 ]] ||
        [ -e "$box/refused" ]; then
        echo "FAIL $1: exit $status, said: $output; entry: $(cat "$entry" 2>/dev/null); refused: $(cat "$box/refused" 2>/dev/null)"
        failures=$((failures + 1))
    fi
}
registered="enabled*interpreter $KF_QEMU*flags: F*magic \\\\x7fELF\\\\x01\\\\x01\\\\x01*\\\\x02\\\\x00\\\\x03\\\\x00*"

machine native
expect "a kernel that runs i386 code" 0 "runs i386 code itself" ""
machine none
expect "a kernel that does not" 0 "now run under qemu-i386 version 8" "$registered"
expect "the same machine again" 0 "i386 programs run under qemu-i386 version 8" "$registered"
machine native
expect "EMULATE_I386 where the kernel runs i386 code" 0 "now run under qemu" "$registered" EMULATE_I386=1
expect "and then without it" 0 "runs i386 code itself" ""
machine none no-root
expect "a kernel without i386 and no root" 1 "root is needed" ""
echo "check_setup_i386: $([ "$failures" -eq 0 ] && echo ok || echo "$failures failure(s)")"
[ "$failures" -eq 0 ]
