#include "solving/solver_table.hpp"

#include <array>
#include <stdexcept>

namespace rp::solving {

namespace {

// A path as a solver's argument: one that starts with "-" would read as an
// option.
std::string asArgument(const std::string& path) { return !path.empty() && path[0] == '-' ? "./" + path : path; }

std::string expandTemplate(const std::string& command, const SolverJob& job) {
    const std::pair<std::string_view, std::string> keys[] = {
        {"{lp}", shellQuote(asArgument(job.lp))},
        {"{solution}", shellQuote(asArgument(job.solution))},
        {"{threads}", std::to_string(job.threads)},
        {"{time_limit}", std::to_string(job.timeLimit)},
    };
    std::string out;
    for (std::size_t i = 0; i < command.size();) {
        bool replaced = false;
        for (const auto& [key, value] : keys) {
            if (command.compare(i, key.size(), key) == 0) {
                out += value;
                i += key.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += command[i++];
    }
    return out;
}

// CBC counts CPU seconds unless told otherwise: `timeMode elapsed` makes its
// limit wall time, as every other solver's is. Its heuristics (the
// feasibility pump above all) are what some programs crash it in; the
// cautious run goes without them. Its output to a file is buffered in
// blocks, so that a CBC ended past its limit (in its preprocessing, which
// does not look at the clock) would leave an empty log and no bound:
// coreutils' stdbuf makes it write each line as it comes.
std::vector<std::string> cbcArguments(const Solver&, const SolverJob& job) {
    std::vector<std::string> args{"stdbuf", "-oL", "cbc", asArgument(job.lp), "timeMode", "elapsed",
                                  "sec", std::to_string(job.timeLimit)};
    if (job.threads > 1) {
        args.push_back("threads");
        args.push_back(std::to_string(job.threads));
    }
    if (!job.start.empty()) {
        args.push_back("mipstart");
        args.push_back(asArgument(job.start));
    }
    if (job.wholeObjective) {
        args.push_back("increment");
        args.push_back("0.999");
    }
    if (job.cautious) {
        args.push_back("heuristicsOnOff");
        args.push_back("off");
    }
    for (const char* word : {"solve", "solu"}) args.push_back(word);
    args.push_back(asArgument(job.solution));
    return args;
}

std::vector<std::string> glpsolArguments(const Solver&, const SolverJob& job) {
    return {"glpsol", "--lp", asArgument(job.lp), "--tmlim", std::to_string(job.timeLimit), "-o",
            asArgument(job.solution)};
}

std::vector<std::string> highsArguments(const Solver&, const SolverJob& job) {
    std::vector<std::string> args{"node",         job.script,
                                  "--model",      asArgument(job.lp),
                                  "--solution",   asArgument(job.solution),
                                  "--time-limit", std::to_string(job.timeLimit),
                                  "--threads",    std::to_string(job.threads)};
    if (!job.start.empty()) {
        args.push_back("--start");
        args.push_back(asArgument(job.start));
    }
    return args;
}

std::vector<std::string> templateArguments(const Solver& solver, const SolverJob& job) {
    return {"/bin/sh", "-c", expandTemplate(solver.commandTemplate, job)};
}

constexpr std::array<SolverDescriptor, 4> kTable{{
    {SolverKind::cbc, "cbc", true, true, solvers::Format::cbc, {}, {}, {}, cbcArguments},
    {SolverKind::glpsol, "glpsol", false, false, solvers::Format::glpk, {}, {}, {}, glpsolArguments},
    {SolverKind::highs, "highs", true, false, solvers::Format::highs, "highs/highs-solve.mjs",
     "PARALOGS_HIGHS_SCRIPT", "make deps installs HiGHS", highsArguments},
    {SolverKind::custom, "custom", false, false, std::nullopt, {}, {}, {}, templateArguments},
}};

}  // namespace

std::span<const SolverDescriptor> solverTable() { return kTable; }

const SolverDescriptor& describe(SolverKind kind) {
    for (const SolverDescriptor& d : kTable)
        if (d.kind == kind) return d;
    throw std::logic_error("a solver kind without a descriptor");
}

Solver parseSolver(std::string_view text) {
    for (const SolverDescriptor& d : kTable)
        if (d.kind != SolverKind::custom && d.name == text) return {d.kind, {}};
    if (text.find("{lp}") == std::string_view::npos || text.find("{solution}") == std::string_view::npos)
        throw std::invalid_argument("--solver must be cbc, glpsol, highs or a shell command with {lp} and {solution}");
    return {SolverKind::custom, std::string(text)};
}

std::string_view solverName(SolverKind kind) { return describe(kind).name; }

std::vector<std::string> solverArguments(const Solver& solver, const SolverJob& job) {
    return describe(solver.kind).arguments(solver, job);
}

std::string shellQuote(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

}  // namespace rp::solving
