#!/usr/bin/env bash
# perft of the start position to depth 6 and of Kiwipete to depth 5, single-threaded:
# piecefen's library against Stockfish's `go perft`, alternately in one run, with the
# ratio of the times (piecefen's over Stockfish's; 1.0 or less is the goal).
# Usage: bench/perft.sh [ROUNDS]   (build first: cmake --preset bench && cmake --build --preset bench)
set -euo pipefail
rounds=${1:-3}
here=$(cd "$(dirname "$0")" && pwd)
bench=$here/../build/bench/bench/piecefen_bench
stockfish=${STOCKFISH:-/usr/games/stockfish}
[ -x "$stockfish" ] || { echo "no Stockfish at $stockfish (apt-get install stockfish)"; exit 1; }

# Stockfish's whole run, less that of a perft to depth 1 in the same position: what is
# left is the counting, without the start-up (loading its network takes a good part).
stockfishRun() {  # FEN DEPTH
    local start end
    start=$(date +%s.%N)
    printf 'setoption name Threads value 1\nposition fen %s\ngo perft %s\nquit\n' "$1" "$2" | "$stockfish" |
        grep -q "Nodes searched"
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
stockfishSeconds() {  # FEN DEPTH
    echo "$(stockfishRun "$1" "$2") - $(stockfishRun "$1" 1)" | bc -l
}
piecefenSeconds() {  # FILTER
    "$bench" --benchmark_filter="^perft/$1" --benchmark_format=csv 2>/dev/null |
        awk -F, '/^"perft/ { print $4 / 1000 }'
}

for entry in "opening/6:rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1:6" \
             "kiwipete/5:r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1:5"; do
    IFS=: read -r name fen depth <<<"$entry"
    for round in $(seq "$rounds"); do
        ours=$(piecefenSeconds "$name")
        theirs=$(stockfishSeconds "$fen" "$depth")
        printf '%-12s round %d: piecefen %.3f s, Stockfish %.3f s, ratio %.2f\n' "$name" "$round" "$ours" "$theirs" \
            "$(echo "$ours / $theirs" | bc -l)"
    done
done
