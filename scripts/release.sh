#!/usr/bin/env bash
# Builds both targets in release mode and writes dist/: one zip per architecture (the stripped
# executable and the German read-me) and SHA256SUMS. Reproducible: no time stamps in the
# executables, and every zip entry dated SOURCE_DATE_EPOCH (default: the last commit's time).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh

export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532800)}"
version=0.9
rm -rf dist
mkdir -p dist
for arch in x64 x86; do
    rm -rf "build/release-$arch"
    cmake --preset "$arch-release" -DKRUMENFEGER_TESTS=OFF -DKRUMENFEGER_WERROR=ON >/dev/null
    cmake --build --preset "$arch-release" --parallel "${JOBS:-2}"
done
python3 - "$version" <<'PY'
import os, sys, zipfile
version = sys.argv[1]
epoch = max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800)  # zip dates start in 1980
import time
stamp = time.gmtime(epoch)[:6]
readme = open("resources/LIESMICH.txt", encoding="utf-8").read().replace("\n", "\r\n").encode("utf-8")
for arch in ("x64", "x86"):
    exe = open(f"build/release-{arch}/krumenfeger.exe", "rb").read()
    with zipfile.ZipFile(f"dist/krumenfeger-{version}-{arch}.zip", "w", zipfile.ZIP_DEFLATED) as archive:
        for name, data in ((f"Krumenfeger-{arch}/Krumenfeger.exe", exe), (f"Krumenfeger-{arch}/LIESMICH.txt", readme)):
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.external_attr = 0o644 << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 0
            archive.writestr(entry, data, compresslevel=9)
PY
(cd dist && sha256sum krumenfeger-*.zip > SHA256SUMS)
cat dist/SHA256SUMS
echo "release written to $(pwd)/dist"
