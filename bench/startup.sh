#!/usr/bin/env bash
# Whole-process cost of piecefen on the example position against the floor for any
# console tool (a static C program that writes one line): median wall time over many
# alternating runs, and callgrind's instruction count for one run of each.
# Usage: bench/startup.sh [PIECEFEN] [RUNS]   (default build/release/piecefen, 2000 runs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
piecefen=$(realpath "${1:-$here/../build/release/piecefen}")
runs=${2:-2000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cc -O2 -static -o "$work/floor" "$here/floor.c"
cc -O2 -o "$work/spawntime" "$here/spawntime.c"
example=(Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7)

echo "wall time, $runs alternating runs each:"
"$work/spawntime" "$runs" -- "$work/floor" -- "$piecefen" "${example[@]}"

echo "instructions for one run (callgrind):"
instructions() {
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
        sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
printf '  %9s  floor\n' "$(instructions "$work/floor")"
printf '  %9s  piecefen %s\n' "$(instructions "$piecefen" "${example[@]}")" "${example[*]}"
