#!/usr/bin/env bash
# Builds the 32-bit release and packs it for Windows users: KVL_SE-0.70.zip (KVL_SE.exe, keyRelay.dll and
# README.txt) and KVL_SE-0.70.zip.sha256 beside it, in the repository's root. Installs what is missing first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win
version=$(sed -n 's/^project(KVL_SE VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
zip="$root/KVL_SE-$version.zip"
python3 - "$root/build/win/bin" "$root/scripts/release-readme.txt" "$zip" <<'PY'
import sys, zipfile
bin_dir, readme, out = sys.argv[1:]
# Fixed dates and modes: the same build gives the same archive.
def add(z, path, name):
    info = zipfile.ZipInfo(name, date_time=(2026, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    info.external_attr = 0o644 << 16
    with open(path, "rb") as f:
        data = f.read()
    if name.endswith(".txt"):
        data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")  # Notepad's line ends
    z.writestr(info, data)
with zipfile.ZipFile(out, "w") as z:
    add(z, bin_dir + "/KVL_SE.exe", "KVL_SE.exe")
    add(z, bin_dir + "/keyRelay.dll", "keyRelay.dll")
    add(z, readme, "README.txt")
PY
(cd "$root" && sha256sum "$(basename "$zip")" > "$(basename "$zip").sha256")
echo "$zip"
cat "$zip.sha256"
