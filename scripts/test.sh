#!/usr/bin/env bash
# Builds every target and runs every test.
#   native: Linux, Debug with ASan and UBSan
#   win32 : the product, mingw-w64 i686 (posix threads, static runtime), under 32-bit Wine
#   win64 : the same sources for 64-bit Windows, under 64-bit Wine; it carries the
#           Windows tests on machines whose kernel cannot run 32-bit programs
# On a fresh Debian machine (as root) it first installs what is missing.
# Exits non-zero when anything failed to build or any test failed.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)

need_install=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake                        || need_install+=(cmake)
have ninja                        || need_install+=(ninja-build)
have g++                          || need_install+=(g++)
have clang++                      || need_install+=(clang)
[ -d /usr/src/googletest ]        || need_install+=(googletest)
have i686-w64-mingw32-g++-posix   || need_install+=(g++-mingw-w64-i686-posix)
have x86_64-w64-mingw32-g++-posix || need_install+=(g++-mingw-w64-x86-64-posix)
have wine                         || need_install+=(wine)
[ -x /usr/lib/wine/wine64 ]       || need_install+=(wine64)
[ -x /usr/lib/wine/wine ]         || need_install+=(wine32:i386)
have Xvfb                         || need_install+=(xvfb)
[ -e /usr/include/zlib.h ]        || need_install+=(zlib1g-dev)
[ -e /usr/include/ini.h ]         || need_install+=(libinih-dev)
if [ ${#need_install[@]} -gt 0 ]; then
  echo "== installing: ${need_install[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || exit 1
  apt-get install -y -qq --no-install-recommends "${need_install[@]}" >/dev/null || exit 1
fi

jobs=$(nproc)
failed=()

build() {  # build PRESET
  echo "== $1: configure and build"
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j "$jobs"
}

# ---- native ----
if build native; then
  echo "== native: tests"
  ctest --preset native -j "$jobs" || failed+=("native tests")
else
  failed+=("native build")
fi

# ---- Windows ----
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :87 -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:87
fi

run_wine_tests() {  # run_wine_tests PRESET PREFIX ARCH LOADER
  local preset=$1 prefix=$2
  mkdir -p "$prefix"
  # A persistent wineserver for this prefix makes each process start cheap.
  WINEPREFIX="$prefix" WINEARCH=$3 WINELOADER=$4 wineserver -p >/dev/null 2>&1
  # Without a window manager on Xvfb, Wine's X11 driver waits about 2 s each
  # time a managed window is hidden or destroyed: keep the prefix's windows
  # unmanaged (this also brings the prefix up before the first test).
  WINEPREFIX="$prefix" WINEARCH=$3 WINELOADER=$4 "$4" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1
  echo "== $preset: tests under Wine"
  ctest --preset "$preset" -j "$jobs" || failed+=("$preset tests")
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
}

if build win32; then
  # The product's own tests need a kernel that runs 32-bit programs (32-bit Wine).
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    run_wine_tests win32 "$root/build/win32/wineprefix32" win32 /usr/lib/wine/wine
  else
    echo "== win32: built; this kernel cannot run 32-bit programs, so its Windows tests run in the win64 build"
  fi
else
  failed+=("win32 build")
fi

if build win64; then
  run_wine_tests win64 "$root/build/win64/wineprefix64" win64 /usr/lib/wine/wine64
else
  failed+=("win64 build")
fi

[ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null

if [ ${#failed[@]} -ne 0 ]; then
  echo "== FAILED: ${failed[*]}"
  exit 1
fi
echo "== all builds and tests passed"
