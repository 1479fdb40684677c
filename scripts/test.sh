#!/usr/bin/env bash
# Builds every target and runs every test.
#   native: Linux, Debug with ASan and UBSan
#   win32 : the product, mingw-w64 i686 (posix threads, static runtime), under 32-bit Wine
#           wherever 32-bit Wine works (tried, not guessed); elsewhere built, and its
#           file checks run without Wine
#   win64 : the same sources for 64-bit Windows, under 64-bit Wine; it carries the
#           Windows tests where 32-bit Wine does not work, and runs beside win32 where it does
# On a fresh Debian machine (as root) it first installs what is missing; an optional
# package that cannot be had is named with what goes without it, and the run goes on.
# Exits non-zero when anything failed to build or any test failed.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)
windows_width=64 windows_why="the win32 build failed"

source scripts/common.sh
install_missing || exit 1

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
start_xvfb || echo "== no X display and no Xvfb: the tests that draw windows are skipped"

run_wine_tests() {  # run_wine_tests WIDTH
  local preset=win$1 prefix=$root/build/win$1/wineprefix$1
  start_wine_prefix "$prefix" "$1"
  echo "== $preset: tests under Wine"
  ctest --preset "$preset" -j "$jobs" || failed+=("$preset tests")
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1
}

if build win32; then
  choose_windows_width "$root/build/win32/wineprefix32"
  if [ "$windows_width" = 32 ]; then
    run_wine_tests 32
  else
    # Checks of the built files themselves (export tables, resources) need no Wine.
    echo "== win32: built; its file checks run here, its Windows tests in win64"
    ctest --preset win32 -L host || failed+=("win32 host tests")
  fi
else
  failed+=("win32 build")
fi

if build win64; then
  run_wine_tests 64
else
  failed+=("win64 build")
fi

[ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null

if [ ${#failed[@]} -ne 0 ]; then
  echo "== FAILED: ${failed[*]}"
  echo "== whole run: $(( $(date +%s) - started )) s"
  exit 1
fi
echo "== all builds and tests passed (Windows tests in win$windows_width: $windows_why; whole run $(( $(date +%s) - started )) s)"
