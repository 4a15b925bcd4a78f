#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each (default 60) from a scratch copy of its seed
# corpus, so the repository's seeds stay as they are; fails on the first finding.
# Usage: fuzz/run.sh [SECONDS] [BUILD_DIR]   (build first: cmake --preset fuzz && cmake --build --preset fuzz)
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
build=${2:-$here/../build/fuzz}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for entry in PieceListFuzz:piece_list:piece_list FenFuzz:fen:fen FenErrorsFuzz:fen_errors:fen CommandLineFuzz:command_line:piece_list IllegalitiesFuzz:illegalities:illegalities DiagramFuzz:diagram:illegalities MovesFuzz:moves:moves EndgameFuzz:endgame:fen:60 ProblemReaderFuzz:problem_reader:problem_reader; do
    # An input may take up to ten seconds, or as long as the entry's fourth field says: the
    # first position of a new ending works out its table.
    IFS=: read -r target corpus dict timeout <<<"$entry"
    mkdir -p "$work/$corpus"
    cp "$here/corpus/$corpus/"* "$work/$corpus/"
    echo "fuzzing $target for ${seconds}s"
    # Findings land in the working folder, shown below if the target fails.
    if ! "$build/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -timeout="${timeout:-10}" -rss_limit_mb=2048 \
        -dict="$here/$dict.dict" -artifact_prefix="$work/$target-" -print_final_stats=1 \
        "$work/$corpus" >"$work/$target.log" 2>&1; then
        tail -n 60 "$work/$target.log"
        for finding in "$work/$target"-*; do
            [ -e "$finding" ] && { echo "finding: $finding"; od -c "$finding" | head -n 20; }
        done
        exit 1
    fi
    grep -E '^(Done|stat::number_of_executed_units)' "$work/$target.log" || true
done
