#!/usr/bin/env bash
# Two writer processes of four threads each append 250 lines per thread to one
# log file at the same time; every line must arrive whole and exactly once.
#   two_writers.sh LOG [RUNNER...] WRITER
set -u
log=$1; shift
rm -f "$log"
to_windows() { if [ $# -gt 1 ]; then echo "Z:${log//\//\\}"; else echo "$log"; fi; }
export VARN_LOG_FILE=$(to_windows "$@")
"$@" A 4 250 & a=$!
"$@" B 4 250 & b=$!
wait $a || { echo "writer A failed"; exit 1; }
wait $b || { echo "writer B failed"; exit 1; }
tr -d '\r' < "$log" | awk '
  !/^info: [AB] thread [0-3] line [0-9]+ \.+$/ || NF != 7 || length($7) != 160 { bad++; next }
  { seen[$2 " " $4 " " $6]++ }
  END {
    for (k in seen) if (seen[k] != 1) dup++
    n = length(seen)
    printf "%d distinct lines, %d malformed, %d repeated\n", n, bad, dup
    exit !(n == 2000 && bad == 0 && dup == 0)
  }'
