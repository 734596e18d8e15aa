#!/usr/bin/env bash
# Builds the trees: build/win (KVL_SE.exe and keyRelay.dll land in build/win/bin) and build/native (core and tests).
# Where this kernel cannot execute 32-bit programs (scripts/wine-arch.sh says win64), "win" also builds build/win64:
# the same sources for 64-bit Windows, which the end-to-end tests and the Wine benchmarks then run; the native tree
# points them at it.
# Usage: scripts/build.sh [win|native|all]   (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)
arch=$(bash "$root/scripts/wine-arch.sh")
if [ "$arch" = win64 ]; then e2e_tree=win64; else e2e_tree=win; fi
cross() {  # cross TREE TOOLCHAIN
  cmake -S "$root" -B "$root/build/$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$root/build/$1" -j"$jobs"
}
if [ "$what" = win ] || [ "$what" = all ]; then
  cross win mingw-i686.cmake
  if [ "$e2e_tree" = win64 ]; then cross win64 mingw-x86_64.cmake; fi
fi
if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug -DKVL_WIN_BIN="$root/build/$e2e_tree/bin" \
        >/dev/null
  cmake --build "$root/build/native" -j"$jobs"
fi
