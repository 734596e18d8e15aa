#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test (unit, fuzz, end-to-end) through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all
{ read -r arch; read -r why; } < <(bash "$root/scripts/wine-arch.sh" -v)
if [ "$arch" = win64 ]; then
  echo "End-to-end tests: 64-bit build (build/win64) under 64-bit Wine, because $why; build/win is built but not run"
else
  echo "End-to-end tests: the 32-bit product (build/win) under 32-bit Wine, because $why"
fi
cd "$root/build/native"
ctest --output-on-failure -j2 --timeout 600
