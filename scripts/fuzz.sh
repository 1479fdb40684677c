#!/usr/bin/env bash
# Fuzzes one target on demand: builds the libFuzzer targets with clang (the
# "fuzz" preset) and runs one of them from its seed corpus for a while.
#   scripts/fuzz.sh catalog|ini [SECONDS]        default 300 seconds
# BUILD_DIR chooses the build directory (default build/fuzz). New inputs go to
# a work corpus inside it; the seeds in fuzz/TARGET/corpus are left alone.
# Crashes are written to BUILD_DIR/fuzz-TARGET-artifacts/.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
target=${1:?usage: scripts/fuzz.sh catalog|ini [SECONDS]}
seconds=${2:-300}
[ -d "fuzz/$target" ] || { echo "no fuzz target fuzz/$target" >&2; exit 2; }
build=${BUILD_DIR:-build/fuzz}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "fuzz_$target" -j "$(nproc)"
# Absolute paths throughout: a fuzz entry may change the working directory.
work="$build/fuzz-$target-corpus"
artifacts="$build/fuzz-$target-artifacts"
mkdir -p "$work" "$artifacts"
exec "$build/fuzz/$target/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work" "$root/fuzz/$target/corpus"
