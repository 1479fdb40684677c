#!/usr/bin/env bash
# Runs Varn.exe (win64 build, under Wine and Xvfb) with the probe module set in
# a temporary game directory, for one menu run, one flight and the debrief
# menu, and prints the journal of every call the host made into the modules.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="$root"
command -v ccache >/dev/null || unset CMAKE_C_COMPILER_LAUNCHER CMAKE_CXX_COMPILER_LAUNCHER
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Varn host_probe >/dev/null

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$root/build/win64/demo-wineprefix64"
export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :89 -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:89
fi
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

game=$(mktemp -d)
mkdir "$game/System"
for name in DirectInput DirectSound DirectDraw TextUSEnglish MenuSystem GraphicsEngine TerrainEngine \
            FlightEngine ObjectManager ViewManager ControlMap ParticleSystem EnvironmentSystem WorldManager \
            MissionManager MessageSystem SpeechSystem Fader; do
  cp build/win64/tests/host/host_probe.dll "$game/System/$name.dll"
done
printf '[MNU]\nRun=0,1\n[MSN]\nNextScreen=Debrief\n' > "$game/Probe.ini"

code=0
(cd "$game" && /usr/lib/wine/wine64 "$root/build/win64/host/Varn.exe") || code=$?
cat "$game/ProbeJournal.txt"
echo "== Varn exited with $code; game directory $game (startup.ini, Options.ini, journal)"
wineserver -k >/dev/null 2>&1 || true
[ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
[ "$code" -eq 1 ]   # 1: the game ran and ended normally
