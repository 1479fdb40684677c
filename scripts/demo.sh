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
#
# Exits 0 only when the run went as the demo script says; 77 when there is
# no X display and no Xvfb to make one.
set -u
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/common.sh

build_dir= game= out=$root/demo-out own_build=
while [ $# -gt 0 ]; do
  case $1 in
    --build-dir) build_dir=$(realpath "$2"); shift 2 ;;
    --game) game=$(realpath "$2"); shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    *) echo "usage: $0 [--build-dir DIR | --game DIR] [--out DIR]" >&2; exit 2 ;;
  esac
done

# The product is 32-bit: its own build runs wherever 32-bit Wine works, the
# win64 build of the same sources elsewhere (choose_windows_width says why).
arch=win64 loader=/usr/lib/wine/wine64 bits=64
if [ -z "$game" ]; then
  if [ -z "$build_dir" ]; then
    install_missing || { echo "== could not install the packages every build needs (run as root)"; exit 1; }
    choose_windows_width "$root/build/win32/wineprefix32"
    preset=win$windows_width
    echo "== building ($preset)"
    build_dir=$root/build/$preset own_build=1
    cmake --preset $preset >/dev/null &&
      cmake --build --preset $preset --target sample_game varncat varnini varn_shell varn_files varn_platform varn_ini \
        >"$root/build/demo-build.log" 2>&1 ||
      { echo "== build failed, see build/demo-build.log"; exit 1; }
  fi
  case $(basename "$build_dir") in win32) arch=win32 loader=/usr/lib/wine/wine bits=32 ;;
                                   *) arch=win64 loader=/usr/lib/wine/wine64 bits=64 ;; esac
  game=$build_dir/demo-game
  rm -rf "$game"
  cmake --install "$build_dir" --prefix "$game" >/dev/null || { echo "== could not lay out $game"; exit 1; }
  export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix$bits}
else
  # A package says which build it is by its name (Varn-...-win32 or -win64).
  case $game in *win32*) arch=win32 loader=/usr/lib/wine/wine bits=32 ;; *win64*) arch=win64 loader=/usr/lib/wine/wine64 bits=64 ;; esac
  export WINEPREFIX=${WINEPREFIX:-$root/build/win$bits/wineprefix$bits}
fi
[ -x "$game/Varn.exe" ] || [ -f "$game/Varn.exe" ] || { echo "== no Varn.exe in $game"; exit 1; }
[ -n "$own_build" ] || echo "== the demo runs the $arch build it was given"

start_xvfb || { echo "== SKIPPED: no X display and no Xvfb to make one"; exit 77; }
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=$arch WINELOADER=$loader
start_wine_prefix "$WINEPREFIX" $arch $loader

# Demo mode: the script next to Varn.exe, the log switched on, no old pictures.
cp "$game/Demo/Demo.ini" "$game/Demo.ini"
if grep -q '^LogFile=' "$game/startup.ini"; then
  sed -i 's/^LogFile=.*/LogFile=Varn.log/' "$game/startup.ini"
else
  printf '\r\n[Debug]\r\nLogFile=Varn.log\r\n' >>"$game/startup.ini"
fi
rm -f "$game/Varn.log" "$game"/ScreenShots/*.bmp
rm -rf "$out" && mkdir -p "$out"

echo "== running Varn.exe ($arch) in $game"
start=$(date +%s)
(cd "$game" && HOME=$WINEPREFIX/home timeout 180 "$loader" ./Varn.exe >/dev/null 2>&1)
code=$?
seconds=$(( $(date +%s) - start ))
[ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
# A run of its own stops its wineserver; runs inside the tests leave it to them.
[ -n "$own_build" ] && wineserver -k >/dev/null 2>&1
cp "$game/Varn.log" "$out/Varn.log" 2>/dev/null

problems=()
# Varn exits with 1 once its main loop has run.
[ $code -eq 1 ] || problems+=("Varn.exe exited with $code (1 expected)")

# The log must tell the scripted story, in this order.
expected=(
  "info: menu: screen MainScreen" "saved picture menu" "info: menu: Fly chosen on MainScreen"
  "info: flight: starts from" "info: Comm DLL Initialized..." "info: flight: orders menu toggled"
  "saved picture flight" "info: objects: wingman 2 takes order 46 (Close formation)"
  "info: objects: wingman 4 takes order 46 (Close formation)" "info: objects: wingman 3 takes order 42 (Break)"
  "info: flight: ends by Escape" "info: Comm DLL Deinitialized..." "info: mission: next screen Debrief"
  "info: menu: screen Debrief" "saved picture debrief" "info: menu: Quit chosen on Debrief"
  "info: objects: 6 orders taken in this run")
line=0
for text in "${expected[@]}"; do
  found=$(tail -n +$((line + 1)) "$out/Varn.log" 2>/dev/null | grep -n -F -m1 -- "$text" | cut -d: -f1)
  if [ -z "$found" ]; then problems+=("log: missing (or out of order) \"$text\""); continue; fi
  line=$((line + found))
done
# Errors other than the first start's missing options file.
errors=$(grep '^error:' "$out/Varn.log" 2>/dev/null | grep -v 'Options.ini not found!')
[ -z "$errors" ] || problems+=("log: errors: $errors")

# The pictures: present, not blank, and the menu unlike the flight.
# Without ImageMagick the pictures are kept as they were saved, unchecked.
pictures=png
dpkg -s imagemagick >/dev/null 2>&1 || { pictures=bmp; echo "== ImageMagick is not installed: the pictures stay BMP files and are not checked"; }
for name in menu flight orders debrief; do
  bmp=$game/ScreenShots/$name.bmp
  if [ ! -f "$bmp" ]; then problems+=("no picture $name"); continue; fi
  if [ $pictures = bmp ]; then cp "$bmp" "$out/"; continue; fi
  convert "$bmp" "$out/$name.png"
  spread=$(convert "$out/$name.png" -format '%[fx:standard_deviation]' info:)
  awk -v s="$spread" 'BEGIN { exit !(s > 0.02) }' || problems+=("picture $name is blank")
done
if [ -f "$out/menu.png" ] && [ -f "$out/flight.png" ]; then
  differing=$(compare -metric AE "$out/menu.png" "$out/flight.png" null: 2>&1 | cut -d' ' -f1)
  awk -v d="$differing" 'BEGIN { exit !(d > 48000) }' || problems+=("menu and flight pictures hardly differ ($differing pixels)")
fi

echo "== demo: Varn.exe ($arch build) ran $seconds s and exited with $code"
echo "   pictures: $out/menu.$pictures (menu), $out/flight.$pictures (orders menu over the flight),"
echo "             $out/orders.$pictures (wingmen in close formation), $out/debrief.$pictures (debrief)"
echo "   log:      $out/Varn.log"
if [ ${#problems[@]} -ne 0 ]; then
  printf '== demo FAILED:\n'; printf '   %s\n' "${problems[@]}"
  exit 1
fi
echo "== demo ran as scripted"
