// lp_solve's printed solution: "Value of objective function: V", then
// "Actual values of the variables:" and "name value" lines; with several
// blocks (improved solutions printed along the way) the last one counts.
// Without a solution it prints one line saying why.
#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"
#include "solvers/spool.hpp"

namespace rp::solvers {

namespace {

constexpr std::string_view kObjective = "Value of objective function:";
constexpr std::string_view kVariables = "Actual values of the variables:";

constexpr std::string_view kFailures[] = {"This problem is infeasible", "This problem is unbounded",
                                          "The B&B routine failed", "Timeout", "User aborted",
                                          "Out of memory", "lp_solve failed"};

bool isFailure(std::string_view line) {
    for (std::string_view failure : kFailures)
        if (line == failure) return true;
    return false;
}

bool isSuboptimal(std::string_view line) {
    return startsWith(line, "Suboptimal solution") || startsWith(line, "The model is sub-optimal");
}

bool recognisesLpSolve(const FirstLines& first) {
    for (std::string_view line : first.lines) {
        const std::string_view t = trimBlanks(line);
        if (startsWith(t, kObjective) || t == kVariables || isFailure(t)) return true;
        if (!isSuboptimal(t) && t != "Presolved solution" && t != "Dual value" && !t.empty()) return false;
    }
    return false;
}

void readLpSolve(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    requireSingleSolution(options, "lp_solve");
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::lp_solve;
    VariableSpool spool;
    bool block = false;
    bool inVariables = false;
    std::string failure;
    std::string lastNote;  // "Suboptimal solution", ...
    bool suboptimal = false;
    std::string_view line;
    while (lines.next(line)) {
        const std::string_view t = trimBlanks(line);
        if (startsWith(t, kObjective)) {
            block = true;
            inVariables = false;
            spool.clear();
            header.objective = std::string(trimBlanks(t.substr(kObjective.size())));
            header.status = lastNote;
            suboptimal = !lastNote.empty() && isSuboptimal(lastNote);
            continue;
        }
        if (t == kVariables) {
            if (!block) throw SolutionError(atLine(lines.lineNumber()) + "variables without an objective line");
            inVariables = true;
            continue;
        }
        if (t.empty() || startsWith(t, "Actual values of the constraints") || startsWith(t, "Dual value")) {
            inVariables = false;
            continue;
        }
        if (isFailure(t)) {
            failure = std::string(t);
            continue;
        }
        if (isSuboptimal(t) || t == "Presolved solution") {
            lastNote = std::string(t);
            continue;
        }
        if (!inVariables) continue;
        const std::size_t cut = t.find_last_of(" \t");
        if (cut == std::string_view::npos) throw SolutionError(atLine(lines.lineNumber()) + "expected a name and a value");
        spool.add(trimBlanks(t.substr(0, cut)), t.substr(cut + 1), lines.lineNumber());
    }
    if (!block) {
        header.status = failure;
        header.outcome = Outcome::noSolution;
        if (failure == "This problem is unbounded") header.outcome = Outcome::unbounded;
        sink.header(header);
        throw SolutionError("lp_solve printed no solution");
    }
    // lp_solve prints the values only for an optimal solution, saying so
    // when it is sub-optimal.
    header.outcome = suboptimal ? Outcome::limit : Outcome::optimal;
    sink.header(header);
    spool.replay(sink);
}

}  // namespace

const FormatReader& lpSolveReader() {
    static const FormatReader reader{"lp_solve", &recognisesLpSolve, &readLpSolve};
    return reader;
}

}  // namespace rp::solvers
