#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test (unit, fuzz, end-to-end) through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" all
cd "$root/build/native"
ctest --output-on-failure -j2 --timeout 600
