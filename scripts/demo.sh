#!/usr/bin/env bash
# The demo: Varn runs the sample game by itself under Wine and a virtual
# display, and saves pictures of the menu, of the flight with the orders menu
# open and of the debrief into demo-out/.
#
#   scripts/demo.sh                  install what is missing, build, lay out the
#                                    game under build/, run it
#   scripts/demo.sh --build-dir DIR  lay out and run from a build tree already built
#   scripts/demo.sh --game DIR       run in a game directory already laid out
#                                    (an unpacked package); WINEPREFIX may name the prefix
#   --out DIR                        where the pictures and the log go (default demo-out)
#   --multiplayer                    two players on the loopback address instead: a host
#                                    and a joiner in two game directories, side by side on
#                                    one display, each playing its own demo script
#   --host-dies                      the two players again, but the host's Varn.exe is
#                                    killed once the joiner flies in its flight: the
#                                    joiner drops the silent host, flies on alone and
#                                    ends its flight and debrief as usual
#
# Exits 0 only when the run went as the demo script says (both runs' logs
# with --multiplayer); 77 when there is no X display and no Xvfb to make one.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/common.sh

build_dir= game= out=$root/demo-out own_build= multiplayer= host_dies=
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build_dir=$(realpath "$2"); shift 2 ;;
    --game) game=$(realpath "$2"); shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --multiplayer) multiplayer=1; shift ;;
    --host-dies) multiplayer=1 host_dies=1; shift ;;
    *) echo "usage: $0 [--build-dir DIR | --game DIR] [--out DIR] [--multiplayer | --host-dies]" >&2; exit 2 ;;
  esac
done

# The product is 32-bit: its own build runs wherever 32-bit Wine works, the
# win64 build of the same sources elsewhere (choose_windows_width says why).
bits=64
if [ -z "$game" ]; then
  if [ -z "$build_dir" ]; then
    install_missing || { echo "== could not install the packages every build needs (run as root)"; exit 1; }
    choose_windows_width "$root/build/win32/wineprefix32"
    preset=win$windows_width
    echo "== building ($preset)"
    build_dir=$root/build/$preset own_build=1
    cmake --preset $preset >/dev/null &&
      cmake --build --preset $preset --target sample_game varncat varnini varn_shell varn_ini varn_files varn_shell_base varn_platform \
        >"$root/build/demo-build.log" 2>&1 ||
      { echo "== build failed, see build/demo-build.log"; exit 1; }
  fi
  case $(basename "$build_dir") in win32) bits=32 ;; *) bits=64 ;; esac
  game=$build_dir/demo-game
  rm -rf "$game"
  cmake --install "$build_dir" --prefix "$game" >/dev/null || { echo "== could not lay out $game"; exit 1; }
  export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix$bits}
else
  # A package says which build it is by its name (Varn-...-win32 or -win64).
  case $game in *win32*) bits=32 ;; *win64*) bits=64 ;; esac
  export WINEPREFIX=${WINEPREFIX:-$root/build/win$bits/wineprefix$bits}
fi
[ -x "$game/Varn.exe" ] || [ -f "$game/Varn.exe" ] || { echo "== no Varn.exe in $game"; exit 1; }
[ -n "$own_build" ] || echo "== the demo runs the win$bits build it was given"

start_xvfb || { echo "== SKIPPED: no X display and no Xvfb to make one"; exit 77; }
wine_for_width $bits
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=$wine_arch WINELOADER=$wine_loader
start_wine_prefix "$WINEPREFIX" $bits

