#!/usr/bin/env bash
# Fuzzes one target on demand: builds the libFuzzer targets with clang (the
# "fuzz" preset) and runs one of them from its seed corpus, on one core.
#   scripts/fuzz.sh catalog|ini|command_line|text_values|net [SECONDS] [RUNS]
# SECONDS defaults to 300; with RUNS the run stops after that many inputs
# (SECONDS still bounds it: pass 0 for no time limit).
# BUILD_DIR chooses the build directory (default build/fuzz). New inputs go to
# a work corpus inside it; the seeds in fuzz/TARGET/corpus are left alone.
# Crashes are written to BUILD_DIR/fuzz-TARGET-artifacts/. The libFuzzer final
# stats (inputs run, inputs per second) end the output.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
target=${1:?usage: scripts/fuzz.sh catalog|ini|command_line|text_values|net [SECONDS] [RUNS]}
seconds=${2:-300}
runs=${3:--1}
[ -d "fuzz/$target" ] || { echo "no fuzz target fuzz/$target" >&2; exit 2; }
build=${BUILD_DIR:-build/fuzz}
case "$build" in /*) ;; *) build="$root/$build" ;; esac
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target "fuzz_$target" -j "$(nproc)"
# Absolute paths throughout. Targets that need a file on disk (a catalog is
# opened by path) write one scratch file per input: keep it in memory.
[ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
work="$build/fuzz-$target-corpus"
artifacts="$build/fuzz-$target-artifacts"
mkdir -p "$work" "$artifacts"
exec "$build/fuzz/$target/fuzz_$target" -max_total_time="$seconds" -runs="$runs" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work" "$root/fuzz/$target/corpus"
