// Which solver solves a pair's program and the command that runs it: CBC,
// GLPK's glpsol and HiGHS (our script on Node.js) as programs run directly,
// or a shell command template with {lp}, {solution}, {threads} and
// {time_limit}.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rp::pair {

enum class SolverKind { cbc, glpsol, highs, custom };

struct Solver {
    SolverKind kind = SolverKind::cbc;
    std::string commandTemplate;  // for custom
};

// "cbc", "glpsol", "highs", or any other text as a template. Throws
// std::invalid_argument for a template without {lp} or {solution}.
Solver parseSolver(std::string_view text);

// "cbc", "glpsol", "highs" or "custom".
std::string_view solverName(SolverKind kind);

struct SolverJob {
    std::string lp;        // the program
    std::string solution;  // where the answer goes
    unsigned timeLimit = 600;
    unsigned threads = 1;
    std::string highsScript;  // the HiGHS script (highs-solve.mjs)
    std::string start;        // CBC: a start it reads with mipstart, or empty
    // Every integer point of the program has a whole objective (the DCJ-indel
    // distance): CBC may then prune every node whose bound is within 0.999
    // of its best (increment 0.999), which proves the best optimal as soon as
    // the bound passes the next whole number below it.
    bool wholeObjective = false;
};

// The argument vector that runs the solver: `cbc LP sec T [threads N]
// [mipstart START] [increment 0.999] solve solu OUT`, `glpsol --lp LP --tmlim T -o OUT`, `node SCRIPT --model LP
// --solution OUT --time-limit T --threads N`, or `/bin/sh -c COMMAND` with
// the template's placeholders replaced (paths quoted for the shell).
std::vector<std::string> solverArguments(const Solver& solver, const SolverJob& job);

// `text` quoted for the POSIX shell, as one word.
std::string shellQuote(std::string_view text);

// The HiGHS script: $PARALOGS_HIGHS_SCRIPT when set, else the one of the
// source tree this program was built from.
std::string highsScriptPath();

}  // namespace rp::pair
