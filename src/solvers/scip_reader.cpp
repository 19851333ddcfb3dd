// SCIP .sol files: "solution status: S", "objective value: V" (or "no
// solution available"), then "name value (obj:c)" lines; zeros are left out
// unless asked for.
#include "solvers/line_source.hpp"
#include "solvers/format_reader.hpp"

namespace rp::solvers {

namespace {

constexpr std::string_view kStatus = "solution status:";
constexpr std::string_view kObjective = "objective value:";

bool recognisesScip(const FirstLines& first) {
    return !first.lines.empty() && startsWith(first.lines[0], kStatus);
}

Outcome scipOutcome(std::string_view status) {
    if (status == "optimal solution found") return Outcome::optimal;
    if (status == "unbounded") return Outcome::unbounded;
    if (status == "infeasible" || status == "infeasible or unbounded") return Outcome::noSolution;
    if (status == "unknown") return Outcome::unknown;
    return Outcome::limit;  // the limits, user interrupt, termination signal
}

void readScip(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    requireSingleSolution(options, "scip");
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::scip;
    std::string_view line;
    if (!lines.next(line) || !startsWith(line, kStatus))
        throw SolutionError("expected \"solution status:\" on the first line");
    header.status = std::string(trimBlanks(line.substr(kStatus.size())));
    header.outcome = scipOutcome(header.status);
    bool started = false;
    while (lines.next(line)) {
        const std::string_view t = trimBlanks(line);
        if (!started) {
            if (t.empty()) continue;
            if (startsWith(t, kObjective)) {
                header.objective = std::string(trimBlanks(t.substr(kObjective.size())));
                sink.header(header);
                started = true;
                continue;
            }
            if (t == "no solution available" || t == "finite solution could not be created") {
                header.outcome = header.outcome == Outcome::unbounded ? Outcome::unbounded : Outcome::noSolution;
                sink.header(header);
                throw SolutionError("SCIP wrote " + std::string(t));
            }
            throw SolutionError(atLine(lines.lineNumber()) + "expected \"objective value:\"");
        }
        if (t.empty()) continue;
        std::string_view fields[2];
        if (splitFields(t, fields, 2) != 2)
            throw SolutionError(atLine(lines.lineNumber()) + "expected a name and a value");
        sink.variable(fields[0], fields[1], lines.lineNumber());
    }
    if (!started) throw SolutionError("the SCIP solution ends before its objective value");
}

}  // namespace

const FormatReader& scipReader() {
    static const FormatReader reader{"scip", &recognisesScip, &readScip};
    return reader;
}

}  // namespace rp::solvers
