#!/usr/bin/env bash
# Shows that reading a piece list takes time linear in its length: the median time
# for 1,000,000 bytes must be within 1.5 times of 1,000 times the time for 1,000 bytes.
# Usage: bench/linear.sh [BENCH_BINARY]   (default build/bench/bench/piecefen_bench)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench=${1:-$here/../build/bench/bench/piecefen_bench}
"$bench" --benchmark_filter='^readPieceList/1000(000)?$' --benchmark_repetitions=9 \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '
        $1 == "\"readPieceList/1000_median\""    { small = $4 }
        $1 == "\"readPieceList/1000000_median\"" { large = $4 }
        END {
            if (small == "" || large == "") { print "no result"; exit 2 }
            growth = large / small / 1000
            printf "1 KB: %.0f ns   1 MB: %.0f ns   growth against linear: %.3f\n", small, large, growth
            exit (growth <= 1.5 && growth >= 1 / 1.5) ? 0 : 1
        }'
