#include "pair/solver_command.hpp"

#include <cstdlib>
#include <stdexcept>

namespace rp::pair {

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

}  // namespace

Solver parseSolver(std::string_view text) {
    if (text == "cbc") return {SolverKind::cbc, {}};
    if (text == "glpsol") return {SolverKind::glpsol, {}};
    if (text == "highs") return {SolverKind::highs, {}};
    if (text.find("{lp}") == std::string_view::npos || text.find("{solution}") == std::string_view::npos)
        throw std::invalid_argument("--solver must be cbc, glpsol, highs or a shell command with {lp} and {solution}");
    return {SolverKind::custom, std::string(text)};
}

std::string_view solverName(SolverKind kind) {
    switch (kind) {
        case SolverKind::cbc: return "cbc";
        case SolverKind::glpsol: return "glpsol";
        case SolverKind::highs: return "highs";
        case SolverKind::custom: return "custom";
    }
    return "custom";
}

std::vector<std::string> solverArguments(const Solver& solver, const SolverJob& job) {
    const std::string limit = std::to_string(job.timeLimit);
    switch (solver.kind) {
        case SolverKind::cbc: {
            std::vector<std::string> args{"cbc", asArgument(job.lp), "sec", limit};
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
            for (const char* word : {"solve", "solu"}) args.push_back(word);
            args.push_back(asArgument(job.solution));
            return args;
        }
        case SolverKind::glpsol:
            return {"glpsol", "--lp", asArgument(job.lp), "--tmlim", limit, "-o", asArgument(job.solution)};
        case SolverKind::highs:
            return {"node", job.highsScript, "--model", asArgument(job.lp), "--solution", asArgument(job.solution),
                    "--time-limit", limit, "--threads", std::to_string(job.threads)};
        case SolverKind::custom:
            return {"/bin/sh", "-c", expandTemplate(solver.commandTemplate, job)};
    }
    return {};
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

std::string highsScriptPath() {
    const char* set = std::getenv("PARALOGS_HIGHS_SCRIPT");
    if (set != nullptr && *set != '\0') return set;
    return PARALOGS_HIGHS_SCRIPT;
}

}  // namespace rp::pair
