#!/usr/bin/env bash
# Installs what is missing, builds KVL_SE.exe and keyRelay.dll and starts the program under Wine: on $DISPLAY when it
# is set, otherwise on a private Xvfb display whose name is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" win
export WINEPREFIX=${WINEPREFIX:-$HOME/.kvl-se-wine}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" 2>/dev/null &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
  for _ in $(seq 100); do [ -s "$fifo" ] && break; sleep 0.1; done
  export DISPLAY=":$(cat "$fifo")"
  echo "KVL SE runs on the private display $DISPLAY (Xvfb)"
fi
[ -d "$WINEPREFIX" ] || wineboot -i >/dev/null 2>&1
cd "$root/build/win/bin"
wine KVL_SE.exe
