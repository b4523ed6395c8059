#!/usr/bin/env bash
# Runs setup-i386.sh on made-up machines and checks what it leaves behind. A folder stands in for
# binfmt_misc, the stand-in for root plays the kernel's part in it, and a fake qemu and i386 loader run
# as that folder says; only the kernel's refusal of a foreign program is real. Nothing outside the
# folder is written and nothing runs as root: started as root, the setup runs as nobody.
#   tests/check_setup_i386.sh [SCRIPTS]   the folder of the setup scripts (scripts/ by default)
# shellcheck disable=SC2016,SC2034 # the expectations are quoted conditions, which check evaluates
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source_scripts=$(cd "${1:-$root/scripts}" && pwd) || exit 1
box=$(mktemp -d) || exit 1
trap 'rm -rf "$box"' EXIT
NOBODY=65534
failures=0
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    command -v setpriv >/dev/null || {
        echo "check_setup_i386: run as root, and no setpriv to run the setup as nobody"
        exit 1
    }
    as_user=(setpriv --reuid="$NOBODY" --regid="$NOBODY" --clear-groups)
fi
# A copy, which nobody can read wherever the checkout lies.
cp -r "$source_scripts" "$box/scripts"
scripts=$box/scripts
chmod -R a+rX "$box"

# Writes an executable file from standard input.
executable() {
    cat >"$1" && chmod +x "$1"
}

