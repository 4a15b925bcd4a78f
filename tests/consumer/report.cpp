#include <ostream>
#include <string>

#include <piecefen/diagram/Diagram.h>
#include <piecefen/notation/FenErrors.h>
#include <piecefen/notation/TablebaseAddress.h>
#include <piecefen/position/FenPosition.h>
#include <piecefen/rules/Moves.h>
#include <piecefen/rules/Illegalities.h>

// Every operation of the library, on one position.
void report(std::ostream& out) {
    piecefen::FenPosition position;
    position.fromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    position.dump(out);
    out << position.toFen() << '\n' << position.toPieceList() << '\n';
    position.readPieceList("Kg1 Rf1 Pf2g2h2 / Kg8 Pf7g7h7");
    out << position.toFen() << '\n' << piecefen::tablebaseAddress(position.toFen()) << '\n';
    position.fromFen("4k3/8/8/8/8/8/4R3/4K3 w - - 0 1");
    for (const auto& illegality : piecefen::illegalities(position)) {
        out << piecefen::illegalityName(illegality.kind) << ' ' << illegality.squares << '\n';
    }
    for (const auto& error : piecefen::fenErrors("4k3/8/8/8/8/8/8/4K3  W")) {
        out << piecefen::fenErrorName(error.kind) << ' ' << error.at << '\n';
    }
    piecefen::DiagramOptions options;
    options.coordinates = false;
    const std::string diagram = piecefen::toSvg(position, options);
    out << diagram.substr(0, diagram.find("<style")) << '\n' << piecefen::pieceSvg('.').size() << '\n';
    position.fromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    const auto moves = piecefen::legalMoves(position);
    const auto move = piecefen::readMove(position, "Nf3");
    out << moves.size() << ' ' << piecefen::perft(position, 3) << ' ' << piecefen::uci(*move) << ' '
        << piecefen::san(position, moves.front()) << ' ' << piecefen::play(position, *move).toFen() << ' '
        << piecefen::outcomeName(piecefen::outcome(position)) << '\n';
}
