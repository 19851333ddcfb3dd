// Gurobi .sol files ("# Solution for model M", "# Objective value = V", then
// "name value" lines) and COPT's look-alike ("# Objective value V").
#include "solvers/line_source.hpp"
#include "solvers/reader.hpp"

namespace rp::solvers {

namespace {

constexpr std::string_view kModel = "# Solution for model";
constexpr std::string_view kObjective = "# Objective value";

bool recognisesGurobi(const FirstLines& first) {
    if (first.lines.empty()) return false;
    const std::string_view line = first.lines[0];
    return startsWith(line, kModel) || startsWith(line, kObjective);
}

void readGurobi(std::streambuf& in, const ReadOptions& options, VariableSink& sink) {
    LineSource lines(in);
    SolutionHeader header;
    header.format = Format::gurobi;
    header.outcome = Outcome::unknown;
    bool started = false;
    std::string_view line;
    while (lines.next(line)) {
        if (!started && startsWith(line, "#")) {
            if (startsWith(line, kObjective)) {
                std::string_view rest = trimBlanks(line.substr(kObjective.size()));
                if (startsWith(rest, "=")) {
                    rest = trimBlanks(rest.substr(1));
                } else {
                    header.format = Format::copt;
                }
                header.objective = std::string(rest);
            }
            continue;
        }
        if (!started) {
            requireSingleSolution(options, formatName(header.format));
            sink.header(header);
            started = true;
        }
        const std::string_view trimmed = trimBlanks(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        const std::size_t cut = trimmed.find_last_of(" \t");
        if (cut == std::string_view::npos)
            throw SolutionError(atLine(lines.lineNumber()) + "expected a name and a value");
        sink.variable(trimBlanks(trimmed.substr(0, cut)), trimmed.substr(cut + 1), lines.lineNumber());
    }
    if (!started) {
        requireSingleSolution(options, formatName(header.format));
        sink.header(header);
    }
}

}  // namespace

const Reader& gurobiReader() {
    static const Reader reader{"gurobi", &recognisesGurobi, &readGurobi};
    return reader;
}

}  // namespace rp::solvers