# A fresh machine in $m whose kernel runs i386 code itself (native) or not (none).
machine() {
    m=$box/machine
    rm -rf "$m"
    mkdir -p "$m/binfmt" "$m/bin" "$m/tmp"
    echo enabled >"$m/binfmt/status"
    : >"$m/binfmt/register"
    echo "$1" >"$m/kernel"
    : >"$m/root-calls"
    # What must never run here: each call is noted and fails.
    for command in sudo apt-get apt-cache dpkg mount; do
        executable "$m/bin/$command" <<EOF
#!/bin/sh
echo "$command \$*" >>"$m/refused"
exit 1
EOF
    done
    # The stand-in for root refuses paths outside the machine, then does the kernel's part: a line
    # written to register becomes an entry (refused for an existing name or a missing interpreter), an
    # entry given -1 goes.
    executable "$m/as-root" <<EOF
#!/usr/bin/env bash
for argument; do
    if [[ "\$argument" == /* && "\$argument" != "$m"/* ]]; then
        echo "root for \$argument" >>"$m/refused"
        exit 1
    fi
done
echo "\$*" >>"$m/root-calls"
"\$@"
status=\$?
binfmt=$m/binfmt
if [ -s "\$binfmt/register" ]; then
    IFS=: read -r _ name _ _ magic mask interpreter flags <"\$binfmt/register"
    : >"\$binfmt/register"
    if [ -e "\$binfmt/\$name" ] || [ ! -x "\$interpreter" ]; then
        status=1
    else
        # The kernel shows the registration's \\x escapes as hexadecimal digits.
        hex() { printf '%b' "\$1" | od -An -v -tx1 | tr -d ' \\n'; }
        printf 'enabled\ninterpreter %s\nflags: %s\noffset 0\nmagic %s\nmask %s\n' "\$interpreter" "\$flags" \\
            "\$(hex "\$magic")" "\$(hex "\$mask")" >"\$binfmt/\$name"
    fi
fi
for entry in "\$binfmt"/*; do
    case "\${entry##*/}" in register | status) continue ;; esac
    [ "\$(head -n 1 "\$entry")" != -1 ] || rm -f "\$entry"
done
exit \$status
EOF
    # The i386 loader, an i386 program: the first enabled i386 handler runs it, else the kernel itself.
    executable "$m/ld-linux.so.2" <<EOF
#!/usr/bin/env bash
if grep -qx enabled "$m/binfmt/status"; then
    for entry in "$m/binfmt"/*; do
        case "\${entry##*/}" in register | status) continue ;; esac
        if grep -qx enabled "\$entry" && grep -q '^magic 7f454c460101' "\$entry"; then
            exec "\$(sed -n 's/^interpreter //p' "\$entry")" "\$0" "\$@"
        fi
    done
fi
[ "\$(cat "$m/kernel")" = native ] && exit 0
echo "Exec format error" >&2
exit 126
EOF
    # qemu runs i386 programs unless the machine says it is broken.
    executable "$m/qemu-i386-static" <<EOF
#!/bin/sh
[ "\$1" != --version ] || { echo "qemu-i386 version 10.0.2"; exit 0; }
[ ! -e "$m/qemu-broken" ]
EOF
    # The kernel probe: a program for a kernel that runs i386 code; for one that does not, a file the
    # real kernel refuses with "Exec format error".
    if [ "$1" = native ]; then
        printf '#!/bin/sh\nexit 0\n' | executable "$m/probe"
    else
        head -c 64 /dev/zero | executable "$m/probe"
    fi
    [ ${#as_user[@]} -eq 0 ] || chown -R $NOBODY:$NOBODY "$m"
}

# Runs the setup on the machine, with NAME=VALUE settings of its own; its exit status lands in $status.
run_setup() {
    env -u EMULATE_I386 KF_BINFMT_DIR="$m/binfmt" KF_I386_STAMP="$m/stamp" KF_I386_LOADER="$m/ld-linux.so.2" \
        KF_QEMU="$m/qemu-i386-static" KF_I386_PROBE="$m/probe" KF_AS_ROOT="$m/as-root" TMPDIR="$m/tmp" \
        PATH="$m/bin:$PATH" "$@" "${as_user[@]}" bash "$scripts/setup-i386.sh" >"$m/output" 2>&1 </dev/null
    status=$?
}

# Whether wine-env.sh takes the machine's i386 programs for emulated ones.
emulated() {
    env KF_BINFMT_DIR="$m/binfmt" KF_I386_STAMP="$m/stamp" \
        bash -c 'source "$1/wine-env.sh" && kf_i386_emulated' _ "$scripts"
}

entry=krumenfeger-i386
has_entry() { [ -e "$m/binfmt/$entry" ]; }
stamp() { cat "$m/stamp" 2>/dev/null; }

# check WHAT CONDITION: one expectation of the case in $case, a shell condition evaluated here.
check() {
    local what=$1
    if eval "$2" && [ ! -e "$m/refused" ]; then
        echo "ok   $case: $what"
        return
    fi
    failures=$((failures + 1))
    echo "FAIL $case: $what"
    [ ! -e "$m/refused" ] || sed 's/^/     refused: /' "$m/refused"
    [ ! -e "$m/output" ] || sed 's/^/     setup said: /' "$m/output"
}

case="a kernel that runs i386 code, without the i386 loader"
machine native
run_setup KF_I386_LOADER="$m/no-loader"
check "fails" '[ "$status" -ne 0 ]'
check "registers nothing" '! has_entry'
check "says so, naming the missing package" 'grep -q "kernel runs i386 code.*libc6:i386" "$m/output"'

case="a kernel without i386"
machine none
run_setup
check "registers qemu" '[ "$status" -eq 0 ] && grep -qx "interpreter $m/qemu-i386-static" "$m/binfmt/$entry"'
check "notes the emulation" '[[ "$(stamp)" == "emulated 10 "* ]] && emulated'
registered=$(stamp)
: >"$m/root-calls"
run_setup
check "leaves a current registration alone" '[ "$status" -eq 0 ] && [ ! -s "$m/root-calls" ] && has_entry'
touch -d '1 hour ago' "$m/qemu-i386-static"
run_setup
check "registers an updated qemu again" 'has_entry && [[ "$(stamp)" == "emulated "* && "$(stamp)" != "$registered" ]]'

case="a registration under which i386 programs do not start"
machine none
touch "$m/qemu-broken"
run_setup
check "fails" '[ "$status" -ne 0 ]'
check "leaves no entry and no stamp" '! has_entry && [ ! -e "$m/stamp" ]'

case="no root"
machine none
run_setup KF_QEMU="$m/no-qemu" KF_AS_ROOT=false
check "says root is needed" '[ "$status" -ne 0 ] && grep -q "root needed" "$m/output"'
check "registers nothing" '! has_entry'

case="EMULATE_I386 on a kernel that runs i386 code"
machine native
run_setup EMULATE_I386=1
check "registers qemu" '[ "$status" -eq 0 ] && has_entry && [[ "$(stamp)" == "forced "* ]]'
run_setup
check "a run without it takes the registration back" '[ "$status" -eq 0 ] && ! has_entry && [ "$(stamp)" = native ]'

case="another i386 handler on a kernel that runs i386 code"
machine native
printf 'enabled\ninterpreter /usr/bin/qemu-i386\nflags: \noffset 0\nmagic %s\nmask %s\n' \
    7f454c4601010100000000000000000002000300 fffffffffffefe00fffffffffffffffffeffffff >"$m/binfmt/qemu-i386"
run_setup
check "is not taken for native" '[ "$status" -eq 0 ] && has_entry && [[ "$(stamp)" == "emulated "* ]]'

case="the emulated state"
machine none
echo "emulated 10 1:2:3:4" >"$m/stamp"
check "is not read from a stamp without its entry" '! emulated'
printf 'disabled\ninterpreter %s\n' "$m/qemu-i386-static" >"$m/binfmt/$entry"
check "is not read from a disabled entry" '! emulated'
printf 'enabled\ninterpreter %s\n' "$m/qemu-i386-static" >"$m/binfmt/$entry"
echo disabled >"$m/binfmt/status"
check "is not read from an entry while binfmt_misc is disabled" '! emulated'

if [ "$failures" -gt 0 ]; then
    echo "check_setup_i386: $failures expectation(s) failed"
    exit 1
fi
echo "check_setup_i386: every expectation held"
