#!/usr/bin/env bash
# Fuzzes the catalog reader on demand: builds the libFuzzer target with clang
# (the "fuzz" preset) and runs it from the seed corpus for a while.
#   scripts/fuzz-catalog.sh [SECONDS]        default 300
# BUILD_DIR chooses the build directory (default build/fuzz). New inputs go to
# a work corpus inside it; the seeds in fuzz/catalog/corpus are left alone.
# Crashes are written to BUILD_DIR/fuzz-catalog-artifacts/.
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-300}
build=${BUILD_DIR:-build/fuzz}
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" --target fuzz_catalog -j "$(nproc)"
work="$build/fuzz-catalog-corpus"
artifacts="$build/fuzz-catalog-artifacts"
mkdir -p "$work" "$artifacts"
exec "$build/fuzz/catalog/fuzz_catalog" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$work" fuzz/catalog/corpus
