#!/usr/bin/env bash
# Builds both trees: build/win (KVL_SE.exe and keyRelay.dll land in build/win/bin) and build/native (core and tests).
# Usage: scripts/build.sh [win|native|all]   (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)
if [ "$what" = win ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$root/build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/win" -j"$jobs"
fi
if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug -DKVL_WIN_BIN="$root/build/win/bin" >/dev/null
  cmake --build "$root/build/native" -j"$jobs"
fi
