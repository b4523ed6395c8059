#!/usr/bin/env bash
# Builds both targets in release mode, checks the executables and writes dist/: one zip per architecture
# (the stripped executable and the German read-me) and SHA256SUMS. Reproducible: no time stamps in the
# executables, and every zip entry dated SOURCE_DATE_EPOCH (default: the last commit's time).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh

export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}"
rm -rf dist
mkdir -p dist
for arch in x64 x86; do
    rm -rf "build/release-$arch"
    cmake --preset "$arch-release" >/dev/null
    cmake --build --preset "$arch-release" --parallel "${JOBS:-2}"
    ctest --preset "$arch-release" -R '^pe_check$'
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release-x64/CMakeCache.txt)
python3 - "$version" <<'PY'
import os, sys, time, zipfile
version = sys.argv[1]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]  # zip dates start in 1980
for arch in ("x64", "x86"):
    with zipfile.ZipFile(f"dist/krumenfeger-{version}-{arch}.zip", "w", zipfile.ZIP_DEFLATED) as archive:
        # The read-me as CMake wrote it from resources/, with the version and Windows line ends.
        for name, path in (("Krumenfeger.exe", "krumenfeger.exe"), ("LIESMICH.txt", "LIESMICH.txt")):
            entry = zipfile.ZipInfo(f"Krumenfeger-{arch}/{name}", date_time=stamp)
            entry.external_attr = 0o644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0
            archive.writestr(entry, open(f"build/release-{arch}/{path}", "rb").read(), compresslevel=9)
PY
(cd dist && sha256sum krumenfeger-*.zip > SHA256SUMS)
cat dist/SHA256SUMS
echo "release written to $(pwd)/dist"
