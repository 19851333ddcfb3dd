// The solvers a pair can be solved with, each described once in one table:
// how to run it (its argument vector from the program, the answer's path, the
// threads, the time limit and a start), whether it reads a start, how it is
// run again after a crash, whose grammar its log's bound is read with, and
// the helper script it needs. CBC, GLPK's glpsol and HiGHS (our script on
// Node.js) run as programs; any other solver is a shell command template
// with {lp}, {solution}, {threads} and {time_limit}. A caller asks the
// descriptor and never branches on the solver.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "solvers/variable_sink.hpp"

namespace rp::solving {

enum class SolverKind { cbc, glpsol, highs, custom };

struct Solver {
    SolverKind kind = SolverKind::cbc;
    std::string commandTemplate;  // for custom
};

// What one run of a solver is asked to do.
struct SolverJob {
    std::string lp;        // the program
    std::string solution;  // where the answer goes
    unsigned timeLimit = 600;  // seconds of wall time
    unsigned threads = 1;
    std::string script;     // the solver's helper script, when it has one
    std::string start;      // a start the solver reads, or empty
    bool cautious = false;  // the run after a crash: without the heuristics
    // Every integer point of the program has a whole objective (the DCJ-indel
    // distance): a solver may then prune every node whose bound is within
    // 0.999 of its best (CBC: increment 0.999), which proves the best optimal
    // as soon as the bound passes the next whole number below it.
    bool wholeObjective = false;
};

struct SolverDescriptor {
    SolverKind kind;
    std::string_view name;
    // Reads a start (the values of a matching's columns, SolverJob::start).
    bool readsStart;
    // A crash (ended by a signal) is worth one more run with
    // SolverJob::cautious.
    bool retriesCautiously;
    // Whose grammar the log's bound is read with; empty: the grammar of the
    // answer's format (a template may run any solver).
    std::optional<solvers::Format> logGrammar;
    // The helper script, relative to the program's data directory
    // (share/paralogs), the environment variable that names another, and
    // what installs what it needs; all empty for a solver without one.
    std::string_view script;
    std::string_view scriptVariable;
    std::string_view scriptInstall;
    // The argument vector of one run.
    std::vector<std::string> (*arguments)(const Solver& solver, const SolverJob& job);
};

// Every solver, in the order of `--solver`'s help.
std::span<const SolverDescriptor> solverTable();

const SolverDescriptor& describe(SolverKind kind);

// "cbc", "glpsol", "highs", or any other text as a template. Throws
// std::invalid_argument for a template without {lp} or {solution}.
Solver parseSolver(std::string_view text);

// "cbc", "glpsol", "highs" or "custom".
std::string_view solverName(SolverKind kind);

// The argument vector that runs the solver: `stdbuf -oL cbc LP timeMode elapsed sec T
// [threads N] [mipstart START] [heuristicsOnOff off] solve solu OUT`,
// `glpsol --lp LP --tmlim T -o OUT`, `node SCRIPT --model LP --solution OUT
// --time-limit T --threads N`, or `/bin/sh -c COMMAND` with the template's
// placeholders replaced (paths quoted for the shell).
std::vector<std::string> solverArguments(const Solver& solver, const SolverJob& job);

// `text` quoted for the POSIX shell, as one word.
std::string shellQuote(std::string_view text);

}  // namespace rp::solving
