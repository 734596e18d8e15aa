#!/usr/bin/env bash
# Installs what is missing, builds KVL_SE.exe and keyRelay.dll and starts the program under Wine: on $DISPLAY when it
# is set, otherwise on a private Xvfb display whose name is printed. Where this kernel cannot execute 32-bit programs
# (scripts/wine-arch.sh), it starts the 64-bit build of the same sources under 64-bit Wine instead, and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ "$(bash "$root/scripts/wine-arch.sh")" = win64 ]; then
  echo "This kernel cannot execute 32-bit programs: running the 64-bit build (build/win64) under 64-bit Wine"
  export WINEPREFIX=${WINEPREFIX:-$HOME/.kvl-se-wine64} WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  wine=(/usr/lib/wine/wine64)  # Debian's `wine` launcher takes the 32-bit loader whenever wine32 is installed
  bin="$root/build/win64/bin"
else
  export WINEPREFIX=${WINEPREFIX:-$HOME/.kvl-se-wine} WINEARCH=win32
  wine=(wine)
  bin="$root/build/win/bin"
fi
if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
  for _ in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$fifo")"
  echo "KVL SE runs on the private display $DISPLAY (Xvfb)"
fi
[ -d "$WINEPREFIX" ] || "${wine[@]}" wineboot -i >/dev/null 2>&1
cd "$bin"
"${wine[@]}" KVL_SE.exe
