#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Illegalities.h>

using piecefen::FenPosition;
using piecefen::IllegalityKind;

namespace {

// The squares whose byte passes `test`.
template <typename Test>
std::uint64_t squaresWhere(const FenPosition& position, Test test) {
    std::uint64_t squares = 0;
    for (int index = 0; index < 64; ++index) {
        if (test(position.board[index], index)) squares |= std::uint64_t{1} << index;
    }
    return squares;
}

bool isPiece(char c) {
    return c != '\0' && std::string_view("KQRBNPkqrbnp").find(c) != std::string_view::npos;
}

}  // namespace

// Any record at all: the first 64 bytes are the squares ("." where the input is shorter),
// the next the side to move and the castling rights, the rest the en-passant text. Each
// kind must come at most once and in order, exactly when its rule holds for the kinds
// that a look at the squares decides, and with squares that fit it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FenPosition position;
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (std::size_t index = 0; index < 64 && index < size; ++index) position.board[index] = input[index];
    if (size > 64) position.sideToMove = static_cast<int8_t>(data[64]);
    if (size > 65) {
        for (int right = 0; right < 4; ++right) position.castling[right / 2][right % 2] = (data[65] >> right & 1) != 0;
    }
    position.enPassant = size > 66 ? input.substr(66) : "-";

    const auto found = piecefen::illegalities(position);
    const std::uint64_t pieces = squaresWhere(position, [](char c, int) { return isPiece(c); });
    const std::uint64_t strangers = squaresWhere(position, [](char c, int) { return c != '.' && !isPiece(c); });
    const std::uint64_t kings = squaresWhere(position, [](char c, int) { return c == 'K' || c == 'k'; });
    const std::uint64_t backRankPawns =
        squaresWhere(position, [](char c, int index) { return (c == 'P' || c == 'p') && (index < 8 || index >= 56); });
    auto has = [&found](IllegalityKind kind) {
        for (const auto& illegality : found) {
            if (illegality.kind == kind) return true;
        }
        return false;
    };

    int last = -1;
    for (const auto& [kind, squares] : found) {
        if (static_cast<int>(kind) <= last || piecefen::illegalityName(kind).empty()) std::abort();
        last = static_cast<int>(kind);
        const int count = std::popcount(squares);
        switch (kind) {
            case IllegalityKind::empty:
            case IllegalityKind::noWhiteKing:
            case IllegalityKind::noBlackKing:
                if (squares != 0) std::abort();
                break;
            case IllegalityKind::tooManyKings:
                if (count < 2 || (squares & ~kings) != 0) std::abort();
                break;
            case IllegalityKind::impossibleMaterial:
                if (count < 2 || (squares & ~pieces & ~kings) != 0) std::abort();
                break;
            case IllegalityKind::pawnOnBackRank:
                if (squares != backRankPawns) std::abort();
                break;
            case IllegalityKind::oppositeCheck:
                if (count < 2 || std::popcount(squares & kings) == 0 || (squares & ~pieces) != 0) std::abort();
                break;
            case IllegalityKind::tooManyCheckers:
                if (count < 4 || (squares & ~pieces) != 0) std::abort();
                break;
            case IllegalityKind::impossibleCheck:
                if (count < 2 || count > 3 || (squares & ~pieces) != 0) std::abort();
                break;
            case IllegalityKind::notAPiece:
                if (squares != strangers) std::abort();
                break;
            default:
                break;
        }
    }
    if (has(IllegalityKind::empty) != (pieces == 0) || has(IllegalityKind::notAPiece) != (strangers != 0) ||
        has(IllegalityKind::pawnOnBackRank) != (backRankPawns != 0) ||
        has(IllegalityKind::noWhiteKing) != (squaresWhere(position, [](char c, int) { return c == 'K'; }) == 0)) {
        std::abort();
    }
    return 0;
}
