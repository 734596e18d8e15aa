#!/usr/bin/env bash
# Which Wine the end-to-end tests and the Wine benchmarks use on this machine: prints "win32" or "win64".
#   win32  the 32-bit loader runs (the product itself, build/win, is tested), or it fails for any reason other than
#          the kernel refusing 32-bit programs: such a breakage must show up as failing tests, not as a fallback;
#   win64  the kernel cannot execute 32-bit x86 programs at all (exec of the i386 loader gives ENOEXEC, "Exec format
#          error"): the tests run a 64-bit build of the same sources (build/win64) under 64-bit Wine.
# With -v, a second line on stdout says why. KVL_WINE_ARCH=win32|win64 overrides the answer (the why says so).
set -uo pipefail
loader=/usr/lib/wine/wine
verbose=0
[ "${1:-}" = -v ] && verbose=1
say() { echo "$1"; [ $verbose = 1 ] && echo "$2"; exit 0; }

case "${KVL_WINE_ARCH:-}" in
  win32|win64) say "$KVL_WINE_ARCH" "KVL_WINE_ARCH=$KVL_WINE_ARCH is set" ;;
  "") ;;
  *) echo "KVL_WINE_ARCH must be win32 or win64, not '$KVL_WINE_ARCH'" >&2; exit 2 ;;
esac
if [ ! -e "$loader" ]; then
  say win32 "the 32-bit Wine loader $loader is not installed (scripts/setup.sh installs wine32)"
fi
out=$("$loader" --version 2>&1 </dev/null)
rc=$?
if [ $rc = 0 ] && [[ "$out" == wine-* ]]; then
  say win32 "the 32-bit Wine loader runs ($out)"
fi
# Only the kernel's own refusal (ENOEXEC: the shell reports 126 and "Exec format error") means "no 32-bit here".
if [ $rc = 126 ] && [[ "$out" == *"Exec format error"* ]]; then
  say win64 "this kernel cannot execute 32-bit x86 programs ($loader: Exec format error)"
fi
say win32 "the 32-bit Wine loader fails (exit $rc: $(echo "$out" | head -n1)); the tests use it anyway and will show it"
