#include <string>

#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"

namespace rp::solvers {

std::string_view formatName(Format format) {
    switch (format) {
        case Format::cplex: return "cplex";
        case Format::gurobi: return "gurobi";
        case Format::copt: return "copt";
        case Format::cbc: return "cbc";
        case Format::glpk: return "glpk";
        case Format::lp_solve: return "lp_solve";
        case Format::scip: return "scip";
        case Format::highs: return "highs";
        case Format::miplib: return "miplib";
        case Format::mosek: return "mosek";
    }
    return "unknown";
}

std::string_view outcomeName(Outcome outcome) {
    switch (outcome) {
        case Outcome::optimal: return "optimal";
        case Outcome::limit: return "limit";
        case Outcome::unknown: return "unknown";
        case Outcome::noSolution: return "none";
        case Outcome::unbounded: return "unbounded";
    }
    return "unknown";
}

std::string atLine(std::uint64_t line) { return line == 0 ? std::string() : "line " + std::to_string(line) + ": "; }

void requireSingleSolution(const ReadOptions& options, std::string_view format) {
    if (options.member && *options.member != 0)
        throw SolutionError("--solution " + std::to_string(*options.member) + ": a " + std::string(format) +
                            " file holds one solution (number 0)");
}

const std::vector<const FormatReader*>& allReaders() {
    static const std::vector<const FormatReader*> readers{&cplexReader(), &gurobiReader(),  &cbcReader(),
                                                    &glpkReader(),  &lpSolveReader(), &scipReader(),
                                                    &highsReader(), &miplibReader(),  &mosekReader()};
    return readers;
}

const FormatReader* recognise(const FirstLines& first) {
    if (!first.lines.empty()) {
        const std::string_view line = first.lines[0];
        // GLPK's raw solution (glpsol -w): "c ..." comment lines, then "s mip|bas|ipt ...".
        if (startsWith(line, "c Problem:") || startsWith(line, "s mip ") || startsWith(line, "s bas ") ||
            startsWith(line, "s ipt "))
            throw SolutionError(
                "this is GLPK's raw solution file (glpsol -w), which has no variable names: "
                "write the solution with glpsol -o (--output) instead");
    }
    for (const FormatReader* reader : allReaders())
        if (reader->recognises(first)) return reader;
    return nullptr;
}

}  // namespace rp::solvers
