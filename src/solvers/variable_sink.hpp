// What every solver's solution reader shares: the formats, what a solution
// says of itself (its header), the sink the variables stream to, and the
// failure a reader reports.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rp::solvers {

enum class Format { cplex, gurobi, copt, cbc, glpk, lp_solve, scip, highs, miplib, mosek };

// "cplex", "gurobi", ... as the header's sourceFormat attribute names it.
std::string_view formatName(Format format);

// What the solver says it found.
enum class Outcome {
    optimal,     // an optimal solution
    limit,       // a solution, stopped by a limit (time, nodes, gap, ...)
    unknown,     // a solution; the format says nothing of its status
    noSolution,  // no solution (infeasible, empty, no integer solution, ...)
    unbounded,   // unbounded: whatever point is listed is no solution
};

// "optimal", "limit", "unknown", "none" or "unbounded".
std::string_view outcomeName(Outcome outcome);

// What a solution file says of itself before its variables.
struct SolutionHeader {
    Format format = Format::cplex;
    std::string status;             // as the source wrote it; empty when it writes none
    std::string objective;          // objective value text; empty when not given
    Outcome outcome = Outcome::unknown;
};

// Receives one solution: the header once, then every variable in source
// order. `line` is the line of the source the variable is on, 0 when not
// known. Strings stay valid for the call only.
class VariableSink {
public:
    virtual ~VariableSink() = default;
    virtual void header(const SolutionHeader& header) = 0;
    // `named` is false for a variable without a name in the source.
    virtual void variable(std::string_view name, std::string_view value, std::uint64_t line,
                          bool named = true) = 0;
    // Whether restart() can be called: a reader that learns only later
    // whether what it reads first is the solution (CBC's rows come first,
    // numbered like the columns) may then hand it over at once instead of
    // keeping it aside.
    virtual bool canRestart() const { return false; }
    // Forgets the header and every variable handed over, as if none had
    // come.
    virtual void restart() {}
};

// A solution file that cannot be converted; the message says what and where
// (without the file's name, which the caller adds).
class SolutionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "line N: " for messages.
std::string atLine(std::uint64_t line);

// What a reader is asked for.
struct ReadOptions {
    std::optional<std::size_t> member;  // --solution K
};

}  // namespace rp::solvers
