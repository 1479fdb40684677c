#!/usr/bin/env bash
# install_missing against a mirror whose `apt-get update` always fails and
# which refuses some packages: dpkg and apt-get are stood in for on PATH, and
# VARN_TREAT_MISSING names the packages to treat as missing.
set -u
common=$1
dir=$(mktemp -d) && trap 'rm -rf "$dir"' EXIT
mkdir "$dir/bin"
cat >"$dir/bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$LOG"
[ "$1" = update ] && exit 100
for word in "$@"; do case " $REFUSE " in *" $word "*) exit 100 ;; esac; done
exit 0
STUB
cat >"$dir/bin/dpkg" <<'STUB'
#!/bin/sh
case "$1" in --print-foreign-architectures) echo i386 ;; -s) exit 1 ;; esac
exit 0
STUB
chmod +x "$dir/bin/"*

failures=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

run() {  # run REFUSED-PACKAGES: install_missing's output in $out, its result in $rc, the calls in $LOG
  export LOG=$dir/log REFUSE=$1 VARN_APT_BACKOFF=0 VARN_TREAT_MISSING="cmake wine64 libgcrypt-mingw-w64-dev wine32:i386 qstat xdotool"
  : >"$LOG"
  out=$(PATH="$dir/bin:$PATH" bash -c 'source "$1" && install_missing' - "$common" 2>&1)
  rc=$?
}

run "qstat wine32:i386"
check "a failing update and refused optional packages do not end the run" test "$rc" -eq 0
check "update is tried three times" test "$(grep -c '^apt-get update' "$LOG")" -eq 3
check "the failed lists are reported once" test "$(grep -c 'package lists could not be fetched' <<<"$out")" -eq 1
check "the required group is asked for in one line" grep -q '^apt-get install .* cmake .*wine64 .*libgcrypt-mingw-w64-dev' "$LOG"
check "each optional package is asked for on its own" grep -q '^apt-get install -y -qq --no-install-recommends qstat$' "$LOG"
check "the refused query client is named with what is skipped" \
  grep -qx '== qstat could not be installed: the server-query checks are skipped' <<<"$out"
check "refused 32-bit Wine says where the Windows tests run" \
  grep -qx '== wine32:i386 .*could not be installed: the Windows tests run in the win64 build under 64-bit Wine' <<<"$out"
check "an optional package that installed is not reported as missing" \
  bash -c '! grep -q "xdotool could not" <<<"$1"' - "$out"

run "cmake"
check "a refused required group fails the run and says so" \
  bash -c '[ "$1" -eq 1 ] && grep -q "could not install the packages every build needs: .*cmake" <<<"$2"' - "$rc" "$out"

echo "$(( 9 - failures )) passed, $failures failed"
[ $failures -eq 0 ]
