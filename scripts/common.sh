# Shared by scripts/test.sh, scripts/demo.sh and scripts/wine-run.sh (sourced, not run).

have() { command -v "$1" >/dev/null 2>&1; }

# A package counts as missing when its check fails, or when it is named in
# VARN_TREAT_MISSING (space-separated package names): the seam through which
# the install logic is tested without touching the machine.
missing() {  # missing PACKAGE CHECK...
  local package=$1; shift
  case " ${VARN_TREAT_MISSING:-} " in *" $package "*) return 0 ;; esac
  ! "$@" >/dev/null 2>&1
}
package_installed() { dpkg -s "$1"; }

# apt-get update, tried a few times with a short back-off. A mirror that keeps
# failing some lists (a stale i386 list during a mirror sync, say) is reported
# in one line and the run goes on with the lists there are.
apt_update() {
  local try
  for try in 1 2 3; do
    apt-get update -qq >/dev/null 2>&1 && return 0
    [ $try -lt 3 ] && sleep $((try * ${VARN_APT_BACKOFF:-2}))
  done
  echo "== apt-get update: some package lists could not be fetched after 3 tries; going on with the lists there are"
}

apt_install() { apt-get install -y -qq --no-install-recommends "$@" >/dev/null 2>&1; }

# Installs what is missing (as root on a fresh machine). The packages every
# build and test needs go in one line, whose failure ends the run. Each
# optional part goes on a line of its own: when it cannot be had, one line
# says what is missing and what is skipped instead, and the run goes on.
install_missing() {
  local need=()
  missing cmake have cmake                                   && need+=(cmake)
  missing ninja-build have ninja                             && need+=(ninja-build)
  missing g++ have g++                                       && need+=(g++)
  missing clang have clang++                                 && need+=(clang)
  missing lld have lld-link                                  && need+=(lld)
  missing binutils have as                                   && need+=(binutils)
  missing googletest test -d /usr/src/googletest             && need+=(googletest)
  missing g++-mingw-w64-i686-posix have i686-w64-mingw32-g++-posix     && need+=(g++-mingw-w64-i686-posix)
  missing g++-mingw-w64-x86-64-posix have x86_64-w64-mingw32-g++-posix && need+=(g++-mingw-w64-x86-64-posix)
  missing wine have wine                                     && need+=(wine)
  missing wine64 test -x /usr/lib/wine/wine64                && need+=(wine64)
  missing xvfb have Xvfb                                     && need+=(xvfb)
  missing unzip have unzip                                   && need+=(unzip)
  missing xdotool have xdotool                               && need+=(xdotool)
  missing zlib1g-dev test -e /usr/include/zlib.h             && need+=(zlib1g-dev)
  missing libinih-dev test -e /usr/include/ini.h             && need+=(libinih-dev)
  missing libgcrypt20-dev test -e /usr/include/gcrypt.h     && need+=(libgcrypt20-dev)
  missing libgcrypt-mingw-w64-dev test -e /usr/i686-w64-mingw32/bin/libgcrypt-20.dll -a -e /usr/x86_64-w64-mingw32/bin/libgcrypt-20.dll && need+=(libgcrypt-mingw-w64-dev)

  # packages | the check that they are there | what goes without them. 32-bit
  # Wine comes with the i386 OpenGL it draws with, libGL and Mesa's drivers
  # (neither comes without recommends): without them, DirectShow under 32-bit
  # Wine faults or renders no video.
  local optional=(
    "wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386|test -x /usr/lib/wine/wine -a -d /usr/lib/i386-linux-gnu/dri -a -e /usr/lib/i386-linux-gnu/libGL.so.1|the Windows tests run in the win64 build under 64-bit Wine"
    "gstreamer1.0-plugins-good:amd64|test -e /usr/lib/x86_64-linux-gnu/gstreamer-1.0/libgstavi.so|the movie tests of the win64 build are skipped"
    "gstreamer1.0-plugins-good:i386|test -e /usr/lib/i386-linux-gnu/gstreamer-1.0/libgstavi.so|the movie tests of the win32 build are skipped"
    "qstat|have quakestat|the server-query checks are skipped"
    "imagemagick|package_installed imagemagick|the demo's picture checks are skipped"
    "libphysfs-dev|test -e /usr/include/physfs.h|the catalog benchmark against PhysFS is not built"
    "libdeflate-dev|test -e /usr/include/libdeflate.h|the CRC benchmark's libdeflate program is not built"
    "zip|have zip|the catalog benchmark writes its zip without the zip program"
  )
  local entry package check without wanted=()
  for entry in "${optional[@]}"; do
    IFS='|' read -r package check without <<<"$entry"
    # The i386 plugins matter only where 32-bit Wine is there or about to come.
    [ "$package" = gstreamer1.0-plugins-good:i386 ] && ! runs_32bit_programs && continue
    missing "${package%% *}" $check && wanted+=("$entry")
  done
  [ ${#need[@]} -eq 0 ] && [ ${#wanted[@]} -eq 0 ] && return 0

  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt_update
  if [ ${#need[@]} -ne 0 ]; then
    echo "== installing: ${need[*]}"
    apt_install "${need[@]}" || { echo "== could not install the packages every build needs: ${need[*]}"; return 1; }
  fi
  for entry in "${wanted[@]}"; do
    IFS='|' read -r package check without <<<"$entry"
    if [ "$package" = gstreamer1.0-plugins-good:i386 ] && [ ! -x /usr/lib/wine/wine ]; then
      echo "== $package is not installed: there is no 32-bit Wine to play movies in"
      continue
    fi
    echo "== installing: $package"
    apt_install $package || echo "== $package could not be installed: $without"
  done
  return 0
}

# The one mapping from a Windows width to Wine: sets wine_arch (WINEARCH) and
# wine_loader for width 32 or 64 (or its preset's name, win32 or win64); false
# for anything else.
#   wine_for_width WIDTH
wine_for_width() {
  case $1 in
    32|win32) wine_arch=win32 wine_loader=/usr/lib/wine/wine ;;
    64|win64) wine_arch=win64 wine_loader=/usr/lib/wine/wine64 ;;
    *) return 1 ;;
  esac
}

# True where the kernel runs 32-bit x86 programs: a tiny i386 program made
# with the binutils every build has must run and exit with its code.
runs_32bit_programs() {
  local dir rc
  dir=$(mktemp -d) || return 1
  printf '.globl _start\n_start: movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$dir/t.s"
  as --32 -o "$dir/t.o" "$dir/t.s" 2>/dev/null && ld -m elf_i386 -o "$dir/t" "$dir/t.o" 2>/dev/null &&
    "$dir/t" 2>/dev/null
  rc=$?
  rm -rf "$dir"
  [ $rc -eq 42 ]
}

# Chooses the widest Windows this machine runs, by trying it, and says why in
# one line. Sets windows_width (32 or 64) and windows_why.
#   choose_windows_width PREFIX32
choose_windows_width() {
  windows_width=64
  wine_for_width 32
  if ! runs_32bit_programs; then
    windows_why="this kernel does not run 32-bit programs"
  elif [ ! -x "$wine_loader" ]; then
    windows_why="32-bit Wine is not installed (the kernel runs 32-bit programs)"
  elif ! start_wine_prefix "$1" 32 ||
       ! WINEPREFIX="$1" "$wine_loader" cmd /c exit 0 >/dev/null 2>&1; then
    windows_why="32-bit Wine is installed but does not start"
  else
    windows_width=32 windows_why="32-bit Wine works"
  fi
  # The trial's wineserver may have started before any X display: stop it, so
  # that the prefix comes up again with the display the programs will draw on.
  WINEPREFIX="$1" wineserver -k >/dev/null 2>&1
  echo "== Windows programs run in win$windows_width here: $windows_why"
}

# Brings up a Wine prefix of a Windows width (32 or 64) with a persistent
# wineserver (each process then starts in a fraction of a second).
#   start_wine_prefix PREFIX WIDTH   (WIDTH as wine_for_width takes it)
start_wine_prefix() {
  wine_for_width "$2" || return 1
  set -- "$1" "$wine_arch" "$wine_loader"
  mkdir -p "$1/home"
  # The prefix's own home (scripts/wine-run.sh runs programs with it) has a
  # null sound device, so that audio renders on a machine without a sound card.
  printf 'pcm.!default { type null }\n' >"$1/home/.asoundrc"
  WINEPREFIX="$1" WINEARCH=$2 WINELOADER=$3 wineserver -p >/dev/null 2>&1
  # Without a window manager on Xvfb, Wine's X11 driver waits about 2 s each
  # time a managed window is hidden or destroyed: keep the prefix's windows
  # unmanaged (this also brings the prefix up).
  WINEPREFIX="$1" WINEARCH=$2 WINELOADER=$3 "$3" reg add 'HKCU\Software\Wine\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1 || return 1
  # A program that faults ends at once instead of waiting on Wine's debugger.
  WINEPREFIX="$1" WINEARCH=$2 WINELOADER=$3 "$3" reg add 'HKCU\Software\Wine\DllOverrides' \
    /v winedbg.exe /d '' /f >/dev/null 2>&1
}

# Starts a virtual X display when none is set; its process id goes into
# xvfb_pid (empty when an existing display is used). False without Xvfb.
# 1600 pixels wide: two 800x600 game windows fit side by side.
start_xvfb() {
  xvfb_pid=
  [ -n "${DISPLAY:-}" ] && return 0
  have Xvfb || return 1
  local fifo number
  fifo=$(mktemp -u) && mkfifo "$fifo" || return 1
  Xvfb -displayfd 3 -screen 0 1600x768x24 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 number <"$fifo"
  rm -f "$fifo"
  [ -n "$number" ] || return 1
  export DISPLAY=":$number"
}

# Processor time (clock ticks) used so far by the processes of session $1.
session_ticks() {
  cat /proc/[0-9]*/stat 2>/dev/null | awk -v sid="$1" \
    '{ s = $0; sub(/^.*\) /, "", s); split(s, f, " "); if (f[4] == sid) t += f[12] + f[13] } END { print t + 0 }'
}

# Runs a command in a session of its own and ends it only when its processes
# have used no processor time for $1 seconds on end (a hang), never after a
# fixed time while it works: a loaded machine only makes it slower. Returns
# the command's exit code, or 124 when it was ended.
run_unless_stalled() {
  local stall=$1; shift
  setsid "$@" &
  local pid=$! last=-1 idle=0 used
  while kill -0 "$pid" 2>/dev/null; do
    sleep 1
    used=$(session_ticks "$pid")
    if [ "$used" = "$last" ]; then idle=$((idle + 1)); else idle=0; last=$used; fi
    if [ "$idle" -ge "$stall" ]; then
      echo "== $1 used no processor time for $stall s: ended" >&2
      kill -KILL -- -"$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      return 124
    fi
  done
  wait "$pid"
}
