# Shared by scripts/test.sh and scripts/demo.sh (sourced, not run).

have() { command -v "$1" >/dev/null 2>&1; }

# Installs the Debian packages that are missing (as root on a fresh machine):
# cmake, ninja, the mingw-w64 compilers, GoogleTest, Wine with its 32-bit
# part, Xvfb, ImageMagick, the server query client qstat, GStreamer's good plugins (movies under Wine), and
# zlib and inih for the benchmarks.
install_missing() {
  local need=()
  have cmake                        || need+=(cmake)
  have ninja                        || need+=(ninja-build)
  have g++                          || need+=(g++)
  have clang++                      || need+=(clang)
  [ -d /usr/src/googletest ]        || need+=(googletest)
  have i686-w64-mingw32-g++-posix   || need+=(g++-mingw-w64-i686-posix)
  have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64-posix)
  have wine                         || need+=(wine)
  [ -x /usr/lib/wine/wine64 ]       || need+=(wine64)
  [ -x /usr/lib/wine/wine ]         || need+=(wine32:i386)
  have Xvfb                         || need+=(xvfb)
  have quakestat                    || need+=(qstat)
  # (a "convert" command may be there without ImageMagick: ask the package system)
  dpkg -s imagemagick >/dev/null 2>&1 || need+=(imagemagick)
  have unzip                        || need+=(unzip)
  [ -e /usr/include/zlib.h ]        || need+=(zlib1g-dev)
  [ -e /usr/include/ini.h ]         || need+=(libinih-dev)
  # DirectShow under 64-bit Wine plays video through GStreamer (the intro movie tests).
  [ -e /usr/lib/x86_64-linux-gnu/gstreamer-1.0/libgstavi.so ] || need+=(gstreamer1.0-plugins-good:amd64)
  [ ${#need[@]} -eq 0 ] && return 0
  echo "== installing: ${need[*]}"
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq || return 1
  apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
}

# True where the kernel runs 32-bit programs (and so 32-bit Wine).
runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }

# Brings up a Wine prefix with a persistent wineserver (each process then
# starts in a fraction of a second).
#   start_wine_prefix PREFIX ARCH LOADER
start_wine_prefix() {
  mkdir -p "$1/home"
  # The prefix's own home (scripts/wine-run.sh runs programs with it) has a
  # null sound device, so that audio renders on a machine without a sound card.
  printf 'pcm.!default { type null }\n' >"$1/home/.asoundrc"
  WINEPREFIX="$1" WINEARCH=$2 WINELOADER=$3 wineserver -p >/dev/null 2>&1
  # Without a window manager on Xvfb, Wine's X11 driver waits about 2 s each
  # time a managed window is hidden or destroyed: keep the prefix's windows
  # unmanaged (this also brings the prefix up).
  WINEPREFIX="$1" WINEARCH=$2 WINELOADER=$3 "$3" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1
}

# Starts a virtual X display when none is set; its process id goes into
# xvfb_pid (empty when an existing display is used). False without Xvfb.
start_xvfb() {
  xvfb_pid=
  [ -n "${DISPLAY:-}" ] && return 0
  have Xvfb || return 1
  local fifo number
  fifo=$(mktemp -u) && mkfifo "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 1024x768x24 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  [ -n "$number" ] || return 1
  export DISPLAY=":$number"
}
