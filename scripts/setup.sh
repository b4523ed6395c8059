#!/usr/bin/env bash
# Installs everything the build, the tests and the run script need on Debian 12 (as root or through
# sudo), then makes i386 programs run where the kernel cannot run them itself (setup-i386.sh).
# Returns at once when all of it is in place already.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup-env.sh"

PACKAGES=(
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64 mingw-w64-tools
    cmake ninja-build googletest python3 python3-pefile python3-yaml clang-format
    # The second compiler and the static analysers of the test command.
    clang lld clang-tidy cppcheck
    wine wine64 wine32:i386 fonts-wine
    # The X extensions Wine draws with, for both of its halves (not pulled in without recommends).
    libxrender1:amd64 libxrandr2:amd64 libxi6:amd64 libxcursor1:amd64 libxinerama1:amd64 libxcomposite1:amd64
    libxfixes3:amd64
    libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxinerama1:i386 libxcomposite1:i386
    libxfixes3:i386
    xvfb xauth x11-utils x11-apps imagemagick
    zip util-linux
)

missing=()
for package in "${PACKAGES[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null || true)
    [ "$status" = "ii " ] || missing+=("$package")
done

install_missing() {
    if ! kf_have_root; then
        echo "setup: root needed to install ${missing[*]}; run this as root or where sudo works" >&2
        exit 1
    fi
    echo "setup: installing ${missing[*]}"
    # 32-bit Wine, for the i386 build, comes from the i386 architecture.
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        kf_as_root dpkg --add-architecture i386
    fi
    kf_apt_update
    kf_apt_get install -y -q --no-install-recommends "${missing[@]}"
}

if [ ${#missing[@]} -gt 0 ]; then
    install_missing
fi
# A machine without i386 still builds and tests x64; the test script reports the x86 runtime.
bash "$(dirname "${BASH_SOURCE[0]}")/setup-i386.sh" || true
