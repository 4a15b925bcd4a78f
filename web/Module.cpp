#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "app/TablebaseAddress.h"
#include "position/FenPosition.h"

// The library's boundary with JavaScript. Texts cross as a pointer and a length in the
// module's memory, so that every byte, NUL included, arrives as it was sent; each answer
// is a block that the caller frees: the length of the answer in four bytes, little-endian
// as WebAssembly's memory is, then the answer's bytes.

namespace {

void putWord(char* at, std::uint32_t value) {
    for (int byte = 0; byte < 4; ++byte) {
        at[byte] = static_cast<char>((value >> (8 * byte)) & 0xFF);
    }
}

char* answer(const std::string& bytes) {
    auto* const block = static_cast<char*>(std::malloc(4 + bytes.size()));
    if (block == nullptr) {
        std::abort();
    }
    putWord(block, static_cast<std::uint32_t>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), block + 4);
    return block;
}

piecefen::FenPosition pieceListAt(const char* text, std::size_t size) {
    piecefen::FenPosition position;
    position.readPieceList(std::string(text, size));
    return position;
}

piecefen::FenPosition fenAt(const char* text, std::size_t size) {
    piecefen::FenPosition position;
    position.fromFen(std::string(text, size));
    return position;
}

}  // namespace

extern "C" {

// Room for a text of `size` bytes, which the caller fills and frees.
char* piecefen_alloc(std::size_t size) {
    auto* const block = static_cast<char*>(std::malloc(size));
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

void piecefen_free(char* block) {
    std::free(block);
}

// The line the command-line tool prints for a piece list, without its line end.
char* piecefen_to_fen(const char* text, std::size_t size) {
    return answer(pieceListAt(text, size).toFen());
}

// The line the tool prints for a piece list after "/u".
char* piecefen_tablebase_address(const char* text, std::size_t size) {
    return answer(piecefen::tablebaseAddress(pieceListAt(text, size).toFen()));
}

// The board of a FEN line as a piece list.
char* piecefen_to_piece_list(const char* text, std::size_t size) {
    return answer(fenAt(text, size).toPieceList());
}

// The record a FEN line fills, field by field: the 64 squares, the four castling rights
// as bytes 0 or 1, the side to move, the halfmove clock and the move number in four
// bytes each, then the en-passant text.
char* piecefen_read_fen(const char* text, std::size_t size) {
    const piecefen::FenPosition position = fenAt(text, size);
    std::string record(std::begin(position.board), std::end(position.board));
    const auto& rights = position.castling;
    for (const bool right : {rights[0][0], rights[0][1], rights[1][0], rights[1][1]}) {
        record += static_cast<char>(right ? 1 : 0);
    }
    for (const std::int32_t number : {position.sideToMove, position.halfmoveClock, position.moveNumber}) {
        record.append(4, '\0');
        putWord(record.data() + record.size() - 4, static_cast<std::uint32_t>(number));
    }
    record += position.enPassant;
    return answer(record);
}

}  // extern "C"

// Nothing in the module can throw, so a request for memory that cannot be met stops it.
void* operator new(std::size_t size) {
    void* const block = std::malloc(size);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t /*size*/) noexcept {
    std::free(block);
}
