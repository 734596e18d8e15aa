#!/usr/bin/env bash
# Runs every benchmark: the native ones in $KVL_BENCH_BIN, then the Wine ones (which need KVL_WIN_BIN and root).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
status=0
for exe in "$KVL_BENCH_BIN"/bench_*; do
  [ -x "$exe" ] || continue
  echo "== $(basename "$exe")"
  "$exe" || status=1
done
for py in "$here"/wine/*.py; do
  [ -f "$py" ] || continue
  echo "== $(basename "$py")"
  python3 "$py" || status=1
done
exit $status
