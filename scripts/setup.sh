#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root). Idempotent and quiet when all is there.
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v i686-w64-mingw32-g++ >/dev/null || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
command -v wine >/dev/null || need+=(wine wine32 wine64)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v xdpyinfo >/dev/null || need+=(x11-utils)
command -v ip >/dev/null || need+=(iproute2)
command -v python3 >/dev/null || need+=(python3)
command -v clang >/dev/null || need+=(clang)
dpkg -s libgtest-dev >/dev/null 2>&1 || need+=(libgtest-dev)
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || need+=(libclang-rt-14-dev)
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need+=(wine32)
fi
install() {
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}
if [ ${#need[@]} -gt 0 ]; then
  install "${need[@]}"
fi
# A kernel that cannot execute 32-bit programs runs the end-to-end tests on a 64-bit build (see wine-arch.sh).
if [ "$(bash "$(dirname "$0")/wine-arch.sh")" = win64 ] && ! command -v x86_64-w64-mingw32-g++ >/dev/null; then
  install g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
fi
