#include <ostream>

#include <piecefen/position/FenPosition.h>

// Every operation of the library, on one position.
void report(std::ostream& out) {
    piecefen::FenPosition position;
    position.fromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    position.dump(out);
    out << position.toFen() << '\n' << position.toPieceList() << '\n';
    position.readPieceList("Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7");
    out << position.toFen() << '\n';
}
