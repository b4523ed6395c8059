#!/usr/bin/env bash
# Installs everything the build, the tests and the scripts need on Debian 12 or 13 (as root or through
# sudo), then makes i386 programs run where the kernel cannot run them itself (setup-i386.sh). Returns at
# once when all of it is in place already.
set -euo pipefail

PACKAGES=(
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 mingw-w64-tools
    cmake ninja-build googletest python3 python3-pefile python3-yaml
    # The second compiler, the static analysers and the format check.
    clang lld clang-tidy cppcheck clang-format
    wine wine64 wine32:i386 fonts-wine
    # The X extensions Wine draws with, for both of its halves (not pulled in without recommends).
    lib{xrender1,xrandr2,xi6,xcursor1,xinerama1,xcomposite1,xfixes3}:{amd64,i386}
    xvfb xauth x11-utils x11-apps imagemagick
    zip util-linux
)

# Runs a command as root: directly when root, else through sudo, which asks for no password where there
# is no terminal to ask on.
kf_as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif { : </dev/tty; } 2>/dev/null; then
        sudo "$@"
    else
        sudo -n "$@"
    fi
}

# apt-get as root, waiting up to five minutes for another apt (unattended upgrades hold its locks for
# minutes on a freshly booted machine): dpkg's lock through apt's own option, the lists' lock, which
# apt-get update does not wait for (apt 2.6), here.
kf_apt_get() {
    local errors
    for _ in $(seq 60); do
        { errors=$(kf_as_root env DEBIAN_FRONTEND=noninteractive LC_ALL=C apt-get -o DPkg::Lock::Timeout=300 \
            "$@" 2>&1 >&3 </dev/null); } 3>&1 && return 0
        [[ "$errors" == *"Could not get lock"* ]] || break
        sleep 5
    done
    echo "$errors" >&2
    return 1
}
export -f kf_as_root kf_apt_get

installed=$(dpkg-query -W -f='${db:Status-Abbrev}${binary:Package}\n' "${PACKAGES[@]}" 2>/dev/null || true)
arch=$(dpkg --print-architecture)
missing=()
for package in "${PACKAGES[@]}"; do
    grep -qxF -e "ii $package" -e "ii $package:$arch" <<<"$installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    kf_as_root true 2>/dev/null || {
        echo "setup: root needed to install ${missing[*]}; run this as root or where sudo works" >&2
        exit 1
    }
    echo "setup: installing ${missing[*]}"
    # 32-bit Wine, for the i386 build, comes from the i386 architecture.
    dpkg --print-foreign-architectures | grep -qx i386 || kf_as_root dpkg --add-architecture i386
    kf_apt_get -q update
    kf_apt_get install -y -q --no-install-recommends "${missing[@]}"
fi
# A machine without i386 still builds and tests x64; the test script reports the x86 runtime.
bash "$(dirname "${BASH_SOURCE[0]}")/setup-i386.sh" || true
