#include <iostream>

#include <piecefen/position/FenPosition.h>

int main() {
    piecefen::FenPosition position;
    position.fromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    position.dump(std::cout);
    std::cout << position.toFen() << '\n' << position.toPieceList() << '\n';
    return 0;
}
