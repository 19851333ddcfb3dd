// MOSEK solution files (.sol, .bas, .int): "KEY : value" header lines
// (PROBLEM STATUS, SOLUTION STATUS, PRIMAL OBJECTIVE), then sections; the
// VARIABLES section's heading places the NAME and ACTIVITY columns.
#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"

namespace rp::solvers {

namespace {

// "KEY   : value": the key and the value, or false.
bool keyValue(std::string_view line, std::string_view& key, std::string_view& value) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    key = trimBlanks(line.substr(0, colon));
    value = trimBlanks(line.substr(colon + 1));
    return true;
}

bool recognisesMosek(const FirstLines& first) {
    if (first.lines.size() < 2) return false;
    std::string_view key, value;
    return keyValue(first.lines[0], key, value) && key == "NAME" && keyValue(first.lines[1], key, value) &&
           key == "PROBLEM STATUS";
}

Outcome mosekOutcome(std::string_view problem, std::string_view solution) {
    if (solution == "OPTIMAL" || solution == "INTEGER_OPTIMAL") return Outcome::optimal;
    if (problem == "DUAL_INFEASIBLE" || solution == "DUAL_INFEASIBLE_CER") return Outcome::unbounded;
    if (problem == "PRIMAL_INFEASIBLE" || solution.find("INFEASIBLE") != std::string_view::npos ||
        solution == "UNKNOWN")
        return Outcome::noSolution;
    if (solution.find("FEASIBLE") != std::string_view::npos) return Outcome::limit;
    return Outcome::noSolution;
}

void readMosek(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    requireSingleSolution(options, "mosek");
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::mosek;
    std::string problem;
    std::string_view line;
    while (lines.next(line)) {
        if (trimBlanks(line).empty()) break;
        std::string_view key, value;
        if (!keyValue(line, key, value)) continue;
        if (key == "PROBLEM STATUS") problem = std::string(value);
        if (key == "SOLUTION STATUS") header.status = std::string(value);
        if (key == "PRIMAL OBJECTIVE") header.objective = std::string(value);
    }
    header.outcome = mosekOutcome(problem, header.status);
    sink.header(header);
    bool section = false;
    while (lines.next(line)) {
        if (trimBlanks(line) == "VARIABLES") {
            section = true;
            break;
        }
    }
    if (!section) throw SolutionError("the MOSEK file has no VARIABLES section");
    if (!lines.next(line)) throw SolutionError("the VARIABLES section has no heading");
    const std::size_t nameAt = line.find("NAME");
    const std::size_t atAt = line.find(" AT ");
    const std::size_t activityAt = line.find("ACTIVITY");
    if (nameAt == std::string_view::npos || atAt == std::string_view::npos || activityAt == std::string_view::npos)
        throw SolutionError(atLine(lines.lineNumber()) + "expected the heading INDEX NAME AT ACTIVITY ...");
    while (lines.next(line)) {
        if (trimBlanks(line).empty()) break;
        if (line.size() <= activityAt) throw SolutionError(atLine(lines.lineNumber()) + "variable line too short");
        const std::string_view name = trimBlanks(line.substr(nameAt, atAt + 1 - nameAt));
        std::string_view value[1];
        if (splitFields(line.substr(activityAt), value, 1) != 1)
            throw SolutionError(atLine(lines.lineNumber()) + "variable without activity");
        sink.variable(name, value[0], lines.lineNumber(), !name.empty());
    }
}

}  // namespace

const FormatReader& mosekReader() {
    static const FormatReader reader{"mosek", &recognisesMosek, &readMosek};
    return reader;
}

}  // namespace rp::solvers