# Demo mode in game directory $1: the script $2 next to Varn.exe, the log
# switched on, no old pictures.
prepare_game() {
  cp "$1/Demo/$2" "$1/Demo.ini" || { echo "== no demo script $2 in $1/Demo"; finish; exit 1; }
  # The log on, and no crash box: nobody watches this run to close one (a crash
  # still leaves Varn-crash.txt and ends the run with the exception code).
  sed -i '/^LogFile=/d; /^CrashBox=/d' "$1/startup.ini"
  if grep -q '^\[Debug\]' "$1/startup.ini"; then
    sed -i 's/^\[Debug\]\r\?$/&\nLogFile=Varn.log\r\nCrashBox=FALSE\r/' "$1/startup.ini"
  else
    printf '\r\n[Debug]\r\nLogFile=Varn.log\r\nCrashBox=FALSE\r\n' >>"$1/startup.ini"
  fi
  rm -f "$1/Varn.log" "$1"/ScreenShots/*.bmp
}

problems=()
# The log $1 must tell the story of the texts after it, in this order.
check_story() {
  local log=$1 text found line=0
  shift
  for text in "$@"; do
    found=$(tail -n +$((line + 1)) "$log" 2>/dev/null | grep -n -F -m1 -- "$text" | cut -d: -f1)
    if [ -z "$found" ]; then problems+=("$(basename "$log"): missing (or out of order) \"$text\""); continue; fi
    line=$((line + found))
  done
  # Errors other than the first start's missing options file.
  local errors
  errors=$(grep '^error:' "$log" 2>/dev/null | grep -v 'Options.ini not found!')
  [ -z "$errors" ] || problems+=("$(basename "$log"): errors: $errors")
}

# Without ImageMagick the pictures are kept as they were saved, unchecked.
pictures=png
dpkg -s imagemagick >/dev/null 2>&1 || { pictures=bmp; echo "== ImageMagick is not installed: the pictures stay BMP files and are not checked"; }
# Picture $2 of game directory $1 into the output: present and not blank.
keep_picture() {
  local bmp=$1/ScreenShots/$2.bmp spread
  if [ ! -f "$bmp" ]; then problems+=("no picture $2"); return; fi
  if [ $pictures = bmp ]; then cp "$bmp" "$out/"; return; fi
  convert "$bmp" "$out/$2.png"
  spread=$(convert "$out/$2.png" -format '%[fx:standard_deviation]' info:)
  awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || problems+=("picture $2 is blank")
}
# Pictures $1 and $2 of the output differ in more than 48000 pixels.
pictures_differ() {
  [ $pictures = png ] && [ -f "$out/$1.png" ] && [ -f "$out/$2.png" ] || return 0
  local differing
  differing=$(compare -metric AE "$out/$1.png" "$out/$2.png" null: 2>&1 | cut -d' ' -f1)
  awk -v d="$differing" 'BEGIN { exit !(d > 48000) }' || problems+=("$1 and $2 pictures hardly differ ($differing pixels)")
}

# Kills every Varn.exe that runs in the host's game directory, with its
# process group (the Wine loader that run_unless_stalled started).
kill_host_game() {
  local proc group own
  own=$(ps -o pgid= -p $$ | tr -d ' ')
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/cwd" 2>/dev/null)" = "$host_game" ] || continue
    tr '\0' ' ' <"$proc/cmdline" 2>/dev/null | grep -q 'Varn\.exe' || continue
    group=$(ps -o pgid= -p "${proc#/proc/}" 2>/dev/null | tr -d ' ')
    [ -n "$group" ] && [ "$group" != "$own" ] && kill -KILL -- -"$group" 2>/dev/null
  done
}

finish() {
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  # A run of its own stops its wineserver; runs inside the tests leave it to them.
  [ -n "$own_build" ] && wineserver -k >/dev/null 2>&1
}

rm -rf "$out" && mkdir -p "$out"

if [ -n "$multiplayer" ]; then
  # Two game directories beside the laid-out one; the joiner's window at the
  # right of the host's.
  host_game=$game-host joiner_game=$game-joiner
  for dir in "$host_game" "$joiner_game"; do
    rm -rf "$dir" && cp -r "$game" "$dir" || { echo "== could not copy $game"; finish; exit 1; }
  done
  prepare_game "$host_game" DemoHost.ini
  joiner_script=DemoJoiner.ini
  [ -z "$host_dies" ] || joiner_script=DemoJoinerAlone.ini
  prepare_game "$joiner_game" $joiner_script
  sed -i 's/^WindowPosX=.*/WindowPosX=800\r/' "$joiner_game/startup.ini"
  # A port of its own, so that a session of another run is not joined.
  port=$((29000 + RANDOM % 4000 * 2))
  echo "== running a host and a joiner ($wine_arch) on 127.0.0.1:$port"
  start=$(date +%s)
  (cd "$host_game" && HOME=$WINEPREFIX/home run_unless_stalled 60 "$wine_loader" ./Varn.exe -host -n:Pilot -s:Evening -g:1 -m:8 \
     -p:secret -gamespy -netbind:127.0.0.1 -netport:$port -queryport:$((port + 1)) >/dev/null 2>&1) &
  host_pid=$!
  # The joiner starts once the host's session is up (or the host has ended).
  while kill -0 $host_pid 2>/dev/null; do
    grep -q 'info: menu: screen Session' "$host_game/Varn.log" 2>/dev/null && break
    sleep 1
  done
  (cd "$joiner_game" && HOME=$WINEPREFIX/home run_unless_stalled 60 "$wine_loader" ./Varn.exe -join:127.0.0.1:$port -n:Wingman \
     -p:secret -netbind:127.0.0.1 >/dev/null 2>&1) &
  joiner_pid=$!
  if [ -n "$host_dies" ]; then
    # Once the joiner has heard the host's aircraft in flight, the host's
    # Varn.exe ends at once, as in a crash: its whole process group, killed.
    while kill -0 $joiner_pid 2>/dev/null && kill -0 $host_pid 2>/dev/null; do
      grep -q 'info: flight: aircraft 1 is flown by the host from another computer' "$joiner_game/Varn.log" 2>/dev/null && break
      sleep 1
    done
    kill_host_game
  fi
  wait $joiner_pid
  joiner_code=$?
  wait $host_pid
  host_code=$?
  seconds=$(( $(date +%s) - start ))
  finish
  cp "$host_game/Varn.log" "$out/Varn-host.log" 2>/dev/null
  cp "$joiner_game/Varn.log" "$out/Varn-joiner.log" 2>/dev/null
  if [ -n "$host_dies" ]; then
    # The host was killed in flight (137: by SIGKILL); the joiner drops the
    # silent host, flies on alone, and ends its flight and debrief as usual.
    [ $host_code -eq 137 ] || problems+=("the host's Varn.exe exited with $host_code (137, killed, expected)")
    [ $joiner_code -eq 1 ] || problems+=("the joiner's Varn.exe exited with $joiner_code (1 expected)")
    check_story "$out/Varn-host.log" \
      "info: menu: screen Session" "info: flight: leads the session's flight" \
      "info: flight: aircraft 2 is flown by Wingman from another computer"
    check_story "$out/Varn-joiner.log" \
      "info: menu: session Evening, mission game, 2 of 8 players" "saved picture joiner-session" \
      "info: flight: flies aircraft 2 of the host's flight" \
      "info: flight: aircraft 1 is flown by the host from another computer" \
      "warning: NET: the host has not been heard for 10 s; flying on alone" \
      "info: flight: the host left; aircraft 1 is flown by this computer again" \
      "saved picture joiner-alone" "info: flight: ends by Escape" "info: menu: screen Debrief" \
      "saved picture joiner-debrief" "info: objects: 0 orders taken in this run"
    for name in joiner-session joiner-alone joiner-debrief; do keep_picture "$joiner_game" $name; done
    pictures_differ joiner-session joiner-alone
    echo "== host-dies demo: host and joiner ($wine_arch build) ran $seconds s and exited with $host_code and $joiner_code"
    echo "   pictures: $out/joiner-alone.$pictures (the joiner flying on alone), $out/joiner-debrief.$pictures"
    echo "   logs:     $out/Varn-host.log, $out/Varn-joiner.log"
    if [ ${#problems[@]} -ne 0 ]; then
      printf '== host-dies demo FAILED:\n'; printf '   %s\n' "${problems[@]}"
      exit 1
    fi
    echo "== host-dies demo ran as scripted"
    exit 0
  fi
  [ $host_code -eq 1 ] || problems+=("the host's Varn.exe exited with $host_code (1 expected)")
  [ $joiner_code -eq 1 ] || problems+=("the joiner's Varn.exe exited with $joiner_code (1 expected)")
  # The host leads; the joiner flies aircraft 2, which the host's order does
  # not reach while its computer-flown wingmen take it; the joiner sees them
  # follow it; the joiner leaves and says so.
  check_story "$out/Varn-host.log" \
    "info: mission: multiplayer mode MpMission" "info: menu: screen Session" "saved picture host-session" \
    "info: flight: leads the session's flight" "info: flight: aircraft 2 is flown by Wingman from another computer" \
    "saved picture host-orders" "info: objects: wingman 3 takes order 42 (Break)" \
    "info: objects: wingman 4 takes order 42 (Break)" "saved picture host-flight" \
    "info: flight: Wingman left; aircraft 2 is flown by this computer again" "saved picture host-alone" \
    "info: flight: ends by Escape" "info: menu: screen Debrief" "saved picture host-debrief" \
    "info: objects: 2 orders taken in this run"
  check_story "$out/Varn-joiner.log" \
    "info: mission: multiplayer mode MpMission" "info: menu: session Evening, mission game, 2 of 8 players" \
    "saved picture joiner-session" "info: flight: flies aircraft 2 of the host's flight" \
    "info: flight: aircraft 1 is flown by the host from another computer" \
    "info: objects: aircraft 2 is flown by its player and takes no order" \
    "info: objects: aircraft 3 follows order 42 (Break) from another computer" "saved picture joiner-flight" \
    "info: flight: ends by Escape" "saved picture joiner-debrief" "info: objects: 0 orders taken in this run"
  ! grep -q 'wingman 2 takes order' "$out/Varn-host.log" || problems+=("the joiner's aircraft took the host's order")
  for name in host-session host-orders host-flight host-alone; do keep_picture "$host_game" $name; done
  for name in joiner-session joiner-flight joiner-debrief; do keep_picture "$joiner_game" $name; done
  pictures_differ host-session host-flight
  pictures_differ joiner-session joiner-flight

  echo "== two-player demo: host and joiner ($wine_arch build) ran $seconds s and exited with $host_code and $joiner_code"
  echo "   pictures: $out/host-session.$pictures, $out/joiner-session.$pictures (each player's session screen),"
  echo "             $out/host-flight.$pictures (wingmen 3 and 4 break, the joiner's 2 does not),"
  echo "             $out/joiner-flight.$pictures (the joiner flying 2 sees the host's wingmen break)"
  echo "   logs:     $out/Varn-host.log, $out/Varn-joiner.log"
  if [ ${#problems[@]} -ne 0 ]; then
    printf '== two-player demo FAILED:\n'; printf '   %s\n' "${problems[@]}"
    exit 1
  fi
  echo "== two-player demo ran as scripted"
  exit 0
fi

prepare_game "$game" Demo.ini

echo "== running Varn.exe ($wine_arch) in $game"
start=$(date +%s)
(cd "$game" && HOME=$WINEPREFIX/home run_unless_stalled 60 "$wine_loader" ./Varn.exe >/dev/null 2>&1)
code=$?
seconds=$(( $(date +%s) - start ))
finish
cp "$game/Varn.log" "$out/Varn.log" 2>/dev/null

# Varn exits with 1 once its main loop has run.
[ $code -eq 1 ] || problems+=("Varn.exe exited with $code (1 expected)")
check_story "$out/Varn.log" \
  "info: menu: screen MainScreen" "saved picture menu" "info: menu: Fly chosen on MainScreen" \
  "info: flight: starts from" "info: Comm DLL Initialized..." "info: flight: orders menu toggled" \
  "saved picture flight" "info: objects: wingman 2 takes order 46 (Close formation)" \
  "info: objects: wingman 4 takes order 46 (Close formation)" "info: objects: wingman 3 takes order 42 (Break)" \
  "info: flight: ends by Escape" "info: Comm DLL Deinitialized..." "info: mission: next screen Debrief" \
  "info: menu: screen Debrief" "saved picture debrief" "info: menu: Quit chosen on Debrief" \
  "info: objects: 6 orders taken in this run"
# The pictures: present, not blank, and the menu unlike the flight.
for name in menu flight orders debrief; do keep_picture "$game" $name; done
pictures_differ menu flight

echo "== demo: Varn.exe ($wine_arch build) ran $seconds s and exited with $code"
echo "   pictures: $out/menu.$pictures (menu), $out/flight.$pictures (orders menu over the flight),"
echo "             $out/orders.$pictures (wingmen in close formation), $out/debrief.$pictures (debrief)"
echo "   log:      $out/Varn.log"
if [ ${#problems[@]} -ne 0 ]; then
  printf '== demo FAILED:\n'; printf '   %s\n' "${problems[@]}"
  exit 1
fi
echo "== demo ran as scripted"
