#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Relative, so that one line finds the record both in the source tree and where the
// headers are installed, beside this one.
#include "../position/FenPosition.h"
#include "Move.h"

namespace piecefen {

// How a game stands in a position, as far as the position alone can tell.
enum class Outcome : std::uint8_t {
    none,                  // the side to move has a move and the game goes on
    checkmate,             // the side to move is in check with no move
    stalemate,             // the side to move is not in check and has no move
    insufficientMaterial,  // neither side has the pieces to mate with
    seventyFiveMoves,      // 150 half moves without a capture or pawn move
    unplayable,            // no play from here: a king missing or doubled, the side not to move in
                           // check, a pawn on a back rank, or a byte that is no piece
};

// Every legal move of the side to move, by `from`, then `to`, then q, r, b, n; none for a
// position that cannot be played (see Outcome::unplayable).
PIECEFEN_API std::vector<Move> legalMoves(const FenPosition& position);

// The number of move sequences `depth` half moves long from the position (1 for depth 0 or less).
PIECEFEN_API std::uint64_t perft(const FenPosition& position, int depth);

// The record after a legal move: the board, the side to move, the castling rights that
// stay, the en-passant square where a pawn can take on it, the halfmove clock and the
// move number. A move that is not legal there gives the record back unchanged.
PIECEFEN_API FenPosition play(const FenPosition& position, Move move);

// The move in UCI's long algebraic form, "e2e4" or "e7e8q"; empty for squares off the board.
PIECEFEN_API std::string uci(Move move);

// The move in standard algebraic notation, "Nbd7", "exd6", "e8=Q+", "O-O-O#"; empty for a
// move that is not legal in the position.
PIECEFEN_API std::string san(const FenPosition& position, Move move);

// The legal move a person typed: SAN (also without "+" or "#", with "0-0", with a
// lowercase or missing piece letter where only one move fits) or UCI, in at most 16
// bytes; none otherwise.
PIECEFEN_API std::optional<Move> readMove(const FenPosition& position, std::string_view text);

PIECEFEN_API Outcome outcome(const FenPosition& position);

// The outcome's stable name, such as "insufficient-material".
PIECEFEN_API std::string_view outcomeName(Outcome outcome);

}  // namespace piecefen
