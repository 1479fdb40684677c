#!/usr/bin/env bash
# Runs a Windows program under Wine with the build tree's own prefix.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix name decides the width: a prefix ending in "64" is a 64-bit one,
# any other a 32-bit one (scripts/common.sh maps the width to Wine's loader).
set -e
source "$(dirname "$0")/common.sh"
export WINEPREFIX="$1"; shift
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
mkdir -p "$WINEPREFIX"
# A home inside the prefix, when scripts/test.sh made one (with a null sound
# device), keeps the user's own home out of the tests.
[ -d "$WINEPREFIX/home" ] && export HOME="$WINEPREFIX/home"
case "$WINEPREFIX" in
  *64) wine_for_width 64 ;;
  *)   wine_for_width 32 ;;
esac
export WINEARCH=$wine_arch WINELOADER=$wine_loader
# Parallel build steps may each be the first to use a new prefix, and two
# programs bringing up one prefix at once can fail: the first to take the lock
# brings it up, the others wait for it.
if [ ! -e "$WINEPREFIX/.made" ]; then
  exec 9>"$WINEPREFIX/.making"
  flock 9
  # wineboot leaves Wine's services running; they must not inherit the lock,
  # or every later program waiting for it would wait for ever.
  [ -e "$WINEPREFIX/.made" ] || { "$wine_loader" wineboot --init >/dev/null 2>&1 9>&- && : >"$WINEPREFIX/.made"; }
  exec 9>&-
fi
exec "$wine_loader" "$@"
